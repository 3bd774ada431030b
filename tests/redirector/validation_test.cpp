// Requests the redirector must refuse without believing them: short
// buffers, wrong tags, unknown codes, requests on the wrong kind of handle
// or before the handle is open, and messages that do not decode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/last_error.h"
#include "redirector/core/in_process.h"
#include "tests/redirector/redirector_client.h"

namespace redirector_test {
namespace {

struct KnownRequest {
    win32::DWORD code;
    std::size_t size;
    bool on_file;  // sent on the handle of a file, not on the control device
};

const KnownRequest kKnownRequests[] = {
    {cvn::FSCTL_SERVER_ADD_DISK, me::kSize, false},
    {cvn::FSCTL_SERVER_DEL_FORCE, me::kSize, false},
    {cvn::FSCTL_SERVER_DEL, me::kSize, false},
    {cvn::FSCTL_SERVER_GETMNT, me::kSize, false},
    {cvn::FSCTL_SERVER_GETIDSTAT, cvn::statistics::kSize, false},
    {cvn::FSCTL_SERVER_NEXT_MOUNT, me::kSize, false},
    {cvn::FSCTL_SERVER_SET_NFSATR_95, cvn::kSetAttributes95Size, false},
    {cvn::FSCTL_SERVER_GET_NFSATR_95, cvn::kGetAttributes95Size, false},
    {cvn::FSCTL_SERVER_SET_NFSATR, cvn::set_attributes::kSize, true},
    {cvn::FSCTL_SERVER_GET_NFSATR, cvn::nfs_attributes::kSize, true},
    {cvn::FSCTL_SERVER_ADD_PRINTER, me::kSize, false},
    {cvn::FSCTL_SERVER_GET_USER, cvn::credentials_record::kSize, false},
    {cvn::FSCTL_SERVER_SET_USER, cvn::credentials_record::kSize, false},
    {cvn::FSCTL_SERVER_OPEN_EXPORTS, cvn::list_open_record::kSize, false},
    {cvn::FSCTL_SERVER_OPEN_PRINTERS, cvn::list_open_record::kSize, false},
    {cvn::FSCTL_SERVER_NEXT_ENTRY, cvn::list_entry_record::kSize, false},
};

// A well-formed record of `size` bytes for the request: tag, zero status,
// for the attribute requests by name a name on the connected drive, and for
// the listings the host.
win32::Bytes RecordFor(const KnownRequest& request) {
    win32::Bytes record(request.size);
    win32::ByteView view(record.data(), record.size());
    cvn::InitializeHeader(view);
    if (request.code == cvn::FSCTL_SERVER_GET_NFSATR_95) {
        cvn::CopyCountedName(u"F:\\file.txt", view, cvn::kGetAttributes95Path);
    } else if (request.code == cvn::FSCTL_SERVER_SET_NFSATR_95) {
        cvn::CopyCountedName(u"F:\\file.txt", view, cvn::kSetAttributes95Path);
    } else if (request.size == cvn::list_open_record::kSize) {
        cvn::CopyCountedName(u"alpha", view, cvn::list_open_record::kHost);
    } else if (request.size == me::kSize) {
        cvn::MountEntry entry = Entry(u"alpha", u"pub", 'G');
        std::copy_n(entry.data(), entry.size(), record.data());
    }
    return record;
}

class ValidationTest : public RedirectorTest {
protected:
    void SetUp() override { Connect('F'); }

    std::unique_ptr<Client> HandleFor(const KnownRequest& request) {
        auto client = NewClient();
        if (request.on_file) {
            EXPECT_TRUE(client->OpenFile(u"F:\\file.txt").ok);
        } else {
            EXPECT_TRUE(client->OpenDevice().ok);
        }
        return client;
    }

    // A refusal returns no more than the caller's buffer takes, and the
    // status word in it whenever it holds a header.
    void ExpectRefused(const protocol::Reply& reply, std::size_t input, std::size_t output,
                       std::uint16_t status, win32::DWORD error, const std::string& what) {
        EXPECT_FALSE(reply.ok) << what;
        EXPECT_EQ(reply.error, error) << what;
        EXPECT_LE(reply.output.size(), std::min(input, output)) << what;
        if (std::min(input, output) >= 4) {
            EXPECT_EQ(StatusOf(reply), status) << what;
        }
    }

