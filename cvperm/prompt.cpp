#include "cvperm/prompt.h"

#include <optional>
#include <string>

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/startup.h"
#include "cvperm/tool.h"
#include "platform/case_fold.h"
#include "platform/crt_stdio.h"
#include "platform/host_text.h"

namespace cvperm {

namespace {

// One "key=description" pair of the question.
void PrintKey(win32::UINT key_id, win32::UINT description_id) {
    cvn::PrintMessage(key_id, 0);
    cvn::PrintText(u"=");
    cvn::PrintMessage(description_id, 0);
}

void PrintQuestion() {
    cvn::PrintText(u"   ");
    cvn::PrintMessage(kMsgAskLabel, 0);
    cvn::PrintText(u"<");
    PrintKey(cvn::kMsgYesKey, cvn::kMsgYesDescription);
    cvn::PrintText(u",");
    PrintKey(cvn::kMsgNoKey, cvn::kMsgNoDescription);
    cvn::PrintText(u",");
    PrintKey(kMsgAllKey, kMsgAllDescription);
    cvn::PrintText(u",");
    PrintKey(kMsgQuitKey, kMsgQuitDescription);
    cvn::PrintText(u">? ");
}

// One line of standard input, folded to lower case; nullopt at the end of
// the input. The whole line is one answer, so the rest of a long line is
// never taken for the answer to the next question.
std::optional<std::u16string> ReadAnswer() {
    cvn::FlushOutput();
    win32::crt::Stream& in = win32::crt::Stream::In();
    std::string answer;
    int c = in.GetChar();
    if (c < 0) {
        return std::nullopt;
    }
    for (; c >= 0 && c != '\n'; c = in.GetChar()) {
        if (c != '\r') {
            answer += static_cast<char>((c >= 'A' && c <= 'Z') ? c + 0x20 : c);
        }
    }
    return win32::HostToWide(answer);
}

bool IsText(const std::u16string& answer, win32::UINT id) {
    const std::u16string text = cvn::CatalogText(id);
    return !text.empty() && win32::wcsicmp(answer, text) == 0;
}

bool IsAccepted(const std::u16string& answer) {
    for (win32::UINT id :
         {cvn::kMsgAnswerYes, cvn::kMsgAnswerNo, kMsgAllClassesLetter, kMsgAnswerQuit}) {
        if (IsText(answer, id)) {
            return true;
        }
    }
    return false;
}

}  // namespace

Answer AskBeforeFile(std::u16string_view path) {
    cvn::PrintFormat(u"\n  %s\n", {std::u16string(path)});
    std::optional<std::u16string> answer;
    do {
        PrintQuestion();
        answer = ReadAnswer();
        if (!answer) {
            return Answer::kQuit;
        }
    } while (!IsAccepted(*answer));
    // The accepted answer acts through the key the question showed for it.
    if (IsText(*answer, cvn::kMsgYesKey)) {
        return Answer::kYes;
    }
    if (IsText(*answer, cvn::kMsgNoKey)) {
        return Answer::kNo;
    }
    if (IsText(*answer, kMsgAllKey)) {
        return Answer::kAll;
    }
    if (IsText(*answer, kMsgQuitKey)) {
        return Answer::kQuit;
    }
    return Answer::kNone;
}

}  // namespace cvperm
