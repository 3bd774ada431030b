// A stand-in for the host redirector behind the layer's device calls: it
// records every request it receives and answers as the test tells it. The
// platform's tests use it instead of the real redirector, which lies above
// the platform layer.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/device_protocol.h"
#include "platform/device_transport.h"

namespace cvn_test {

class FakeRedirector : public std::enable_shared_from_this<FakeRedirector> {
public:
    using Request = win32::device_protocol::Request;
    using Reply = win32::device_protocol::Reply;
    // The reply payload for a request; nullopt: the connection is lost.
    using Answer = std::function<std::optional<win32::Bytes>(const Request&)>;

    // By default every request succeeds and a control request gets its
    // input back, cut to the output size.
    FakeRedirector() {
        answer_ = [](const Request& request) -> std::optional<win32::Bytes> {
            Reply reply{true, 0, {}};
            if (request.operation == win32::device_protocol::kControl) {
                reply.output = request.input;
                if (reply.output.size() > request.output_size) {
                    reply.output.resize(request.output_size);
                }
            }
            return win32::device_protocol::EncodeReply(reply);
        };
    }

    static std::optional<win32::Bytes> Encoded(bool ok, std::uint32_t error,
                                               win32::Bytes output = {}) {
        return win32::device_protocol::EncodeReply(Reply{ok, error, std::move(output)});
    }

    void SetAnswer(Answer answer) {
        std::lock_guard guard(lock_);
        answer_ = std::move(answer);
    }
    void SetReachable(bool reachable) {
        std::lock_guard guard(lock_);
        reachable_ = reachable;
    }

    std::vector<Request> Take() {
        std::lock_guard guard(lock_);
        return std::exchange(requests_, {});
    }
    int connects() {
        std::lock_guard guard(lock_);
        return connects_;
    }
    int open_connections() {
        std::lock_guard guard(lock_);
        return open_connections_;
    }

    std::shared_ptr<win32::DeviceTransport> Transport() {
        return std::make_shared<TransportImpl>(shared_from_this());
    }

private:
    class ConnectionImpl : public win32::DeviceConnection {
    public:
        explicit ConnectionImpl(std::shared_ptr<FakeRedirector> owner) : owner_(std::move(owner)) {}
        ~ConnectionImpl() override {
            std::lock_guard guard(owner_->lock_);
            --owner_->open_connections_;
        }
        std::optional<win32::Bytes> Exchange(const win32::Bytes& payload) override {
            std::optional<Request> request = win32::device_protocol::DecodeRequest(payload);
            if (!request) {
                return Encoded(false, 87);
            }
            Answer answer;
            {
                std::lock_guard guard(owner_->lock_);
                owner_->requests_.push_back(*request);
                answer = owner_->answer_;
            }
            return answer(*request);
        }

    private:
        std::shared_ptr<FakeRedirector> owner_;
    };

    class TransportImpl : public win32::DeviceTransport {
    public:
        explicit TransportImpl(std::shared_ptr<FakeRedirector> owner) : owner_(std::move(owner)) {}
        std::unique_ptr<win32::DeviceConnection> Connect() override {
            std::lock_guard guard(owner_->lock_);
            if (!owner_->reachable_) {
                return nullptr;
            }
            ++owner_->connects_;
            ++owner_->open_connections_;
            return std::make_unique<ConnectionImpl>(owner_);
        }

    private:
        std::shared_ptr<FakeRedirector> owner_;
    };

    std::mutex lock_;
    Answer answer_;
    bool reachable_ = true;
    std::vector<Request> requests_;
    int connects_ = 0;
    int open_connections_ = 0;
};

// Puts a fake redirector behind the device calls for the life of the object.
class ScopedFakeRedirector {
public:
    ScopedFakeRedirector() : fake_(std::make_shared<FakeRedirector>()) {
        win32::SetDeviceTransport(fake_->Transport());
    }
    ~ScopedFakeRedirector() { win32::SetDeviceTransport(nullptr); }
    ScopedFakeRedirector(const ScopedFakeRedirector&) = delete;
    ScopedFakeRedirector& operator=(const ScopedFakeRedirector&) = delete;

    FakeRedirector& operator*() { return *fake_; }
    FakeRedirector* operator->() { return fake_.get(); }

private:
    std::shared_ptr<FakeRedirector> fake_;
};

}  // namespace cvn_test
