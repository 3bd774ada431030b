// Translation of host (errno) failures into Win32 error codes.
#pragma once

#include <string>

#include "platform/types.h"

namespace win32 {

// The Win32 code for an errno value; ERROR_GEN_FAILURE for one without a
// closer match.
DWORD Win32ErrorFromErrno(int error_number);

// The Win32 code for a failure on `host_path`: a missing name is
// ERROR_FILE_NOT_FOUND when its directory exists and ERROR_PATH_NOT_FOUND
// when a directory on the way is missing, as the platform tells them apart.
DWORD Win32ErrorForPath(int error_number, const std::string& host_path);

// Sets the last error from errno and returns it.
DWORD SetLastErrorFromErrno();

}  // namespace win32
