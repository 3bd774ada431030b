// Writing: single keys, deletions and whole sections, and what the rewrite
// keeps of the file.
#include <gtest/gtest.h>

#include <string>

#include "inikit/inikit.h"
#include "tests/inikit/inikit_test_support.h"

namespace {

using inikit_test::IniFixture;
using inikit_test::List;

constexpr char kBefore[] =
    "; kept as it is\r\n"
    "[One]\r\n"
    "  A = 1   \r\n"
    "loose line\r\n"
    "B=2\r\n"
    "\r\n"
    "; leads into Two\r\n"
    "[Two]\r\n"
    "C=3\r\n";

enum class Op { Set, Delete, Section };

struct WriteCase {
    const char* name;
    Op op;
    const char* section;
    const char* key;  // the entries list for Op::Section
    const char* value;
    std::string expected;
};

void Apply(const WriteCase& c, const std::string& file) {
    switch (c.op) {
        case Op::Set:
            NCWriteIniKeyString(c.section, c.key, c.value, file.c_str());
            break;
        case Op::Delete:
            NCDeleteIniKeyString(c.section, c.key, file.c_str());
            break;
        case Op::Section:
            NCWriteSection(c.section, c.key, file.c_str());
            break;
    }
}

TEST(InikitWriting, ChangesAndWhatTheyKeep) {
    const std::string one_entries = List({"B = new=value ", "D=4"});
    const std::string empty_list = List({});
    const WriteCase cases[] = {
        {"replace keeps key spelling", Op::Set, "One", "a", "10",
         "; kept as it is\r\n[One]\r\n  A =10\r\nloose line\r\nB=2\r\n\r\n"
         "; leads into Two\r\n[Two]\r\nC=3\r\n"},
        {"new key after the last entry", Op::Set, "One", "E", "5",
         "; kept as it is\r\n[One]\r\n  A = 1   \r\nloose line\r\nB=2\r\nE=5\r\n\r\n"
         "; leads into Two\r\n[Two]\r\nC=3\r\n"},
        {"new section at the end", Op::Set, "Three", "F", "6",
         std::string(kBefore) + "\r\n[Three]\r\nF=6\r\n"},
        {"empty value changes nothing", Op::Set, "One", "A", "", kBefore},
        {"delete a key", Op::Delete, "One", "B", nullptr,
         "; kept as it is\r\n[One]\r\n  A = 1   \r\nloose line\r\n\r\n"
         "; leads into Two\r\n[Two]\r\nC=3\r\n"},
        {"delete a missing key", Op::Delete, "Two", "Z", nullptr, kBefore},
        {"replace a section", Op::Section, "One", one_entries.c_str(), nullptr,
         "; kept as it is\r\n[One]\r\nloose line\r\nB=new=value\r\nD=4\r\n\r\n"
         "; leads into Two\r\n[Two]\r\nC=3\r\n"},
        {"empty list empties a section", Op::Section, "One", empty_list.c_str(), nullptr,
         "; kept as it is\r\n[One]\r\nloose line\r\n\r\n; leads into Two\r\n[Two]\r\nC=3\r\n"},
    };
    for (const WriteCase& c : cases) {
        IniFixture fixture;
        std::string file = fixture.Write(kBefore);
        Apply(c, file);
        EXPECT_EQ(cvn_test::ReadFile(file), c.expected) << c.name;
    }
}

TEST(InikitWriting, NewFileIsCreated) {
    IniFixture fixture;
    std::string file = fixture.Path("new.ini");
    NCWriteIniKeyString("Main", "Key", "value", file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file), "[Main]\r\nKey=value\r\n");
    std::string other = fixture.Path("other.ini");
    NCDeleteIniKeyString("Main", "Key", other.c_str());
    EXPECT_FALSE(cvn_test::FileExists(other));
}

TEST(InikitWriting, LineEndStyleAndLastLineAreKept) {
    IniFixture fixture;
    std::string file = fixture.Write("[A]\nx=1\n[B]\ny=2");
    NCWriteIniKeyString("B", "z", "3", file.c_str());
    NCWriteIniKeyString("A", "x", "9", file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file), "[A]\nx=9\n[B]\ny=2\nz=3\n");
}

TEST(InikitWriting, MixedLineEndsOfUntouchedLinesStay) {
    IniFixture fixture;
    std::string file = fixture.Write("[A]\r\nx=1\n;c\r\n\ty = 2\r\n");
    NCWriteIniKeyString("A", "x", "5", file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file), "[A]\r\nx=5\n;c\r\n\ty = 2\r\n");
}

TEST(InikitWriting, DeleteRemovesDuplicateKeys) {
    IniFixture fixture;
    std::string file = fixture.Write("[A]\nk=1\nk=2\nm=3\n");
    NCDeleteIniKeyString("A", "K", file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file), "[A]\nm=3\n");
}

TEST(InikitWriting, SectionEntriesWithoutEqualsAreIgnored) {
    IniFixture fixture;
    std::string file = fixture.Write("[A]\nold=1\n");
    std::string entries = List({"novalue", "k=v", "=nokey"});
    NCWriteSection("A", entries.c_str(), file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file), "[A]\nk=v\n");
}

TEST(InikitWriting, WideWritesReachTheFile) {
    IniFixture fixture;
    std::string file = fixture.Write("[Grüße]\n");
    file = fixture.Path("test.ini");
    std::u16string wide_file(file.begin(), file.end());
    NCWriteIniKeyStringW(u"Zürich", u"Straße", u"Ö", wide_file.c_str());
    std::u16string entries = std::u16string(u"a=€\0b=c\0\0", 9);
    NCWriteSectionW(u"List", entries.c_str(), wide_file.c_str());
    NCDeleteIniKeyStringW(u"List", u"b", wide_file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file),
              "[Gr\xc3\xbc\xc3\x9f"
              "e]\n\n[Z\xfcrich]\nStra\xdf"
              "e=\xd6\n\n[List]\na=\x80\n");
}

}  // namespace

namespace {

TEST(InikitWriting, TextThatWouldBreakTheFileIsRefused) {
    IniFixture fixture;
    const std::string before = "[A]\nk=1\n";
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"A", "k", "1\n[Evil]\nx=2"},
        {"A\r\n[B", "k", "v"},
        {"A]x", "k", "v"},
        {"A", "k=j", "v"},
        {"A", ";k", "v"},
        {"A", "[k", "v"},
    };
    for (const Case& c : cases) {
        std::string file = fixture.Write(before);
        NCWriteIniKeyString(c.section, c.key, c.value, file.c_str());
        EXPECT_EQ(cvn_test::ReadFile(file), before) << c.section << "/" << c.key;
    }
    char buffer[16] = "previous";
    std::string file = fixture.Write(before);
    NCGetIniKeyString("", "k", "", buffer, sizeof buffer, file.c_str());
    EXPECT_STREQ(buffer, "");
}

}  // namespace
