// cvstat -m: every mount, or the drives and remote names given, against a
// running redirector and without one, on both platform kinds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/control_client.h"
#include "common/records.h"
#include "common/redirector_codes.h"
#include "common/remote_name.h"
#include "cvstat/mounts.h"
#include "redirector/core/in_process.h"
#include "redirector/core/status.h"
#include "tests/cvstat/cvstat_test_support.h"
#include "tests/support/capture_output.h"

namespace {

namespace me = cvn::mount_entry;

using cvn_test::ProcessResult;
using cvstat_test::CvstatRun;
using cvstat_test::CvstatWithRedirector;
using cvstat_test::Expected;
using cvstat_test::kBadDeviceText;
using cvstat_test::kNextMountPrompt;
using cvstat_test::kNoMoreItemsText;
using cvstat_test::kNotConnectedText;
using cvstat_test::kNotRunning;
using cvstat_test::kPlatforms;
using cvstat_test::MaskFileSystemSizes;
using cvstat_test::NameFailure;

const std::string kRemote = R"(\\localhost\demo)";

std::string Describe(const std::vector<std::string>& arguments) {
    std::string text = "cvstat";
    for (const std::string& argument : arguments) {
        text += " [" + argument + "]";
    }
    return text;
}

// \\localhost\demo as the redirector describes a mount made with the
// defaults: on drive `drive` ("X:"), or without one ("").
std::string DemoEntry(const std::string& drive) {
    std::string text = Expected("demo_mount.enu.txt");
    const std::string name_line = " on F:\n";
    text.replace(text.find(name_line), name_line.size(),
                 " on " + (drive.empty() ? std::string("no drive") : drive) + "\n");
    return text;
}

// The prompt before the next mount: after two blanks for a drive, alone on
// its line for a remote name.
const std::string kNextDrive = "\n  " + kNextMountPrompt + "\n";
const std::string kNextRemote = "\n" + kNextMountPrompt + "\n";

struct Case {
    std::vector<std::string> arguments;
    std::string expected;
    std::string input = "";
};

class CvstatMounts : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_TRUE(cvstat_.started()) << cvstat_.start_error(); }

    void Check(const std::vector<Case>& cases) const {
        for (const Case& c : cases) {
            ProcessResult result = cvstat_.Run(c.arguments, GetParam(), c.input);
            EXPECT_EQ(result.exit_status, 1) << Describe(c.arguments);
            EXPECT_EQ(MaskFileSystemSizes(result.out), c.expected) << Describe(c.arguments);
            EXPECT_EQ(result.err, "") << Describe(c.arguments);
        }
    }

    CvstatWithRedirector cvstat_;
};

// None, one, then two mounts: a key (read from standard input) is awaited
// between two of them, and the end of the table is said only when there was
// nothing to show.
TEST_P(CvstatMounts, AllMountsInTheRedirectorsOrder) {
    Check({{{"-m"}, "\n                " + kNoMoreItemsText}});
    cvstat_.Mount("F:", kRemote);
    Check({{{"-m"}, DemoEntry("F:")}});
    cvstat_.Mount("", kRemote);
    Check({
        {{"-m"}, DemoEntry("F:") + kNextDrive + DemoEntry(""), "k"},
        // With no key left to read the run still ends.
        {{"-mount"}, DemoEntry("F:") + kNextDrive + DemoEntry(""), ""},
    });
}

TEST_P(CvstatMounts, NamedMounts) {
    cvstat_.Mount("F:", kRemote);
    cvstat_.Mount("X:", kRemote);
    cvstat_.Mount("", kRemote);
    Check({
        // A drive by its letter, in either case, with or without the colon.
        {{"-m", "f"}, DemoEntry("F:")},
        {{"-m", "X:"}, DemoEntry("X:")},
        {{"-m", "x:\\dir"}, DemoEntry("X:")},
        // A remote name finds the mount without a drive first.
        {{"-m", kRemote}, DemoEntry("")},
        // The prompt goes with the name about to be shown.
        {{"-m", "F:", "x"}, DemoEntry("F:") + kNextDrive + DemoEntry("X:"), "k"},
        {{"-m", "F:", kRemote}, DemoEntry("F:") + kNextRemote + DemoEntry(""), "k"},
        {{"-m", kRemote, "F:"}, DemoEntry("") + kNextDrive + DemoEntry("F:"), "k"},
        // A name not shown is reported and skipped; no prompt comes before
        // the first mount shown.
        {{"-m", "Q:", "F:"}, NameFailure("Q:", kNotConnectedText) + DemoEntry("F:")},
        {{"-m", "F:", "Q:", "X:"},
         DemoEntry("F:") + NameFailure("Q:", kNotConnectedText) + kNextDrive + DemoEntry("X:"),
         "k"},
    });
}

