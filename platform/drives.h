// GetLogicalDrives: the drive letters in use, bit 0 for A. The local drives
// are those of the drive table (CVN_DRIVES); the redirector adds the letters
// of its connections.
#pragma once

#include "platform/types.h"

namespace win32 {

DWORD GetLogicalDrives();

}  // namespace win32
