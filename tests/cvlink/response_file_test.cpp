// cvlink @file: the lines of a response file, each echoed and run as a
// command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cvlink/cvlink_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using cvlink_test::BadDrive;
using cvlink_test::Banner;
using cvlink_test::Connected;
using cvlink_test::CvlinkRun;
using cvlink_test::CvlinkWithRedirector;
using cvlink_test::Echo;
using cvlink_test::kInvalidPasswordText;
using cvlink_test::kNoRedirector;
using cvlink_test::kPlatforms;
using cvlink_test::kSucceeded;
using cvlink_test::kUnknownName;
using cvlink_test::Prompt;
using cvlink_test::Result;
using cvlink_test::Usage;
using cvn_test::ProcessOptions;
using cvn_test::ProcessResult;
using cvn_test::WriteFile;

const std::string kRemote = R"(\\h\p)";

std::string CannotOpen(const std::string& name) {
    return "\n  " + name + " - the response file cannot be opened.\n";
}
std::string TooLong(int line) {
    return "\n  Line " + std::to_string(line) +
           " of the response file is longer than 259 characters and is skipped.\n";
}

class CvlinkResponseFile : public testing::TestWithParam<const char*>, protected CvlinkRun {
protected:
    ProcessResult RunLines(const std::string& lines, const std::string& input = "") {
        WriteFile(dir_ / "lines.txt", lines);
        ProcessOptions options = Options(GetParam());
        options.input = input;
        return RunCvlink({"@" + dir_ / "lines.txt"}, options);
    }

    cvn_test::TempDir dir_;
};

// Only executed lines are numbered; comments, one-word lines (a lone program
// name among them) and empty lines pass without a trace. A drive is chosen
// on a line, so a redirector runs; it knows no host h.
TEST_P(CvlinkResponseFile, NumbersOnlyExecutedLines) {
    CvlinkWithRedirector cvlink;
    ASSERT_TRUE(cvlink.started()) << cvlink.start_error();
    const std::vector<std::string> lines = {
        "# a comment of several words",
        "single",
        "cvlink",
        "",
        "   \t ",
        "net 1: \\\\h\\p",
        "#cvlink x: \\\\h\\p",
        "cvlink \\\\h\\p",
        "  # 2: \\\\h\\p",  // '#' only makes a comment as the first character
        "cvlink x: \\\\h\\p",
    };
    const std::string expected = Echo(1, {"net", "1:", kRemote}) + BadDrive("1") +
                                 Echo(2, {"cvlink", kRemote}) + kUnknownName +
                                 Echo(3, {"#", "2:", kRemote}) + BadDrive("2") +
                                 Echo(4, {"cvlink", "x:", kRemote}) + kUnknownName;
    for (const std::string line_end : {"\n", "\r\n"}) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + line_end;
        }
        for (const bool last_line_ended : {true, false}) {
            const std::string file =
                last_line_ended ? text : text.substr(0, text.size() - line_end.size());
            WriteFile(dir_ / "lines.txt", file);
            ProcessResult result = cvlink.Run({"@" + dir_ / "lines.txt"}, GetParam());
            EXPECT_EQ(result.exit_status, 0);
            EXPECT_EQ(result.out, expected) << testing::PrintToString(file);
            EXPECT_EQ(result.err, "");
        }
    }
}

TEST_P(CvlinkResponseFile, EmptyFilePrintsNothing) {
    ProcessResult result = RunLines("");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "");
}

