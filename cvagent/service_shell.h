// The service shell: the service main the dispatcher calls, the control
// handler, the status reports, and the console mode that stands in for the
// service manager.
#pragma once

#include "platform/types.h"

namespace cvagent {

inline constexpr char kServiceName[] = "Corvane";

// Runs as a service; the process's exit code.
win32::DWORD RunAsService();
// Runs in the console with its prompt thread; the process's exit code.
win32::DWORD RunInConsole(int argc, char** argv);
// Starts the installed service and sends it the stop control; errors are
// ignored.
void StartThenStop();

}  // namespace cvagent
