#include "redirector/core/in_process.h"

namespace cvnrd {

namespace {

class InProcessConnection : public win32::DeviceConnection {
public:
    explicit InProcessConnection(std::shared_ptr<Redirector> redirector)
        : session_(std::move(redirector)) {}
    std::optional<win32::Bytes> Exchange(const win32::Bytes& request) override {
        return session_.Handle(request);
    }

private:
    SessionHandle session_;
};

}  // namespace

std::unique_ptr<win32::DeviceConnection> InProcessTransport::Connect() {
    if (!reachable_) {
        return nullptr;
    }
    return std::make_unique<InProcessConnection>(redirector_);
}

ScopedInProcessRedirector::ScopedInProcessRedirector(ExportTable exports)
    : redirector_(std::make_shared<Redirector>(std::move(exports))),
      transport_(std::make_shared<InProcessTransport>(redirector_)) {
    win32::SetDeviceTransport(transport_);
}

ScopedInProcessRedirector::~ScopedInProcessRedirector() {
    win32::SetDeviceTransport(nullptr);
}

}  // namespace cvnrd
