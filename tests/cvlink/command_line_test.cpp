// cvlink's usage and banner texts, and the arguments that lead to them, on
// both platform kinds.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cvlink/cvlink_test_support.h"

namespace {

using cvlink_test::Banner;
using cvlink_test::CvlinkRun;
using cvlink_test::kPlatforms;
using cvlink_test::Usage;
using cvn_test::ProcessResult;

struct TextCase {
    std::vector<std::string> arguments;
    std::string (*expected)();
};

std::string BannerAndUsage() {
    return Banner() + "\n" + Usage();
}

std::string Describe(const std::vector<std::string>& arguments) {
    std::string text = "cvlink";
    for (const std::string& argument : arguments) {
        text += " [" + argument + "]";
    }
    return text;
}

class CvlinkTexts : public testing::TestWithParam<const char*>, protected CvlinkRun {};

TEST_P(CvlinkTexts, ArgumentsGivingUsageAndBanner) {
    const TextCase cases[] = {
        // Only the first two characters of a help request are looked at.
        {{"-?"}, Usage},
        {{"/?"}, Usage},
        {{"-?x"}, Usage},
        {{"/?/v"}, Usage},
        // Either banner keyword after either switch, in any case.
        {{"/v"}, Banner},
        {{"-V"}, Banner},
        {{"/version"}, Banner},
        {{"-VERSION"}, Banner},
        // One argument that is nothing else: banner, a line end, usage.
        {{"version"}, BannerAndUsage},
        {{"v"}, BannerAndUsage},
        {{"?"}, BannerAndUsage},
        {{"/"}, BannerAndUsage},
        {{"-x"}, BannerAndUsage},
        {{"/vv"}, BannerAndUsage},
        {{"--v"}, BannerAndUsage},
        {{"\\host\\path"}, BannerAndUsage},  // one backslash is not a remote name
        {{""}, BannerAndUsage},
        // Five arguments or more.
        {{"x:", "\\\\h\\p", "*", "/user:bob", "extra"}, Usage},
        {{"a", "b", "c", "d", "e", "f"}, Usage},
    };
    for (const TextCase& c : cases) {
        ProcessResult result = RunCvlink(c.arguments, Options(GetParam()));
        EXPECT_EQ(result.exit_status, 0) << Describe(c.arguments);
        EXPECT_EQ(result.out, c.expected()) << Describe(c.arguments);
        EXPECT_EQ(result.err, "") << Describe(c.arguments);
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkTexts, testing::ValuesIn(kPlatforms));

// Usage and banner name the program as it was typed.
TEST(CvlinkProgramName, TextsShowTheNameAsTyped) {
    CvlinkRun run;
    cvn_test::TempDir dir;
    const std::string link = dir / "NetLink.exe";
    ASSERT_EQ(::symlink(cvn_test::BinPath("cvlink").c_str(), link.c_str()), 0);
    auto renamed = [](std::string text) {
        for (size_t at = text.find("cvlink"); at != std::string::npos;
             at = text.find("cvlink", at)) {
            text.replace(at, 6, "NetLink.exe");
        }
        return text;
    };
    ProcessResult usage = cvn_test::RunProcess(link, {"-?"}, run.Options("nt"));
    EXPECT_EQ(usage.out, renamed(Usage()));
    ProcessResult banner = cvn_test::RunProcess(link, {"/v"}, run.Options("nt"));
    EXPECT_EQ(banner.out, renamed(Banner()));
}

// On a platform kind that is not served the program ends quietly.
TEST(CvlinkPlatform, UnservedPlatformsPrintNothing) {
    CvlinkRun run;
    for (const char* platform : {"win32s", "other"}) {
        ProcessResult result = run.RunCvlink({"-?"}, run.Options(platform));
        EXPECT_EQ(result.exit_status, 0) << platform;
        EXPECT_EQ(result.out, "") << platform;
        EXPECT_EQ(result.err, "") << platform;
    }
}

}  // namespace
