// Basic Win32 types of the host platform layer.
//
// The layer declares exactly the subset the system uses. Widths follow the
// 32-bit Windows data model: DWORD and LONG are 32 bits even though the host's
// long is 64. Text is UTF-16 in char16_t, never wchar_t (32 bits on the host).
#pragma once

#include <cstdint>

namespace win32 {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using CHAR = char;
using WCHAR = char16_t;
using LCID = DWORD;
using LANGID = WORD;
using LCTYPE = DWORD;
using ULONGLONG = std::uint64_t;

using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

using HANDLE = void*;
using HLOCAL = void*;
struct ModuleTag;
using HMODULE = ModuleTag*;
using HINSTANCE = HMODULE;
using FARPROC = void (*)();

// (HANDLE)-1, the failure value of CreateFile and FindFirstFile.
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

inline constexpr WORD MakeLangId(WORD primary, WORD sub) {
    return static_cast<WORD>((sub << 10) | primary);
}
inline constexpr WORD PrimaryLangId(LANGID id) {
    return static_cast<WORD>(id & 0x3FF);
}
inline constexpr WORD SubLangId(LANGID id) {
    return static_cast<WORD>(id >> 10);
}

}  // namespace win32
