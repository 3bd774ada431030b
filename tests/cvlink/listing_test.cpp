// cvlink without arguments: the list of mounts, against a running redirector
// and without one, on both platform kinds.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/records.h"
#include "cvlink/listing.h"
#include "redirector/core/in_process.h"
#include "redirector/core/status.h"
#include "tests/cvlink/cvlink_test_support.h"
#include "tests/support/capture_output.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/scoped_env.h"

namespace {

using cvlink_test::kPlatforms;
using cvn_test::ProcessOptions;
using cvn_test::ProcessResult;
using cvn_test::RedirectorDaemon;

const std::string kNoMounts = "\nThere are no NFS connections.\n";
const std::string kNotRunning =
    "\nThe NFS redirector is not running: its control device cannot be opened.\n";

class CvlinkListing : public testing::TestWithParam<const char*> {
protected:
    ProcessOptions Options() const {
        ProcessOptions options;
        options.environment["CVN_PLATFORM"] = GetParam();
        registry_.AddTo(options);
        return options;
    }

    cvlink_test::PrivateRegistry registry_;
};

TEST_P(CvlinkListing, DriveAndDevicelessLinesInTheRedirectorsOrder) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    std::filesystem::create_directories(daemon.runtime_dir() + "/demo/sub");
    // Made out of letter order: the list keeps the order of the connections.
    for (const std::vector<std::string>& mount : std::vector<std::vector<std::string>>{
             {"G:", "\\\\localhost\\demo"},
             {"\\\\localhost\\demo"},
             {"F:", "\\\\localhost\\demo"},
             {"\\\\localhost\\demo\\sub"},
         }) {
        std::vector<std::string> arguments{"mount"};
        arguments.insert(arguments.end(), mount.begin(), mount.end());
        ProcessResult made = daemon.Control(arguments);
        ASSERT_EQ(made.exit_status, 0) << made.err;
    }
    ProcessResult result = daemon.Run("cvlink", {}, Options());
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out,
              "\nLocal       Remote"
              "\n   G:       \\\\localhost\\demo"
              "\n            \\\\localhost\\demo"
              "\n   F:       \\\\localhost\\demo"
              "\n            \\\\localhost\\demo\\sub"
              "\n");
    EXPECT_EQ(result.err, "");
}

TEST_P(CvlinkListing, NoMountsIsSaidWithoutHeading) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    ProcessResult result = daemon.Run("cvlink", {}, Options());
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, kNoMounts);
}

TEST_P(CvlinkListing, RedirectorNotRunning) {
    cvn_test::TempDir runtime;  // a runtime directory where no redirector listens
    ProcessOptions options = Options();
    options.environment["CVN_RUNTIME_DIR"] = runtime.path();
    ProcessResult result = cvn_test::RunProcess(cvn_test::BinPath("cvlink"), {}, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, kNotRunning);
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkListing, testing::ValuesIn(kPlatforms));

// The exports table of the redirector has no export whose path is empty, so
// no running redirector can hold such a mount: its line is printed from an
// entry made here.
TEST(CvlinkListingLine, EmptyPathEndsWithTheSeparator) {
    namespace me = cvn::mount_entry;
    struct LineCase {
        std::uint8_t device;
        std::string expected;
    };
    for (const LineCase& c :
         {LineCase{0, "\n            \\\\alpha\\"}, LineCase{'Z', "\n   Z:       \\\\alpha\\"}}) {
        cvn::MountEntry entry;
        entry.Initialize();
        entry.set_device_code(c.device);
        entry.SetText(me::kHost, u"alpha");
        entry.SetText(me::kPath, u"");
        cvn_test::CaptureOutput capture;
        cvlink::PrintMountLine(entry);
        EXPECT_EQ(capture.out(), c.expected) << c.device;
    }
}

// Only the end of the table means "no mounts"; a first request that fails
// otherwise is reported as what it is, and no heading is printed.
TEST(CvlinkListingFailure, FirstRequestFailingIsReported) {
    for (const char* platform : kPlatforms) {
        cvn_test::ScopedEnv env("CVN_PLATFORM", platform);
        cvnrd::ScopedInProcessRedirector redirector(cvnrd::ExportTable::Demo("/"));
        redirector.redirector().FailNextRequest(cvnrd::kConnectionGone);
        cvn_test::CaptureOutput capture;
        cvlink::ListMounts();
        EXPECT_EQ(capture.out(), "\n  The network name is no longer available.\r\n\n") << platform;
    }
}

}  // namespace
