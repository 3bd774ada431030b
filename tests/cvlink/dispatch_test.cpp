// cvlink's connect and disconnect forms with one to four arguments, the
// drive argument, the drive letters in use, the user option and the password
// prompt, against a running redirector.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cvlink/drive_letter.h"
#include "tests/cvlink/cvlink_test_support.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvlink_test::AllDrives;
using cvlink_test::BadDrive;
using cvlink_test::Connected;
using cvlink_test::CvlinkWithRedirector;
using cvlink_test::DisconnectAllQuestion;
using cvlink_test::DriveInUse;
using cvlink_test::kNotConnectedText;
using cvlink_test::kPlatforms;
using cvlink_test::kSucceeded;
using cvlink_test::kUnknownName;
using cvlink_test::Prompt;
using cvlink_test::Result;
using cvlink_test::Usage;
using cvn_test::ProcessResult;

// An export open to every user, whatever the password.
const std::string kRemote = R"(\\localhost\demo)";

std::string Describe(const std::vector<std::string>& arguments) {
    std::string text = "cvlink";
    for (const std::string& argument : arguments) {
        text += " [" + argument + "]";
    }
    return text;
}

struct FormCase {
    std::vector<std::string> arguments;
    std::string input;  // the keys typed at a password prompt
    std::string expected;
};

// Each case starts from an empty mount table: what a form connects shows
// in the result (the drive it names, or none).
class CvlinkForms : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_TRUE(cvlink_.started()) << cvlink_.start_error(); }

    void Check(const std::vector<FormCase>& cases) const {
        for (const FormCase& c : cases) {
            ProcessResult result = cvlink_.Run(c.arguments, GetParam(), c.input);
            EXPECT_EQ(result.exit_status, 0) << Describe(c.arguments);
            EXPECT_EQ(result.out, c.expected) << Describe(c.arguments);
            EXPECT_EQ(result.err, "") << Describe(c.arguments);
            cvlink_.RemoveAllMounts();
        }
    }

    CvlinkWithRedirector cvlink_;
};

TEST_P(CvlinkForms, OneAndTwoArguments) {
    Check({
        {{kRemote}, "", kSucceeded},
        // Disconnection: only '/' and the whole keyword, in any case. Nothing
        // is connected, so the provider finds nothing to cancel; for '*' the
        // end of the input answers no.
        {{"/delete", "X:"}, "", Result(kNotConnectedText)},
        {{"/DELETE", kRemote}, "", Result(kNotConnectedText)},
        {{"/delete", "*"}, "", DisconnectAllQuestion("") + kSucceeded},
        {{"-delete", "X:"}, "", BadDrive("-")},
        {{"/del", "X:"}, "", BadDrive("/")},
        // Remote name first: a user option or a password request.
        {{kRemote, "/user:bob"}, "", kSucceeded},
        {{kRemote, "-USER:bob"}, "", kSucceeded},
        {{kRemote, "/user:"}, "", kSucceeded},  // six characters: an empty user name
        {{kRemote, "/usr:bob"}, "", Usage()},
        {{kRemote, "/user"}, "", Usage()},
        {{kRemote, "*"}, "pw\r", Prompt(kRemote, "**") + kSucceeded},
        {{kRemote, "x:"}, "", Usage()},
        // Drive first: the letter in either case, '*' with or without colon
        // (C is a local drive here).
        {{"x:", kRemote}, "", Connected("X:", kRemote)},
        {{"X:", kRemote}, "", Connected("X:", kRemote)},
        {{"*", kRemote}, "", Connected("D:", kRemote)},
        {{"*:", kRemote}, "", Connected("D:", kRemote)},
        {{"1:", kRemote}, "", BadDrive("1")},
        {{":", kRemote}, "", BadDrive(":")},
        {{"x", kRemote}, "", BadDrive("x")},
        {{"xy", kRemote}, "", BadDrive("x")},
        {{"\xC3\xA9:", kRemote}, "", BadDrive("\xC3\xA9")},  // a letter, but not of A to Z
        // The remote name needs its two backslashes; the drive comes first.
        {{"x:", R"(h\p)"}, "", Usage()},
        {{"x:", R"(\h\p)"}, "", Usage()},
        {{"1:", R"(h\p)"}, "", BadDrive("1")},
    });
}

TEST_P(CvlinkForms, ThreeArguments) {
    Check({
        {{kRemote, "*", "/user:bob"}, "pw\r", Prompt(kRemote, "**") + kSucceeded},
        {{kRemote, "x", "/user:bob"}, "", Usage()},
        // The password is asked for before the user option is looked at.
        {{kRemote, "*", "bob"}, "", Prompt(kRemote, "") + Usage()},
        {{"x:", kRemote, "*"}, "pw\r", Prompt(kRemote, "**") + Connected("X:", kRemote)},
        {{"x:", kRemote, "-user:bob"}, "", Connected("X:", kRemote)},
        {{"x:", kRemote, "bob"}, "", Usage()},
        // In this form the remote name goes on as it is, and the provider
        // refuses it.
        {{"x:", R"(h\p)", "/user:bob"}, "", kUnknownName},
        {{"1:", kRemote, "*"}, "", Prompt(kRemote, "") + BadDrive("1")},
        {{"1:", kRemote, "/user:bob"}, "", BadDrive("1")},
    });
}

