// Dates and times: file times to local and calendar time, and the user's
// short date and time formats (GetDateFormat, GetTimeFormat).
//
// Local time is the host's (TZ). The pictures of a locale use the platform's
// notation: d, M, y for day, month and year, h and H for 12- and 24-hour
// hours, m, s, t for minutes, seconds and the AM/PM marker, each doubled for
// a leading zero; other characters stand as they are. The locales the
// layer knows have their short date and time pictures in a table; others
// take those of U.S. English.
#pragma once

#include "platform/types.h"

namespace win32 {

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

inline constexpr DWORD DATE_SHORTDATE = 0x00000001;
inline constexpr DWORD TIME_NOMINUTESORSECONDS = 0x00000001;
inline constexpr DWORD TIME_NOSECONDS = 0x00000002;
inline constexpr DWORD TIME_NOTIMEMARKER = 0x00000004;
inline constexpr DWORD TIME_FORCE24HOURFORMAT = 0x00000008;

// FALSE with ERROR_INVALID_PARAMETER for a null argument or a time the host
// cannot convert.
BOOL FileTimeToLocalFileTime(const FILETIME* file_time, FILETIME* local_time);
BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time);

// The characters written, terminator included; with `size` 0 the size
// needed. 0 with ERROR_INSUFFICIENT_BUFFER when the buffer is too small,
// ERROR_INVALID_PARAMETER for a null time. `format` null: the locale's
// picture, shaped by `flags`.
int GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                   int size);
int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                   int size);

}  // namespace win32
