// The redirector attached in-process behind the platform layer's device
// calls, for tests: CreateFile and DeviceIoControl reach this redirector
// exactly as they would reach the daemon, message for message.
#pragma once

#include <memory>

#include "platform/device_transport.h"
#include "redirector/core/redirector.h"

namespace cvnrd {

class InProcessTransport : public win32::DeviceTransport {
public:
    explicit InProcessTransport(std::shared_ptr<Redirector> redirector)
        : redirector_(std::move(redirector)) {}
    std::unique_ptr<win32::DeviceConnection> Connect() override;

    // Further connections fail, as when the daemon has stopped.
    void SetReachable(bool reachable) { reachable_ = reachable; }

private:
    std::shared_ptr<Redirector> redirector_;
    bool reachable_ = true;
};

// Installs an in-process redirector for the life of the object and puts the
// socket transport back afterwards.
class ScopedInProcessRedirector {
public:
    explicit ScopedInProcessRedirector(ExportTable exports);
    ~ScopedInProcessRedirector();
    Redirector& redirector() { return *redirector_; }
    InProcessTransport& transport() { return *transport_; }

private:
    std::shared_ptr<Redirector> redirector_;
    std::shared_ptr<InProcessTransport> transport_;
};

}  // namespace cvnrd
