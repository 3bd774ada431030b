#include "platform/short_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(IsValidShortName, EightDotThree) {
    const struct {
        const char16_t* name;
        bool valid;
    } cases[] = {
        {u"A.B", true},    {u"ABCDEFGH.TXT", true}, {u"readme.txt", true}, {u"NOEXT", true},
        {u".", true},      {u"..", true},           {u"ABCDEFGHI", false}, {u"A.TEXT", false},
        {u"A.B.C", false}, {u"A.", false},          {u".A", false},        {u"A B", false},
        {u"A+B", false},   {u"A[1]", false},        {u"caf\u00E9", false}, {u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::IsValidShortName(c.name), c.valid) << testing::PrintToString(c.name);
    }
}

TEST(MakeShortNames, OneDirectory) {
    const std::vector<std::u16string> names = {
        u".",
        u"..",
        u"readme.txt",
        u"LongFileName.text",
        u"LongFileNameB.text",
        u"abcdefgh.html",
        u"a b.c d e",
        u"x+y.txt",
        u".profile",
        u"many.dots.in.name",
        u"caf\u00E9.txt",
        u"...",
    };
    const std::vector<std::u16string> expected = {
        u"",         u"",          u"",         u"LONGFI~1.TEX", u"LONGFI~2.TEX", u"ABCDEF~1.HTM",
        u"AB~1.CDE", u"X_Y~1.TXT", u"PROFIL~1", u"MANYDO~1.NAM", u"CAF_~1.TXT",   u"_~1",
    };
    EXPECT_EQ(win32::MakeShortNames(names), expected);
}

TEST(MakeShortNames, TenthCollisionShortensTheStem) {
    std::vector<std::u16string> names;
    for (int i = 1; i <= 10; ++i) {
        std::string name = "LongFileName" + std::to_string(i) + ".txt";
        names.emplace_back(name.begin(), name.end());
    }
    const std::vector<std::u16string> short_names = win32::MakeShortNames(names);
    ASSERT_EQ(short_names.size(), 10u);
    EXPECT_EQ(short_names[0], u"LONGFI~1.TXT");
    EXPECT_EQ(short_names[8], u"LONGFI~9.TXT");
    EXPECT_EQ(short_names[9], u"LONGF~10.TXT");
}

}  // namespace
