// The control manager calls (OpenSCManagerA, OpenServiceA, StartServiceA,
// ControlService, CloseServiceHandle) over the host's systemd: each call runs
// systemctl, and each handle is an object of this file, owned here until
// CloseServiceHandle releases it.
#pragma once

#include "platform/services.h"

namespace win32::service_detail {

SC_HANDLE ScOpenManager(LPCSTR machine_name, LPCSTR database_name);
SC_HANDLE ScOpenService(SC_HANDLE manager, LPCSTR service_name);
BOOL ScStartService(SC_HANDLE service);
BOOL ScControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status);
BOOL ScCloseHandle(SC_HANDLE handle);

}  // namespace win32::service_detail