TEST_P(CvstatMounts, NamesThatAreNotShown) {
    cvstat_.Mount("F:", kRemote);
    const std::string long_host = R"(\\)" + std::string(41, 'h') + R"(\demo)";
    Check({
        {{"-m", "Q:"}, NameFailure("Q:", kNotConnectedText)},
        {{"-m", R"(\\localhost\other)"}, NameFailure(R"(\\localhost\other)", kNotConnectedText)},
        {{"-m", R"(\\localhost)"}, NameFailure(R"(\\localhost)", kNotConnectedText)},
        // Neither a drive nor a well-formed remote name: error 1200.
        {{"-m", "foo"}, NameFailure("foo", kBadDeviceText)},
        {{"-m", ""}, NameFailure("", kBadDeviceText)},
        {{"-m", R"(\\)"}, NameFailure(R"(\\)", kBadDeviceText)},
        {{"-m", R"(\host\demo)"}, NameFailure(R"(\host\demo)", kBadDeviceText)},
        {{"-m", long_host}, NameFailure(long_host, kBadDeviceText)},
        {{"-m", "foo", "Q:"},
         NameFailure("foo", kBadDeviceText) + NameFailure("Q:", kNotConnectedText)},
    });
}

// A mount made with its own options: the redirector keeps them and returns
// them with the mount, as cvstat shows them.
TEST_P(CvstatMounts, OptionsTheMountWasMadeWith) {
    {
        cvn_test::ScopedEnv env("CVN_RUNTIME_DIR", cvstat_.daemon().runtime_dir());
        cvn::MountEntry entry;
        entry.Initialize();
        ASSERT_EQ(cvn::FillMountEntryName(entry, u"\\\\localhost\\demo"), 0);
        entry.set_device_code('G');
        entry.SetText(me::kUserName, u"alice");
        win32::ByteView view = entry.view();
        constexpr std::uint32_t kAutoTuneDisable = 1u << 6;
        constexpr std::uint32_t kUseTcp = 1u << 11;
        view.SetU32(me::kOptions, view.U32(me::kOptions) | kAutoTuneDisable | kUseTcp);
        view.SetU32(me::kCaseBits, 1);
        view.SetU32(me::kRwCacheType, 7);
        view.SetU32(me::kReadSize, 32768);
        view.SetU32(me::kIoTimeout, 60);
        ASSERT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_ADD_DISK), 0u);
    }
    Check({{{"-m", "G:"}, Expected("options_mount.enu.txt")}});
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvstatMounts, testing::ValuesIn(kPlatforms));

// Without a redirector the mount forms say so once and stop: no name is
// looked at, and no entry of defaults is ever shown.
TEST(CvstatMountsWithoutRedirector, SaidOnceAndNothingShown) {
    CvstatRun cvstat;
    for (const char* platform : kPlatforms) {
        for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
                 {"-m"}, {"-m", "F:"}, {"-m", "F:", "G:", R"(\\localhost\demo)"}, {"-m", "foo"}}) {
            ProcessResult result = cvstat.Run(arguments, platform, "k");
            EXPECT_EQ(result.exit_status, 1) << platform << " " << Describe(arguments);
            EXPECT_EQ(result.out, kNotRunning) << platform << " " << Describe(arguments);
        }
    }
}

// Whatever status a failed request carries, the entry it leaves behind is
// not a mount: the name is reported with the request's error instead.
TEST(CvstatNamedMountFailure, AnyFailedRequestIsReportedNeverShown) {
    for (const char* platform : kPlatforms) {
        cvstat_test::InstalledCatalog catalog(platform);
        cvnrd::ScopedInProcessRedirector redirector(cvnrd::ExportTable::Demo("/"));
        cvn::MountEntry entry;
        entry.Initialize();
        ASSERT_EQ(cvn::FillMountEntryName(entry, u"\\\\localhost\\demo"), 0);
        entry.set_device_code('F');
        ASSERT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_ADD_DISK), 0u) << platform;
        redirector.redirector().FailNextRequest(cvnrd::kConnectionGone);
        cvn_test::CaptureOutput capture;
        cvstat::ShowNamedMounts({u"F:"});
        EXPECT_EQ(capture.out(), NameFailure("F:", "The network name is no longer available.\r\n"))
            << platform;
    }
}

}  // namespace
