// cvlink's list of mounts against a running redirector.
#include <gtest/gtest.h>

#include "tests/support/redirector_daemon.h"

namespace {

using cvn_test::RedirectorDaemon;

TEST(CvlinkListing, DriveAndDevicelessLines) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    ASSERT_EQ(daemon.Control({"mount", "F:", "\\\\localhost\\demo"}).exit_status, 0);
    ASSERT_EQ(daemon.Control({"mount", "\\\\localhost\\demo"}).exit_status, 0);
    cvn_test::ProcessResult result = daemon.Run("cvlink", {}, {});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out,
              "\nLocal       Remote"
              "\n   F:       \\\\localhost\\demo"
              "\n            \\\\localhost\\demo"
              "\n");
}

}  // namespace
