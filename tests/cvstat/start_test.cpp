#include <gtest/gtest.h>

#include "tests/support/process.h"

TEST(CvstatStart, RunsAndEnds) {
    cvn_test::ProcessResult result = cvn_test::RunProcess(cvn_test::BinPath("cvstat"), {});
    EXPECT_EQ(result.exit_status, 0);
}
