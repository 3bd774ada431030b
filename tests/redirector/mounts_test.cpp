// Connections of the redirector in-process: connect, fetch, enumerate and
// cancel, as the tools and the network provider send them.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/redirector/redirector_client.h"

namespace redirector_test {
namespace {

using ConnectTest = RedirectorTest;

TEST_F(ConnectTest, DriveConnectionIsDescribedBack) {
    auto device = Device();
    cvn::MountEntry entry = Entry(u"alpha", u"pub", 'F');
    entry.view().SetU32(me::kReadSize, 4096);
    entry.view().SetU32(me::kPermissionMask, 0700);
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), me::kSize);
    EXPECT_EQ(entry.tag(), cvn::kRecordTag);
    EXPECT_EQ(entry.status(), 0);
    EXPECT_EQ(entry.device_code(), 'F');
    EXPECT_EQ(entry.device_type(), me::kDeviceTypeDisk);
    EXPECT_EQ(entry.Text(me::kHost), u"alpha");
    EXPECT_EQ(entry.Text(me::kPath), u"pub");
    EXPECT_EQ(entry.view().U32(me::kReadSize), 4096u);
    EXPECT_EQ(redirector_->mount_count(), 1u);
}

TEST_F(ConnectTest, DevicelessConnectionAndSubdirectory) {
    auto device = Device();
    cvn::MountEntry deviceless = Entry(u"alpha", u"pub");
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_DISK, deviceless).ok);
    EXPECT_EQ(deviceless.device_code(), 0);
    EXPECT_EQ(deviceless.device_type(), me::kDeviceTypeDisk);
    cvn::MountEntry below = Entry(u"ALPHA", u"pub\\sub", 'G');
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_DISK, below).ok);
    EXPECT_EQ(redirector_->mount_count(), 2u);
}

struct RefusedConnection {
    const char* name;
    std::uint8_t device;
    std::u16string host;
    std::u16string path;
    std::uint16_t status;
    win32::DWORD error;
    friend void PrintTo(const RefusedConnection& c, std::ostream* os) { *os << c.name; }
};

class RefusedConnectionTest : public RedirectorTest,
                              public ::testing::WithParamInterface<RefusedConnection> {};

TEST_P(RefusedConnectionTest, StatusAndErrorNothingMounted) {
    const RefusedConnection& c = GetParam();
    auto device = Device();
    cvn::MountEntry entry = Entry(c.host, c.path, c.device);
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, c.error);
    EXPECT_EQ(StatusOf(reply), c.status);
    EXPECT_EQ(redirector_->mount_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedConnectionTest,
    ::testing::Values(
        RefusedConnection{"UnknownHost", 'F', u"beta", u"pub", 553, win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"EmptyHost", 'F', u"", u"pub", 553, win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"UnknownExport", 'F', u"alpha", u"nothing", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"ExportCaseDiffers", 'F', u"alpha", u"PUB", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"ExportPrefixOnly", 'F', u"alpha", u"pubx", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"NoPath", 'F', u"alpha", u"", 537, win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"MissingSubdirectory", 'F', u"alpha", u"pub\\missing", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"SubdirectoryIsAFile", 'F', u"alpha", u"pub\\file.txt", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"ClimbsOut", 'F', u"alpha", u"pub\\..\\outside", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"ClimbsOutDeviceless", 0, u"alpha", u"pub/../secure", 537,
                          win32::ERROR_BAD_NET_NAME},
        RefusedConnection{"PrinterPortDigit", '1', u"alpha", u"pub", 1102, win32::ERROR_BAD_DEVICE},
        RefusedConnection{"LowerCaseLetter", 'f', u"alpha", u"pub", 1102, win32::ERROR_BAD_DEVICE},
        RefusedConnection{"HighByte", 0xC6, u"alpha", u"pub", 1102, win32::ERROR_BAD_DEVICE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectTest, LocalNameInUse) {
    Connect('F');
    Connect(0);
    auto device = Device();
    // The drive taken, and the deviceless remote name written otherwise.
    for (cvn::MountEntry again :
         {Entry(u"alpha", u"pub\\sub", 'F'), Entry(u"ALPHA", u"\\pub\\", 0)}) {
        protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_ADD_DISK, again);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, win32::ERROR_ALREADY_EXISTS);
        EXPECT_EQ(StatusOf(reply), 555);
    }
    // The same remote name on another drive is a connection of its own.
    Connect('G');
    EXPECT_EQ(redirector_->mount_count(), 3u);
}

struct Credentials {
    const char* name;
    std::u16string user;
    std::u16string password;
    bool accepted;
    friend void PrintTo(const Credentials& c, std::ostream* os) { *os << c.name; }
};

class CredentialsTest : public RedirectorTest, public ::testing::WithParamInterface<Credentials> {};

