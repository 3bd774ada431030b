// Printer connections: a queue of the exports table on a port LPT1 to LPT9
// or on none, with the printer kind the client asks for.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/device.h"
#include "platform/drives.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "redirector/core/in_process.h"
#include "tests/redirector/daemon_support.h"
#include "tests/redirector/provider_exports.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/scoped_env.h"

namespace redirector_test {
namespace {

constexpr std::uint32_t kStateConnected = 1u << 8;

// A printer entry asking for `kind` (bits 12 to 15 of the device word).
cvn::MountEntry PrinterEntry(std::u16string_view path, std::uint8_t port, std::uint32_t kind = 2,
                             std::u16string_view user = u"", std::u16string_view password = u"") {
    cvn::MountEntry entry = Entry(u"alpha", path, port, user, password);
    entry.set_device_word((entry.device_word() & ~me::kDeviceTypeMask) |
                          (kind << me::kDeviceTypeShift));
    return entry;
}

bool PasswordFieldIsClear(const cvn::MountEntry& entry) {
    for (std::size_t i = 0; i < me::kPassword.bytes(); ++i) {
        if (entry.data()[me::kPassword.offset + i] != 0) {
            return false;
        }
    }
    return true;
}

using PrinterTest = ProviderRequestsTest;

TEST_F(PrinterTest, PortConnectionIsDescribedFetchedAndListed) {
    auto device = Device();
    cvn::MountEntry entry = PrinterEntry(u"lp", kLpt1);
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, entry);
    ASSERT_TRUE(reply.ok) << reply.error << " status " << StatusOf(reply);
    EXPECT_EQ(reply.output.size(), me::kSize);
    EXPECT_EQ(entry.status(), 0);
    EXPECT_EQ(entry.device_code(), kLpt1);
    EXPECT_EQ(entry.device_type(), 2u);
    EXPECT_TRUE(entry.device_word() & kStateConnected);
    EXPECT_EQ(entry.Text(me::kHost), u"alpha");
    EXPECT_EQ(entry.Text(me::kPath), u"lp");

    cvn::MountEntry fetched = DriveEntry(kLpt1);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, fetched).ok);
    EXPECT_EQ(fetched.Text(me::kPath), u"lp");
    EXPECT_EQ(fetched.device_type(), 2u);

    cvn::MountEntry listed = DriveEntry(0);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_NEXT_MOUNT, listed).ok);
    EXPECT_EQ(listed.device_code(), kLpt1);
    EXPECT_EQ(listed.Text(me::kPath), u"lp");
    EXPECT_EQ(redirector_->mount_count(), 1u);

    // A port is cancelled through its code; then there is nothing to fetch.
    cvn::MountEntry cancel = DriveEntry(kLpt1);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_DEL, cancel).ok);
    cvn::MountEntry gone = DriveEntry(kLpt1);
    protocol::Reply missing = device->Control(cvn::FSCTL_SERVER_GETMNT, gone);
    EXPECT_EQ(missing.error, win32::ERROR_NOT_CONNECTED);
    EXPECT_EQ(gone.status(), 532);
}

TEST_F(PrinterTest, TheKindIsTheClientsAmongThePrinterKinds) {
    const struct {
        std::uint32_t asked;
        std::uint32_t kept;
    } cases[] = {{0, 2}, {1, 2}, {2, 2}, {3, 3}, {4, 4}, {5, 2}, {15, 2}};
    std::uint8_t port = kLpt1;
    for (const auto& c : cases) {
        auto device = Device();
        cvn::MountEntry entry = PrinterEntry(u"lp", port, c.asked);
        ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, entry).ok) << c.asked;
        EXPECT_EQ(entry.device_type(), c.kept) << c.asked;
        cvn::MountEntry fetched = DriveEntry(port);
        ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, fetched).ok) << c.asked;
        EXPECT_EQ(fetched.device_type(), c.kept) << c.asked;
        ++port;
    }
}

struct RefusedPrinter {
    const char* name;
    std::u16string host;
    std::u16string path;
    std::uint8_t port;
    std::u16string user;
    std::u16string password;
    std::uint16_t status;
    win32::DWORD error;
    friend void PrintTo(const RefusedPrinter& c, std::ostream* os) { *os << c.name; }
};

class RefusedPrinterTest : public ProviderRequestsTest,
                           public ::testing::WithParamInterface<RefusedPrinter> {};

