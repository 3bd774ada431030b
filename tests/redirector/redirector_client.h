// Helpers of the redirector's in-process tests: a client handle that speaks
// the daemon's messages to a redirector, and a redirector with a small tree
// of exports on disk.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/records.h"
#include "common/redirector_codes.h"
#include "platform/device.h"
#include "platform/device_protocol.h"
#include "platform/errors.h"
#include "redirector/core/exports.h"
#include "redirector/core/redirector.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace redirector_test {

namespace protocol = win32::device_protocol;
namespace me = cvn::mount_entry;

// The status word of a reply's record; -1 when no header came back.
inline int StatusOf(const protocol::Reply& reply) {
    if (reply.output.size() < 4) {
        return -1;
    }
    return reply.output[2] | (reply.output[3] << 8);
}

// One client handle: one session of the redirector, registered with it for
// as long as the object lives (so its open file counts against a cancel).
class Client {
public:
    explicit Client(std::shared_ptr<cvnrd::Redirector> redirector)
        : session_(std::move(redirector)) {}

    protocol::Reply SendPayload(std::span<const std::uint8_t> payload) {
        win32::Bytes encoded = session_.Handle(payload);
        std::optional<protocol::Reply> reply = protocol::DecodeReply(encoded);
        EXPECT_TRUE(reply.has_value()) << "the redirector's reply does not decode";
        return reply.value_or(protocol::Reply{});
    }
    protocol::Reply Send(const protocol::Request& request) {
        return SendPayload(protocol::EncodeRequest(request));
    }

    protocol::Reply OpenDevice(std::uint32_t kind = protocol::kControlDeviceNt) {
        protocol::Request request;
        request.operation = protocol::kOpenDevice;
        request.device = kind;
        return Send(request);
    }
    protocol::Reply OpenFile(std::u16string name, std::uint32_t flags = 0,
                             std::uint32_t access = win32::FILE_READ_EA) {
        protocol::Request request;
        request.operation = protocol::kOpenFile;
        request.access = access;
        request.flags = flags;
        request.name = std::move(name);
        return Send(request);
    }
    protocol::Reply Control(win32::DWORD code, const win32::Bytes& input,
                            std::optional<std::uint32_t> output_size = std::nullopt) {
        protocol::Request request;
        request.operation = protocol::kControl;
        request.code = code;
        request.output_size = output_size.value_or(static_cast<std::uint32_t>(input.size()));
        request.input = input;
        return Send(request);
    }
    // Sends the record and, as DeviceIoControl does, stores what came back
    // in it.
    template <std::size_t N>
    protocol::Reply Control(win32::DWORD code, cvn::FixedRecord<N>& record) {
        protocol::Reply reply = Control(code, win32::Bytes(record.data(), record.data() + N));
        std::copy_n(reply.output.begin(), std::min(reply.output.size(), N), record.data());
        return reply;
    }

private:
    cvnrd::SessionHandle session_;
};

// A mount entry with its defaults that names \\host\path on `device`.
inline cvn::MountEntry Entry(std::u16string_view host, std::u16string_view path,
                             std::uint8_t device = 0, std::u16string_view user = u"",
                             std::u16string_view password = u"") {
    cvn::MountEntry entry;
    entry.Initialize();
    entry.set_device_code(device);
    entry.SetText(me::kHost, host);
    entry.SetText(me::kPath, path);
    entry.SetText(me::kUserName, user);
    entry.SetText(me::kPassword, password);
    return entry;
}

inline cvn::MountEntry DriveEntry(std::uint8_t device) {
    cvn::MountEntry entry;
    entry.Initialize();
    entry.set_device_code(device);
    return entry;
}

inline win32::Bytes BytesOf(const auto& record) {
    return win32::Bytes(record.data(), record.data() + record.size());
}

// The redirector serves two exports of host "alpha" from a temporary tree:
//
//   pub/            \\alpha\pub, open to anyone
//     file.txt      "hello"
//     sub/inner.txt
//   secure/         \\alpha\secure, user alice with password s3cret
//   outside/        exported by no one
//     secret.txt
class RedirectorTest : public ::testing::Test {
protected:
    RedirectorTest() {
        for (const char* directory : {"pub/sub", "secure", "outside"}) {
            std::filesystem::create_directories(root_ / directory);
        }
        cvn_test::WriteFile(root_ / "pub/file.txt", "hello");
        cvn_test::WriteFile(root_ / "pub/sub/inner.txt", "inner");
        cvn_test::WriteFile(root_ / "outside/secret.txt", "secret");
        std::string error;
        std::optional<cvnrd::ExportTable> exports = cvnrd::ExportTable::Parse(
            "\\\\alpha\\pub \"" + root_ / "pub" + "\"\n" + "\\\\alpha\\secure \"" +
                root_ / "secure" + "\" alice s3cret\n",
            &error);
        EXPECT_TRUE(exports.has_value()) << error;
        redirector_ = std::make_shared<cvnrd::Redirector>(exports.value_or(cvnrd::ExportTable{}));
    }

    std::unique_ptr<Client> NewClient() { return std::make_unique<Client>(redirector_); }
    // A client with the control device open.
    std::unique_ptr<Client> Device() {
        auto client = NewClient();
        EXPECT_TRUE(client->OpenDevice().ok);
        return client;
    }
    // Connects and expects success.
    void Connect(std::uint8_t device, std::u16string_view path = u"pub",
                 std::u16string_view host = u"alpha") {
        cvn::MountEntry entry = Entry(host, path, device);
        protocol::Reply reply = Device()->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
        ASSERT_TRUE(reply.ok) << "error " << reply.error << ", status " << StatusOf(reply);
    }
    std::string Host(const std::string& name) const { return root_ / name; }

    cvn_test::TempDir root_;
    std::shared_ptr<cvnrd::Redirector> redirector_;
};

}  // namespace redirector_test
