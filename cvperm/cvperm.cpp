#include "cvperm/cvperm.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/startup.h"
#include "cvperm/command_line.h"
#include "cvperm/names.h"
#include "cvperm/tool.h"
#include "cvperm/usage.h"

namespace cvperm {

namespace {

// The first character of a catalog text: the letters are one character each.
char16_t Letter(const std::u16string& text) {
    return text.empty() ? u'\0' : text[0];
}

Tool MakeTool(const cvn::ToolStart& start) {
    const std::vector<std::u16string>& k = start.keywords;
    Tool tool;
    tool.program_name = start.program_name;
    tool.banner_keyword = k[0];
    tool.banner_keyword2 = k[1];
    tool.letters.read = Letter(k[2]);
    tool.letters.write = Letter(k[3]);
    tool.letters.execute = Letter(k[4]);
    tool.letters.set_id = Letter(k[5]);
    tool.letters.sticky = Letter(k[6]);
    tool.letters.all = Letter(k[7]);
    tool.letters.owner = Letter(k[8]);
    tool.letters.group = Letter(k[9]);
    tool.letters.other = Letter(k[10]);
    tool.ask_letter = k[2];
    tool.list_letter = k[11];
    return tool;
}

int RunNames(Tool& tool, std::span<const std::u16string> names) {
    for (const std::u16string& name : names) {
        switch (ProcessName(tool, name)) {
            case NameOutcome::kDone:
                break;
            case NameOutcome::kQuit:
                return kExitQuit;
            case NameOutcome::kSearchFailed:
                return kExitSearchFailed;
        }
    }
    return 0;
}

}  // namespace

int Run(int argc, char** argv) {
    std::optional<cvn::ToolStart> start = cvn::StartTool(
        argc, argv,
        {cvn::kMsgBannerKeyword, cvn::kMsgBannerKeyword2, kMsgReadLetter, kMsgWriteLetter,
         kMsgExecuteLetter, kMsgSetIdLetter, kMsgStickyLetter, kMsgAllClassesLetter,
         kMsgOwnerLetter, kMsgGroupLetter, kMsgOtherLetter, kMsgListLetter});
    if (!start) {
        return 0;
    }
    Tool tool = MakeTool(*start);
    std::span<const std::u16string> arguments(start->arguments);
    if (!arguments.empty()) {
        arguments = arguments.subspan(1);  // the program's own name
    }
    cvn::PrintText(u"\n");

    const bool has_option = !arguments.empty() && arguments[0].starts_with(u'-');
    if (arguments.size() < 2 || (has_option && arguments.size() < 3)) {
        cvn::PrintBanner(tool.program_name);
        if (arguments.size() != 1 || !IsBannerKeyword(tool, arguments[0])) {
            cvn::PrintText(u"\n");
            PrintUsage(tool.program_name);
        }
        return cvn::EndTool(0);
    }
    if (has_option) {
        tool.option = ParseOption(tool, arguments[0]);
        if (tool.option == Option::kUnknown) {
            // An option the tool does not know would otherwise do nothing
            // for every file, silently.
            PrintUsage(tool.program_name);
            return cvn::EndTool(kExitUnknownOption);
        }
        arguments = arguments.subspan(1);
    }
    tool.mode_text = arguments[0];
    return cvn::EndTool(RunNames(tool, arguments.subspan(1)));
}

}  // namespace cvperm
