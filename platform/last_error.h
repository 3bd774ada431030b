// Per-thread last error, as the platform keeps it.
#pragma once

#include "platform/types.h"

namespace win32 {

DWORD GetLastError();
void SetLastError(DWORD code);

}  // namespace win32
