#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace {

constexpr char16_t kGuard = 0xAAAA;

// Converts with the flags given and hands back the result, the last error and
// the units written, so each case reads as one line.
struct Wide {
    int result;
    win32::DWORD error;
    std::u16string text;
};

Wide ToWide(win32::UINT code_page, win32::DWORD flags, const std::string& bytes) {
    char16_t out[32];
    std::fill(std::begin(out), std::end(out), kGuard);
    win32::SetLastError(0xDEAD);
    int result = win32::MultiByteToWideChar(code_page, flags, bytes.data(),
                                            static_cast<int>(bytes.size()), out, 32);
    return {result, win32::GetLastError(), std::u16string(out, result > 0 ? result : 0)};
}

struct Narrow {
    int result;
    win32::DWORD error;
    std::string text;
    win32::BOOL used_default;
};

Narrow ToNarrow(win32::DWORD flags, const std::u16string& text,
                const char* default_char = nullptr) {
    char out[32];
    std::fill(std::begin(out), std::end(out), '#');
    win32::BOOL used = 7;  // neither TRUE nor FALSE: shows whether it was set
    win32::SetLastError(0xDEAD);
    int result =
        win32::WideCharToMultiByte(win32::CP_ACP, flags, text.data(), static_cast<int>(text.size()),
                                   out, 32, default_char, &used);
    return {result, win32::GetLastError(), std::string(out, result > 0 ? result : 0), used};
}

TEST(MultiByteToWideChar, SizeQueryAndTerminator) {
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_ACP, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_UTF8, 0, "\xC3\xA9", -1, nullptr, 0), 2);

    // -1 converts the terminator too; an explicit length converts no more.
    char16_t out[6] = {kGuard, kGuard, kGuard, kGuard, kGuard, kGuard};
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_ACP, 0, "abc", -1, out, 6), 4);
    EXPECT_EQ(std::u16string(out, 6), (std::u16string{u'a', u'b', u'c', 0, kGuard, kGuard}));
    std::fill(std::begin(out), std::end(out), kGuard);
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_ACP, 0, "abc", 3, out, 6), 3);
    EXPECT_EQ(out[3], kGuard);
}

TEST(MultiByteToWideChar, ShortBufferFailsWithoutWritingPastIt) {
    char16_t out[4] = {kGuard, kGuard, kGuard, kGuard};
    win32::SetLastError(0);
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_ACP, 0, "abc", -1, out, 3), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(out[3], kGuard);

    // A surrogate pair does not fit in one unit.
    std::fill(std::begin(out), std::end(out), kGuard);
    win32::SetLastError(0);
    EXPECT_EQ(win32::MultiByteToWideChar(win32::CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, out, 1), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(out[1], kGuard);
}

// Bytes 0x80 to 0x9F are where Windows-1252 differs from Latin-1.
TEST(MultiByteToWideChar, Windows1252HighRange) {
    const struct {
        unsigned char byte;
        char16_t wide;
    } cases[] = {
        {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x85, 0x2026}, {0x8A, 0x0160},
        {0x8C, 0x0152}, {0x8E, 0x017D}, {0x91, 0x2018}, {0x94, 0x201D}, {0x96, 0x2013},
        {0x99, 0x2122}, {0x9C, 0x0153}, {0x9E, 0x017E}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xE9, 0x00E9}, {0xFF, 0x00FF}, {0x7F, 0x007F},
    };
    for (const auto& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        Wide wide = ToWide(win32::CP_ACP, win32::MB_ERR_INVALID_CHARS, byte);
        EXPECT_EQ(wide.result, 1) << std::hex << +c.byte;
        EXPECT_EQ(wide.text, std::u16string(1, c.wide)) << std::hex << +c.byte;

        Narrow narrow = ToNarrow(0, std::u16string(1, c.wide));
        EXPECT_EQ(narrow.result, 1) << std::hex << +c.byte;
        EXPECT_EQ(narrow.text, byte) << std::hex << +c.byte;
        EXPECT_EQ(narrow.used_default, win32::FALSE) << std::hex << +c.byte;
    }
}

TEST(MultiByteToWideChar, EveryByteRoundTripsWithoutFlags) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    std::u16string wide(all.size(), kGuard);
    ASSERT_EQ(win32::MultiByteToWideChar(win32::CP_ACP, 0, all.data(), 255, wide.data(), 255), 255);
    std::string back(all.size(), '#');
    win32::BOOL used = win32::TRUE;
    ASSERT_EQ(win32::WideCharToMultiByte(win32::CP_ACP, 0, wide.data(), 255, back.data(), 255,
                                         nullptr, &used),
              255);
    EXPECT_EQ(back, all);
    EXPECT_EQ(used, win32::FALSE);
    EXPECT_EQ(win32::AnsiToWide(all), wide);
    EXPECT_EQ(win32::WideToAnsi(wide), all);
}

