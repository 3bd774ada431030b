// Reading: section names, whole sections and single keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inikit/config_file.h"
#include "inikit/inikit.h"
#include "tests/inikit/inikit_test_support.h"

namespace {

using inikit_test::IniFixture;
using inikit_test::ListOf;
using Strings = std::vector<std::string>;

constexpr char kFixture[] =
    "; settings of the test\r\n"
    "[General]\r\n"
    "  Name  =  Demo Server  \r\n"
    "Path=C:\\demo=x\r\n"
    "\r\n"
    "; a comment inside\r\n"
    "  loose line without equals \r\n"
    " [Indented]=entry\r\n"
    "Quoted1='single\"\r\n"
    "Quoted2=\"\r\n"
    "Quoted3=  \"in \"side\" \r\n"
    "Quoted4=\" padded \"\r\n"
    "[Empty]\r\n"
    "[Second]\n"
    "Key=second\n"
    "\n"
    "[general]\r\n"
    "Name=other case\r\n"
    "[Second]\r\n"
    "Key=duplicate section\r\n";

TEST(InikitReading, SectionNamesInFileOrder) {
    IniFixture fixture;
    std::string file = fixture.Write(kFixture);
    char buffer[256];
    NCGetSectionNames(buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(ListOf(buffer, sizeof buffer),
              (Strings{"General", "Empty", "Second", "general", "Second"}));
}

TEST(InikitReading, SectionEntriesAreNormalised) {
    struct Case {
        const char* section;
        Strings expected;
    } cases[] = {
        {"General",
         {"Name=Demo Server", "Path=C:\\demo=x", "  loose line without equals ", "[Indented]=entry",
          "Quoted1='single\"", "Quoted2=\"", "Quoted3=\"in \"side\"", "Quoted4=\" padded \""}},
        {"general", {"Name=other case"}},  // header case matters
        {"Empty", {}},
        {"Second", {"Key=second"}},  // only the first section of that name
        {"Missing", {}},
    };
    IniFixture fixture;
    std::string file = fixture.Write(kFixture);
    for (const Case& c : cases) {
        char buffer[512];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        NCGetSection(c.section, buffer, sizeof buffer, file.c_str());
        EXPECT_EQ(ListOf(buffer, sizeof buffer), c.expected) << c.section;
        EXPECT_EQ(buffer[0] == '\0', c.expected.empty()) << c.section;
    }
}

TEST(InikitReading, SingleKeysAreCleaned) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"General", "Name", "Demo Server"},
        {"General", "name", "Demo Server"},  // keys compare without case
        {"General", "Path", "C:\\demo=x"},
        {"General", "Quoted1", "single"},  // mixed quotes both go
        {"General", "Quoted2", "\""},      // one quote alone stays
        {"General", "Quoted3", "in \"side"},
        {"General", "Quoted4", " padded "},  // the inside is not trimmed
        {"General", "Missing", ""},          // never the default
        {"Nowhere", "Name", ""},
        {"Second", "Key", "second"},
    };
    IniFixture fixture;
    std::string file = fixture.Write(kFixture);
    for (const Case& c : cases) {
        char buffer[64] = "previous";
        NCGetIniKeyString(c.section, c.key, "the default", buffer, sizeof buffer, file.c_str());
        EXPECT_STREQ(buffer, c.expected) << c.section << "/" << c.key;
    }
}

