#include "cvperm/usage.h"

#include <string>

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "cvperm/tool.h"

namespace cvperm {

namespace {

// "       -x         text": an option letter from the catalog and its text,
// in the column the other options' texts start in.
void PrintOptionLine(win32::UINT letter_id, win32::UINT text_id) {
    cvn::PrintText(u"       -");
    cvn::PrintMessage(letter_id, 0);
    cvn::PrintText(u"         ");
    cvn::PrintMessage(text_id, 0);
    cvn::PrintText(u"\n");
}

}  // namespace

void PrintUsage(std::u16string_view program_name) {
    const std::u16string name(program_name);
    cvn::PrintMessage(cvn::kMsgUsageFirstLine, 0);
    cvn::PrintFormat(u" %s [-", {name});
    cvn::PrintMessage(kMsgReadLetter, 0);
    cvn::PrintMessage(kMsgListLetter, 0);
    cvn::PrintText(u"] ");
    cvn::PrintMessage(kMsgUsageArguments, 0);
    cvn::PrintText(u"\n");

    cvn::PrintFormat(u"       %s -? | -", {name});
    cvn::PrintMessage(cvn::kMsgBannerKeyword, 0);
    cvn::PrintText(u"\n\n");
    cvn::PrintMessage(kMsgUsageOptions, 0);
    cvn::PrintText(u"\n");

    PrintOptionLine(kMsgReadLetter, kMsgUsageAsk);
    PrintOptionLine(kMsgListLetter, kMsgUsageList);

    cvn::PrintMessage(kMsgUsageMode, 0);
    cvn::PrintText(u"\n");
    cvn::PrintMessage(kMsgUsageName, 0);
    cvn::PrintText(u"\n");

    cvn::PrintText(u"       -?         ");
    cvn::PrintMessage(kMsgUsageHelp, 0);
    cvn::PrintText(u"\n");
    PrintOptionLine(cvn::kMsgBannerKeyword, kMsgUsageVersion);
}

}  // namespace cvperm
