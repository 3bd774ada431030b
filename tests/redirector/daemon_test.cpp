// cvnrd run as a daemon: started, used through its admin commands, stopped.
#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/redirector_daemon.h"

namespace {

using cvn_test::RedirectorDaemon;

TEST(Daemon, StartsServesAndStops) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    EXPECT_TRUE(cvn_test::FileExists(daemon.runtime_dir() + "/cvnrd.sock"));
    EXPECT_EQ(daemon.Control({"mount", "F:", "\\\\localhost\\demo"}).exit_status, 0);
    cvn_test::ProcessResult list = daemon.Control({"list"});
    EXPECT_EQ(list.out, "F: \\\\localhost\\demo\n");
    EXPECT_TRUE(daemon.Stop());
    EXPECT_FALSE(cvn_test::FileExists(daemon.runtime_dir() + "/cvnrd.sock"));
    EXPECT_FALSE(cvn_test::FileExists(daemon.runtime_dir() + "/cvnrd.pid"));
}

}  // namespace
