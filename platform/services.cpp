#include "platform/services.h"

#include "platform/service_control_manager.h"
#include "platform/service_dispatcher.h"

namespace win32 {

BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* table) {
    return service_detail::RunDispatcher(table);
}

SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(LPCSTR service_name, LPHANDLER_FUNCTION handler) {
    return service_detail::RegisterHandler(service_name, handler);
}

BOOL SetServiceStatus(SERVICE_STATUS_HANDLE handle, SERVICE_STATUS* status) {
    return service_detail::ReportStatus(handle, status);
}

SC_HANDLE OpenSCManagerA(LPCSTR machine_name, LPCSTR database_name, DWORD) {
    return service_detail::ScOpenManager(machine_name, database_name);
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR service_name, DWORD) {
    return service_detail::ScOpenService(manager, service_name);
}

// systemd starts a unit without arguments: those given are not passed on.
BOOL StartServiceA(SC_HANDLE service, DWORD, LPCSTR*) {
    return service_detail::ScStartService(service);
}

BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
    return service_detail::ScControlService(service, control, status);
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
    return service_detail::ScCloseHandle(handle);
}

}  // namespace win32
