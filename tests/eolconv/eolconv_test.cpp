// eolconv run as a program: conversions byte for byte, its texts, its exit
// statuses, on both platform kinds.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ProcessOptions;
using cvn_test::ProcessResult;
using cvn_test::ReadFile;
using cvn_test::TempDir;
using cvn_test::WriteFile;

const std::string kExpectedDir = std::string(CVN_SOURCE_DIR) + "/tests/eolconv/expected/";

ProcessResult RunEolconv(const std::vector<std::string>& arguments, ProcessOptions options = {}) {
    return cvn_test::RunProcess(cvn_test::BinPath("eolconv"), arguments, options);
}

struct ConversionCase {
    const char* name;
    std::string input;
    std::string output;
};

const ConversionCase kConversions[] = {
    {"line ends", "ab\r\ncd\r\n", "ab\ncd\n"},
    {"lone carriage return", "x\ry", "x\ry"},
    {"carriage return twice", "x\r\r\ny\r\n", "x\r\ny\n"},
    {"carriage return at end", "x\r", "x\r"},
    {"ctrl-z ends the text", std::string("x\x1Ay\r\n", 5), "x"},
    {"ctrl-z after a carriage return", std::string("x\r\x1A", 3), "x\r"},
    {"empty", "", ""},
    {"no line end", "abc", "abc"},
    {"unix line ends", "a\nb\n", "a\nb\n"},
    {"only a line end", "\r\n", "\n"},
    {"nul bytes", std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},
};

class Conversion : public testing::TestWithParam<const char*> {
protected:
    ProcessOptions Options() const {
        ProcessOptions options;
        options.environment["CVN_PLATFORM"] = GetParam();
        return options;
    }
    TempDir dir_;
};

TEST_P(Conversion, FileToStandardOutput) {
    for (const ConversionCase& c : kConversions) {
        WriteFile(dir_ / "in.txt", c.input);
        ProcessResult result = RunEolconv({dir_ / "in.txt"}, Options());
        EXPECT_EQ(result.exit_status, 8) << c.name;
        EXPECT_EQ(result.out, c.output) << c.name;
        EXPECT_EQ(result.err, "") << c.name;
    }
}

TEST_P(Conversion, StandardInputToStandardOutput) {
    for (const ConversionCase& c : kConversions) {
        ProcessOptions options = Options();
        options.input = c.input;
        ProcessResult result = RunEolconv({}, options);
        EXPECT_EQ(result.exit_status, 8) << c.name;
        EXPECT_EQ(result.out, c.output) << c.name;  // the note stays off the data
        EXPECT_EQ(result.err,
                  "Converting standard input to standard output; end the input with Ctrl-D.\n")
            << c.name;
    }
}

