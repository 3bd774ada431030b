#include "platform/services.h"

#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

// Not yet mapped onto the host's service manager: every call fails as on a
// system without one.

BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA*) {
    SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
    return FALSE;
}

SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(LPCSTR, LPHANDLER_FUNCTION) {
    SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
    return nullptr;
}

BOOL SetServiceStatus(SERVICE_STATUS_HANDLE, SERVICE_STATUS*) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

SC_HANDLE OpenSCManagerA(LPCSTR, LPCSTR, DWORD) {
    SetLastError(1722);
    return nullptr;
}

SC_HANDLE OpenServiceA(SC_HANDLE, LPCSTR, DWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL StartServiceA(SC_HANDLE, DWORD, LPCSTR*) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL ControlService(SC_HANDLE, DWORD, SERVICE_STATUS*) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL CloseServiceHandle(SC_HANDLE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

}  // namespace win32