    // Nothing changed: one connection, the file as it was.
    void ExpectNothingChanged() {
        EXPECT_EQ(redirector_->mount_count(), 1u);
        struct stat info {};
        ASSERT_EQ(::stat(Host("pub/file.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_size, 5);
    }
};

TEST_F(ValidationTest, WellFormedRecordsAreServed) {
    // The baseline of the cases below: each record as built here succeeds.
    for (const KnownRequest& request : kKnownRequests) {
        if (request.code == cvn::FSCTL_SERVER_DEL || request.code == cvn::FSCTL_SERVER_DEL_FORCE ||
            request.code == cvn::FSCTL_SERVER_GETMNT) {
            continue;  // name a connection that is not there
        }
        if (request.code == cvn::FSCTL_SERVER_ADD_PRINTER ||
            request.code == cvn::FSCTL_SERVER_NEXT_ENTRY) {
            continue;  // no printer queue here; no listing open
        }
        auto client = HandleFor(request);
        protocol::Reply reply = client->Control(request.code, RecordFor(request));
        EXPECT_TRUE(reply.ok) << std::hex << request.code << " " << std::dec << reply.error;
        EXPECT_EQ(reply.output.size(), request.size) << std::hex << request.code;
        EXPECT_EQ(StatusOf(reply), 0) << std::hex << request.code;
    }
}

TEST_F(ValidationTest, ShortInputOrOutput) {
    for (const KnownRequest& request : kKnownRequests) {
        const win32::Bytes full = RecordFor(request);
        std::vector<std::pair<std::size_t, std::size_t>> sizes = {
            {request.size - 1, request.size},
            {request.size, request.size - 1},
            {request.size - 1, request.size - 1},
            {4, request.size},
            {request.size, 4},
            {3, request.size},
            {request.size, 3},
            {1, 1},
            {0, request.size},
            {request.size, 0},
            {0, 0}};
        for (auto [input, output] : sizes) {
            auto client = HandleFor(request);
            const std::string what = std::to_string(request.code) + " in " + std::to_string(input) +
                                     " out " + std::to_string(output);
            protocol::Reply reply =
                client->Control(request.code, win32::Bytes(full.begin(), full.begin() + input),
                                static_cast<std::uint32_t>(output));
            ExpectRefused(reply, input, output, 22, win32::ERROR_INVALID_PARAMETER, what);
        }
    }
    ExpectNothingChanged();
}

TEST_F(ValidationTest, LongerBuffersAreServedAsTheRecord) {
    const KnownRequest get = {cvn::FSCTL_SERVER_GETIDSTAT, cvn::statistics::kSize, false};
    win32::Bytes input = RecordFor(get);
    input.resize(4096, 0xEE);
    protocol::Reply reply = Device()->Control(get.code, input, 8192);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.output.size(), cvn::statistics::kSize);
}

TEST_F(ValidationTest, WrongTag) {
    for (const KnownRequest& request : kKnownRequests) {
        for (std::uint16_t tag : {std::uint16_t(0), std::uint16_t(0x4601), std::uint16_t(327)}) {
            win32::Bytes record = RecordFor(request);
            win32::ByteView(record.data(), record.size()).SetU16(0, tag);
            protocol::Reply reply = HandleFor(request)->Control(request.code, record);
            ExpectRefused(reply, record.size(), record.size(), 22, win32::ERROR_INVALID_PARAMETER,
                          std::to_string(request.code) + " tag " + std::to_string(tag));
            EXPECT_EQ(reply.output.size(), record.size());
        }
    }
    ExpectNothingChanged();
}

TEST_F(ValidationTest, UnknownCodesAndCodesOnTheWrongHandle) {
    std::vector<std::pair<win32::DWORD, bool>> cases;  // code, sent on a file handle
    for (win32::DWORD code :
         {win32::DWORD(0), win32::DWORD(0xFFFFFFFF), cvn::RedirectorControlCode(5),
          cvn::RedirectorControlCode(23), cvn::RedirectorControlCode(255),
          cvn::FSCTL_SERVER_ADD_DISK + 1, cvn::FSCTL_SERVER_SETMNT}) {
        cases.emplace_back(code, false);
        cases.emplace_back(code, true);
    }
    for (const KnownRequest& request : kKnownRequests) {
        cases.emplace_back(request.code, !request.on_file);
    }
    for (auto [code, on_file] : cases) {
        auto client = NewClient();
        ASSERT_TRUE(on_file ? client->OpenFile(u"F:\\file.txt").ok : client->OpenDevice().ok);
        win32::Bytes record(me::kSize);
        cvn::InitializeHeader(win32::ByteView(record.data(), record.size()));
        protocol::Reply reply = client->Control(code, record);
        ExpectRefused(reply, record.size(), record.size(), 20, win32::ERROR_INVALID_FUNCTION,
                      std::to_string(code) + (on_file ? " on a file" : " on the device"));
        // The handle still serves what it may.
        if (on_file) {
            cvn::NfsAttributes attributes;
            attributes.Initialize();
            EXPECT_TRUE(client->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes).ok);
        } else {
            cvn::MountEntry entry = DriveEntry('F');
            EXPECT_TRUE(client->Control(cvn::FSCTL_SERVER_GETMNT, entry).ok);
        }
    }
    ExpectNothingChanged();
}

TEST_F(ValidationTest, ControlBeforeTheHandleIsOpen) {
    for (const KnownRequest& request : kKnownRequests) {
        auto client = NewClient();
        protocol::Reply reply = client->Control(request.code, RecordFor(request));
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, win32::ERROR_INVALID_HANDLE);
    }
    ExpectNothingChanged();
}

TEST_F(ValidationTest, SecondOpenIsRefusedAndTheHandleKeepsItsKind) {
    auto device = NewClient();
    ASSERT_TRUE(device->OpenDevice().ok);
    EXPECT_FALSE(device->OpenDevice().ok);
    EXPECT_FALSE(device->OpenFile(u"F:\\file.txt").ok);
    cvn::MountEntry entry = DriveEntry('F');
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, entry).ok);

    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\file.txt").ok);
    EXPECT_FALSE(file->OpenDevice().ok);
    EXPECT_FALSE(file->OpenFile(u"F:\\sub", win32::FILE_FLAG_BACKUP_SEMANTICS).ok);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    ASSERT_TRUE(file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes).ok);
    EXPECT_EQ(attributes.type(), cvn::nfs_attributes::kRegular);
}

