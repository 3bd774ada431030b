#include "common/file_wrappers.h"

#include <string>

#include "common/ansi_names.h"
#include "common/platform_kind.h"
#include "platform/file_attributes.h"
#include "platform/paths.h"

namespace cvn {

win32::DWORD CvnGetFileAttributes(std::u16string_view path) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            return win32::GetFileAttributesW(std::u16string(path).c_str());
        case PLATFORM_WIN95: {
            char narrow[kNameBufferSize];
            if (!ToAnsiName(path, narrow)) {
                return win32::INVALID_FILE_ATTRIBUTES;
            }
            return win32::GetFileAttributesA(narrow);
        }
        default:
            return 0;
    }
}

win32::HANDLE CvnFindFirstFile(std::u16string_view pattern, FindRecord* record) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            return win32::FindFirstFileW(std::u16string(pattern).c_str(), &record->wide);
        case PLATFORM_WIN95: {
            char narrow[kNameBufferSize];
            if (!ToAnsiName(pattern, narrow)) {
                return win32::INVALID_HANDLE_VALUE;
            }
            return win32::FindFirstFileA(narrow, &record->narrow);
        }
        default:
            return nullptr;
    }
}

win32::BOOL CvnFindNextFile(win32::HANDLE search, FindRecord* record) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            return win32::FindNextFileW(search, &record->wide);
        case PLATFORM_WIN95:
            return win32::FindNextFileA(search, &record->narrow);
        default:
            return 0;
    }
}

win32::BOOL CvnFindClose(win32::HANDLE search) {
    return win32::FindClose(search);
}

win32::DWORD CvnGetFullPathName(std::u16string_view name, win32::DWORD length, char16_t* buffer,
                                char16_t** file_part) {
    *file_part = nullptr;
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            return win32::GetFullPathNameW(std::u16string(name).c_str(), length, buffer, file_part);
        case PLATFORM_WIN95: {
            char narrow_name[kNameBufferSize];
            char full[kNameBufferSize];
            char* narrow_file_part = nullptr;
            if (!ToAnsiName(name, narrow_name)) {
                return 0;
            }
            win32::DWORD count =
                win32::GetFullPathNameA(narrow_name, kNameBufferSize, full, &narrow_file_part);
            if (count == 0 || count >= kNameBufferSize) {
                return count;
            }
            // A buffer too small for the converted path gets the size needed,
            // as from the wide call; converting into it would fail half-way,
            // and a caller that only asks for the size passes no buffer.
            int needed = FromAnsiText(full, nullptr, 0);
            if (needed == 0) {
                return 0;
            }
            if (static_cast<win32::DWORD>(needed) > length) {
                return static_cast<win32::DWORD>(needed);
            }
            // The directory part and the file part are converted one after
            // the other, so the file part's start in the wide buffer is known.
            std::string directory(full,
                                  narrow_file_part != nullptr ? narrow_file_part : full + count);
            int stored = FromAnsiText(directory.c_str(), buffer, static_cast<int>(length));
            if (stored == 0) {
                return 0;
            }
            char16_t* wide_file_part = buffer + stored - 1;  // on the terminator
            if (narrow_file_part != nullptr) {
                int file_stored = FromAnsiText(narrow_file_part, wide_file_part,
                                               static_cast<int>(length) - (stored - 1));
                if (file_stored == 0) {
                    return 0;
                }
                *file_part = wide_file_part;
            }
            return count;
        }
        default:
            return 0;
    }
}

}  // namespace cvn
