#include "cvlink/yes_no.h"

#include <string>

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/startup.h"
#include "platform/case_fold.h"
#include "platform/crt_stdio.h"
#include "platform/errors.h"
#include "platform/host_text.h"

namespace cvlink {

namespace {

void PrintPrompt() {
    cvn::PrintMessage(322, 0);
    cvn::PrintText(u" <");
    cvn::PrintMessage(cvn::kMsgYesKey, 0);
    cvn::PrintText(u"=");
    cvn::PrintMessage(cvn::kMsgYesDescription, 0);
    cvn::PrintText(u",");
    cvn::PrintMessage(cvn::kMsgNoKey, 0);
    cvn::PrintText(u"=");
    cvn::PrintMessage(cvn::kMsgNoDescription, 0);
    cvn::PrintText(u">  [");
    cvn::PrintMessage(cvn::kMsgNoKey, 0);
    cvn::PrintText(u"]:  ");
}

// One line of standard input, folded to lower case. The whole line is the
// answer: a long one is one wrong answer, not the start of the next. The
// console's text is UTF-8 on the host, so a wrong answer is shown back as
// it was typed.
std::u16string ReadAnswer() {
    cvn::FlushOutput();
    std::string answer;
    for (int c = win32::crt::Stream::In().GetChar(); c >= 0 && c != '\n';
         c = win32::crt::Stream::In().GetChar()) {
        if (c == '\r') {
            continue;
        }
        answer += static_cast<char>((c >= 'A' && c <= 'Z') ? c + 0x20 : c);
    }
    return win32::HostToWide(answer);
}

}  // namespace

int AskYesOrNo() {
    const std::u16string yes = cvn::CatalogText(cvn::kMsgAnswerYes);
    const std::u16string no = cvn::CatalogText(cvn::kMsgAnswerNo);
    for (;;) {
        PrintPrompt();
        std::u16string answer = ReadAnswer();
        if (answer.empty()) {
            answer = no;
        }
        if (win32::wcsicmp(answer, yes) == 0) {
            return 1;
        }
        if (win32::wcsicmp(answer, no) == 0) {
            return 0;
        }
        cvn::PrintFormat(u"  %s - ", {answer});
        cvn::PrintSystemMessage(win32::ERROR_INVALID_PARAMETER);
    }
}

}  // namespace cvlink
