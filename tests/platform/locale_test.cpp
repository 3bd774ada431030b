#include "platform/locale.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "tests/support/scoped_env.h"

namespace {

using cvn_test::ScopedEnv;
using Value = std::optional<std::string>;

TEST(GetUserDefaultLCID, FollowsThePosixLocale) {
    const struct {
        Value lc_all, lc_messages, lang;
        win32::LCID expected;
    } cases[] = {
        {std::nullopt, std::nullopt, "de_CH.UTF-8", 0x0807},
        {std::nullopt, std::nullopt, "de_AT@euro", 0x0C07},
        {std::nullopt, std::nullopt, "en_GB.ISO-8859-1", 0x0809},
        {std::nullopt, std::nullopt, "de", 0x0407},
        // A territory the table does not list: the language's own entry.
        {std::nullopt, std::nullopt, "de_BE.UTF-8", 0x0407},
        {std::nullopt, std::nullopt, "C", 0x0409},
        {std::nullopt, std::nullopt, "C.UTF-8", 0x0409},
        {std::nullopt, std::nullopt, "POSIX", 0x0409},
        {std::nullopt, std::nullopt, std::nullopt, 0x0409},
        {std::nullopt, std::nullopt, "xx_YY.UTF-8", 0x0409},
        // LC_ALL before LC_MESSAGES before LANG; an empty value counts as unset.
        {std::nullopt, "fr_CA.UTF-8", "de_DE.UTF-8", 0x0C0C},
        {"it_CH", "fr_CA", "de_DE", 0x0810},
        {"", "fr_FR", "de_DE", 0x040C},
        {"", "", "pt_BR", 0x0416},
    };
    for (const auto& c : cases) {
        ScopedEnv env;
        env.Set("LC_ALL", c.lc_all).Set("LC_MESSAGES", c.lc_messages).Set("LANG", c.lang);
        const std::string label =
            c.lc_all.value_or("-") + " " + c.lc_messages.value_or("-") + " " + c.lang.value_or("-");
        EXPECT_EQ(win32::GetUserDefaultLCID(), c.expected) << label;
        EXPECT_EQ(win32::GetUserDefaultLangID(), c.expected) << label;
    }
}

TEST(GetLocaleInfo, LanguageAbbreviation) {
    const struct {
        win32::LCID lcid;
        const char* abbreviation;
    } cases[] = {
        {0x0409, "ENU"},
        {0x0807, "DES"},
        {0x0407, "DEU"},
        {0x0C07, "DEA"},
        // Sort-order bits do not change the language; some ids have no POSIX name.
        {0x00010407, "DEU"},
        {0x040A, "ESP"},
    };
    for (const auto& c : cases) {
        char narrow[260];
        EXPECT_EQ(win32::GetLocaleInfoA(c.lcid, win32::LOCALE_SABBREVLANGNAME, narrow, 260), 4)
            << std::hex << c.lcid;
        EXPECT_STREQ(narrow, c.abbreviation) << std::hex << c.lcid;
        char16_t wide[260];
        EXPECT_EQ(win32::GetLocaleInfoW(c.lcid, win32::LOCALE_SABBREVLANGNAME, wide, 260), 4)
            << std::hex << c.lcid;
        EXPECT_EQ(std::u16string(wide), std::u16string(c.abbreviation, c.abbreviation + 3))
            << std::hex << c.lcid;
    }
}

TEST(GetLocaleInfo, UserDefaultFollowsTheEnvironment) {
    ScopedEnv env("LANG", "de_CH.UTF-8");
    char16_t wide[260];
    EXPECT_EQ(
        win32::GetLocaleInfoW(win32::LOCALE_USER_DEFAULT, win32::LOCALE_SABBREVLANGNAME, wide, 260),
        4);
    EXPECT_EQ(std::u16string(wide), u"DES");
    EXPECT_EQ(win32::GetLocaleInfoW(win32::GetUserDefaultLCID(), win32::LOCALE_SABBREVLANGNAME,
                                    wide, 260),
              4);
    EXPECT_EQ(std::u16string(wide), u"DES");
}

TEST(GetLocaleInfo, SizeQueryAndShortBuffer) {
    EXPECT_EQ(win32::GetLocaleInfoA(0x0409, win32::LOCALE_SABBREVLANGNAME, nullptr, 0), 4);
    EXPECT_EQ(win32::GetLocaleInfoW(0x0409, win32::LOCALE_SABBREVLANGNAME, nullptr, 0), 4);

    char narrow[4] = {'#', '#', '#', '#'};
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetLocaleInfoA(0x0409, win32::LOCALE_SABBREVLANGNAME, narrow, 3), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(narrow, 4), "####");

    char16_t wide[4] = {u'#', u'#', u'#', u'#'};
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetLocaleInfoW(0x0409, win32::LOCALE_SABBREVLANGNAME, wide, 3), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(wide, 4), u"####");

    // Exactly the size needed is enough.
    EXPECT_EQ(win32::GetLocaleInfoW(0x0409, win32::LOCALE_SABBREVLANGNAME, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"ENU\0", 4));
}

TEST(GetLocaleInfo, RefusesUnknownLocalesTypesAndBuffers) {
    char buffer[16];
    const struct {
        win32::LCID lcid;
        win32::LCTYPE type;
        char* data;
        int size;
        win32::DWORD error;
    } cases[] = {
        {0x0436, win32::LOCALE_SABBREVLANGNAME, buffer, 16, win32::ERROR_INVALID_PARAMETER},
        {0x0409, 0x7777, buffer, 16, win32::ERROR_INVALID_FLAGS},
        {0x0409, win32::LOCALE_SABBREVLANGNAME, buffer, -1, win32::ERROR_INVALID_PARAMETER},
        {0x0409, win32::LOCALE_SABBREVLANGNAME, nullptr, 16, win32::ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        win32::SetLastError(0);
        EXPECT_EQ(win32::GetLocaleInfoA(c.lcid, c.type, c.data, c.size), 0) << "case " << i;
        EXPECT_EQ(win32::GetLastError(), c.error) << "case " << i;
    }
}

}  // namespace
