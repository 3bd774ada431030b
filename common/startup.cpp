#include "common/startup.h"

#include "common/catalog.h"
#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/platform_kind.h"
#include "common/program_name.h"
#include "platform/command_line.h"
#include "platform/modules.h"

namespace cvn {

std::u16string CatalogText(win32::UINT id) {
    char16_t text[kMessageBufferChars];
    int count = LoadMessageText(CatalogHandle(), id, text);
    return std::u16string(text, static_cast<size_t>(count));
}

std::optional<ToolStart> StartTool(int argc, char** argv,
                                   std::initializer_list<win32::UINT> keyword_ids) {
    int kind = GetPlatformKind();
    if (kind != PLATFORM_WIN95 && kind != PLATFORM_NT) {
        // No catalog is loaded yet, so this prints nothing; the tool ends quietly.
        PrintMessage(kMsgPlatformNotSupported, 0);
        return std::nullopt;
    }
    win32::HMODULE catalog = LoadMessageCatalog();
    if (catalog == nullptr) {
        ReportCatalogFailure();
        FlushOutput();
        return std::nullopt;
    }
    SetCatalogHandle(catalog);

    ToolStart start;
    start.arguments = win32::CommandLineArguments(argc, argv);
    for (win32::UINT id : keyword_ids) {
        start.keywords.push_back(CatalogText(id));
    }
    char16_t full_name[kProgramNameChars];
    if (!start.arguments.empty()) {
        if (const char16_t* name = GetProgramName(start.arguments[0], full_name)) {
            start.program_name = name;
        }
    }
    return start;
}

int EndTool(int exit_status) {
    if (win32::HMODULE catalog = CatalogHandle()) {
        win32::FreeLibrary(catalog);
        SetCatalogHandle(nullptr);
    }
    FlushOutput();
    return exit_status;
}

}  // namespace cvn
