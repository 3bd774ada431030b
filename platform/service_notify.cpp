#include "platform/service_notify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/errors.h"
#include "platform/host_errors.h"

namespace win32::service_detail {

namespace {

constexpr const char* kStateNames[] = {
    "stopped",          "start pending", "stop pending", "running",
    "continue pending", "pause pending", "paused",
};

}  // namespace

std::string ServiceStateName(DWORD state) {
    if (state < SERVICE_STOPPED || state > SERVICE_PAUSED) {
        return {};
    }
    return kStateNames[state - SERVICE_STOPPED];
}

DWORD ServiceExitCode(const SERVICE_STATUS& status) {
    return status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR ? status.dwServiceSpecificExitCode
                                                                  : status.dwWin32ExitCode;
}

std::string NotificationFor(const SERVICE_STATUS& status, bool first_running) {
    std::string message;
    if (first_running) {
        message += "READY=1\n";
    }
    if (status.dwCurrentState == SERVICE_STOP_PENDING) {
        message += "STOPPING=1\n";
    }
    message += "STATUS=" + ServiceStateName(status.dwCurrentState) + "\n";
    if (status.dwCurrentState == SERVICE_STOPPED) {
        message += "EXIT_STATUS=" + std::to_string(ServiceExitCode(status)) + "\n";
    }
    return message;
}

DWORD SendNotification(const std::string& socket_name, const std::string& message) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A path needs room for its terminator; an abstract name has none.
    const bool abstract = !socket_name.empty() && socket_name.front() == '@';
    if (socket_name.size() < 2 ||
        socket_name.size() + (abstract ? 0 : 1) > sizeof address.sun_path) {
        return ERROR_INVALID_NAME;
    }
    std::memcpy(address.sun_path, socket_name.data(), socket_name.size());
    if (abstract) {
        address.sun_path[0] = '\0';
    }
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) +
                                                    socket_name.size() + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return Win32ErrorFromErrno(errno);
    }
    ssize_t sent;
    do {
        sent = ::sendto(fd, message.data(), message.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&address), length);
    } while (sent < 0 && errno == EINTR);
    const int error_number = errno;
    ::close(fd);
    if (sent < 0) {
        return Win32ErrorFromErrno(error_number);
    }
    return static_cast<size_t>(sent) == message.size() ? 0 : ERROR_WRITE_FAULT;
}

}  // namespace win32::service_detail
