#include "platform/service_status_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/host_errors.h"
#include "platform/last_error.h"
#include "platform/service_names.h"

namespace win32::service_detail {

std::string StatusFileText(const SERVICE_STATUS& status, long pid) {
    auto line = [](const char* key, unsigned long value) {
        return std::string(key) + "=" + std::to_string(value) + "\n";
    };
    return line("type", status.dwServiceType) + line("state", status.dwCurrentState) +
           line("controls", status.dwControlsAccepted) +
           line("win32_exit_code", status.dwWin32ExitCode) +
           line("service_specific_exit_code", status.dwServiceSpecificExitCode) +
           line("check_point", status.dwCheckPoint) + line("wait_hint", status.dwWaitHint) +
           line("pid", static_cast<unsigned long>(pid));
}

std::string StatusFilePath(const std::string& runtime_directory, const std::string& service_name) {
    return runtime_directory + "/" + LowerServiceName(service_name) + ".status";
}

DWORD WriteStatusFile(const std::string& runtime_directory, const std::string& service_name,
                      const SERVICE_STATUS& status) {
    // The redirector makes the directory when it starts; a service may
    // report before it, or without one.
    if (::mkdir(runtime_directory.c_str(), 0755) != 0 && errno != EEXIST) {
        return Win32ErrorForPath(errno, runtime_directory);
    }
    std::unique_ptr<AtomicFileWriter> writer =
        AtomicFileWriter::CreateForHostPath(StatusFilePath(runtime_directory, service_name));
    if (!writer) {
        return GetLastError();
    }
    const std::string text = StatusFileText(status, static_cast<long>(::getpid()));
    if (!writer->Write(text.data(), text.size()) || !writer->Commit()) {
        return writer->error();
    }
    return 0;
}

}  // namespace win32::service_detail
