// A POSIX exit status holds 8 bits, a Win32 code 32: codes 0 to 254 are
// the status as they are; any larger code exits with 255, and the full code
// is written to standard error and the debugger output first.
#pragma once

#include "platform/types.h"

namespace cvagent {

inline constexpr int kExitCodeTooLarge = 255;

int ExitStatusOf(win32::DWORD code);

}  // namespace cvagent