TEST_F(ValidationTest, UnknownDeviceKind) {
    for (std::uint32_t kind : {2u, 0xFFFFFFFFu}) {
        auto client = NewClient();
        protocol::Reply reply = client->OpenDevice(kind);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, win32::ERROR_INVALID_PARAMETER);
        EXPECT_TRUE(client->OpenDevice(protocol::kControlDevice95).ok);
    }
}

TEST_F(ValidationTest, MessagesThatDoNotDecode) {
    protocol::Request control;
    control.operation = protocol::kControl;
    control.code = cvn::FSCTL_SERVER_GETIDSTAT;
    control.output_size = 28;
    control.input.assign(28, 0);
    const win32::Bytes good = protocol::EncodeRequest(control);
    auto with_u32 = [&](std::size_t offset, std::uint32_t value) {
        win32::Bytes bytes = good;
        win32::ByteView(bytes.data(), bytes.size()).SetU32(offset, value);
        return bytes;
    };
    const std::vector<std::pair<const char*, win32::Bytes>> payloads = {
        {"empty", {}},
        {"short operation", {3, 0}},
        {"unknown operation", {9, 0, 0, 0}},
        {"operation only", {3, 0, 0, 0}},
        {"truncated input", win32::Bytes(good.begin(), good.end() - 1)},
        {"trailing byte",
         [&] {
             win32::Bytes bytes = good;
             bytes.push_back(0);
             return bytes;
         }()},
        {"input size beyond the payload", with_u32(12, 29)},
        {"input size huge", with_u32(12, 0xFFFFFFFF)},
        {"output size huge", with_u32(8, 0xFFFFFFFF)},
        {"open device short", {1, 0, 0, 0}},
        {"open file odd name", {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 'b'}},
        {"open file name beyond the payload", {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0}},
        {"open file name huge", {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}},
        {"drive mask with more", {4, 0, 0, 0, 0}},
    };
    auto client = Device();
    for (const auto& [what, payload] : payloads) {
        protocol::Reply reply = client->SendPayload(payload);
        EXPECT_FALSE(reply.ok) << what;
        EXPECT_EQ(reply.error, win32::ERROR_INVALID_PARAMETER) << what;
        EXPECT_TRUE(reply.output.empty()) << what;
    }
    // The handle is still the control device it was.
    cvn::Statistics statistics;
    statistics.Initialize();
    EXPECT_TRUE(client->Control(cvn::FSCTL_SERVER_GETIDSTAT, statistics).ok);
}

