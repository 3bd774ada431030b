#include "platform/wildcard.h"

#include <gtest/gtest.h>

namespace {

TEST(MatchesFilePattern, StarQuestionMarkAndCase) {
    const struct {
        const char16_t* pattern;
        const char16_t* name;
        bool matches;
    } cases[] = {
        {u"*", u"anything.txt", true},
        {u"*.*", u"noextension", true},  // as on the platform
        {u"*.*", u".profile", true},
        {u"*.txt", u"A.TXT", true},
        {u"*.txt", u"a.txt.bak", false},
        {u"a?c", u"abc", true},
        {u"a?c", u"ac", false},
        {u"??", u"a", false},
        {u"*?", u"a", true},
        {u"*?", u"", false},
        {u"a*b*c", u"aXbYbZc", true},  // needs to back-track
        {u"a*b", u"aXbY", false},
        {u"**a", u"ba", true},
        {u"a*", u"", false},
        {u"\u00C9T\u00C9", u"\u00E9t\u00E9", true},  // Latin-1 letters fold too
        {u"\u0100*", u"\u0101x", true},
        {u"ss", u"\u00DF", false},
        {u"*.", u"readme", true},  // a final '.': names without an extension
        {u"*.", u"readme.txt", false},
        {u"readme.", u"README", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::MatchesFilePattern(c.pattern, c.name), c.matches)
            << testing::PrintToString(c.pattern) << " " << testing::PrintToString(c.name);
    }
}

TEST(HasWildcards, StarOrQuestionMark) {
    EXPECT_TRUE(win32::HasWildcards(u"a*"));
    EXPECT_TRUE(win32::HasWildcards(u"?b"));
    EXPECT_FALSE(win32::HasWildcards(u"plain.txt"));
}

}  // namespace
