#include "cvstat/usage.h"

#include <string>

#include "common/console.h"
#include "common/message_ids.h"
#include "common/messages.h"

namespace cvstat {

namespace {

constexpr char16_t kSevenBlanks[] = u"       ";
constexpr char16_t kTenBlanks[] = u"          ";
constexpr char16_t kNineteenBlanks[] = u"                   ";

void Text(win32::UINT id) {
    cvn::PrintMessage(id, 0);
}

// "-m [X: | \\host\path]...", "-s" and "-? | -v", each after the program name.
void PrintForms(const std::u16string& name) {
    cvn::PrintText(u"\n");
    Text(cvn::kMsgUsageFirstLine);
    cvn::PrintFormat(u" %s -", {name});
    Text(kMsgMountKeyword);
    Text(kMsgUsageMountNames);
    cvn::PrintText(u"\n");

    cvn::PrintFormat(u"       %s -", {name});
    Text(kMsgStatisticsKeyword);
    cvn::PrintText(u"\n");

    cvn::PrintFormat(u"       %s -? | -", {name});
    Text(cvn::kMsgBannerKeyword);
    cvn::PrintText(u"\n\n");
}

// One option per line, its description from the twentieth column on.
void PrintOptions() {
    Text(kMsgUsageOptions);
    cvn::PrintText(u"\n");
    cvn::PrintText(kSevenBlanks + std::u16string(u"-"));
    Text(kMsgMountKeyword);
    cvn::PrintText(kTenBlanks);
    Text(kMsgUsageMount);
    cvn::PrintText(u"\n");
    cvn::PrintText(kNineteenBlanks);
    Text(kMsgUsageMount2);
    cvn::PrintText(u"\n");

    cvn::PrintText(kSevenBlanks + std::u16string(u"-"));
    Text(kMsgStatisticsKeyword);
    cvn::PrintText(kTenBlanks);
    Text(kMsgUsageStatistics);
    cvn::PrintText(cvn::kProductName);
    Text(kMsgUsageStatistics2);
    cvn::PrintText(u"\n");

    cvn::PrintText(u"       -?          ");
    Text(kMsgUsageHelp);
    cvn::PrintText(u"\n");
    cvn::PrintText(kSevenBlanks + std::u16string(u"-"));
    Text(cvn::kMsgBannerKeyword);
    cvn::PrintText(kTenBlanks);
    Text(kMsgUsageVersion);
    cvn::PrintText(u"\n");
}

}  // namespace

void PrintUsage(const Tool& tool) {
    PrintForms(tool.program_name);
    PrintOptions();
}

void PrintCvstatBanner(const Tool& tool) {
    cvn::PrintText(u"\n");
    cvn::PrintBanner(tool.program_name);
}

}  // namespace cvstat
