#include <gtest/gtest.h>

#include "tests/support/process.h"

TEST(CvpermStart, RunsAndEnds) {
    cvn_test::ProcessResult result = cvn_test::RunProcess(cvn_test::BinPath("cvperm"), {});
    EXPECT_EQ(result.exit_status, 0);
}
