// GetFileAttributes.
#pragma once

#include "platform/file_info.h"
#include "platform/types.h"

namespace win32 {

// INVALID_FILE_ATTRIBUTES on failure, with ERROR_FILE_NOT_FOUND when the
// directory exists but the name does not, ERROR_PATH_NOT_FOUND when a
// directory on the way is missing.
DWORD GetFileAttributesW(LPCWSTR name);
DWORD GetFileAttributesA(LPCSTR name);

}  // namespace win32
