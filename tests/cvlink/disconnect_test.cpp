// cvlink /delete through the network provider, end to end: one drive, one
// connection without a drive, and all of them after the yes/no question.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cvlink/cvlink_test_support.h"

namespace {

using cvlink_test::CvlinkRun;
using cvlink_test::CvlinkWithRedirector;
using cvlink_test::DisconnectAllQuestion;
using cvlink_test::Expected;
using cvlink_test::kFileNotFoundText;
using cvlink_test::kNoRedirector;
using cvlink_test::kNotConnectedText;
using cvlink_test::kPlatforms;
using cvlink_test::kSucceeded;
using cvlink_test::MountLine;
using cvlink_test::Result;
using cvlink_test::WrongAnswer;
using cvn_test::ProcessResult;

const std::string kDemo = R"(\\localhost\demo)";

class CvlinkDisconnect : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_TRUE(cvlink_.started()) << cvlink_.start_error(); }

    ProcessResult Run(const std::vector<std::string>& arguments,
                      const std::string& input = "") const {
        return cvlink_.Run(arguments, GetParam(), input);
    }

    CvlinkWithRedirector cvlink_;
};

// A drive by its letter (either case); a remote name cancels the connection
// without a drive of that name, never a drive connected to it.
TEST_P(CvlinkDisconnect, OneDriveOrOneDevicelessConnection) {
    cvlink_.Mount("F:", kDemo);
    cvlink_.Mount("", kDemo);
    cvlink_.Mount("G:", kDemo);
    struct DeleteCase {
        std::string name;
        std::string expected;
        std::string left;  // the mounts afterwards
    };
    const DeleteCase cases[] = {
        {"F:", kSucceeded, "- " + kDemo + "\nG: " + kDemo + "\n"},
        {"F:", Result(kNotConnectedText), "- " + kDemo + "\nG: " + kDemo + "\n"},
        {kDemo, kSucceeded, "G: " + kDemo + "\n"},
        {kDemo, Result(kNotConnectedText), "G: " + kDemo + "\n"},
        {"g:", kSucceeded, ""},
    };
    for (const DeleteCase& c : cases) {
        ProcessResult result = Run({"/delete", c.name});
        EXPECT_EQ(result.exit_status, 0) << c.name;
        EXPECT_EQ(result.out, c.expected) << c.name;
        EXPECT_EQ(result.err, "") << c.name;
        EXPECT_EQ(cvlink_.Mounts(), c.left) << c.name;
    }
}

// The answer is the whole line, folded to lower case; Enter and the end of
// the input answer no. A wrong answer is shown as typed and the question
// asked again.
TEST_P(CvlinkDisconnect, AllAfterTheAnswer) {
    struct AnswerCase {
        const char* name;
        std::string input;
        std::string answers;  // what the answers printed
        bool yes;
    };
    const AnswerCase cases[] = {
        {"yes", "y\n", "", true},
        {"yes in upper case, CR LF", "Y\r\n", "", true},
        {"yes at the end of the input", "y", "", true},
        {"no", "n\n", "", false},
        {"Enter", "\n", "", false},
        {"end of the input", "", "", false},
        {"a wrong answer, then yes", "maybe\ny\n", WrongAnswer("maybe"), true},
        {"a word is not an answer", "yes\n", WrongAnswer("yes"), false},
        {"a long answer is one wrong answer", "NNNNNNNNNY\ny\n", WrongAnswer("nnnnnnnnny"), true},
        {"nothing of a long answer is the next", "nnnnnnnnny\n", WrongAnswer("nnnnnnnnny"), false},
        {"shown as typed", "\xC3\xA9\nn\n", WrongAnswer("\xC3\xA9"), false},
    };
    const std::string mounts = "F: " + kDemo + "\n- " + kDemo + "\n";
    for (const AnswerCase& c : cases) {
        cvlink_.Mount("F:", kDemo);
        cvlink_.Mount("", kDemo);
        ProcessResult result = Run({"/delete", "*"}, c.input);
        EXPECT_EQ(result.exit_status, 0) << c.name;
        EXPECT_EQ(result.out, Expected("disconnect_all_question.enu.txt") + c.answers + kSucceeded)
            << c.name;
        EXPECT_EQ(result.err, "") << c.name;
        EXPECT_EQ(cvlink_.Mounts(), c.yes ? "" : mounts) << c.name;
        cvlink_.RemoveAllMounts();
    }
}

// No mounts: the heading without lines, then the question all the same.
TEST_P(CvlinkDisconnect, AllWithoutMounts) {
    ProcessResult result = Run({"/delete", "*"}, "y\n");
    EXPECT_EQ(result.out, DisconnectAllQuestion("") + kSucceeded);
}

// Every name is taken before any is cancelled, and a failure in the middle
// stops nothing: it is shown with its name, and the whole is a failure even
// though the last one succeeded. Windows 95 cancels by a name in the ANSI
// code page, which cannot name a directory in Cyrillic.
TEST_P(CvlinkDisconnect, AllGoOnPastAFailure) {
    const std::string cyrillic = kDemo + "\\\xD0\xB6";
    std::filesystem::create_directories(cvlink_.data_dir("demo") + "/\xD0\xB6");
    cvlink_.Mount("F:", kDemo);
    cvlink_.Mount("", cyrillic);
    cvlink_.Mount("G:", kDemo);
    cvlink_.Mount("", kDemo);
    const bool narrow = std::string(GetParam()) == "95";
    ProcessResult result = Run({"/delete", "*"}, "y\n");
    EXPECT_EQ(result.out, DisconnectAllQuestion(MountLine("F:", kDemo) + MountLine("", cyrillic) +
                                                MountLine("G:", kDemo) + MountLine("", kDemo)) +
                              (narrow ? "\n  " + cyrillic + ":  " + kNotConnectedText +
                                            Result(kNotConnectedText)
                                      : kSucceeded));
    EXPECT_EQ(cvlink_.Mounts(), narrow ? "- " + cyrillic + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkDisconnect, testing::ValuesIn(kPlatforms));

// Without a redirector: disconnecting all cannot open the control device
// (text 208, then the error of opening it); one name is the provider's
// error 50.
TEST(CvlinkDisconnectWithoutRedirector, NothingToReach) {
    CvlinkRun run;
    const std::string not_running =
        "\nThe NFS redirector is not running: its control device cannot be opened.\n";
    for (const char* platform : kPlatforms) {
        ProcessResult all = run.RunCvlink({"/delete", "*"}, run.Options(platform));
        EXPECT_EQ(all.out, not_running + Result(kFileNotFoundText)) << platform;
        ProcessResult one = run.RunCvlink({"/delete", "X:"}, run.Options(platform));
        EXPECT_EQ(one.out, kNoRedirector) << platform;
    }
}

}  // namespace