TEST_P(CredentialsTest, PasswordCheckedAndNeverReturned) {
    const Credentials& c = GetParam();
    auto device = Device();
    cvn::MountEntry entry = Entry(u"alpha", u"secure", 'S', c.user, c.password);
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
    if (!c.accepted) {
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, win32::ERROR_INVALID_PASSWORD);
        EXPECT_EQ(StatusOf(reply), 1001);
        EXPECT_EQ(redirector_->mount_count(), 0u);
        return;
    }
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(redirector_->mount_count(), 1u);

    // Neither the answer to the connect nor any later description of the
    // connection holds the password, not even past a zero length.
    auto expect_no_password = [](const cvn::MountEntry& returned, const char* what) {
        EXPECT_EQ(returned.Text(me::kUserName), u"alice") << what;
        for (std::size_t i = me::kPassword.offset; i < me::kPassword.end(); ++i) {
            ASSERT_EQ(returned.data()[i], 0) << what << ", byte " << i;
        }
    };
    expect_no_password(entry, "connect");
    cvn::MountEntry fetched = DriveEntry('S');
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, fetched).ok);
    expect_no_password(fetched, "fetch");
    cvn::MountEntry listed = DriveEntry(0);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_NEXT_MOUNT, listed).ok);
    expect_no_password(listed, "enumeration");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CredentialsTest,
    ::testing::Values(Credentials{"Right", u"alice", u"s3cret", true},
                      Credentials{"NoCredentials", u"", u"", false},
                      Credentials{"UserWithoutPassword", u"alice", u"", false},
                      Credentials{"WrongPassword", u"alice", u"s3cre", false},
                      Credentials{"PasswordCaseDiffers", u"alice", u"S3CRET", false},
                      Credentials{"WrongUser", u"bob", u"s3cret", false},
                      Credentials{"UserCaseDiffers", u"Alice", u"s3cret", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectTest, CredentialsCheckedBeforeAnythingBelowTheExport) {
    std::filesystem::create_directories(Host("secure/there"));
    struct Case {
        std::u16string path;
        std::u16string password;
        std::uint16_t status;  // 0: connected
    };
    for (const Case& c :
         {Case{u"secure\\missing", u"", 1001}, Case{u"secure\\there", u"", 1001},
          Case{u"secure\\..\\pub", u"", 1001}, Case{u"secure\\missing", u"s3cret", 537},
          Case{u"secure\\there", u"s3cret", 0}}) {
        cvn::MountEntry entry = Entry(u"alpha", c.path, 0, u"alice", c.password);
        protocol::Reply reply = Device()->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
        EXPECT_EQ(reply.ok, c.status == 0);
        EXPECT_EQ(entry.status(), c.status);
    }
}

TEST_F(ConnectTest, LongPasswordComparedAsTheProviderSendsIt) {
    // The provider cuts a password to the 16 characters of the field; the
    // exports file may hold a longer one.
    std::string error;
    auto exports = cvnrd::ExportTable::Parse(
        "\\\\alpha\\secure " + Host("secure") + " alice 0123456789abcdefXYZ\n", &error);
    ASSERT_TRUE(exports) << error;
    auto redirector = std::make_shared<cvnrd::Redirector>(*exports);
    Client client(redirector);
    ASSERT_TRUE(client.OpenDevice().ok);
    cvn::MountEntry entry = Entry(u"alpha", u"secure", 'S', u"alice", u"0123456789abcdefXYZ");
    EXPECT_EQ(entry.Text(me::kPassword), u"0123456789abcdef");
    EXPECT_TRUE(client.Control(cvn::FSCTL_SERVER_ADD_DISK, entry).ok);
}

using FetchTest = RedirectorTest;

TEST_F(FetchTest, ByDriveAndByNameKeepsTheOptionsConnectedWith) {
    auto device = Device();
    cvn::MountEntry connected = Entry(u"alpha", u"pub\\sub", 'H');
    connected.view().SetU32(me::kWriteSize, 1024);
    connected.view().SetU32(me::kOptions, 0x84BA | 0x200);  // read-only option
    connected.SetText(me::kNisDomain, u"example");
    connected.view().SetU32(me::kGroupCount, 2);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_ADD_DISK, connected).ok);

    cvn::MountEntry by_drive = DriveEntry('H');
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, by_drive).ok);
    cvn::MountEntry by_name = Entry(u"ALPHA", u"pub\\sub");
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, by_name).ok);
    for (const cvn::MountEntry* fetched : {&by_drive, &by_name}) {
        EXPECT_EQ(fetched->status(), 0);
        EXPECT_EQ(fetched->device_code(), 'H');
        EXPECT_EQ(fetched->device_type(), me::kDeviceTypeDisk);
        EXPECT_EQ(fetched->Text(me::kHost), u"alpha");
        EXPECT_EQ(fetched->Text(me::kPath), u"pub\\sub");
        EXPECT_EQ(fetched->view().U32(me::kWriteSize), 1024u);
        EXPECT_EQ(fetched->view().U32(me::kOptions), 0x84BAu | 0x200u);
        EXPECT_EQ(fetched->Text(me::kNisDomain), u"example");
        EXPECT_EQ(fetched->view().U32(me::kGroupCount), 2u);
    }
}

