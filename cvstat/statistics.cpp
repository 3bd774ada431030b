#include "cvstat/statistics.h"

#include <string>

#include "common/console.h"
#include "common/control_client.h"
#include "common/messages.h"
#include "common/redirector_codes.h"
#include "cvstat/tool.h"

namespace cvstat {

namespace {

constexpr int kCounters = 4;

}  // namespace

void PrintStatistics(const cvn::Statistics& statistics) {
    cvn::PrintText(u"\n---------- " + std::u16string(cvn::kProductName));
    cvn::PrintMessage(kMsgStatisticsHeading, 0);
    cvn::PrintText(u" ----------\n\n");
    for (int i = 0; i < kCounters; ++i) {
        // Unsigned: a busy redirector's counters pass 2^31 and must not
        // turn negative on the way.
        cvn::PrintFormat(u"     %7u ", {statistics.counter(i)});
        cvn::PrintMessage(kMsgFirstStatisticsCounter + static_cast<win32::UINT>(i), 0);
        cvn::PrintText(u"\n");
    }
}

void ShowStatistics() {
    cvn::Statistics statistics;
    statistics.Initialize();
    if (cvn::CvnGetInfo(statistics, cvn::FSCTL_SERVER_GETIDSTAT) != 0) {
        cvn::PrintMessage(kMsgNoStatistics, 0);
        cvn::PrintText(cvn::kProductName);
        cvn::PrintMessage(kMsgNoStatistics2, 0);
        cvn::PrintText(u"\n");
        return;
    }
    PrintStatistics(statistics);
}

}  // namespace cvstat
