// cvperm end to end: the real program against a running cvnrd whose export
// is mounted as F:, on both platform kinds. Names, wildcards and whole
// directories; mode-text errors; names that cannot be searched or paths
// that do not fit; the listing line and the question before each file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cvperm/cvperm_test_support.h"

namespace {

using cvn_test::ProcessResult;
using cvperm_test::Asked;
using cvperm_test::kDecember1999;
using cvperm_test::kDecember1999Text;
using cvperm_test::kJanuary1997Text;
using cvperm_test::kNameDone;
using cvperm_test::kQuestion;
using cvperm_test::ListingLine;
using cvperm_test::ModeOf;

class CvpermNames : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_EQ(export_.Problem(), ""); }

    ProcessResult Run(const std::vector<std::string>& arguments, const std::string& input = "",
                      bool close_input = false) const {
        return export_.Run(arguments, GetParam(), input, close_input);
    }
    mode_t Mode(const std::string& name) const { return ModeOf(export_.Host(name)); }
    std::string Line(const std::string& short_name, const std::string& permissions, unsigned size,
                     const std::string& date_time, const std::string& name) const {
        return ListingLine(GetParam(), short_name, permissions, size, date_time, name);
    }

    cvperm_test::MountedExport export_;
};

// Octal and symbolic modes on a named file and on wildcard matches; every
// name ends with two line ends and nothing else is said.
TEST_P(CvpermNames, SetsTheModeOfEveryMatch) {
    export_.Make("a", 0600);
    export_.Make("b.txt", 0666);
    export_.Make("c.txt", 0640);
    export_.Make("d.dat", 0640);

    ProcessResult result = Run({"755", "F:\\a"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n" + kNameDone);
    EXPECT_EQ(Mode("a"), 0755u);

    result = Run({"u+x,go-w", "F:\\*.txt", "F:\\D.DAT"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n" + kNameDone + kNameDone);
    EXPECT_EQ(Mode("b.txt"), 0744u);
    EXPECT_EQ(Mode("c.txt"), 0740u);
    EXPECT_EQ(Mode("d.dat"), 0740u);
    EXPECT_EQ(Mode("a"), 0755u);
}

// "dir\" is the directory and everything in it, never its parent; neither
// is "dir\*", whose ".." match is the parent too.
TEST_P(CvpermNames, WholeDirectoryButNotItsParent) {
    export_.Make("top/", 0755);
    export_.Make("top/dir/", 0755);
    export_.Make("top/dir/f", 0644);
    export_.Make("top/dir/sub/", 0755);
    export_.Make("top/dir/sub/deeper", 0644);

    ProcessResult result = Run({"go-rx", "F:\\top\\dir\\"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n" + kNameDone);
    EXPECT_EQ(Mode("top/dir"), 0700u);
    EXPECT_EQ(Mode("top/dir/f"), 0600u);
    EXPECT_EQ(Mode("top/dir/sub"), 0700u);
    EXPECT_EQ(Mode("top/dir/sub/deeper"), 0644u);  // no recursion
    EXPECT_EQ(Mode("top"), 0755u);

    result = Run({"777", "F:\\top\\dir\\*"});
    EXPECT_EQ(result.out, "\n" + kNameDone);
    EXPECT_EQ(Mode("top/dir"), 0777u);
    EXPECT_EQ(Mode("top/dir/f"), 0777u);
    EXPECT_EQ(Mode("top"), 0755u);
}

// A bad mode text is reported for every file it meets, and none changes.
TEST_P(CvpermNames, ModeTextErrorsForEveryFile) {
    export_.Make("x", 0640);
    export_.Make("y", 0640);
    struct ErrorCase {
        std::string mode;
        std::string message;
    };
    const ErrorCase cases[] = {
        {"10000", cvperm_test::kTooLarge},
        {"+u", cvperm_test::kClassAfterOperator},
        {"r+w", cvperm_test::kLetterWithoutOperator},
        {"8", cvperm_test::kUnknownCharacter},
    };
    for (const ErrorCase& c : cases) {
        ProcessResult result = Run({c.mode, "F:\\?"});
        EXPECT_EQ(result.exit_status, 0) << c.mode;
        EXPECT_EQ(result.out, "\n" + c.message + c.message + kNameDone) << c.mode;
    }
    EXPECT_EQ(Mode("x"), 0640u);
    EXPECT_EQ(Mode("y"), 0640u);
}

// A name that matches nothing or cannot be searched is reported with its
// last component; the run goes on with the next name.
TEST_P(CvpermNames, NamesThatCannotBeSearched) {
    export_.Make("f", 0600);
    const std::string too_long = "F:\\" + std::string(300, 'n');
    ProcessResult result = Run({"644", "F:\\nothing*", "F:\\nodir\\x", too_long, "F:\\f"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out,
              "\n" + cvperm_test::NameFailed("nothing*", cvperm_test::kFileNotFoundText) +
                  cvperm_test::NameFailed("x", cvperm_test::kPathNotFoundText) +
                  cvperm_test::NameFailed(too_long, cvperm_test::kNameTooLongText) + kNameDone);
    EXPECT_EQ(Mode("f"), 0644u);
}

// A match whose path would not fit the platform's path buffers is reported
// and left alone, never cut to a path that may name another file.
TEST_P(CvpermNames, MatchWhosePathDoesNotFit) {
    // The path of a match holds its 8.3 name when it has one: "short" fits,
    // "LLLLLL~1" does not.
    const std::string directory(250, 'd');
    export_.Make(directory + "/", 0700);
    export_.Make(directory + "/short", 0600);
    export_.Make(directory + "/" + std::string(20, 'l'), 0600);
    const std::string windows_directory = "F:\\" + directory + "\\";

    ProcessResult result = Run({"go+r", windows_directory});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n\n" + windows_directory + "LLLLLL~1" + " - " +
                              cvperm_test::kNameTooLongText + kNameDone);
    EXPECT_EQ(Mode(directory), 0744u);
    EXPECT_EQ(Mode(directory + "/short"), 0644u);
    EXPECT_EQ(Mode(directory + "/" + std::string(20, 'l')), 0600u);
}

// The list option: the mode is set, then the line shows the new mode ("o="
// clears nothing).
TEST_P(CvpermNames, ListsEachFileAfterSettingIt) {
    export_.Make("list/", 0755);
    export_.Make("list/LongFileName.text", 0600, cvperm_test::kJanuary1997, "12345");
    export_.Make("list/plain.txt", 0777, kDecember1999, std::string(1234567, 'x'));

    ProcessResult result = Run({"-L", "u=rwx,g=rs,o=", "F:\\list\\*.t*"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out,
              "\n" + Line("LONGFI~1.TEX", "-rwxr-S---", 5, kJanuary1997Text, "LongFileName.text") +
                  Line("", "-rwxr-Srwx", 1234567, kDecember1999Text, "plain.txt") + kNameDone);
}

// Asking: a wrong answer asks again, yes sets, no leaves, all sets this and
// every further file without asking.
TEST_P(CvpermNames, AsksBeforeEachFile) {
    for (const char* name : {"ask/", "ask/a", "ask/b", "ask/c", "more"}) {
        export_.Make(name, 0755);
    }

    ProcessResult result = Run({"-r", "700", "F:\\ask\\*", "F:\\more"}, "x\nY\nn\na\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n" + Asked("F:\\ask") + kQuestion + Asked("F:\\ask\\a") +
                              Asked("F:\\ask\\b") + kNameDone + kNameDone);
    EXPECT_EQ(Mode("ask"), 0700u);
    EXPECT_EQ(Mode("ask/a"), 0755u);
    EXPECT_EQ(Mode("ask/b"), 0700u);
    EXPECT_EQ(Mode("ask/c"), 0700u);
    EXPECT_EQ(Mode("more"), 0700u);
}

// Quit, or nobody left to answer, ends the run at once with status 10.
TEST_P(CvpermNames, QuitAndEndOfInputStopTheRun) {
    export_.Make("a", 0700);
    export_.Make("b", 0700);
    for (const std::string input : {"q\n", "Q", "", "maybe\n"}) {
        ProcessResult result = Run({"-r", "600", "F:\\?"}, input);
        EXPECT_EQ(result.exit_status, 10) << input;
        std::string expected = "\n" + Asked("F:\\a");
        if (input == "maybe\n") {
            expected += kQuestion;
        }
        EXPECT_EQ(result.out, expected) << input;
    }
    ProcessResult closed = Run({"-r", "600", "F:\\a"}, "", true);
    EXPECT_EQ(closed.exit_status, 10);
    EXPECT_EQ(Mode("a"), 0700u);
    EXPECT_EQ(Mode("b"), 0700u);
}

// Both options: no lists without setting; all sets and lists the rest.
TEST_P(CvpermNames, AsksAndLists) {
    export_.Make("a", 0700);
    export_.Make("b", 0700);
    export_.Make("c", 0700);

    ProcessResult result = Run({"-lr", "a+r", "F:\\?"}, "n\na\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "\n" + Asked("F:\\a") + Line("", "-rwx------", 0, kJanuary1997Text, "a") +
                              Asked("F:\\b") + Line("", "-rwxr--r--", 0, kJanuary1997Text, "b") +
                              Line("", "-rwxr--r--", 0, kJanuary1997Text, "c") + kNameDone);
    EXPECT_EQ(Mode("a"), 0700u);
    EXPECT_EQ(Mode("c"), 0744u);
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvpermNames, testing::ValuesIn(cvperm_test::kPlatforms));

}  // namespace
