// Changing one file's mode, with the redirector failing the read or the
// set: an octal mode is still sent, a symbolic one never is.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "cvperm/set_mode.h"
#include "redirector/core/status.h"
#include "tests/cvperm/cvperm_test_support.h"
#include "tests/cvperm/in_process_drive.h"
#include "tests/support/capture_output.h"

namespace {

using cvperm_test::kAccessDeniedText;
using cvperm_test::ModeOf;

const cvperm::ModeLetters kLetters{u'r', u'w', u'x', u's', u't', u'a', u'u', u'g', u'o'};

class CvpermSetMode : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(catalog_.loaded());
        ASSERT_EQ(drive_.mount_error(), 0u);
        cvn_test::WriteFile(drive_.Host("f"), "");
        ASSERT_EQ(::chmod(drive_.Host("f").c_str(), 0640), 0);
    }

    std::string Set(const std::u16string& mode_text, const std::u16string& path = u"F:\\f") {
        cvn_test::CaptureOutput capture;
        cvperm::SetModeOfFile(path, mode_text, kLetters);
        return capture.out();
    }

    cvperm_test::ScopedCatalog catalog_;
    cvperm_test::InProcessDrive drive_{GetParam()};
};

TEST_P(CvpermSetMode, OctalAndSymbolicModesAreSetSilently) {
    EXPECT_EQ(Set(u"u+x,g-r"), "");
    EXPECT_EQ(ModeOf(drive_.Host("f")), 0700u);
    EXPECT_EQ(Set(u"4751"), "");
    EXPECT_EQ(ModeOf(drive_.Host("f")), 04751u);
}

// The current mode cannot be read: the octal mode does not depend on it and
// is sent; a symbolic one would be computed from nothing and is not.
TEST_P(CvpermSetMode, UnreadAttributesStopOnlyASymbolicMode) {
    drive_.redirector().FailNextRequest(cvnrd::kAccessDenied);
    EXPECT_EQ(Set(u"o+r"), kAccessDeniedText);
    EXPECT_EQ(ModeOf(drive_.Host("f")), 0640u);

    drive_.redirector().FailNextRequest(cvnrd::kAccessDenied);
    EXPECT_EQ(Set(u"600"), kAccessDeniedText);
    EXPECT_EQ(ModeOf(drive_.Host("f")), 0600u);
}

// A refused set names the file; a mode-text error sends nothing.
TEST_P(CvpermSetMode, FailuresAreReportedAndTheFileKept) {
    ASSERT_EQ(::symlink("f", drive_.Host("link").c_str()), 0);
    EXPECT_EQ(Set(u"644", u"F:\\link"), "\nF:\\link - " + kAccessDeniedText);
    EXPECT_EQ(ModeOf(drive_.Host("f")), 0640u);

    EXPECT_EQ(Set(u"10000"), cvperm_test::kTooLarge);
    EXPECT_EQ(Set(u"+u"), cvperm_test::kClassAfterOperator);
    EXPECT_EQ(ModeOf(drive_.Host("f")), 0640u);
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvpermSetMode, testing::ValuesIn(cvperm_test::kPlatforms));

}  // namespace
