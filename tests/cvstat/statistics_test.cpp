// cvstat -s: the redirector's four counters, or word that it does not
// answer.
#include <gtest/gtest.h>

#include <string>

#include "common/records.h"
#include "cvstat/statistics.h"
#include "tests/cvstat/cvstat_test_support.h"
#include "tests/support/capture_output.h"

namespace {

using cvn_test::ProcessResult;
using cvstat_test::CvstatRun;
using cvstat_test::CvstatWithRedirector;
using cvstat_test::kPlatforms;

std::string Statistics(const std::string& requests, const std::string& failed,
                       const std::string& connections, const std::string& attributes) {
    return "\n---------- Corvane NT NFS Client statistics ----------\n\n"
           "     " +
           requests +
           " requests\n"
           "     " +
           failed +
           " failed requests\n"
           "     " +
           connections +
           " connections made\n"
           "     " +
           attributes + " attribute requests\n";
}

class CvstatStatistics : public testing::TestWithParam<const char*> {};

// A mount made, a name that is not mounted asked for, then the statistics:
// each counter in its place, the request asking for them counted too.
TEST_P(CvstatStatistics, TheRedirectorsCounters) {
    CvstatWithRedirector cvstat;
    ASSERT_TRUE(cvstat.started()) << cvstat.start_error();
    cvstat.Mount("F:", R"(\\localhost\demo)");
    EXPECT_EQ(cvstat.Run({"-m", "Q:"}, GetParam()).exit_status, 1);
    ProcessResult result = cvstat.Run({"-stats"}, GetParam());
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out, Statistics("      3", "      1", "      1", "      0"));
    EXPECT_EQ(result.err, "");
}

TEST_P(CvstatStatistics, RedirectorNotRunning) {
    CvstatRun cvstat;
    ProcessResult result = cvstat.Run({"-s"}, GetParam());
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out, "No statistics: the Corvane NT NFS Client redirector does not answer.\n");
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvstatStatistics, testing::ValuesIn(kPlatforms));

// Counters are unsigned and right-aligned in seven columns; wider values
// push the label on instead of being cut.
TEST(CvstatStatisticsRecord, LargeCountersPrintInFull) {
    cvstat_test::InstalledCatalog catalog;
    ASSERT_TRUE(catalog.loaded());
    cvn::Statistics statistics;
    statistics.Initialize();
    statistics.view().SetU32(4, 0xFFFFFFFF);
    statistics.view().SetU32(8, 0x80000000);
    statistics.view().SetU32(12, 1234567);
    statistics.view().SetU32(16, 12345678);
    cvn_test::CaptureOutput capture;
    cvstat::PrintStatistics(statistics);
    EXPECT_EQ(capture.out(), Statistics("4294967295", "2147483648", "1234567", "12345678"));
}

}  // namespace