TEST_P(RefusedPrinterTest, StatusAndErrorNothingConnected) {
    const RefusedPrinter& c = GetParam();
    cvn::MountEntry entry = Entry(c.host, c.path, c.port, c.user, c.password);
    protocol::Reply reply = Device()->Control(cvn::FSCTL_SERVER_ADD_PRINTER, entry);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, c.error);
    EXPECT_EQ(entry.status(), c.status);
    EXPECT_EQ(redirector_->mount_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedPrinterTest,
    ::testing::Values(
        RefusedPrinter{"DriveLetter", u"alpha", u"lp", 'F', u"", u"", 1102,
                       win32::ERROR_BAD_DEVICE},
        RefusedPrinter{"PortZero", u"alpha", u"lp", '0', u"", u"", 1102, win32::ERROR_BAD_DEVICE},
        RefusedPrinter{"PortTen", u"alpha", u"lp", '9' + 1, u"", u"", 1102,
                       win32::ERROR_BAD_DEVICE},
        RefusedPrinter{"PortAsNumber", u"alpha", u"lp", 1, u"", u"", 1102, win32::ERROR_BAD_DEVICE},
        RefusedPrinter{"UnknownHost", u"gamma", u"lp", kLpt1, u"", u"", 553,
                       win32::ERROR_BAD_NET_NAME},
        RefusedPrinter{"NoHost", u"", u"lp", kLpt1, u"", u"", 553, win32::ERROR_BAD_NET_NAME},
        RefusedPrinter{"DiskExportIsNoQueue", u"alpha", u"pub", kLpt1, u"", u"", 537,
                       win32::ERROR_BAD_NET_NAME},
        RefusedPrinter{"QueueNameIsExact", u"alpha", u"LP", kLpt1, u"", u"", 537,
                       win32::ERROR_BAD_NET_NAME},
        RefusedPrinter{"NothingBelowAQueue", u"alpha", u"lp\\sub", kLpt1, u"", u"", 537,
                       win32::ERROR_BAD_NET_NAME},
        RefusedPrinter{"QueueOfAnotherHost", u"alpha", u"betalp", kLpt1, u"", u"", 537,
                       win32::ERROR_BAD_NET_NAME},
        RefusedPrinter{"NoCredentials", u"alpha", u"locked", kLpt1, u"", u"", 1001,
                       win32::ERROR_INVALID_PASSWORD},
        RefusedPrinter{"WrongPassword", u"alpha", u"locked", kLpt1, u"bob", u"PW", 1001,
                       win32::ERROR_INVALID_PASSWORD},
        RefusedPrinter{"WrongUser", u"alpha", u"locked", 0, u"alice", u"pw", 1001,
                       win32::ERROR_INVALID_PASSWORD}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterTest, QueueIsNoDiskExport) {
    cvn::MountEntry entry = Entry(u"alpha", u"lp", 'F');
    protocol::Reply reply = Device()->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
    EXPECT_EQ(reply.error, win32::ERROR_BAD_NET_NAME);
    EXPECT_EQ(entry.status(), 537);
    EXPECT_EQ(redirector_->mount_count(), 0u);
}

TEST_F(PrinterTest, QueueWhoseDirectoryIsGone) {
    std::filesystem::remove(Host("beta"));
    cvn::MountEntry entry = Entry(u"beta", u"betalp", kLpt1);
    protocol::Reply reply = Device()->Control(cvn::FSCTL_SERVER_ADD_PRINTER, entry);
    EXPECT_EQ(reply.error, win32::ERROR_BAD_NET_NAME);
    EXPECT_EQ(entry.status(), 537);
}

TEST_F(PrinterTest, CredentialsAcceptedAndNotKept) {
    auto device = Device();
    cvn::MountEntry entry = PrinterEntry(u"locked", kLpt9, 2, u"bob", u"pw");
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, entry).ok);
    EXPECT_EQ(entry.Text(me::kUserName), u"bob");
    EXPECT_TRUE(PasswordFieldIsClear(entry));
    cvn::MountEntry fetched = DriveEntry(kLpt9);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, fetched).ok);
    EXPECT_EQ(fetched.Text(me::kUserName), u"bob");
    EXPECT_TRUE(PasswordFieldIsClear(fetched));
}