TEST_F(ValidationTest, DriveMask) {
    Connect('A');
    Connect(0);
    Connect('Z');
    protocol::Request request;
    request.operation = protocol::kDriveMask;
    protocol::Reply reply = NewClient()->Send(request);
    ASSERT_TRUE(reply.ok);
    ASSERT_EQ(reply.output.size(), 4u);
    EXPECT_EQ(win32::ByteView(reply.output.data(), 4).U32(0),
              (1u << 0) | (1u << ('F' - 'A')) | (1u << 25));
}

TEST_F(ValidationTest, InjectedFailureFailsTheNextRequestOnly) {
    auto device = Device();
    redirector_->FailNextRequest(cvnrd::Failure{2005, win32::ERROR_IO_DEVICE});
    cvn::MountEntry entry = DriveEntry('F');
    protocol::Reply failed = device->Control(cvn::FSCTL_SERVER_GETMNT, entry);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, win32::ERROR_IO_DEVICE);
    EXPECT_EQ(entry.status(), 2005);
    entry = DriveEntry('F');
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, entry).ok);

    // Opening a handle is not a control request: the failure waits for one,
    // and a buffer without room for a header still gets a clean refusal.
    redirector_->FailNextRequest(cvnrd::Failure{532, win32::ERROR_NOT_CONNECTED});
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\file.txt").ok);
    protocol::Reply tiny = file->Control(cvn::FSCTL_SERVER_GET_NFSATR, win32::Bytes{0x46, 0x01});
    EXPECT_FALSE(tiny.ok);
    EXPECT_EQ(tiny.error, win32::ERROR_NOT_CONNECTED);
    EXPECT_EQ(tiny.output.size(), 2u);

    // A connection refused by injection leaves nothing behind.
    redirector_->FailNextRequest(cvnrd::Failure{1001, win32::ERROR_INVALID_PASSWORD});
    cvn::MountEntry add = Entry(u"alpha", u"pub", 'G');
    protocol::Reply refused = device->Control(cvn::FSCTL_SERVER_ADD_DISK, add);
    EXPECT_EQ(refused.error, win32::ERROR_INVALID_PASSWORD);
    EXPECT_EQ(add.status(), 1001);
    EXPECT_EQ(redirector_->mount_count(), 1u);
}

// The platform's CreateFile and DeviceIoControl reach an in-process
// redirector message for message, fault injection included.
TEST_F(ValidationTest, ThroughThePlatformCalls) {
    cvnrd::ScopedInProcessRedirector attached(cvnrd::ExportTable::Demo(Host("pub")));
    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\CVNCTL", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(device, win32::INVALID_HANDLE_VALUE);
    win32::UniqueHandle owner(device);
    cvn::MountEntry entry = Entry(u"localhost", u"demo", 'N');
    win32::DWORD returned = 0;
    ASSERT_TRUE(win32::DeviceIoControl(device, cvn::FSCTL_SERVER_ADD_DISK, entry.data(), me::kSize,
                                       entry.data(), me::kSize, &returned, nullptr));
    EXPECT_EQ(returned, me::kSize);

    attached.redirector().FailNextRequest(cvnrd::Failure{2005, win32::ERROR_IO_DEVICE});
    entry = DriveEntry('N');
    EXPECT_FALSE(win32::DeviceIoControl(device, cvn::FSCTL_SERVER_GETMNT, entry.data(), me::kSize,
                                        entry.data(), me::kSize, &returned, nullptr));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_IO_DEVICE);
    EXPECT_EQ(entry.status(), 2005);

    win32::HANDLE directory =
        win32::CreateFileW(u"N:\\sub", win32::FILE_READ_EA, 0, nullptr, win32::OPEN_EXISTING,
                           win32::FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(directory, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
    win32::UniqueHandle directory_owner(directory);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    ASSERT_TRUE(win32::DeviceIoControl(directory, cvn::FSCTL_SERVER_GET_NFSATR, attributes.data(),
                                       104, attributes.data(), 104, &returned, nullptr));
    EXPECT_EQ(attributes.type(), cvn::nfs_attributes::kDirectory);
}

}  // namespace
}  // namespace redirector_test
