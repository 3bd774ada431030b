// What the platform reports of a host file: attributes, times and size.
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Directories carry DIRECTORY, other files ARCHIVE; READONLY when the owner
// may not write.
DWORD AttributesOf(const struct stat& info);

// 100-nanosecond intervals since 1601-01-01 UTC.
FILETIME FileTimeOf(const struct timespec& time);

// What a directory search or an attribute query reports of one file, the
// same whether the file is the host's or one the redirector serves.
struct FileFacts {
    DWORD attributes = 0;
    std::uint64_t size = 0;  // 0 for a directory
    FILETIME creation{};
    FILETIME last_access{};
    FILETIME last_write{};
};

FileFacts FactsOf(const struct stat& info);

}  // namespace win32
