// The service control dispatcher: runs the services of one process under the
// host's service manager, carries their status reports to it, and turns the
// manager's signals into controls.
//
// SIGTERM and SIGHUP are blocked in the thread that calls the dispatcher
// before any service thread starts, so every service thread (and every
// thread those start) has them blocked as well; the dispatcher's thread
// takes them through a signalfd and runs the control handlers itself, never
// in signal context. A program that starts threads of its own before the
// dispatcher must block the two signals in them, as it must call the
// dispatcher early on the platform too.
//
// The dispatcher returns once every service has reported SERVICE_STOPPED or
// returned from its main; after the last stop it gives the mains a short
// grace period to return, so that the caller does not end the process under
// a main's last steps.
#pragma once

#include "platform/services.h"

namespace win32::service_detail {

// True when the host's service manager started the program: NOTIFY_SOCKET
// is set, or CVN_SERVICE is 1.
bool StartedByServiceManager();

BOOL RunDispatcher(const SERVICE_TABLE_ENTRYA* table);
SERVICE_STATUS_HANDLE RegisterHandler(LPCSTR service_name, LPHANDLER_FUNCTION handler);
BOOL ReportStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status);

}  // namespace win32::service_detail
