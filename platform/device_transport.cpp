#include "platform/device_transport.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/device_protocol.h"

namespace win32 {

namespace {

class SocketConnection : public DeviceConnection {
public:
    explicit SocketConnection(int fd) : fd_(fd) {}
    ~SocketConnection() override { ::close(fd_); }

    void Cancel() override { ::shutdown(fd_, SHUT_RDWR); }

    std::optional<Bytes> Exchange(const Bytes& request) override {
        if (!device_protocol::WriteFrame(fd_, request)) {
            return std::nullopt;
        }
        return device_protocol::ReadFrame(fd_);
    }

private:
    int fd_;
};

class SocketTransport : public DeviceTransport {
public:
    std::unique_ptr<DeviceConnection> Connect() override {
        std::string path = RedirectorSocketPath();
        sockaddr_un address{};
        if (path.size() >= sizeof address.sun_path) {
            return nullptr;
        }
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return nullptr;
        }
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<SocketConnection>(fd);
    }
};

std::mutex g_transport_lock;
std::shared_ptr<DeviceTransport> g_transport;

}  // namespace

void SetDeviceTransport(std::shared_ptr<DeviceTransport> transport) {
    std::lock_guard guard(g_transport_lock);
    g_transport = std::move(transport);
}

std::shared_ptr<DeviceTransport> CurrentDeviceTransport() {
    std::lock_guard guard(g_transport_lock);
    if (!g_transport) {
        g_transport = std::make_shared<SocketTransport>();
    }
    return g_transport;
}

std::string RedirectorRuntimeDirectory() {
    if (const char* dir = std::getenv("CVN_RUNTIME_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (::geteuid() == 0) {
        return "/run/cvn";
    }
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir != nullptr && *dir != '\0') {
        return std::string(dir) + "/cvn";
    }
    return "/tmp/cvn-" + std::to_string(::geteuid());
}

std::string RedirectorSocketPath() {
    return RedirectorRuntimeDirectory() + "/cvnrd.sock";
}

}  // namespace win32
