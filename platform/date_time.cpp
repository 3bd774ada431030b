#include "platform/date_time.h"

#include <ctime>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/locale.h"

namespace win32 {

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;
constexpr std::int64_t kUnitsPerSecond = 10000000;

struct LocalePictures {
    LCID lcid;  // a whole identifier, or a primary language alone
    std::u16string_view short_date;
    std::u16string_view time;
};

constexpr LocalePictures kPictures[] = {
    {0x0409, u"M/d/yy", u"h:mm:ss tt"},    // English (United States)
    {0x1009, u"dd/MM/yy", u"h:mm:ss tt"},  // English (Canada)
    {0x0009, u"dd/MM/yy", u"HH:mm:ss"},    // other English
    {0x0807, u"dd.MM.yy", u"HH:mm:ss"},    // German (Switzerland)
    {0x0007, u"dd.MM.yy", u"HH:mm:ss"},    // German
    {0x0C0C, u"yy-MM-dd", u"HH:mm:ss"},    // French (Canada)
    {0x000C, u"dd/MM/yy", u"HH:mm:ss"},    // French
    {0x0010, u"dd/MM/yy", u"H.mm.ss"},     // Italian
    {0x000A, u"dd/MM/yy", u"H:mm:ss"},     // Spanish
};

const LocalePictures& PicturesFor(LCID lcid) {
    if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT) {
        lcid = GetUserDefaultLCID();
    }
    lcid &= 0xFFFF;
    for (const LocalePictures& pictures : kPictures) {
        if (pictures.lcid == lcid) {
            return pictures;
        }
    }
    for (const LocalePictures& pictures : kPictures) {
        if (pictures.lcid == PrimaryLangId(static_cast<LANGID>(lcid))) {
            return pictures;
        }
    }
    return kPictures[0];
}

std::int64_t UnitsOf(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

FILETIME FileTimeOfUnits(std::int64_t units) {
    const auto value = static_cast<std::uint64_t>(units);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// Seconds since 1970, rounded down, and what is left over.
std::int64_t UnixSeconds(std::int64_t units, std::int64_t* rest) {
    std::int64_t since = units - kUnixEpochAsFileTime;
    std::int64_t seconds = since / kUnitsPerSecond;
    if (since % kUnitsPerSecond < 0) {
        --seconds;
    }
    *rest = since - seconds * kUnitsPerSecond;
    return seconds;
}

void AppendNumber(std::u16string& text, int value, size_t width) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    while (digits.size() < width) {
        digits.insert(digits.begin(), u'0');
    }
    text += digits;
}

// The time picture without what the flags leave out: seconds (with the
// separator before them), the marker (with the blanks before it), and
// 12-hour hours.
std::u16string ShapeTimePicture(std::u16string_view picture, DWORD flags) {
    std::u16string shaped;
    for (size_t i = 0; i < picture.size(); ++i) {
        const char16_t c = picture[i];
        const bool drop_seconds = c == u's' && (flags & (TIME_NOSECONDS | TIME_NOMINUTESORSECONDS));
        const bool drop_minutes = c == u'm' && (flags & TIME_NOMINUTESORSECONDS);
        const bool drop_marker = c == u't' && (flags & TIME_NOTIMEMARKER);
        if (drop_seconds || drop_minutes || drop_marker) {
            while (!shaped.empty() && shaped.back() != u'h' && shaped.back() != u'H' &&
                   shaped.back() != u'm' && shaped.back() != u's' && shaped.back() != u't') {
                shaped.pop_back();
            }
            continue;
        }
        shaped += (c == u'h' && (flags & TIME_FORCE24HOURFORMAT)) ? u'H' : c;
    }
    return shaped;
}

std::u16string Render(std::u16string_view picture, const SYSTEMTIME& when) {
    std::u16string text;
    for (size_t i = 0; i < picture.size();) {
        const char16_t c = picture[i];
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        switch (c) {
            case u'd':
                AppendNumber(text, when.wDay, run);
                break;
            case u'M':
                AppendNumber(text, when.wMonth, run);
                break;
            case u'y':
                AppendNumber(text, run >= 4 ? when.wYear : when.wYear % 100, run >= 4 ? 4 : 2);
                break;
            case u'H':
                AppendNumber(text, when.wHour, run);
                break;
            case u'h':
                AppendNumber(text, when.wHour % 12 == 0 ? 12 : when.wHour % 12, run);
                break;
            case u'm':
                AppendNumber(text, when.wMinute, run);
                break;
            case u's':
                AppendNumber(text, when.wSecond, run);
                break;
            case u't':
                text += when.wHour < 12 ? u"AM" : u"PM";
                if (run == 1) {
                    text.pop_back();
                }
                break;
            default:
                text.append(run, c);
                break;
        }
        i += run;
    }
    return text;
}

int Deliver(const std::u16string& text, LPWSTR buffer, int size) {
    const int needed = static_cast<int>(text.size()) + 1;
    if (size == 0) {
        return needed;
    }
    if (buffer == nullptr || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = u'\0';
    return needed;
}

}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* file_time, FILETIME* local_time) {
    if (file_time == nullptr || local_time == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::int64_t rest = 0;
    const std::time_t when = static_cast<std::time_t>(UnixSeconds(UnitsOf(*file_time), &rest));
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *local_time = FileTimeOfUnits(UnitsOf(*file_time) + local.tm_gmtoff * kUnitsPerSecond);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time) {
    if (file_time == nullptr || system_time == nullptr || UnitsOf(*file_time) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::int64_t rest = 0;
    const std::time_t when = static_cast<std::time_t>(UnixSeconds(UnitsOf(*file_time), &rest));
    std::tm calendar{};
    if (::gmtime_r(&when, &calendar) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    system_time->wYear = static_cast<WORD>(calendar.tm_year + 1900);
    system_time->wMonth = static_cast<WORD>(calendar.tm_mon + 1);
    system_time->wDayOfWeek = static_cast<WORD>(calendar.tm_wday);
    system_time->wDay = static_cast<WORD>(calendar.tm_mday);
    system_time->wHour = static_cast<WORD>(calendar.tm_hour);
    system_time->wMinute = static_cast<WORD>(calendar.tm_min);
    system_time->wSecond = static_cast<WORD>(calendar.tm_sec);
    system_time->wMilliseconds = static_cast<WORD>(rest / 10000);
    return TRUE;
}

int GetDateFormatW(LCID locale, DWORD, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                   int size) {
    if (date == nullptr || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string_view picture =
        format != nullptr ? std::u16string_view(format) : PicturesFor(locale).short_date;
    return Deliver(Render(picture, *date), buffer, size);
}

int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                   int size) {
    if (time == nullptr || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string picture = format != nullptr
                                       ? std::u16string(format)
                                       : ShapeTimePicture(PicturesFor(locale).time, flags);
    return Deliver(Render(picture, *time), buffer, size);
}

}  // namespace win32
