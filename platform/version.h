// Version query. The host reports Windows NT unless CVN_PLATFORM selects
// another kind ("95", "win32s" or "other"), so both the wide and the narrow
// code paths of the system can be run on one machine.
#pragma once

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
// Any other id: a platform the system does not serve.
inline constexpr DWORD VER_PLATFORM_OTHER = 3;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

// Fails with ERROR_INSUFFICIENT_BUFFER unless dwOSVersionInfoSize is 148.
BOOL GetVersionExA(OSVERSIONINFOA* info);

}  // namespace win32