// Each case is the line "cvlink <argument> *": the password prompt shows the
// remote name exactly as the line was split. No redirector runs, so the
// provider answers each connection with error 50.
TEST_P(CvlinkResponseFile, WordsAreSplitLikeACommandLine) {
    struct SplitCase {
        const char* name;
        std::string line;
        std::vector<std::string> words;
    };
    const SplitCase cases[] = {
        {"plain words", R"(cvlink \\h\p *)", {"cvlink", R"(\\h\p)", "*"}},
        {"blanks and tabs around words",
         " \t cvlink\t \\\\h\\p \t*  \t",
         {"cvlink", R"(\\h\p)", "*"}},
        {"quotes keep blanks", R"(cvlink "\\h\a b" *)", {"cvlink", R"(\\h\a b)", "*"}},
        {"quotes inside a word", R"(cvlink \\h\a" b "c *)", {"cvlink", R"(\\h\a b c)", "*"}},
        {"two quotes inside quotes", R"(cvlink "\\h\a""b c" *)", {"cvlink", R"(\\h\a"b c)", "*"}},
        {"two quotes outside quotes", R"(cvlink \\h\a""b *)", {"cvlink", R"(\\h\ab)", "*"}},
        {"two backslashes before a quote", R"(cvlink "\\h\p\\" *)", {"cvlink", R"(\\h\p\)", "*"}},
        {"four backslashes before a quote",
         R"(cvlink \\h\p\\\\"a b" *)",
         {"cvlink", R"(\\h\p\\a b)", "*"}},
        {"one backslash before a quote", R"(cvlink \\h\p\"q *)", {"cvlink", R"(\\h\p"q)", "*"}},
        {"three backslashes before a quote",
         R"(cvlink \\h\p\\\"q *)",
         {"cvlink", R"(\\h\p\"q)", "*"}},
        {"backslashes not before a quote",
         R"(cvlink \\h\\\p\\ *)",
         {"cvlink", R"(\\h\\\p\\)", "*"}},
        {"quoted first word", R"("my cvlink" \\h\p *)", {"my cvlink", R"(\\h\p)", "*"}},
        {"first word as it stands", R"(c\"d \\h\p *)", {R"(c\"d)", R"(\\h\p)", "*"}},
        // The file is text of the ANSI code page: 0x80 is the euro sign.
        {"ANSI code page", "cvlink \\\\h\\caf\x80 *", {"cvlink", "\\\\h\\caf\xE2\x82\xAC", "*"}},
    };
    for (const SplitCase& c : cases) {
        ProcessResult result = RunLines(c.line + "\n");
        EXPECT_EQ(result.out, Echo(1, c.words) + Prompt(c.words[1], "") + kNoRedirector) << c.name;
    }
}

// How a line is split decides the form it takes.
TEST_P(CvlinkResponseFile, WordsDecideTheForm) {
    WriteFile(dir_ / "other", "cvlink 1: \\\\h\\p\n");
    struct FormCase {
        const char* name;
        std::string line;
        std::string expected;
    };
    const FormCase cases[] = {
        {"a quoted asterisk belongs to the remote name", R"(cvlink "\\h\p *")",
         Echo(1, {"cvlink", R"(\\h\p *)"}) + kNoRedirector},
        {"empty quotes are a word", R"(cvlink \\h\p "")",
         Echo(1, {"cvlink", kRemote, ""}) + Usage()},
        // Response files are not nested: a line's '@' word is one argument.
        {"a response file named on a line", "cvlink @" + dir_ / "other",
         Echo(1, {"cvlink", "@" + dir_ / "other"}) + Banner() + "\n" + Usage()},
    };
    for (const FormCase& c : cases) {
        ProcessResult result = RunLines(c.line + "\n");
        EXPECT_EQ(result.out, c.expected) << c.name;
    }
}

// A line longer than 259 characters is reported by its place in the file
// and skipped whole; a line of 259 characters runs; a comment is a comment
// however long it is.
TEST_P(CvlinkResponseFile, OverlongLinesAreSkipped) {
    const std::string head = "cvlink 1: \\\\h\\";
    const std::string longest = head + std::string(259 - head.size(), 'p');
    const std::string too_long = head + std::string(260 - head.size(), 'p');
    const std::string lines = "# comment\n#" + std::string(400, 'c') + "\n" + too_long + "\n" +
                              longest + "\r\n" + "cvlink 2: \\\\h\\p\n" + too_long +
                              std::string(40, 'p');
    ProcessResult result = RunLines(lines);
    EXPECT_EQ(result.out, TooLong(3) + Echo(1, {"cvlink", "1:", longest.substr(10)}) +
                              BadDrive("1") + Echo(2, {"cvlink", "2:", kRemote}) + BadDrive("2") +
                              TooLong(6));
}

TEST_P(CvlinkResponseFile, FileThatCannotBeOpened) {
    ProcessOptions options = Options(GetParam());
    options.working_directory = dir_.path();
    std::filesystem::create_directory(dir_ / "folder");
    for (const std::string& name :
         std::vector<std::string>{"missing", "folder", dir_ / "missing"}) {
        ProcessResult result = RunCvlink({"@" + name}, options);
        EXPECT_EQ(result.exit_status, 0) << name;
        EXPECT_EQ(result.out, CannotOpen(name)) << name;
        EXPECT_EQ(result.err, "") << name;
    }
}

// The password typed on one line stays for the lines after it: only a line
// that asks for one prompts again, and the password asked for after a
// wrong one replaces it too.
TEST_P(CvlinkResponseFile, PasswordIsAskedOnlyWhereALineAsks) {
    const std::string secure = R"(\\alpha\secure)";
    const std::string demo = R"(\\localhost\demo)";
    CvlinkWithRedirector cvlink({{secure, "secure", "alice", "secret"}, {demo, "demo", "", ""}});
    ASSERT_TRUE(cvlink.started()) << cvlink.start_error();
    WriteFile(dir_ / "lines.txt",
              "cvlink \\\\alpha\\secure * /user:alice\n"
              "cvlink x: \\\\alpha\\secure /user:alice\n"
              "cvlink \\\\localhost\\demo *\n"
              "cvlink y: \\\\alpha\\secure /user:alice\n"
              "cvlink z: \\\\alpha\\secure /user:alice\n");
    ProcessResult result =
        cvlink.Run({"@" + dir_ / "lines.txt"}, GetParam(), "secret\rpw\rsecret\r");
    EXPECT_EQ(result.out,
              Echo(1, {"cvlink", secure, "*", "/user:alice"}) + Prompt(secure, "******") +
                  kSucceeded + Echo(2, {"cvlink", "x:", secure, "/user:alice"}) +
                  Connected("X:", secure) + Echo(3, {"cvlink", demo, "*"}) + Prompt(demo, "**") +
                  kSucceeded + Echo(4, {"cvlink", "y:", secure, "/user:alice"}) +
                  Result(kInvalidPasswordText) + Prompt(secure, "******") +
                  Connected("Y:", secure) + Echo(5, {"cvlink", "z:", secure, "/user:alice"}) +
                  Connected("Z:", secure));
}

// A password entry ends after 259 keys; what was typed beyond them is read
// by the next prompt.
TEST_P(CvlinkResponseFile, KeysBeyondTheLongestPasswordGoToTheNextPrompt) {
    ProcessResult result =
        RunLines("cvlink \\\\h\\p *\ncvlink \\\\h\\q *\n", std::string(261, 'k') + "\r");
    EXPECT_EQ(result.out, Echo(1, {"cvlink", kRemote, "*"}) +
                              Prompt(kRemote, std::string(259, '*')) + kNoRedirector +
                              Echo(2, {"cvlink", R"(\\h\q)", "*"}) + Prompt(R"(\\h\q)", "**") +
                              kNoRedirector);
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkResponseFile, testing::ValuesIn(kPlatforms));

// Windows NT opens the file by its UTF-16 name, Windows 95 by its name in
// the ANSI code page, which cannot name every file.
TEST(CvlinkResponseFileName, NameInTheAnsiCodePageOnWindows95) {
    CvlinkRun run;
    cvn_test::TempDir dir;
    const std::string latin = "caf\xC3\xA9.txt";  // in the code page
    const std::string cyrillic = "\xD0\xB6.txt";  // outside it
    WriteFile(dir / latin, "cvlink 1: \\\\h\\p\n");
    WriteFile(dir / cyrillic, "cvlink 1: \\\\h\\p\n");
    const std::string ran = Echo(1, {"cvlink", "1:", kRemote}) + BadDrive("1");
    struct NameCase {
        const char* platform;
        std::string name;
        std::string expected;
    };
    const NameCase cases[] = {
        {"nt", latin, ran},
        {"nt", cyrillic, ran},
        {"95", latin, ran},
        {"95", cyrillic, CannotOpen(cyrillic)},
    };
    for (const NameCase& c : cases) {
        ProcessOptions options = run.Options(c.platform);
        options.working_directory = dir.path();
        ProcessResult result = run.RunCvlink({"@" + c.name}, options);
        EXPECT_EQ(result.out, c.expected) << c.platform << " " << c.name;
    }
}

}  // namespace
