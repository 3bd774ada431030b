// File times to calendar times, and the locale's short date and time.
#include <gtest/gtest.h>

#include <string>

#include "platform/date_time.h"
#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/locale.h"

namespace {

// 1997-01-05 21:05:09.250 UTC, a Sunday.
constexpr win32::FILETIME kSunday{0x22305620u, 0x01BBFB4Cu};

win32::SYSTEMTIME Calendar(win32::FILETIME time) {
    win32::SYSTEMTIME when{};
    EXPECT_TRUE(win32::FileTimeToSystemTime(&time, &when));
    return when;
}

TEST(FileTimeToSystemTime, SplitsTheTime) {
    const win32::SYSTEMTIME when = Calendar(kSunday);
    EXPECT_EQ(when.wYear, 1997);
    EXPECT_EQ(when.wMonth, 1);
    EXPECT_EQ(when.wDay, 5);
    EXPECT_EQ(when.wDayOfWeek, 0);
    EXPECT_EQ(when.wHour, 21);
    EXPECT_EQ(when.wMinute, 5);
    EXPECT_EQ(when.wSecond, 9);
    EXPECT_EQ(when.wMilliseconds, 250);
    EXPECT_FALSE(win32::FileTimeToSystemTime(&kSunday, nullptr));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

TEST(GetTimeFormat, FlagsShapeTheLocalesPicture) {
    const win32::SYSTEMTIME when = Calendar(kSunday);
    struct Case {
        win32::LCID locale;
        win32::DWORD flags;
        std::u16string expected;
    };
    const Case cases[] = {
        {0x0409, 0, u"9:05:09 PM"},
        {0x0409, win32::TIME_NOSECONDS, u"9:05 PM"},
        {0x0409, win32::TIME_NOSECONDS | win32::TIME_NOTIMEMARKER, u"9:05"},
        {0x0409, win32::TIME_NOSECONDS | win32::TIME_NOTIMEMARKER | win32::TIME_FORCE24HOURFORMAT,
         u"21:05"},
        {0x0407, win32::TIME_NOSECONDS, u"21:05"},
        {0x0410, 0, u"21.05.09"},
        {0x0409, win32::TIME_NOMINUTESORSECONDS | win32::TIME_NOTIMEMARKER, u"9"},
    };
    for (const Case& c : cases) {
        char16_t buffer[32];
        const int written = win32::GetTimeFormatW(c.locale, c.flags, &when, nullptr, buffer, 32);
        EXPECT_EQ(std::u16string(buffer), c.expected) << c.locale << " " << c.flags;
        EXPECT_EQ(written, static_cast<int>(c.expected.size()) + 1);
    }
}

TEST(GetDateFormat, ShortDatesAndBufferRules) {
    const win32::SYSTEMTIME when = Calendar(kSunday);
    char16_t buffer[16];
    EXPECT_EQ(win32::GetDateFormatW(0x0409, win32::DATE_SHORTDATE, &when, nullptr, buffer, 16), 7);
    EXPECT_EQ(std::u16string(buffer), u"1/5/97");
    win32::GetDateFormatW(0x0407, win32::DATE_SHORTDATE, &when, nullptr, buffer, 16);
    EXPECT_EQ(std::u16string(buffer), u"05.01.97");
    win32::GetDateFormatW(0x0409, 0, &when, u"yyyy-MM-dd", buffer, 16);
    EXPECT_EQ(std::u16string(buffer), u"1997-01-05");

    EXPECT_EQ(win32::GetDateFormatW(0x0409, 0, &when, nullptr, nullptr, 0), 7);  // size needed
    EXPECT_EQ(win32::GetDateFormatW(0x0409, 0, &when, nullptr, buffer, 6), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(win32::GetDateFormatW(0x0409, 0, nullptr, nullptr, buffer, 16), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

}  // namespace
