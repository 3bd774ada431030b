// Status reports to a service manager of the systemd kind: one datagram per
// report on the socket named by NOTIFY_SOCKET, holding newline-separated
// assignments (READY=1, STOPPING=1, STATUS=..., EXIT_STATUS=...).
#pragma once

#include <string>

#include "platform/services.h"

namespace win32::service_detail {

// "running", "start pending", ...; empty for a state outside 1..7.
std::string ServiceStateName(DWORD state);

// The code a stopped service ends with: its service-specific code when the
// Win32 code says there is one (1066), else the Win32 code.
DWORD ServiceExitCode(const SERVICE_STATUS& status);

// The message of one report. `first_running` marks the report that makes
// the service ready.
std::string NotificationFor(const SERVICE_STATUS& status, bool first_running);

// Sends one message to `socket_name`: a path, or with a leading '@' a name
// in the abstract namespace. 0, or the Win32 code of the failure.
DWORD SendNotification(const std::string& socket_name, const std::string& message);

}  // namespace win32::service_detail
