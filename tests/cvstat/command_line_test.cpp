// cvstat's command-line forms that need no redirector: usage, banner, the
// options that compare exactly, and the statistics option given arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/system_messages.h"
#include "tests/cvstat/cvstat_test_support.h"

namespace {

using cvn_test::ProcessResult;
using cvstat_test::Banner;
using cvstat_test::CvstatRun;
using cvstat_test::kPlatforms;
using cvstat_test::Usage;

std::string Describe(const std::vector<std::string>& arguments) {
    std::string text = "cvstat";
    for (const std::string& argument : arguments) {
        text += " [" + argument + "]";
    }
    return text;
}

// The system's text for a code, as cvstat prints it on Windows NT; empty
// when the system has none.
std::string SystemText(win32::DWORD code) {
    char* text = nullptr;
    if (win32::FormatMessageA(
            win32::FORMAT_MESSAGE_FROM_SYSTEM | win32::FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
            code, 0x0400, reinterpret_cast<char*>(&text), 0, nullptr) == 0) {
        return "";
    }
    std::string copy = text;
    win32::LocalFree(text);
    return copy;
}

class CvstatCommandLine : public testing::TestWithParam<const char*> {
protected:
    CvstatRun cvstat_;
};

TEST_P(CvstatCommandLine, UsageBannerAndForms) {
    struct Case {
        std::vector<std::string> arguments;
        std::string expected;
        int exit_status;
    };
    const std::string banner_and_usage = Banner() + Usage();
    for (const Case& c : std::vector<Case>{
             {{}, banner_and_usage, 0},
             {{"-?"}, Usage(), 0},
             {{"/?"}, Usage(), 0},
             {{"-?", "more"}, Usage(), 0},
             // The banner keywords ignore case and take either switch.
             {{"-v"}, Banner(), 0},
             {{"/v"}, Banner(), 0},
             {{"-V"}, Banner(), 0},
             {{"-version"}, Banner(), 0},
             {{"/VERSION"}, Banner(), 0},
             // The mount and statistics keywords compare exactly: any other
             // word after '-' does nothing at all.
             {{"-M"}, "", 1},
             {{"-S"}, "", 1},
             {{"-Mount"}, "", 1},
             {{"-x"}, "", 1},
             {{"-"}, "", 1},
             // They need '-': with '/' or without a switch the usage is shown.
             {{"/s"}, banner_and_usage, 0},
             {{"/m"}, banner_and_usage, 0},
             {{"s"}, banner_and_usage, 0},
             {{"F:"}, banner_and_usage, 0},
         }) {
        ProcessResult result = cvstat_.Run(c.arguments, GetParam());
        EXPECT_EQ(result.exit_status, c.exit_status) << Describe(c.arguments);
        EXPECT_EQ(result.out, c.expected) << Describe(c.arguments);
        EXPECT_EQ(result.err, "") << Describe(c.arguments);
    }
}

// The statistics option takes no names: the first one is refused with the
// system's text for a bad name syntax, and the usage follows; the
// redirector is never asked.
TEST_P(CvstatCommandLine, StatisticsWithArgumentsShowsTheFirstAndTheUsage) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"-s", "F:"}, {"-stats", "F:", "extra"}}) {
        ProcessResult result = cvstat_.Run(arguments, GetParam());
        EXPECT_EQ(result.exit_status, 1) << Describe(arguments);
        EXPECT_EQ(result.out, "\nF: - " + SystemText(1736) + Usage()) << Describe(arguments);
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvstatCommandLine, testing::ValuesIn(kPlatforms));

}  // namespace