TEST(MultiByteToWideChar, UndefinedBytesFailOnlyWhenStrict) {
    for (unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const std::string text = std::string("a") + static_cast<char>(byte);
        Wide strict = ToWide(win32::CP_ACP, win32::MB_ERR_INVALID_CHARS, text);
        EXPECT_EQ(strict.result, 0) << std::hex << +byte;
        EXPECT_EQ(strict.error, win32::ERROR_NO_UNICODE_TRANSLATION) << std::hex << +byte;

        // Without the flag the byte stands for the C1 control of its value and
        // converts back to itself.
        Wide lenient = ToWide(win32::CP_ACP, 0, text);
        EXPECT_EQ(lenient.result, 2) << std::hex << +byte;
        EXPECT_EQ(lenient.text, (std::u16string{u'a', char16_t(byte)})) << std::hex << +byte;
        Narrow back = ToNarrow(0, lenient.text);
        EXPECT_EQ(back.text, text) << std::hex << +byte;
        EXPECT_EQ(back.used_default, win32::FALSE) << std::hex << +byte;
    }
}

TEST(MultiByteToWideChar, RefusesBadArguments) {
    char16_t out[4];
    const struct {
        win32::UINT code_page;
        win32::DWORD flags;
        const char* source;
        int length;
        char16_t* output;
        int size;
        win32::DWORD error;
    } cases[] = {
        {win32::CP_ACP, win32::MB_PRECOMPOSED | win32::MB_COMPOSITE, "a", 1, out, 4,
         win32::ERROR_INVALID_FLAGS},
        {win32::CP_ACP, 0x100, "a", 1, out, 4, win32::ERROR_INVALID_FLAGS},
        {win32::CP_UTF8, win32::MB_PRECOMPOSED, "a", 1, out, 4, win32::ERROR_INVALID_FLAGS},
        {win32::CP_ACP, 0, nullptr, 1, out, 4, win32::ERROR_INVALID_PARAMETER},
        {win32::CP_ACP, 0, "a", 0, out, 4, win32::ERROR_INVALID_PARAMETER},
        {win32::CP_ACP, 0, "a", -2, out, 4, win32::ERROR_INVALID_PARAMETER},
        {win32::CP_ACP, 0, "a", 1, nullptr, 4, win32::ERROR_INVALID_PARAMETER},
        {win32::CP_ACP, 0, "a", 1, out, -1, win32::ERROR_INVALID_PARAMETER},
        {437, 0, "a", 1, out, 4, win32::ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        win32::SetLastError(0);
        EXPECT_EQ(
            win32::MultiByteToWideChar(c.code_page, c.flags, c.source, c.length, c.output, c.size),
            0)
            << "case " << i;
        EXPECT_EQ(win32::GetLastError(), c.error) << "case " << i;
    }
    // The other spellings of the ANSI code page are accepted.
    EXPECT_EQ(ToWide(win32::CP_THREAD_ACP, 0, "\x80").text, u"\u20AC");
    EXPECT_EQ(ToWide(win32::CP_WINDOWS_1252, 0, "\x80").text, u"\u20AC");
}

TEST(MultiByteToWideChar, Utf8) {
    Wide wide = ToWide(win32::CP_UTF8, win32::MB_ERR_INVALID_CHARS,
                       "h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(wide.result, 5);
    EXPECT_EQ(wide.text, u"h\u00E9\u20AC\U0001F600");

    // The first and last code point of each sequence length.
    EXPECT_EQ(ToWide(win32::CP_UTF8, win32::MB_ERR_INVALID_CHARS, "\xC2\x80\xDF\xBF").text,
              u"\u0080\u07FF");
    EXPECT_EQ(ToWide(win32::CP_UTF8, win32::MB_ERR_INVALID_CHARS, "\xE0\xA0\x80\xEF\xBF\xBF").text,
              u"\u0800\uFFFF");
    EXPECT_EQ(
        ToWide(win32::CP_UTF8, win32::MB_ERR_INVALID_CHARS, "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF")
            .text,
        u"\U00010000\U0010FFFF");
}

TEST(MultiByteToWideChar, MalformedUtf8) {
    const struct {
        const char* bytes;
        std::u16string lenient;  // each byte that starts no valid sequence becomes U+FFFD
    } cases[] = {
        {"a\x80", u"a\uFFFD"},                              // continuation byte alone
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong, three bytes
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong, four bytes
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xC3(", u"\uFFFD("},            // truncated: the next character survives
        {"x\xE2\x82", u"x\uFFFD\uFFFD"},  // truncated at the end
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) {
        Wide strict = ToWide(win32::CP_UTF8, win32::MB_ERR_INVALID_CHARS, c.bytes);
        EXPECT_EQ(strict.result, 0) << testing::PrintToString(c.bytes);
        EXPECT_EQ(strict.error, win32::ERROR_NO_UNICODE_TRANSLATION)
            << testing::PrintToString(c.bytes);
        Wide lenient = ToWide(win32::CP_UTF8, 0, c.bytes);
        EXPECT_EQ(lenient.result, static_cast<int>(c.lenient.size()))
            << testing::PrintToString(c.bytes);
        EXPECT_EQ(lenient.text, c.lenient) << testing::PrintToString(c.bytes);
    }
}

TEST(WideCharToMultiByte, SizeQueryShortBufferAndTerminator) {
    EXPECT_EQ(
        win32::WideCharToMultiByte(win32::CP_ACP, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(
        win32::WideCharToMultiByte(win32::CP_UTF8, 0, u"\u20AC", -1, nullptr, 0, nullptr, nullptr),
        4);

    char out[5] = {'#', '#', '#', '#', '#'};
    EXPECT_EQ(win32::WideCharToMultiByte(win32::CP_ACP, 0, u"abc", -1, out, 5, nullptr, nullptr),
              4);
    EXPECT_EQ(std::string(out, 5), std::string("abc\0#", 5));

    std::fill(std::begin(out), std::end(out), '#');
    win32::SetLastError(0);
    EXPECT_EQ(win32::WideCharToMultiByte(win32::CP_ACP, 0, u"abc", -1, out, 3, nullptr, nullptr),
              0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(out[3], '#');
}

TEST(WideCharToMultiByte, DefaultCharacterAndUsedFlag) {
    Narrow plain = ToNarrow(0, u"a\u00E9b");
    EXPECT_EQ(plain.result, 3);
    EXPECT_EQ(plain.text,
              "a\xE9"
              "b");
    EXPECT_EQ(plain.used_default, win32::FALSE);

    // No best fit: a character outside the code page is the default character.
    Narrow question = ToNarrow(0, u"a\u4E2D\u0101b");
    EXPECT_EQ(question.result, 4);
    EXPECT_EQ(question.text, "a??b");
    EXPECT_EQ(question.used_default, win32::TRUE);

    Narrow star = ToNarrow(0, u"a\u4E2Db", "*");
    EXPECT_EQ(star.text, "a*b");
    EXPECT_EQ(star.used_default, win32::TRUE);

    // A lone surrogate has no place in the code page either.
    Narrow lone = ToNarrow(0, u"x\xD800y");
    EXPECT_EQ(lone.text, "x?y");
    EXPECT_EQ(lone.used_default, win32::TRUE);
}

TEST(WideCharToMultiByte, CompositeCheckComposes) {
    Narrow composed = ToNarrow(win32::WC_COMPOSITECHECK, u"e\u0301Z\u030C");
    EXPECT_EQ(composed.result, 2);
    EXPECT_EQ(composed.text, "\xE9\x8E");
    EXPECT_EQ(composed.used_default, win32::FALSE);

    // Without the check the mark is a character of its own, not in the code page.
    Narrow separate = ToNarrow(0, u"e\u0301");
    EXPECT_EQ(separate.result, 2);
    EXPECT_EQ(separate.text, "e?");
    EXPECT_EQ(separate.used_default, win32::TRUE);
}

TEST(WideCharToMultiByte, UncomposablePairFollowsTheCompositeMode) {
    // 'q' with an acute accent has no precomposed form in the code page.
    const std::u16string text = u"q\u0301x";
    const struct {
        win32::DWORD flags;
        const char* default_char;
        const char* expected;
        win32::BOOL used_default;
    } cases[] = {
        {win32::WC_COMPOSITECHECK, nullptr, "q?x", win32::TRUE},
        {win32::WC_COMPOSITECHECK | win32::WC_SEPCHARS, nullptr, "q?x", win32::TRUE},
        {win32::WC_COMPOSITECHECK | win32::WC_SEPCHARS, "*", "q*x", win32::TRUE},
        {win32::WC_COMPOSITECHECK | win32::WC_DISCARDNS, nullptr, "qx", win32::FALSE},
        {win32::WC_COMPOSITECHECK | win32::WC_DEFAULTCHAR, nullptr, "?x", win32::TRUE},
        {win32::WC_COMPOSITECHECK | win32::WC_DEFAULTCHAR, "*", "*x", win32::TRUE},
    };
    for (const auto& c : cases) {
        Narrow narrow = ToNarrow(c.flags, text, c.default_char);
        EXPECT_EQ(narrow.result, static_cast<int>(std::strlen(c.expected))) << std::hex << c.flags;
        EXPECT_EQ(narrow.text, c.expected) << std::hex << c.flags;
        EXPECT_EQ(narrow.used_default, c.used_default) << std::hex << c.flags;
    }
}

TEST(WideCharToMultiByte, RefusesBadFlagsAndArguments) {
    char out[8];
    char default_char = '*';
    win32::BOOL used = 0;
    const struct {
        win32::UINT code_page;
        win32::DWORD flags;
        const char* default_char;
        win32::BOOL* used;
        win32::DWORD error;
    } cases[] = {
        // A composite mode needs WC_COMPOSITECHECK, and only one mode at a time.
        {win32::CP_ACP, win32::WC_SEPCHARS, nullptr, nullptr, win32::ERROR_INVALID_FLAGS},
        {win32::CP_ACP, win32::WC_DEFAULTCHAR, nullptr, nullptr, win32::ERROR_INVALID_FLAGS},
        {win32::CP_ACP, win32::WC_COMPOSITECHECK | win32::WC_DISCARDNS | win32::WC_SEPCHARS,
         nullptr, nullptr, win32::ERROR_INVALID_FLAGS},
        {win32::CP_ACP, win32::WC_ERR_INVALID_CHARS, nullptr, nullptr, win32::ERROR_INVALID_FLAGS},
        {win32::CP_ACP, 0x1, nullptr, nullptr, win32::ERROR_INVALID_FLAGS},
        {win32::CP_UTF8, win32::WC_COMPOSITECHECK, nullptr, nullptr, win32::ERROR_INVALID_FLAGS},
        // UTF-8 has no default character.
        {win32::CP_UTF8, 0, &default_char, nullptr, win32::ERROR_INVALID_PARAMETER},
        {win32::CP_UTF8, 0, nullptr, &used, win32::ERROR_INVALID_PARAMETER},
        {850, 0, nullptr, nullptr, win32::ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        win32::SetLastError(0);
        EXPECT_EQ(win32::WideCharToMultiByte(c.code_page, c.flags, u"a", 1, out, 8, c.default_char,
                                             c.used),
                  0)
            << "case " << i;
        EXPECT_EQ(win32::GetLastError(), c.error) << "case " << i;
    }
    win32::SetLastError(0);
    EXPECT_EQ(win32::WideCharToMultiByte(win32::CP_ACP, 0, u"a", 0, out, 8, nullptr, nullptr), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

TEST(WideCharToMultiByte, Utf8) {
    char out[16];
    const std::u16string text = u"h\u00E9\u20AC\U0001F600";
    int result =
        win32::WideCharToMultiByte(win32::CP_UTF8, win32::WC_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), out, 16, nullptr, nullptr);
    EXPECT_EQ(result, 10);
    EXPECT_EQ(std::string(out, 10), "h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");

    // A lone surrogate is U+FFFD, or a failure when the caller asks for strictness.
    const std::u16string lone = u"a\xDC00";
    result =
        win32::WideCharToMultiByte(win32::CP_UTF8, 0, lone.data(), 2, out, 16, nullptr, nullptr);
    EXPECT_EQ(result, 4);
    EXPECT_EQ(std::string(out, 4), "a\xEF\xBF\xBD");
    win32::SetLastError(0);
    EXPECT_EQ(win32::WideCharToMultiByte(win32::CP_UTF8, win32::WC_ERR_INVALID_CHARS, lone.data(),
                                         2, out, 16, nullptr, nullptr),
              0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_UNICODE_TRANSLATION);
}

TEST(GetCPInfo, AnsiAndUtf8) {
    const struct {
        win32::UINT code_page;
        win32::UINT max_char_size;
    } cases[] = {
        {win32::CP_ACP, 1},
        {win32::CP_THREAD_ACP, 1},
        {win32::CP_WINDOWS_1252, 1},
        {win32::CP_UTF8, 4},
    };
    for (const auto& c : cases) {
        win32::CPINFO info;
        std::memset(&info, 0xEE, sizeof info);
        ASSERT_EQ(win32::GetCPInfo(c.code_page, &info), win32::TRUE) << c.code_page;
        EXPECT_EQ(info.MaxCharSize, c.max_char_size) << c.code_page;
        EXPECT_EQ(info.DefaultChar[0], '?') << c.code_page;
        EXPECT_EQ(info.DefaultChar[1], 0) << c.code_page;
        // Neither code page has lead bytes: the list is empty, all zeros.
        for (win32::BYTE byte : info.LeadByte) {
            EXPECT_EQ(byte, 0) << c.code_page;
        }
    }
}

TEST(GetCPInfo, UnknownCodePageOrNoRecord) {
    for (win32::UINT code_page : {437u, 1200u, 65000u}) {
        win32::CPINFO info{};
        info.MaxCharSize = 77;
        win32::SetLastError(0);
        EXPECT_EQ(win32::GetCPInfo(code_page, &info), win32::FALSE) << code_page;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER) << code_page;
        EXPECT_EQ(info.MaxCharSize, 77u) << code_page;
    }
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetCPInfo(win32::CP_ACP, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

}  // namespace
