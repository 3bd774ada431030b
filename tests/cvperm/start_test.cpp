// cvperm's command line without files to work on: the banner, the usage
// text, and options it does not know, on both platform kinds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cvperm/cvperm_test_support.h"

namespace {

using cvn_test::ProcessResult;
using cvperm_test::Expected;

class CvpermCommandLine : public testing::TestWithParam<const char*> {
protected:
    ProcessResult Run(const std::vector<std::string>& arguments) const {
        return run_.Run(arguments, GetParam());
    }

    cvperm_test::CvpermRun run_;
};

// Too few arguments: the banner and the usage text, status 0; a banner
// keyword alone: the banner alone. The start-up's line end comes first.
TEST_P(CvpermCommandLine, BannerAndUsage) {
    const std::string banner = "\n" + Expected("banner.enu.txt");
    const std::string usage = banner + "\n" + Expected("usage.enu.txt");
    struct UsageCase {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const UsageCase cases[] = {
        {{}, usage},
        {{"644"}, usage},
        {{"-?"}, usage},
        {{"-r", "644"}, usage},  // an option and fewer than two more
        {{"-v"}, banner},
        {{"/V"}, banner},
        {{"-VERSION"}, banner},
        {{"xversion"}, banner},  // compared from the second character on
        {{"-ver"}, usage},
        {{"-v", "f"}, usage},
    };
    for (const UsageCase& c : cases) {
        ProcessResult result = Run(c.arguments);
        const std::string name = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(result.exit_status, 0) << name;
        EXPECT_EQ(result.out, c.expected) << name;
        EXPECT_EQ(result.err, "") << name;
    }
}

// An option the tool does not know would do nothing for every file: the
// usage text says what it knows, status 1, and no file is looked at.
TEST_P(CvpermCommandLine, UnknownOptionGivesUsage) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"-x", "644", "C:\\no such file"},
             {"-rr", "644", "f"},
             {"-", "644", "f"},
             {"-?", "644", "f"},
             {"-rlrlrlrlrlrlrlrlrlrlrlrlrl", "644", "f"},
         }) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exit_status, 1) << arguments[0];
        EXPECT_EQ(result.out, "\n" + Expected("usage.enu.txt")) << arguments[0];
    }
}

// The letters of the options are catalog texts; German has the same ones
// but its own words.
TEST_P(CvpermCommandLine, GermanUsage) {
    cvn_test::ProcessOptions options;
    options.environment["LANG"] = "de_DE.UTF-8";
    ProcessResult result = run_.Run({"-?"}, GetParam(), options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n" + Expected("banner.deu.txt") + "\n" + Expected("usage.deu.txt"));
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvpermCommandLine, testing::ValuesIn(cvperm_test::kPlatforms));

}  // namespace
