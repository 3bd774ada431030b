// The status file of a service: <runtime directory>/<service name in lower
// case>.status, replaced whole at every report, for managers and people that
// read a file rather than listen on a socket. One key=value line per field
// of the last report (type, state, controls, win32_exit_code,
// service_specific_exit_code, check_point, wait_hint, in decimal), then the
// process id (pid).
#pragma once

#include <string>

#include "platform/services.h"

namespace win32::service_detail {

std::string StatusFileText(const SERVICE_STATUS& status, long pid);

std::string StatusFilePath(const std::string& runtime_directory, const std::string& service_name);

// Writes the file, making the runtime directory when it is missing. 0, or
// the Win32 code of the failure.
DWORD WriteStatusFile(const std::string& runtime_directory, const std::string& service_name,
                      const SERVICE_STATUS& status);

}  // namespace win32::service_detail
