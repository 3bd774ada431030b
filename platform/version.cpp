#include "platform/version.h"

#include <strings.h>
#include <cstdlib>
#include <cstring>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

struct PlatformIdentity {
    const char* switch_value;  // value of CVN_PLATFORM; null for the default
    DWORD platform_id;
    DWORD major;
    DWORD minor;
    DWORD build;
    const char* service_pack;
};

// Windows 95 keeps its major and minor version in the high word of the build
// number; Windows NT 4 reports its build and service pack as usual.
constexpr PlatformIdentity kIdentities[] = {
    {nullptr, VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 3"},
    {"nt", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 3"},
    {"95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, ""},
    {"win32s", VER_PLATFORM_WIN32s, 3, 10, 0, ""},
    {"other", VER_PLATFORM_OTHER, 5, 0, 0, ""},
};

const PlatformIdentity& CurrentIdentity() {
    const char* value = std::getenv("CVN_PLATFORM");
    if (value != nullptr && *value != '\0') {
        for (const auto& identity : kIdentities) {
            if (identity.switch_value != nullptr && strcasecmp(identity.switch_value, value) == 0) {
                return identity;
            }
        }
        // An unknown switch value names no platform the system serves.
        return kIdentities[4];
    }
    return kIdentities[0];
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const PlatformIdentity& identity = CurrentIdentity();
    info->dwMajorVersion = identity.major;
    info->dwMinorVersion = identity.minor;
    info->dwBuildNumber = identity.build;
    info->dwPlatformId = identity.platform_id;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, identity.service_pack, sizeof info->szCSDVersion - 1);
    return TRUE;
}

}  // namespace win32
