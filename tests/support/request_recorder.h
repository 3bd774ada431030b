// A device transport for tests that passes every message on to another
// and keeps a copy of each request, so a test sees exactly what a client sent
// on which connection.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/device_protocol.h"
#include "platform/device_transport.h"

namespace cvn_test {

class RequestRecorder : public win32::DeviceTransport {
public:
    explicit RequestRecorder(win32::DeviceTransport* inner) : inner_(inner) {}

    std::unique_ptr<win32::DeviceConnection> Connect() override {
        std::unique_ptr<win32::DeviceConnection> connection = inner_->Connect();
        if (!connection) {
            return nullptr;
        }
        return std::make_unique<Connection>(this, std::move(connection));
    }

    std::vector<win32::device_protocol::Request> Take() {
        std::lock_guard guard(lock_);
        return std::exchange(sent_, {});
    }

private:
    class Connection : public win32::DeviceConnection {
    public:
        Connection(RequestRecorder* owner, std::unique_ptr<win32::DeviceConnection> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        std::optional<win32::Bytes> Exchange(const win32::Bytes& request) override {
            std::optional<win32::device_protocol::Request> decoded =
                win32::device_protocol::DecodeRequest(request);
            EXPECT_TRUE(decoded.has_value());
            if (decoded) {
                std::lock_guard guard(owner_->lock_);
                owner_->sent_.push_back(*decoded);
            }
            return inner_->Exchange(request);
        }

    private:
        RequestRecorder* owner_;
        std::unique_ptr<win32::DeviceConnection> inner_;
    };

    win32::DeviceTransport* inner_;
    std::mutex lock_;
    std::vector<win32::device_protocol::Request> sent_;
};

}  // namespace cvn_test