TEST_P(Conversion, FileToFile) {
    for (const ConversionCase& c : kConversions) {
        WriteFile(dir_ / "in.txt", c.input);
        ProcessResult result = RunEolconv({dir_ / "in.txt", dir_ / "out.txt"}, Options());
        EXPECT_EQ(result.exit_status, 8) << c.name;
        EXPECT_EQ(result.out, "") << c.name;
        EXPECT_EQ(ReadFile(dir_ / "out.txt"), c.output) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(BothPlatforms, Conversion, testing::Values("nt", "95"));

// Megabytes of text with carriage returns falling on every buffer boundary
// the streams could use, converted without holding the file in memory.
TEST(EolconvStreaming, SeveralMegabytesConvertExactly) {
    TempDir dir;
    std::string input;
    std::string expected;
    for (size_t line = 0; input.size() < (6u << 20); ++line) {
        std::string text(line % 97 + (line % 5 == 0 ? 4000 : 0),
                         static_cast<char>('a' + line % 26));
        if (line % 7 == 3) {
            input += text + "\r";  // a lone carriage return mid-line
            expected += text + "\r";
        }
        input += text + "\r\n";
        expected += text + "\n";
    }
    // A carriage return exactly at each power-of-two boundary from 4 KiB up.
    for (size_t boundary = 4096; boundary < input.size(); boundary *= 2) {
        std::string head = input.substr(0, boundary - 1);
        std::string doubled = head + "\r\n" + input.substr(boundary - 1);
        ASSERT_EQ(doubled[boundary - 1], '\r');
        input = doubled;
        expected.clear();
        for (size_t i = 0; i < input.size(); ++i) {
            if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n')
                continue;
            expected += input[i];
        }
    }
    WriteFile(dir / "big.txt", input);
    ProcessResult result = RunEolconv({dir / "big.txt", dir / "big.out"});
    ASSERT_EQ(result.exit_status, 8);
    EXPECT_TRUE(ReadFile(dir / "big.out") == expected);
}

TEST(EolconvTexts, UsageBannerAndBadOptionMatchTheirGoldenTexts) {
    struct Case {
        std::vector<std::string> arguments;
        std::string golden;
        int exit_status;
    } cases[] = {
        {{"-?"}, "usage.enu.txt", 1},          {{"/?"}, "usage.enu.txt", 1},
        {{"a", "b", "c"}, "usage.enu.txt", 5}, {{"-v"}, "banner.enu.txt", 2},
        {{"/VERSION"}, "banner.enu.txt", 2},   {{"-x"}, "bad_option.enu.txt", 3},
    };
    for (const char* platform : {"nt", "95"}) {
        for (const Case& c : cases) {
            ProcessOptions options;
            options.environment["CVN_PLATFORM"] = platform;
            ProcessResult result = RunEolconv(c.arguments, options);
            EXPECT_EQ(result.exit_status, c.exit_status) << c.arguments[0] << " on " << platform;
            EXPECT_EQ(result.out, ReadFile(kExpectedDir + c.golden))
                << c.arguments[0] << " on " << platform;
        }
    }
}

TEST(EolconvTexts, GermanLocaleGetsTheGermanCatalog) {
    ProcessOptions options;
    options.environment["LANG"] = "de_AT.UTF-8";  // no Austrian catalog: the German one serves
    ProcessResult result = RunEolconv({"-?"}, options);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out, ReadFile(kExpectedDir + "usage.deu.txt"));
}

TEST(EolconvTexts, NameStartingWithSlashIsAFile) {
    TempDir dir;
    WriteFile(dir / "data.txt", "1\r\n");
    ProcessOptions options;
    options.working_directory = dir.path();
    ProcessResult result = RunEolconv({"/" + dir.path().substr(1) + "/data.txt"}, options);
    EXPECT_EQ(result.exit_status, 8);
    EXPECT_EQ(result.out, "1\n");
}

TEST(EolconvFailures, FilesThatCannotBeOpened) {
    TempDir dir;
    WriteFile(dir / "in.txt", "x\r\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string shown_name;
        int exit_status;
    } cases[] = {
        {{dir / "missing.txt"}, dir / "missing.txt", 4},
        {{dir / "missing.txt", dir / "out.txt"}, dir / "missing.txt", 6},
        {{dir / "in.txt", dir / "no-such-dir/out.txt"}, dir / "no-such-dir/out.txt", 7},
        {{dir / "in.txt", dir.path()}, dir.path(), 7},
    };
    for (const Case& c : cases) {
        ProcessResult result = RunEolconv(c.arguments);
        EXPECT_EQ(result.exit_status, c.exit_status) << c.shown_name;
        EXPECT_EQ(result.out, "\n  " + c.shown_name + " - The file cannot be opened.\r\n")
            << c.shown_name;
    }
    EXPECT_FALSE(cvn_test::FileExists(dir / "out.txt"));
}

TEST(EolconvFailures, SameFileAsInputAndOutputIsConvertedInPlace) {
    TempDir dir;
    WriteFile(dir / "f.txt", "one\r\ntwo\r\n");
    ::chmod((dir / "f.txt").c_str(), 0640);
    ProcessResult result = RunEolconv({dir / "f.txt", dir / "f.txt"});
    EXPECT_EQ(result.exit_status, 8);
    EXPECT_EQ(ReadFile(dir / "f.txt"), "one\ntwo\n");
    struct stat info;
    ASSERT_EQ(::stat((dir / "f.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
              1);  // no leftovers
}

TEST(EolconvFailures, ReadErrorLeavesTheOutputAlone) {
    TempDir dir;
    WriteFile(dir / "out.txt", "old contents");
    // The program's own memory file opens, and reading it at offset 0 fails.
    ProcessResult result = RunEolconv({"/proc/self/mem", dir / "out.txt"});
    EXPECT_EQ(result.exit_status, 10);
    EXPECT_EQ(result.err,
              "\n  /proc/self/mem - The request could not be performed because of an I/O device "
              "error.\r\n");
    EXPECT_EQ(ReadFile(dir / "out.txt"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(EolconvFailures, DirectoryIsNotAnInputFile) {
    TempDir dir;
    ProcessResult result = RunEolconv({dir.path(), dir / "out.txt"});
    EXPECT_EQ(result.exit_status, 6);
    EXPECT_EQ(result.out, "\n  " + dir.path() + " - The file cannot be opened.\r\n");
}

TEST(EolconvFailures, WriteErrorsAreReportedWithTheirOwnStatus) {
    TempDir dir;
    WriteFile(dir / "in.txt", std::string(1 << 20, 'x') + "\r\n");

    ProcessOptions full;
    full.stdout_path = "/dev/full";
    ProcessResult disk_full = RunEolconv({dir / "in.txt"}, full);
    EXPECT_EQ(disk_full.exit_status, 9);
    EXPECT_EQ(disk_full.err, "\n  There is not enough space on the disk.\r\n");

    ProcessOptions closed;
    closed.stdout_closed_pipe = true;
    ProcessResult broken = RunEolconv({dir / "in.txt"}, closed);
    EXPECT_EQ(broken.exit_status, 9);
    EXPECT_EQ(broken.signal, 0);
    EXPECT_EQ(broken.err, "\n  The pipe is being closed.\r\n");
}

TEST(EolconvStartup, UnservedPlatformEndsQuietly) {
    ProcessOptions options;
    options.environment["CVN_PLATFORM"] = "win32s";
    ProcessResult result = RunEolconv({"-?"}, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "");
}

// A copy of the program beside only some catalogs shows the search orders.
class CatalogSearch : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(cvn_test::BinPath("eolconv"), dir_ / "eolconv");
        ::chmod((dir_ / "eolconv").c_str(), 0755);
    }
    void AddCatalog(const std::string& lang) {
        std::filesystem::copy_file(cvn_test::BinPath("cvn3_" + lang + ".lrl"),
                                   dir_ / ("cvn3_" + lang + ".lrl"));
    }
    ProcessResult Run(const std::string& platform, const std::string& lang) {
        ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["LANG"] = lang;
        return cvn_test::RunProcess(dir_ / "eolconv", {"-?"}, options);
    }
    TempDir dir_;
};

TEST_F(CatalogSearch, WindowsNtFallsBackToEnglish) {
    AddCatalog("enu");
    ProcessResult result = Run("nt", "fr_FR.UTF-8");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out, ReadFile(kExpectedDir + "usage.enu.txt"));
}

TEST_F(CatalogSearch, Windows95HasNoEnglishFallback) {
    AddCatalog("enu");
    ProcessResult result = Run("95", "fr_FR.UTF-8");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "cvn3_FRA.lrl - The module named could not be found.\r\n");
}

TEST_F(CatalogSearch, NoCatalogAtAll) {
    ProcessResult result = Run("nt", "de_CH.UTF-8");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "cvn3_DES.lrl - The module named could not be found.\r\n");
}

}  // namespace
