// Translation of host (errno) failures into Win32 error codes.
#pragma once

#include "platform/types.h"

namespace win32 {

// The Win32 code for an errno value; ERROR_GEN_FAILURE for one without a
// closer match.
DWORD Win32ErrorFromErrno(int error_number);

// Sets the last error from errno and returns it.
DWORD SetLastErrorFromErrno();

}  // namespace win32
