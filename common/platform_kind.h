// The platform check that chooses between the wide (Windows NT) and the
// narrow (Windows 95) code paths. It is asked afresh at every call.
#pragma once

namespace cvn {

enum PlatformKind : int {
    PLATFORM_UNSUPPORTED = 0,
    PLATFORM_WIN32S = 1,
    PLATFORM_WIN95 = 2,
    PLATFORM_NT = 3,
};

int GetPlatformKind();

}  // namespace cvn