TEST_F(FetchTest, AbsentMountIsStatus532) {
    Connect('F');
    auto device = Device();
    for (cvn::MountEntry wanted : {DriveEntry('G'), Entry(u"alpha", u"pub\\sub"),
                                   Entry(u"beta", u"pub"), Entry(u"alpha", u"secure")}) {
        protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_GETMNT, wanted);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, win32::ERROR_NOT_CONNECTED);
        EXPECT_EQ(StatusOf(reply), cvn::kStatusNoSuchMount);
        EXPECT_EQ(wanted.status(), cvn::kStatusNoSuchMount);
    }
}

// The enumeration as the tools run it: one handle, request 14 until it fails.
class EnumerationTest : public RedirectorTest {
protected:
    // The device code (or '-' for none) of the next mount; "" at the end.
    std::string Next(Client& client) {
        cvn::MountEntry entry = DriveEntry(0);
        protocol::Reply reply = client.Control(cvn::FSCTL_SERVER_NEXT_MOUNT, entry);
        if (!reply.ok) {
            EXPECT_EQ(reply.error, win32::ERROR_NO_MORE_ITEMS);
            EXPECT_EQ(StatusOf(reply), 507);
            return "";
        }
        EXPECT_EQ(entry.status(), 0);
        return std::string(1, entry.device_code() == 0 ? '-' : char(entry.device_code()));
    }
    std::string Rest(Client& client) {
        std::string seen;
        for (std::string one = Next(client); !one.empty(); one = Next(client)) {
            seen += one;
        }
        return seen;
    }
    void Cancel(std::uint8_t device) {
        cvn::MountEntry entry = DriveEntry(device);
        ASSERT_TRUE(Device()->Control(cvn::FSCTL_SERVER_DEL, entry).ok);
    }
};

TEST_F(EnumerationTest, EmptyTableEndsAtOnce) {
    auto device = Device();
    EXPECT_EQ(Next(*device), "");
    EXPECT_EQ(Next(*device), "");
}

TEST_F(EnumerationTest, OrderOfConnectingThenEndThenOver) {
    Connect('K');
    Connect(0);
    Connect('C');
    auto device = Device();
    EXPECT_EQ(Rest(*device), "K-C");
    EXPECT_EQ(Rest(*device), "K-C");  // after the end it starts over
}

TEST_F(EnumerationTest, CursorSurvivesCancellations) {
    for (std::uint8_t drive : {'A', 'B', 'C', 'D', 'E'}) {
        Connect(drive);
    }
    auto device = Device();
    EXPECT_EQ(Next(*device), "A");
    EXPECT_EQ(Next(*device), "B");
    Cancel('B');  // the one just returned
    EXPECT_EQ(Next(*device), "C");
    Cancel('A');  // one before it
    EXPECT_EQ(Next(*device), "D");
    Cancel('E');  // one after it
    Connect('Z');
    EXPECT_EQ(Rest(*device), "Z");
    EXPECT_EQ(Rest(*device), "CDZ");
}

TEST_F(EnumerationTest, LastReturnedCancelledAtTheEnd) {
    Connect('A');
    Connect('B');
    auto device = Device();
    EXPECT_EQ(Next(*device), "A");
    EXPECT_EQ(Next(*device), "B");
    Cancel('B');
    EXPECT_EQ(Next(*device), "");
    EXPECT_EQ(Rest(*device), "A");
}

TEST_F(EnumerationTest, EachHandleHasItsOwnPosition) {
    Connect('A');
    Connect('B');
    Connect('C');
    auto first = Device();
    auto second = Device();
    EXPECT_EQ(Next(*first), "A");
    EXPECT_EQ(Next(*first), "B");
    EXPECT_EQ(Next(*second), "A");
    EXPECT_EQ(Next(*first), "C");
    EXPECT_EQ(Rest(*second), "BC");
    EXPECT_EQ(Next(*first), "");
}

using CancelTest = RedirectorTest;

