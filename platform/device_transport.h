// How control-device handles reach the host redirector.
//
// By default each handle is one connection to the redirector daemon's Unix
// socket, <runtime directory>/cvnrd.sock. The runtime directory is
// CVN_RUNTIME_DIR, else /run/cvn for root, else $XDG_RUNTIME_DIR/cvn, else
// /tmp/cvn-<uid>. Tests may put a transport of their own in its place (the
// redirector's request logic attached in-process); the messages are the same.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/bytes.h"

namespace win32 {

class DeviceConnection {
public:
    virtual ~DeviceConnection() = default;
    // Sends one request payload and returns the reply payload; nullopt when
    // the redirector is gone.
    virtual std::optional<Bytes> Exchange(const Bytes& request) = 0;
    // Ends the connection from another thread: an exchange waiting for its
    // reply returns nullopt, and so does every later one.
    virtual void Cancel() {}
};

class DeviceTransport {
public:
    virtual ~DeviceTransport() = default;
    // Null when no redirector answers.
    virtual std::unique_ptr<DeviceConnection> Connect() = 0;
};

// Null restores the socket transport.
void SetDeviceTransport(std::shared_ptr<DeviceTransport> transport);
std::shared_ptr<DeviceTransport> CurrentDeviceTransport();

std::string RedirectorRuntimeDirectory();
std::string RedirectorSocketPath();

}  // namespace win32
