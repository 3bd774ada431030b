// Code-page conversion: MultiByteToWideChar and WideCharToMultiByte.
//
// The host's ANSI code page (CP_ACP) is Windows-1252. UTF-8 is served too,
// for texts that cross into the host (names, console, files of the host).
// There is no best-fit mapping: a character outside the code page becomes
// the default character ('?' unless the caller names another).
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace win32 {

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_THREAD_ACP = 3;
inline constexpr UINT CP_WINDOWS_1252 = 1252;
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD MB_PRECOMPOSED = 0x00000001;
inline constexpr DWORD MB_COMPOSITE = 0x00000002;
inline constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;

inline constexpr DWORD WC_DISCARDNS = 0x00000010;
inline constexpr DWORD WC_SEPCHARS = 0x00000020;
inline constexpr DWORD WC_DEFAULTCHAR = 0x00000040;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
inline constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

// Source length -1 means "up to and including the terminating NUL". An output
// size of 0 asks for the size needed. Results count characters (or bytes) and
// are 0 on failure with the last error set: ERROR_INVALID_PARAMETER,
// ERROR_INVALID_FLAGS, ERROR_INSUFFICIENT_BUFFER or, with MB_ERR_INVALID_CHARS,
// ERROR_NO_UNICODE_TRANSLATION (for 1252 the undefined bytes 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D; for UTF-8 any malformed sequence).
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int source_length,
                        LPWSTR output, int output_size);

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR source, int source_length,
                        LPSTR output, int output_size, LPCSTR default_char,
                        BOOL* used_default_char);

struct CPINFO {
    UINT MaxCharSize;
    BYTE DefaultChar[2];
    BYTE LeadByte[12];
};

// FALSE with ERROR_INVALID_PARAMETER for a code page the host does not know.
BOOL GetCPInfo(UINT code_page, CPINFO* info);

// Whole-string conversions between UTF-16 and the ANSI code page, for code
// that needs no flags or size rules.
std::u16string AnsiToWide(std::string_view text);
std::string WideToAnsi(std::u16string_view text);

}  // namespace win32
