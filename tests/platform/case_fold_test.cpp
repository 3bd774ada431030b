#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// The runtime folds to lower case, so characters between 'Z' and 'a' sort
// before letters; only A to Z are folded.
TEST(Wcsicmp, FoldsOnlyAToZToLowerCase) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        int sign;
    } cases[] = {
        {u"Hello", u"hELLO", 0},   {u"a", u"B", -1},    {u"[", u"A", -1},   {u"_", u"a", -1},
        {u"\u00E9", u"\u00C9", 1}, {u"ab", u"ABC", -1}, {u"abc", u"AB", 1}, {u"", u"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(win32::wcsicmp(c.a, c.b)), c.sign)
            << testing::PrintToString(c.a) << " " << testing::PrintToString(c.b);
        EXPECT_EQ(Sign(win32::wcsicmp(c.b, c.a)), -c.sign)
            << testing::PrintToString(c.a) << " " << testing::PrintToString(c.b);
    }
}

TEST(FileNameUpper, AsciiLatin1AndLatinExtendedA) {
    const struct {
        char16_t lower;
        char16_t upper;
    } cases[] = {
        {u'a', u'A'},   {u'z', u'Z'},   {u'A', u'A'},   {u'1', u'1'},   {u'_', u'_'},
        {0xE9, 0xC9},   {0xFE, 0xDE},   {0xFF, 0x178},  {0xF7, 0xF7},   {0xDF, 0xDF},
        {0x101, 0x100}, {0x100, 0x100}, {0x12F, 0x12E}, {0x130, 0x130}, {0x131, 0x131},
        {0x133, 0x132}, {0x138, 0x138}, {0x13A, 0x139}, {0x148, 0x147}, {0x149, 0x149},
        {0x14B, 0x14A}, {0x153, 0x152}, {0x177, 0x176}, {0x178, 0x178}, {0x17A, 0x179},
        {0x17E, 0x17D}, {0x17F, 0x17F},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::FileNameUpper(c.lower), c.upper) << std::hex << int(c.lower);
    }
}

TEST(CompareFileNames, OrdersByUpperCasedName) {
    EXPECT_EQ(win32::CompareFileNames(u"alpha", u"BETA"), -1);
    EXPECT_EQ(win32::CompareFileNames(u"_x", u"ax"), 1);  // '_' sorts after 'A'
    EXPECT_EQ(win32::CompareFileNames(u"ab", u"AB"), 0);
    EXPECT_EQ(win32::CompareFileNames(u"ab", u"abc"), -1);
    EXPECT_TRUE(win32::FileNamesEqual(u"caf\u00E9", u"CAF\u00C9"));
    EXPECT_TRUE(win32::FileNamesEqual(u"\u017Eena", u"\u017DENA"));
    EXPECT_FALSE(win32::FileNamesEqual(u"stra\u00DFe", u"STRASSE"));
}

}  // namespace
