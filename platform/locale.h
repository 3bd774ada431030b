// Locale identifiers and locale information.
//
// The user default locale comes from the POSIX locale of the process: the
// first non-empty of LC_ALL, LC_MESSAGES and LANG, in the form
// language[_TERRITORY][.codeset][@modifier]. "C", "POSIX" or nothing at all
// give U.S. English, as an unconfigured system does.
#pragma once

#include "platform/types.h"

namespace win32 {

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

inline constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;
inline constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;
inline constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;

inline constexpr WORD SUBLANG_DEFAULT = 1;

LCID GetUserDefaultLCID();
LANGID GetUserDefaultLangID();

// Results count characters (narrow: bytes) including the terminator. A size
// of 0 asks for the size needed; a short buffer fails with
// ERROR_INSUFFICIENT_BUFFER, an unknown locale with ERROR_INVALID_PARAMETER,
// an unknown type with ERROR_INVALID_FLAGS, as the platform does.
int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int size);

}  // namespace win32
