#include "cvperm/local_time.h"

#include <ctime>
#include <string_view>

#include "platform/locale.h"

namespace cvperm {

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;

// Short date and 24-hour time pictures in the platform's notation: d, M,
// yy, H and mm, doubled for a leading zero. Locales not listed take the
// U.S. English ones.
struct LocalePictures {
    win32::LCID lcid;  // a whole identifier, or a primary language alone
    std::u16string_view date;
    std::u16string_view time;
};

constexpr LocalePictures kPictures[] = {
    {0x0409, u"M/d/yy", u"H:mm"},     // English (United States)
    {0x1009, u"dd/MM/yy", u"H:mm"},   // English (Canada)
    {0x0009, u"dd/MM/yy", u"H:mm"},   // other English
    {0x0807, u"dd.MM.yy", u"HH:mm"},  // German (Switzerland)
    {0x0007, u"dd.MM.yy", u"HH:mm"},  // German
    {0x0C0C, u"yy-MM-dd", u"HH:mm"},  // French (Canada)
    {0x000C, u"dd/MM/yy", u"HH:mm"},  // French
    {0x0010, u"dd/MM/yy", u"H.mm"},   // Italian
    {0x000A, u"dd/MM/yy", u"H:mm"},   // Spanish
};

const LocalePictures& PicturesFor(win32::LCID lcid) {
    lcid &= 0xFFFF;
    for (const LocalePictures& pictures : kPictures) {
        if (pictures.lcid == lcid) {
            return pictures;
        }
    }
    for (const LocalePictures& pictures : kPictures) {
        if (pictures.lcid == win32::PrimaryLangId(static_cast<win32::LANGID>(lcid))) {
            return pictures;
        }
    }
    return kPictures[0];
}

void AppendNumber(std::u16string& text, int value, int width) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    while (static_cast<int>(digits.size()) < width) {
        digits.insert(digits.begin(), u'0');
    }
    text += digits;
}

std::u16string Format(std::u16string_view picture, const std::tm& local) {
    std::u16string text;
    for (size_t i = 0; i < picture.size();) {
        const char16_t c = picture[i];
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        switch (c) {
            case u'd':
                AppendNumber(text, local.tm_mday, static_cast<int>(run));
                break;
            case u'M':
                AppendNumber(text, local.tm_mon + 1, static_cast<int>(run));
                break;
            case u'y':
                AppendNumber(text, run >= 4 ? local.tm_year + 1900 : (local.tm_year + 1900) % 100,
                             run >= 4 ? 4 : 2);
                break;
            case u'H':
                AppendNumber(text, local.tm_hour, static_cast<int>(run));
                break;
            case u'm':
                AppendNumber(text, local.tm_min, 2);
                break;
            default:
                text.append(run, c);
                break;
        }
        i += run;
    }
    return text;
}

}  // namespace

std::optional<DateAndTime> LocalDateAndTime(win32::FILETIME time) {
    const std::int64_t units = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    // Floor division, so a time before 1970 keeps its second.
    std::int64_t seconds = (units - kUnixEpochAsFileTime) / kFileTimeUnitsPerSecond;
    if ((units - kUnixEpochAsFileTime) % kFileTimeUnitsPerSecond < 0) {
        --seconds;
    }
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return std::nullopt;
    }
    const LocalePictures& pictures = PicturesFor(win32::GetUserDefaultLCID());
    return DateAndTime{Format(pictures.date, local), Format(pictures.time, local)};
}

}  // namespace cvperm
