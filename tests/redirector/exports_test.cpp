// The exports file of the local backend and how remote names find an export.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "redirector/core/exports.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using cvnrd::ExportTable;

ExportTable ParseOk(const std::string& text) {
    std::string error;
    std::optional<ExportTable> table = ExportTable::Parse(text, &error);
    EXPECT_TRUE(table.has_value()) << error;
    return table.value_or(ExportTable{});
}

TEST(ExportsFile, FieldsCommentsAndQuotes) {
    ExportTable table = ParseOk(
        "# exports of the test host\n"
        "\n"
        "   \t\n"
        "  # an indented comment with a \"lone quote\n"
        "\\\\alpha\\pub\t/srv/pub\r\n"
        "//beta/deep/er   \"/srv/with blanks\"   alice  \"pass word\"\n"
        "\\\\gamma\\x /x \"\" \"\"\n");
    ASSERT_EQ(table.exports().size(), 3u);
    const cvnrd::Export& pub = table.exports()[0];
    EXPECT_EQ(pub.host, u"alpha");
    EXPECT_EQ(pub.path, u"pub");
    EXPECT_EQ(pub.directory, "/srv/pub");
    EXPECT_TRUE(pub.user.empty());
    const cvnrd::Export& deep = table.exports()[1];
    EXPECT_EQ(deep.host, u"beta");
    EXPECT_EQ(deep.path, u"deep\\er");
    EXPECT_EQ(deep.directory, "/srv/with blanks");
    EXPECT_EQ(deep.user, u"alice");
    EXPECT_EQ(deep.password, u"pass word");
    EXPECT_EQ(table.exports()[2].directory, "/x");
}

TEST(ExportsFile, EmptyTextHasNoExports) {
    EXPECT_TRUE(ParseOk("").exports().empty());
    EXPECT_TRUE(ParseOk("# nothing\n\n").exports().empty());
}

struct BadLine {
    const char* name;
    std::string text;
    const char* line;  // what the message must start with
    friend void PrintTo(const BadLine& c, std::ostream* os) { *os << c.name; }
};

class BadExportsLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadExportsLine, RefusedWithItsLineNumber) {
    std::string error;
    EXPECT_FALSE(ExportTable::Parse(GetParam().text, &error).has_value());
    EXPECT_EQ(error.rfind(GetParam().line, 0), 0u) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadExportsLine,
    ::testing::Values(BadLine{"OneField", "\\\\a\\b\n", "line 1: "},
                      BadLine{"ThreeFields", "# ok\n\\\\a\\b /x alice\n", "line 2: "},
                      BadLine{"FiveFields", "\\\\a\\b /x\n\n\\\\a\\c /x u p extra\n", "line 3: "},
                      BadLine{"UnclosedQuote", "\\\\a\\b /x\n\\\\a\\c \"/x y\n", "line 2: "},
                      BadLine{"NoLeadingBackslashes", "a\\b /x\n", "line 1: "},
                      BadLine{"OneLeadingBackslash", "\\a\\b /x\n", "line 1: "},
                      BadLine{"HostOnly", "\\\\a /x\n", "line 1: "},
                      BadLine{"HostAndSeparatorOnly", "\\\\a\\\\ /x\n", "line 1: "},
                      BadLine{"NoHost", "\\\\\\b /x\n", "line 1: "},
                      BadLine{"RelativeDirectory", "\\\\a\\b srv/x\n", "line 1: "},
                      BadLine{"EmptyDirectory", "\\\\a\\b \"\"\n", "line 1: "},
                      BadLine{"CarriageReturnsCounted", "# one\r\n# two\r\n\\\\a\\b\r\n",
                              "line 3: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExportsFile, LoadNamesTheFile) {
    cvn_test::TempDir dir;
    std::string error;
    EXPECT_FALSE(ExportTable::Load(dir / "missing", &error).has_value());
    EXPECT_NE(error.find(dir / "missing"), std::string::npos) << error;

    cvn_test::WriteFile(dir / "exports", "\\\\a\\b /x\nbad\n");
    EXPECT_FALSE(ExportTable::Load(dir / "exports", &error).has_value());
    EXPECT_EQ(error.rfind(dir / "exports: line 2: ", 0), 0u) << error;
}

TEST(ExportsFind, HostWithoutCaseLongestExportFirst) {
    ExportTable table = ParseOk(
        "\\\\alpha\\pub /p\n"
        "\\\\alpha\\pub\\deep /d\n"
        "\\\\beta\\pub /b\n");
    struct Case {
        std::u16string host;
        std::u16string path;
        const char* directory;  // nullptr: no export
        std::u16string rest;
    };
    for (const Case& c : {
             Case{u"alpha", u"pub", "/p", u""},
             Case{u"ALPHA", u"/pub/", "/p", u""},
             Case{u"alpha", u"pub\\x\\y", "/p", u"x\\y"},
             Case{u"alpha", u"pub\\deep", "/d", u""},
             Case{u"alpha", u"pub\\deep\\z", "/d", u"z"},
             Case{u"alpha", u"pub\\deeper", "/p", u"deeper"},
             Case{u"Beta", u"pub", "/b", u""},
             Case{u"alpha", u"pubx", nullptr, u""},
             Case{u"alpha", u"Pub", nullptr, u""},
             Case{u"alpha", u"", nullptr, u""},
             Case{u"gamma", u"pub", nullptr, u""},
         }) {
        std::u16string rest = u"unchanged";
        const cvnrd::Export* found = table.Find(c.host, c.path, &rest);
        if (c.directory == nullptr) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->directory, c.directory);
        EXPECT_EQ(rest, c.rest);
    }
    EXPECT_TRUE(table.HasHost(u"BETA"));
    EXPECT_FALSE(table.HasHost(u"gamma"));
}

TEST(ExportsFind, RemotePathNormalized) {
    EXPECT_EQ(cvnrd::NormalizeRemotePath(u"/export/sub/"), u"export\\sub");
    EXPECT_EQ(cvnrd::NormalizeRemotePath(u"\\\\export\\\\sub\\\\"), u"export\\sub");
    EXPECT_EQ(cvnrd::NormalizeRemotePath(u"\\/"), u"");
    EXPECT_EQ(cvnrd::NormalizeRemotePath(u"a/..\\b"), u"a\\..\\b");  // judged by whoever joins
}

}  // namespace
