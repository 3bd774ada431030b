#include "cvlink/response_file.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ansi_names.h"
#include "common/console.h"
#include "common/messages.h"
#include "common/platform_kind.h"
#include "cvlink/dispatch.h"
#include "platform/codepage.h"
#include "platform/crt_argv.h"
#include "platform/crt_stdio.h"

namespace cvlink {

namespace {

using win32::crt::Stream;

std::unique_ptr<Stream> OpenResponseFile(const std::u16string& name) {
    if (cvn::GetPlatformKind() == cvn::PLATFORM_WIN95) {
        // Windows 95 opens the file by its name in the ANSI code page.
        char narrow[cvn::kNameBufferSize];
        if (!cvn::ToAnsiName(name, narrow)) {
            return nullptr;
        }
        return Stream::Open(win32::AnsiToWide(narrow), u"r");
    }
    return Stream::Open(name, u"r");
}

// One line of the file without its line end, or nullopt at the end. A line
// longer than the command buffer keeps one character beyond it, enough to
// tell that it is too long, and the rest is read past.
std::optional<std::string> ReadLine(Stream& file) {
    std::string line;
    int c = file.GetChar();
    if (c < 0) {
        return std::nullopt;
    }
    while (c >= 0 && c != '\n') {
        if (line.size() <= kMaxText) {
            line += static_cast<char>(c);
        }
        c = file.GetChar();
    }
    return line;
}

}  // namespace

void RunResponseFile(Tool& tool, const std::u16string& file_name) {
    std::unique_ptr<Stream> file = OpenResponseFile(file_name);
    if (!file) {
        cvn::PrintMessageFormat(kMsgResponseFileNotOpened, {file_name});
        return;
    }
    int executed = 0;
    int line_number = 0;
    while (std::optional<std::string> line = ReadLine(*file)) {
        ++line_number;
        if (line->starts_with('#')) {
            continue;
        }
        if (line->size() > kMaxText) {
            // A line longer than the command buffer is not cut into pieces
            // that would each run as a command of its own.
            cvn::PrintMessageFormat(kMsgResponseLineTooLong, {line_number});
            continue;
        }
        std::u16string text = win32::AnsiToWide(*line);
        std::vector<std::u16string> words = win32::SplitCommandLine(text);
        if (words.size() < 2) {
            continue;
        }
        cvn::PrintFormat(u"\n%d. ", {++executed});
        for (const std::u16string& word : words) {
            cvn::PrintFormat(u" %s", {word});
        }
        cvn::PrintText(u"\n");
        Dispatch(tool, words);
    }
}

}  // namespace cvlink