TEST(InikitReading, BlankThenBracketLineIsAnEntry) {
    IniFixture fixture;
    std::string file = fixture.Write("[A]\nk=1\n\n [B]\nj=2\n");
    char buffer[64];
    NCGetSection("A", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(ListOf(buffer, sizeof buffer), (Strings{"k=1", " [B]", "j=2"}));
    NCGetSection("B", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(ListOf(buffer, sizeof buffer), Strings{});
    NCGetSectionNames(buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(ListOf(buffer, sizeof buffer), Strings{"A"});
    NCGetIniKeyString("A", "j", "", buffer, sizeof buffer, file.c_str());
    EXPECT_STREQ(buffer, "2");
}

TEST(InikitReading, MissingFileGivesEmptyResults) {
    IniFixture fixture;
    std::string file = fixture.Path("absent.ini");
    char names[16] = "xxxxxxxxxxxxxxx";
    NCGetSectionNames(names, sizeof names, file.c_str());
    EXPECT_EQ(names[0], '\0');
    char section[16] = "xxxxxxxxxxxxxxx";
    NCGetSection("A", section, sizeof section, file.c_str());
    EXPECT_EQ(section[0], '\0');
    char value[16] = "previous";
    NCGetIniKeyString("A", "k", "default", value, sizeof value, file.c_str());
    EXPECT_STREQ(value, "");
    EXPECT_FALSE(cvn_test::FileExists(file));
}

TEST(InikitReading, FailedArgumentChecksWriteNothing) {
    IniFixture fixture;
    std::string file = fixture.Write(kFixture);
    char buffer[16] = "untouched";
    NCGetSectionNames(buffer, sizeof buffer, "");
    NCGetSectionNames(buffer, sizeof buffer, nullptr);
    NCGetSection(nullptr, buffer, sizeof buffer, file.c_str());
    NCGetIniKeyString("General", "Name", nullptr, buffer, sizeof buffer, file.c_str());
    NCGetIniKeyString("General", nullptr, "", buffer, sizeof buffer, file.c_str());
    EXPECT_STREQ(buffer, "untouched");
}

TEST(InikitReading, WideVariantsConvertBothWays) {
    IniFixture fixture;
    // "Caf\xe9" is "Café" in the ANSI code page.
    std::string file = fixture.Write("[Caf\xe9]\r\nK\xfc=Gr\xfc\xdf\r\n");
    std::u16string wide_file(file.begin(), file.end());
    char16_t names[32];
    NCGetSectionNamesW(names, 32, wide_file.c_str());
    EXPECT_EQ(std::u16string(names, 6), std::u16string(u"Café\0\0", 6));
    char16_t value[32] = u"previous";
    NCGetIniKeyStringW(u"Café", u"Kü", u"", value, 32, wide_file.c_str());
    EXPECT_EQ(std::u16string(value), u"Grüß");
    char16_t entries[32];
    NCGetSectionW(u"Café", entries, 32, wide_file.c_str());
    EXPECT_EQ(std::u16string(entries, 9), std::u16string(u"Kü=Grüß\0\0", 9));
}

TEST(InikitReading, CodePageConversions) {
    char narrow[8];
    EXPECT_EQ(NCWideToMB(u"é€", 0, narrow, sizeof narrow), 3);
    EXPECT_EQ(std::string(narrow), "\xe9\x80");
    char16_t wide[8];
    EXPECT_EQ(NCMBToWide("\xe9\x80", -1, wide, 8), 3);
    EXPECT_EQ(std::u16string(wide), u"é€");
    EXPECT_EQ(NCMBToWide("ab", 1, wide, 8), 1);
    EXPECT_EQ(NCWideToMB(nullptr, 0, narrow, sizeof narrow), 0);
    EXPECT_EQ(NCMBToWide("a", -1, nullptr, 8), 0);
    EXPECT_EQ(NCWideToMB(u"toolong", 0, narrow, 3), 0);
}

}  // namespace

namespace {

TEST(InikitReading, AnyCaseReaderNumbersItsLines) {
    IniFixture fixture;
    std::string file = fixture.Write("; top\n[Setup]\n\nA = 1\n;c\nplain\n[Next]\nB=2\n");
    inikit::ConfigFile config(file.c_str());
    inikit::SectionContents exact = config.ReadSection("SETUP");
    EXPECT_FALSE(exact.found);
    inikit::SectionContents any = config.ReadSection("SETUP", inikit::HeaderMatch::AnyCase);
    ASSERT_TRUE(any.found);
    ASSERT_EQ(any.entries.size(), 2u);
    EXPECT_EQ(any.entries[0].text, "A=1");
    EXPECT_EQ(any.entries[0].line, 4);
    EXPECT_EQ(any.entries[1].text, "plain");
    EXPECT_EQ(any.entries[1].line, 6);
    EXPECT_NE(config.handle(), 0u);  // the file is held again after the read
}

}  // namespace