TEST_F(PrinterTest, PortOrDevicelessNameInUse) {
    auto device = Device();
    cvn::MountEntry first = PrinterEntry(u"lp", kLpt1);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, first).ok);
    // Another queue on the same port.
    cvn::MountEntry same_port = Entry(u"beta", u"betalp", kLpt1);
    EXPECT_EQ(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, same_port).error,
              win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(same_port.status(), 555);
    // The same queue on another port, and once without a port.
    cvn::MountEntry other_port = PrinterEntry(u"lp", kLpt2);
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, other_port).ok);
    cvn::MountEntry deviceless = PrinterEntry(u"lp", 0);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, deviceless).ok);
    EXPECT_EQ(deviceless.device_code(), 0);
    cvn::MountEntry again = PrinterEntry(u"lp", 0);
    EXPECT_EQ(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, again).error,
              win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(redirector_->mount_count(), 3u);

    // A drive letter and a port of the same digit are not the same device.
    cvn::MountEntry disk = Entry(u"alpha", u"pub", 'A');
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_DISK, disk).ok);
    // The deviceless queue is cancelled by its name.
    cvn::MountEntry cancel = Entry(u"alpha", u"lp");
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_DEL, cancel).ok);
    EXPECT_EQ(redirector_->mount_count(), 3u);
}

TEST_F(PrinterTest, PortsAreNoDrives) {
    auto device = Device();
    for (std::uint8_t port : {kLpt1, kLpt9}) {
        cvn::MountEntry printer = PrinterEntry(u"lp", port);
        ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_PRINTER, printer).ok);
    }
    cvn::MountEntry disk = Entry(u"alpha", u"pub", 'F');
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_DISK, disk).ok);
    protocol::Request request;
    request.operation = protocol::kDriveMask;
    protocol::Reply mask = device->Send(request);
    ASSERT_TRUE(mask.ok);
    ASSERT_EQ(mask.output.size(), 4u);
    EXPECT_EQ(win32::ByteView(mask.output.data(), 4).U32(0), 1u << ('F' - 'A'));

    // A port is no drive to a file name either.
    auto file = std::make_unique<Client>(redirector_);
    EXPECT_EQ(file->OpenFile(u"1:\\job.txt").error, win32::ERROR_PATH_NOT_FOUND);
}

// The daemon serves the same requests through the platform's device calls;
// its own listing names ports as the system does.
TEST(PrinterDaemon, PortConnectionsThroughTheDeviceCalls) {
    cvn_test::TempDir data;
    std::filesystem::create_directories(data / "demo");
    std::filesystem::create_directories(data / "spool");
    cvn_test::RedirectorDaemon daemon("\\\\localhost\\demo \"" + data / "demo" +
                                      "\"\n\\\\localhost\\lp \"printer:" + data / "spool" + "\"\n");
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    cvn_test::ScopedEnv env;
    env.Set("CVN_RUNTIME_DIR", daemon.runtime_dir()).Set("CVN_DRIVES", "");

    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\VCORV", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(device, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
    win32::UniqueHandle owner(device);
    auto send = [&](win32::DWORD code, cvn::MountEntry& entry) {
        win32::DWORD returned = 0;
        win32::SetLastError(0);
        bool ok = win32::DeviceIoControl(device, code, entry.data(), me::kSize, entry.data(),
                                         me::kSize, &returned, nullptr);
        return ok ? win32::DWORD{0} : win32::GetLastError();
    };
    cvn::MountEntry printer = Entry(u"localhost", u"lp", kLpt2);
    printer.set_device_word(printer.device_word() | (3u << me::kDeviceTypeShift));
    ASSERT_EQ(send(cvn::FSCTL_SERVER_ADD_PRINTER, printer), 0u);
    EXPECT_EQ(printer.device_type(), 3u);
    cvn::MountEntry disk = Entry(u"localhost", u"demo", 'F');
    ASSERT_EQ(send(cvn::FSCTL_SERVER_ADD_DISK, disk), 0u);
    cvn::MountEntry refused = Entry(u"localhost", u"lp", 'G');
    EXPECT_EQ(send(cvn::FSCTL_SERVER_ADD_PRINTER, refused), win32::ERROR_BAD_DEVICE);
    EXPECT_EQ(refused.status(), 1102);

    EXPECT_EQ(win32::GetLogicalDrives(), 1u << ('F' - 'A'));
    cvn_test::ProcessResult list = daemon.Control({"list"});
    EXPECT_EQ(list.exit_status, 0) << list.err;
    EXPECT_EQ(list.out, "LPT2 \\\\localhost\\lp\nF: \\\\localhost\\demo\n");
    EXPECT_TRUE(daemon.Stop());
}

}  // namespace
}  // namespace redirector_test
