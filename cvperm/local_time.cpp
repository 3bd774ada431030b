#include "cvperm/local_time.h"

#include "platform/date_time.h"
#include "platform/locale.h"

namespace cvperm {

namespace {
constexpr int kTextChars = 64;
}

std::optional<DateAndTime> LocalDateAndTime(win32::FILETIME time) {
    win32::FILETIME local;
    win32::SYSTEMTIME when;
    if (!win32::FileTimeToLocalFileTime(&time, &local) ||
        !win32::FileTimeToSystemTime(&local, &when)) {
        return std::nullopt;
    }
    char16_t date[kTextChars];
    char16_t clock[kTextChars];
    if (win32::GetDateFormatW(win32::LOCALE_USER_DEFAULT, win32::DATE_SHORTDATE, &when, nullptr,
                              date, kTextChars) == 0 ||
        win32::GetTimeFormatW(
            win32::LOCALE_USER_DEFAULT,
            win32::TIME_NOSECONDS | win32::TIME_NOTIMEMARKER | win32::TIME_FORCE24HOURFORMAT, &when,
            nullptr, clock, kTextChars) == 0) {
        return std::nullopt;
    }
    return DateAndTime{date, clock};
}

}  // namespace cvperm
