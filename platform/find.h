// Directory search: FindFirstFile, FindNextFile, FindClose.
//
// The pattern's last component may hold wildcards (see wildcard.h); it is
// matched against the long and the short name. A search takes a snapshot of
// the directory when it starts: "." and ".." first (not in a drive's root),
// then the other names ordered as the platform lists them, by upper-cased
// name.
#pragma once

#include <cstddef>

#include "platform/file_info.h"
#include "platform/types.h"

namespace win32 {

inline constexpr DWORD MAX_PATH = 260;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAW, cAlternateFileName) == 564);
static_assert(sizeof(WIN32_FIND_DATAW) == 592);

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304);
static_assert(sizeof(WIN32_FIND_DATAA) == 320);

// INVALID_HANDLE_VALUE on failure: ERROR_FILE_NOT_FOUND when nothing
// matches, ERROR_PATH_NOT_FOUND when the directory does not exist.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);

// FALSE with ERROR_NO_MORE_FILES after the last match.
BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);

BOOL FindClose(HANDLE search);

}  // namespace win32
