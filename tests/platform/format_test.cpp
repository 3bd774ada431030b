#include "platform/format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

using win32::FormatNarrow;
using win32::FormatWide;

const char* const kNullNarrow = nullptr;
const char16_t* const kNullWide = nullptr;

TEST(Format, WideFormatStringConversions) {
    // %s, %ls and %ws take UTF-16, %S and %hs ANSI text.
    EXPECT_EQ(
        FormatWide(u"%s|%S|%hs|%ls|%ws|%hS|%lS", {u"w\u20AC", "n\x80", "h", u"l", u"w", "H", u"L"}),
        u"w\u20AC|n\u20AC|h|l|w|H|L");
    EXPECT_EQ(FormatWide(u"%s", {kNullWide}), u"(null)");
    EXPECT_EQ(FormatWide(u"%S", {kNullNarrow}), u"(null)");
}

TEST(Format, NarrowFormatStringConversions) {
    // The roles swap: %s and %hs take ANSI text, %S, %ls and %ws UTF-16.
    EXPECT_EQ(FormatNarrow("%s|%S|%hs|%ls|%ws", {"n\xE9", u"w\u00E9\u20AC", "h", u"l", u"w"}),
              "n\xE9|w\xE9\x80|h|l|w");
    // Characters outside the code page are the default character; the
    // undefined bytes pass unchanged.
    EXPECT_EQ(FormatNarrow("%S|%s", {u"\u4E2D", "\x81\x8D"}), "?|\x81\x8D");
    EXPECT_EQ(FormatNarrow("%s", {kNullNarrow}), "(null)");
    EXPECT_EQ(FormatNarrow("%.3s", {kNullNarrow}), "(nu");
    EXPECT_EQ(FormatNarrow("%S", {kNullWide}), "(null)");
}

TEST(Format, CharacterConversions) {
    EXPECT_EQ(FormatWide(u"[%c][%C][%hc][%lc]", {u'\u20AC', '\x80', 'h', u'l'}),
              u"[\u20AC][\u20AC][h][l]");
    EXPECT_EQ(FormatNarrow("[%c][%C][%hc][%lc]", {'\xE9', u'\u00E9', 'h', u'\u4E2D'}),
              "[\xE9][\xE9][h][?]");
    EXPECT_EQ(FormatNarrow("[%3c][%-3c]", {'a', 'b'}), "[  a][b  ]");
}

TEST(Format, WidthPrecisionAndFlags) {
    const struct {
        const char* format;
        win32::FormatArgs args;
        const char* expected;
    } cases[] = {
        {"[%5d][%-5d][%05d][%+d][% d][%.3d]",
         {42, 42, 42, 42, 42, 7},
         "[   42][42   ][00042][+42][ 42][007]"},
        {"[%x][%#x][%X][%o][%#o][%u][%i]",
         {255, 255, 255, 8, 8, 42u, -3},
         "[ff][0xff][FF][10][010][42][-3]"},
        {"[%5s][%-5s][%.2s][%5.1s]", {"ab", "ab", "abcdef", "xyz"}, "[   ab][ab   ][ab][    x]"},
        {"[%*d][%-*d][%*d][%.*d]", {4, 7, 4, 7, -4, 7, 3, 7}, "[   7][7   ][7   ][007]"},
        {"[%*s][%.*s][%*.*s]", {4, "ab", 3, "abcdef", 5, 2, "abc"}, "[  ab][abc][   ab]"},
        {"[%.2f][%g]", {3.14159, 0.25}, "[3.14][0.25]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatNarrow(c.format, c.args), c.expected) << c.format;
        const std::string format(c.format);
        const std::string expected(c.expected);
        // The same numbers come out of a wide format.
        if (format.find('s') == std::string::npos) {
            EXPECT_EQ(FormatWide(std::u16string(format.begin(), format.end()), c.args),
                      std::u16string(expected.begin(), expected.end()))
                << c.format;
        }
    }
}

// long is 32 bits on the target system: code that prints a DWORD with %ld
// relies on it.
TEST(Format, IntegerSizes) {
    const struct {
        const char* format;
        win32::FormatArgs args;
        const char* expected;
    } cases[] = {
        {"%ld", {0xFFFFFFFFu}, "-1"},
        {"%ld", {std::int64_t{0xFFFFFFFF}}, "-1"},
        {"%d", {std::int64_t{0x100000001}}, "1"},
        {"%lu", {-1}, "4294967295"},
        {"%x", {-1}, "ffffffff"},
        {"%lx", {std::int64_t{-1}}, "ffffffff"},
        {"%I32d", {std::int64_t{0x1FFFFFFFF}}, "-1"},
        {"%hd", {65535}, "-1"},
        {"%hu", {65537}, "1"},
        {"%hhd", {255}, "-1"},
        {"%lld", {std::int64_t{0x100000000}}, "4294967296"},
        {"%I64d", {std::int64_t{-5000000000}}, "-5000000000"},
        {"%I64u", {std::uint64_t{18446744073709551615u}}, "18446744073709551615"},
        {"%I64x", {std::int64_t{-1}}, "ffffffffffffffff"},
        {"%llX", {std::uint64_t{0xABCDEF0123}}, "ABCDEF0123"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatNarrow(c.format, c.args), c.expected) << c.format;
    }
}

TEST(Format, PercentAndExtraArguments) {
    EXPECT_EQ(FormatNarrow("100%% %d%%", {5}), "100% 5%");
    EXPECT_EQ(FormatNarrow("%%%s", {"x"}), "%x");  // %% takes no argument
    EXPECT_EQ(FormatWide(u"%d", {1, 2, "ignored"}), u"1");
    EXPECT_EQ(FormatNarrow("plain", {1}), "plain");
    EXPECT_EQ(FormatNarrow("", {}), "");
}

// A translator's format that does not fit the arguments is refused as a whole.
TEST(Format, RefusesFormatsThatDoNotFitTheArguments) {
    const struct {
        const char* format;
        win32::FormatArgs args;
    } cases[] = {
        // Too few arguments.
        {"%s %s", {"a"}},
        {"%d", {}},
        {"%*d", {5}},
        {"%.*s", {2}},
        // Arguments of the wrong kind.
        {"%d", {"text"}},
        {"%s", {5}},
        {"%s", {u"wide"}},
        {"%S", {"narrow"}},
        {"%c", {"x"}},
        {"%f", {1}},
        {"%d", {1.5}},
        {"%*d", {"x", 5}},
        // %n and unknown conversions.
        {"%n", {5}},
        {"%y", {5}},
        {"%k", {5}},
        // A conversion cut off at the end.
        {"abc%", {5}},
        {"%-", {5}},
        {"%5", {5}},
        {"%l", {5}},
        {"%.", {5}},
        {"%I64", {5}},
        // No field is that wide.
        {"%9999999d", {5}},
        {"%*d", {INT_MIN, 5}},
        {"%*d", {3000000000u, 5}},
        {"%.*d", {2000000000, 5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatNarrow(c.format, c.args), std::nullopt) << c.format;
    }
    EXPECT_EQ(FormatWide(u"%s", {"narrow"}), std::nullopt);
    EXPECT_EQ(FormatWide(u"%S", {u"wide"}), std::nullopt);
    EXPECT_EQ(FormatWide(u"%\u00E9", {5}), std::nullopt);
}

}  // namespace
