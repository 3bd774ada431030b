#include "platform/last_error.h"

namespace win32 {

namespace {
thread_local DWORD t_last_error = 0;
}

DWORD GetLastError() {
    return t_last_error;
}

void SetLastError(DWORD code) {
    t_last_error = code;
}

}  // namespace win32
