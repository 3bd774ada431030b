#include "common/debug_print.h"

#include <optional>
#include <string>

#include "common/platform_kind.h"
#include "platform/codepage.h"
#include "platform/debug_output.h"
#include "platform/format.h"

namespace cvn {

namespace {

constexpr size_t kNarrowLimit = 1024;
constexpr size_t kWideLimit = 2048;

}  // namespace

int DebugPrintA(const char* format, int value) {
    std::optional<std::string> text = win32::FormatNarrow(format, {value});
    std::string message = text ? *text : std::string(format);
    if (message.size() >= kNarrowLimit) {
        message.resize(kNarrowLimit - 1);
    }
    win32::OutputDebugStringA(message.c_str());
    return 0;
}

int DebugPrintW(const char16_t* format, int value) {
    std::optional<std::u16string> text = win32::FormatWide(format, {value});
    std::u16string message = text ? *text : std::u16string(format);
    if (message.size() >= kWideLimit) {
        message.resize(kWideLimit - 1);
    }
    if (GetPlatformKind() == PLATFORM_NT) {
        win32::OutputDebugStringW(message.c_str());
        return 0;
    }
    std::string narrow = win32::WideToAnsi(message);
    if (narrow.size() >= kNarrowLimit) {
        narrow.resize(kNarrowLimit - 1);
    }
    win32::OutputDebugStringA(narrow.c_str());
    return 0;
}

}  // namespace cvn
