#include "common/platform_kind.h"

#include "platform/version.h"

namespace cvn {

int GetPlatformKind() {
    win32::OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!win32::GetVersionExA(&version)) {
        return PLATFORM_UNSUPPORTED;
    }
    switch (version.dwPlatformId) {
        case win32::VER_PLATFORM_WIN32s:
            return PLATFORM_WIN32S;
        case win32::VER_PLATFORM_WIN32_WINDOWS:
            return PLATFORM_WIN95;
        case win32::VER_PLATFORM_WIN32_NT:
            return PLATFORM_NT;
        default:
            return PLATFORM_UNSUPPORTED;
    }
}

}  // namespace cvn
