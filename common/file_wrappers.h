// File-name services on both code paths: the wide API on Windows NT, the
// narrow one (names through the ANSI code page) on Windows 95. On any other
// platform they do nothing and return 0.
#pragma once

#include <string_view>

#include "platform/find.h"
#include "platform/types.h"

namespace cvn {

// One record for both find layouts. On Windows 95 the narrow API fills the
// caller's record unchanged, so the result is read in the narrow layout
// (long name at byte 44, 8.3 name at 304) instead of the wide one (44, 564);
// callers keep one code path per layout.
union FindRecord {
    win32::WIN32_FIND_DATAW wide;
    win32::WIN32_FIND_DATAA narrow;
};

win32::DWORD CvnGetFileAttributes(std::u16string_view path);
win32::HANDLE CvnFindFirstFile(std::u16string_view pattern, FindRecord* record);
win32::BOOL CvnFindNextFile(win32::HANDLE search, FindRecord* record);
win32::BOOL CvnFindClose(win32::HANDLE search);

// Fills `buffer` (`length` characters) with the full path of `name` and sets
// `file_part` to its last component inside the buffer (null when there is
// none). Returns the platform's count.
win32::DWORD CvnGetFullPathName(std::u16string_view name, win32::DWORD length, char16_t* buffer,
                                char16_t** file_part);

}  // namespace cvn