TEST_P(CvlinkForms, FourArguments) {
    Check({
        {{"x:", kRemote, "*", "/user:bob"},
         "pw\r",
         Prompt(kRemote, "**") + Connected("X:", kRemote)},
        {{"x:", kRemote, "pw", "/user:bob"}, "", Usage()},
        {{"x:", kRemote, "*", "bob"}, "", Prompt(kRemote, "") + Usage()},
        {{"x:", R"(h\p)", "*", "/user:bob"}, "", Prompt(R"(h\p)", "") + Usage()},
        {{"1:", kRemote, "*", "/user:bob"}, "", Prompt(kRemote, "") + BadDrive("1")},
        // With four arguments the first is always the drive.
        {{kRemote, "*", "/user:bob", "x"}, "", Usage()},
    });
}

// Each key shows as '*'; Backspace takes one back with backspace, NUL,
// backspace; Enter, a line feed or the end of the input ends the entry.
TEST_P(CvlinkForms, PasswordPrompt) {
    struct KeysCase {
        std::string keys;
        std::string echo;
    };
    const KeysCase cases[] = {
        {"secret\r", "******"},
        {"a b\tc\r", "*****"},
        {"ab\bc\r", std::string("**\b\0\b*", 6)},
        {"\b\ba\r", "*"},
        {"a\b\r", std::string("*\b\0\b", 4)},
        {"ab\ncd\r", "**"},
        {"ab\r\ncd\r", "**"},
        {"ab", "**"},
        {"\r", ""},
        {"", ""},
        {std::string(300, 'k'), std::string(259, '*')},  // at most 259 keys
    };
    for (const KeysCase& c : cases) {
        ProcessResult result = cvlink_.Run({kRemote, "*"}, GetParam(), c.keys);
        EXPECT_EQ(result.out, Prompt(kRemote, c.echo) + kSucceeded)
            << testing::PrintToString(c.keys);
        cvlink_.RemoveAllMounts();
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkForms, testing::ValuesIn(kPlatforms));

// Letters of local drives (the drive table) and of the redirector's drives
// are in use alike; the letter chosen is the one connected.
TEST(CvlinkDriveLetters, LettersInUse) {
    CvlinkWithRedirector cvlink;
    ASSERT_TRUE(cvlink.started()) << cvlink.start_error();
    struct DriveCase {
        std::string drive;
        std::string drives;  // the local drive table
        std::string expected;
    };
    const DriveCase cases[] = {
        {"F:", "C=/", DriveInUse('F')},
        {"f:", "C=/", DriveInUse('F')},
        {"D:", "C=/;D=/", DriveInUse('D')},
        {"G:", "C=/;D=/", Connected("G:", kRemote)},
        {"a:", "C=/", Connected("A:", kRemote)},
        // '*' takes C to Z only: A and B, free here, are never chosen.
        {"*", AllDrives('C', 'Z', 'F'), DriveInUse('*')},
        {"*:", AllDrives('C', 'Z'), DriveInUse('*')},
        {"*", AllDrives('C', 'Y', 'F'), Connected("Z:", kRemote)},
    };
    for (const DriveCase& c : cases) {
        cvlink.Mount("F:", kRemote);
        ProcessResult result = cvlink.Run({c.drive, kRemote}, "nt", "", c.drives);
        EXPECT_EQ(result.out, c.expected) << c.drive << " with " << c.drives;
        cvlink.RemoveAllMounts();
    }
}

// The choice itself, over the whole range of letters.
TEST(CvlinkDriveLetters, FirstFreeLetterFromC) {
    cvn_test::TempDir no_redirector;
    cvn_test::ScopedEnv env("CVN_RUNTIME_DIR", no_redirector.path());
    struct ChoiceCase {
        std::string drives;
        char16_t letter;
        char16_t chosen;
    };
    const ChoiceCase cases[] = {
        {"", u'*', u'C'},
        {"A=/;B=/", u'*', u'C'},
        {"C=/", u'*', u'D'},
        {"C=/;D=/;F=/", u'*', u'E'},
        {AllDrives('C', 'Y'), u'*', u'Z'},
        {AllDrives('C', 'Z'), u'*', u'0'},
        {"", u'X', u'X'},
        {"X=/", u'X', u'0'},
        {"C=/", u'A', u'A'},
    };
    for (const ChoiceCase& c : cases) {
        env.Set("CVN_DRIVES", c.drives);
        EXPECT_EQ(cvlink::ChooseDriveLetter(c.letter), c.chosen)
            << static_cast<char>(c.letter) << " with " << c.drives;
    }
}

}  // namespace