TEST_F(CancelTest, OpenFileBlocksPlainCancelNotForcedOne) {
    Connect('F');
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\file.txt").ok);
    auto device = Device();

    cvn::MountEntry entry = DriveEntry('F');
    protocol::Reply plain = device->Control(cvn::FSCTL_SERVER_DEL, entry);
    EXPECT_FALSE(plain.ok);
    EXPECT_EQ(plain.error, win32::ERROR_OPEN_FILES);
    EXPECT_EQ(StatusOf(plain), cvn::kStatusOpenFiles);
    EXPECT_EQ(redirector_->mount_count(), 1u);

    entry = DriveEntry('F');
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_DEL_FORCE, entry).ok);
    EXPECT_EQ(redirector_->mount_count(), 0u);

    // The file's handle outlives its connection: every request on it now
    // finds the network name gone, even once the drive is connected again.
    Connect('F');
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    protocol::Reply stale = file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes);
    EXPECT_FALSE(stale.ok);
    EXPECT_EQ(stale.error, win32::ERROR_NETNAME_DELETED);
    EXPECT_EQ(StatusOf(stale), 70);
}

TEST_F(CancelTest, ClosedFileNoLongerBlocks) {
    Connect('F');
    {
        auto file = NewClient();
        ASSERT_TRUE(file->OpenFile(u"\\\\alpha\\pub\\sub", win32::FILE_FLAG_BACKUP_SEMANTICS).ok);
    }
    // A file on another connection does not block this one either.
    Connect('G', u"pub\\sub");
    auto other = NewClient();
    ASSERT_TRUE(other->OpenFile(u"G:\\inner.txt").ok);
    cvn::MountEntry entry = DriveEntry('F');
    EXPECT_TRUE(Device()->Control(cvn::FSCTL_SERVER_DEL, entry).ok);
}

TEST_F(CancelTest, RemoteNameCancelsTheDevicelessConnectionOnly) {
    Connect('F');
    Connect(0);
    auto device = Device();
    cvn::MountEntry by_name = Entry(u"Alpha", u"pub");
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_DEL, by_name).ok);
    EXPECT_EQ(redirector_->mount_count(), 1u);

    by_name = Entry(u"alpha", u"pub");
    protocol::Reply again = device->Control(cvn::FSCTL_SERVER_DEL_FORCE, by_name);
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.error, win32::ERROR_NOT_CONNECTED);
    EXPECT_EQ(StatusOf(again), cvn::kStatusNoSuchMount);

    cvn::MountEntry drive = DriveEntry('F');
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_GETMNT, drive).ok);
}

TEST_F(CancelTest, AbsentConnectionIsStatus532) {
    auto device = Device();
    for (win32::DWORD code : {cvn::FSCTL_SERVER_DEL, cvn::FSCTL_SERVER_DEL_FORCE}) {
        cvn::MountEntry entry = DriveEntry('Q');
        protocol::Reply reply = device->Control(code, entry);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, win32::ERROR_NOT_CONNECTED);
        EXPECT_EQ(entry.status(), cvn::kStatusNoSuchMount);
    }
}

TEST(Statistics, CountRequestsFailuresConnectionsAndAttributeRequests) {
    cvn_test::TempDir root;
    auto redirector = std::make_shared<cvnrd::Redirector>(cvnrd::ExportTable::Demo(root.path()));
    Client client(redirector);
    ASSERT_TRUE(client.OpenDevice().ok);
    cvn::MountEntry entry = Entry(u"localhost", u"demo", 'D');
    ASSERT_TRUE(client.Control(cvn::FSCTL_SERVER_ADD_DISK, entry).ok);
    entry = Entry(u"localhost", u"demo", 'D');
    ASSERT_FALSE(client.Control(cvn::FSCTL_SERVER_ADD_DISK, entry).ok);
    win32::Bytes get95(cvn::kGetAttributes95Size);
    win32::ByteView view(get95.data(), get95.size());
    cvn::InitializeHeader(view);
    cvn::CopyCountedName(u"D:\\", view, cvn::kGetAttributes95Path);
    ASSERT_TRUE(client.Control(cvn::FSCTL_SERVER_GET_NFSATR_95, get95).ok);

    cvn::Statistics statistics;
    statistics.Initialize();
    statistics.view().Fill(20, 8, 0xAB);
    protocol::Reply reply = client.Control(cvn::FSCTL_SERVER_GETIDSTAT, statistics);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.output.size(), cvn::statistics::kSize);
    EXPECT_EQ(statistics.tag(), cvn::kRecordTag);
    EXPECT_EQ(statistics.status(), 0);
    EXPECT_EQ(statistics.counter(0), 4u);  // this request included
    EXPECT_EQ(statistics.counter(1), 1u);
    EXPECT_EQ(statistics.counter(2), 1u);
    EXPECT_EQ(statistics.counter(3), 1u);
    EXPECT_EQ(statistics.view().U64(20), 0xABABABABABABABABu);  // reserved, left alone
}

}  // namespace
}  // namespace redirector_test
