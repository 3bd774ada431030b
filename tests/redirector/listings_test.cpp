// The logged-on user's credentials, and the listings of a host's exports and
// printer queues that the network provider browses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/handles.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "tests/redirector/provider_exports.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/scoped_env.h"

namespace redirector_test {
namespace {

Credentials CredentialsRecord(std::u16string_view user, std::u16string_view password) {
    Credentials record;
    cvn::InitializeHeader(record.view());
    cvn::CopyCountedName(user, record.view(), cr::kUserName);
    cvn::CopyCountedName(password, record.view(), cr::kPassword);
    return record;
}

bool PasswordFieldIsClear(const Credentials& record) {
    for (std::size_t i = cr::kPassword.offset; i < cr::kPassword.end(); ++i) {
        if (record.data()[i] != 0) {
            return false;
        }
    }
    return true;
}

using CredentialsTest = ProviderRequestsTest;

TEST_F(CredentialsTest, UserIsHandedBackWithoutThePassword) {
    auto device = Device();
    Credentials before = CredentialsRecord(u"", u"");
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GET_USER, before).ok);
    EXPECT_EQ(cvn::CountedNameText(before.view(), cr::kUserName), u"");

    Credentials set = CredentialsRecord(u"alice", u"s3cret");
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_SET_USER, set);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), cr::kSize);
    EXPECT_EQ(set.status(), 0);
    EXPECT_EQ(cvn::CountedNameText(set.view(), cr::kUserName), u"alice");
    EXPECT_TRUE(PasswordFieldIsClear(set)) << "the reply carries the password back";

    // Any handle asks; what the asker left in the password field goes too.
    auto other = Device();
    Credentials get = CredentialsRecord(u"", u"leftover");
    reply = other->Control(cvn::FSCTL_SERVER_GET_USER, get);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(get.tag(), cvn::kRecordTag);
    EXPECT_EQ(get.status(), 0);
    EXPECT_EQ(cvn::CountedNameText(get.view(), cr::kUserName), u"alice");
    EXPECT_TRUE(PasswordFieldIsClear(get));

    // A later set replaces the user; an empty one clears it.
    for (std::u16string_view user : {u"bob", u""}) {
        Credentials replace = CredentialsRecord(user, u"pw");
        ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_SET_USER, replace).ok);
        Credentials again = CredentialsRecord(u"", u"");
        ASSERT_TRUE(other->Control(cvn::FSCTL_SERVER_GET_USER, again).ok);
        EXPECT_EQ(cvn::CountedNameText(again.view(), cr::kUserName), user);
    }
}

TEST_F(CredentialsTest, DamagedLengthsStayInTheirFields) {
    auto device = Device();
    Credentials set = CredentialsRecord(u"", u"");
    for (std::size_t i = 0; i < cr::kUserName.capacity; ++i) {
        set.view().SetU16(cr::kUserName.offset + 2 + 2 * i, u'a' + i % 26);
    }
    set.view().SetU16(cr::kUserName.offset, 0xFFFF);
    set.view().SetU16(cr::kPassword.offset, 0xFFFF);
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_SET_USER, set).ok);
    Credentials get = CredentialsRecord(u"", u"");
    ASSERT_TRUE(device->Control(cvn::FSCTL_SERVER_GET_USER, get).ok);
    EXPECT_EQ(cvn::CountedNameText(get.view(), cr::kUserName), u"abcdefghijklmnopqrstuvwxyzabcdef");
    EXPECT_EQ(get.view().U16(cr::kUserName.offset), 64);
}

using ListingTest = ProviderRequestsTest;

TEST_F(ListingTest, ExportsOfAHostInTheTablesOrder) {
    auto device = Device();
    ListOpen open = OpenRecord(u"alpha");
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_OPEN_EXPORTS, open);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), lo::kSize);
    EXPECT_EQ(open.status(), 0);
    const std::uint32_t handle = open.view().U32(lo::kListHandle);
    EXPECT_NE(handle, 0u);

    ListEntry first = EntryRecord(handle);
    reply = device->Control(cvn::FSCTL_SERVER_NEXT_ENTRY, first);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), le::kSize);
    EXPECT_EQ(first.status(), 0);
    EXPECT_EQ(first.view().U32(le::kListHandle), handle);
    EXPECT_EQ(ListedOf(first), (Listed{u"pub", win32::HostToWide(Host("pub")), 0}));

    // The protected export is flagged; a name of 12 characters is listed,
    // one of 13 is not; the printer queues are not exports.
    EXPECT_EQ(Drain(*device, handle),
              (std::vector<Listed>{
                  {u"secure", win32::HostToWide(Host("secure")), le::kFlagAlternatePrefix},
                  {u"deep\\er", win32::HostToWide(Host("deep")), 0},
                  {u"twelve_chars", win32::HostToWide(Host("twelve")), 0},
              }));

    // The end gave the handle back: it is unknown now.
    ListEntry after = EntryRecord(handle);
    reply = device->Control(cvn::FSCTL_SERVER_NEXT_ENTRY, after);
    EXPECT_EQ(reply.error, win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(after.status(), 22);
}

TEST_F(ListingTest, PrintersOfAHost) {
    auto device = Device();
    // Host names compare without regard to case.
    EXPECT_EQ(Drain(*device, Open(*device, cvn::FSCTL_SERVER_OPEN_PRINTERS, u"ALPHA")),
              (std::vector<Listed>{
                  {u"lp", win32::HostToWide(Host("spool")), 0},
                  {u"locked", win32::HostToWide(Host("locked")), le::kFlagAlternatePrefix},
              }));
    EXPECT_EQ(Drain(*device, Open(*device, cvn::FSCTL_SERVER_OPEN_PRINTERS, u"beta")),
              (std::vector<Listed>{{u"betalp", win32::HostToWide(Host("beta")), 0}}));
}

TEST_F(ListingTest, HostWithoutExportsEndsAtOnce) {
    auto device = Device();
    const std::uint32_t handle = Open(*device, cvn::FSCTL_SERVER_OPEN_EXPORTS, u"beta");
    ListEntry entry = EntryRecord(handle);
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_NEXT_ENTRY, entry);
    EXPECT_EQ(reply.error, win32::ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(entry.status(), 507);
}

TEST_F(ListingTest, UnknownHost) {
    auto device = Device();
    for (win32::DWORD code : {cvn::FSCTL_SERVER_OPEN_EXPORTS, cvn::FSCTL_SERVER_OPEN_PRINTERS}) {
        for (std::u16string_view host : {u"gamma", u"", u"alpha\\pub", u"\\\\alpha"}) {
            ListOpen open = OpenRecord(host);
            protocol::Reply reply = device->Control(code, open);
            EXPECT_EQ(reply.error, win32::ERROR_BAD_NET_NAME) << testing::PrintToString(host);
            EXPECT_EQ(open.status(), 553) << testing::PrintToString(host);
        }
    }
}

TEST_F(ListingTest, SeveralListingsOpenAtOnceOnOneHandle) {
    auto device = Device();
    const std::uint32_t exports = Open(*device, cvn::FSCTL_SERVER_OPEN_EXPORTS, u"alpha");
    const std::uint32_t printers = Open(*device, cvn::FSCTL_SERVER_OPEN_PRINTERS, u"alpha");
    const std::uint32_t exports_again = Open(*device, cvn::FSCTL_SERVER_OPEN_EXPORTS, u"alpha");
    EXPECT_NE(exports, printers);
    EXPECT_NE(exports, exports_again);
    EXPECT_NE(printers, exports_again);

    auto next = [&](std::uint32_t handle) {
        ListEntry record = EntryRecord(handle);
        protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_NEXT_ENTRY, record);
        if (reply.ok) {
            return cvn::CountedNameText(record.view(), le::kName);
        }
        return std::u16string(record.status() == 507  ? u"(end)"
                              : record.status() == 22 ? u"(unknown)"
                                                      : u"(failed)");
    };
    // Each goes its own way, whatever the others do.
    EXPECT_EQ(next(exports), u"pub");
    EXPECT_EQ(next(printers), u"lp");
    EXPECT_EQ(next(exports), u"secure");
    EXPECT_EQ(next(exports_again), u"pub");
    EXPECT_EQ(next(printers), u"locked");
    EXPECT_EQ(next(printers), u"(end)");
    EXPECT_EQ(next(exports), u"deep\\er");
    EXPECT_EQ(next(exports_again), u"secure");
    EXPECT_EQ(next(printers), u"(unknown)");
    // A handle given back is never handed out again on this handle.
    const std::uint32_t later = Open(*device, cvn::FSCTL_SERVER_OPEN_PRINTERS, u"beta");
    EXPECT_NE(later, printers);
    EXPECT_EQ(next(later), u"betalp");
    EXPECT_EQ(next(exports), u"twelve_chars");
}

TEST_F(ListingTest, UnknownHandles) {
    auto device = Device();
    const std::uint32_t mine = Open(*device, cvn::FSCTL_SERVER_OPEN_EXPORTS, u"alpha");
    // Listings belong to the handle that opened them.
    auto other = Device();
    for (std::uint32_t handle : {mine, mine + 1, std::uint32_t{0}, std::uint32_t{0xFFFFFFFF}}) {
        ListEntry entry = EntryRecord(handle);
        protocol::Reply reply = other->Control(cvn::FSCTL_SERVER_NEXT_ENTRY, entry);
        EXPECT_EQ(reply.error, win32::ERROR_INVALID_PARAMETER) << handle;
        EXPECT_EQ(entry.status(), 22) << handle;
    }
    ListEntry entry = EntryRecord(mine);
    EXPECT_TRUE(device->Control(cvn::FSCTL_SERVER_NEXT_ENTRY, entry).ok);
    EXPECT_EQ(cvn::CountedNameText(entry.view(), le::kName), u"pub");
}

// Through the daemon: each device handle is a connection of its own, with
// its own listings; the logged-on user is the daemon's, whoever asks.
TEST(ListingDaemon, ListingsPerHandleAndOneUser) {
    cvn_test::TempDir data;
    std::filesystem::create_directories(data / "demo");
    std::filesystem::create_directories(data / "spool");
    cvn_test::RedirectorDaemon daemon(
        "\\\\localhost\\demo \"" + data / "demo" +
        "\" alice s3cret\n\\\\localhost\\lp \"printer:" + data / "spool" + "\"\n");
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    cvn_test::ScopedEnv env("CVN_RUNTIME_DIR", daemon.runtime_dir());

    auto open_device = [] {
        return win32::UniqueHandle(win32::CreateFileW(u"\\\\.\\VCORV",
                                                      win32::GENERIC_READ | win32::GENERIC_WRITE, 0,
                                                      nullptr, win32::OPEN_EXISTING, 0, nullptr));
    };
    auto send = [](win32::HANDLE device, win32::DWORD code, auto& record) {
        win32::DWORD returned = 0;
        win32::SetLastError(0);
        bool ok = win32::DeviceIoControl(
            device, code, record.data(), static_cast<win32::DWORD>(record.size()), record.data(),
            static_cast<win32::DWORD>(record.size()), &returned, nullptr);
        return ok ? win32::DWORD{0} : win32::GetLastError();
    };
    win32::UniqueHandle first = open_device();
    win32::UniqueHandle second = open_device();
    ASSERT_TRUE(first.valid() && second.valid()) << win32::GetLastError();

    ListOpen open = OpenRecord(u"localhost");
    ASSERT_EQ(send(first.get(), cvn::FSCTL_SERVER_OPEN_EXPORTS, open), 0u);
    const std::uint32_t handle = open.view().U32(lo::kListHandle);
    ListEntry foreign = EntryRecord(handle);
    EXPECT_EQ(send(second.get(), cvn::FSCTL_SERVER_NEXT_ENTRY, foreign),
              win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(foreign.status(), 22);
    ListEntry entry = EntryRecord(handle);
    ASSERT_EQ(send(first.get(), cvn::FSCTL_SERVER_NEXT_ENTRY, entry), 0u);
    EXPECT_EQ(ListedOf(entry),
              (Listed{u"demo", win32::HostToWide(data / "demo"), le::kFlagAlternatePrefix}));
    entry = EntryRecord(handle);
    EXPECT_EQ(send(first.get(), cvn::FSCTL_SERVER_NEXT_ENTRY, entry), win32::ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(entry.status(), 507);

    ListOpen printers = OpenRecord(u"localhost");
    ASSERT_EQ(send(second.get(), cvn::FSCTL_SERVER_OPEN_PRINTERS, printers), 0u);
    entry = EntryRecord(printers.view().U32(lo::kListHandle));
    ASSERT_EQ(send(second.get(), cvn::FSCTL_SERVER_NEXT_ENTRY, entry), 0u);
    EXPECT_EQ(ListedOf(entry), (Listed{u"lp", win32::HostToWide(data / "spool"), 0}));

    Credentials set = CredentialsRecord(u"alice", u"s3cret");
    ASSERT_EQ(send(first.get(), cvn::FSCTL_SERVER_SET_USER, set), 0u);
    EXPECT_TRUE(PasswordFieldIsClear(set));
    first.Reset();
    // A new connection still finds the user, and none of the old listings.
    win32::UniqueHandle third = open_device();
    ASSERT_TRUE(third.valid());
    Credentials get = CredentialsRecord(u"", u"");
    ASSERT_EQ(send(third.get(), cvn::FSCTL_SERVER_GET_USER, get), 0u);
    EXPECT_EQ(cvn::CountedNameText(get.view(), cr::kUserName), u"alice");
    EXPECT_TRUE(PasswordFieldIsClear(get));
    ListEntry stale = EntryRecord(handle);
    EXPECT_EQ(send(third.get(), cvn::FSCTL_SERVER_NEXT_ENTRY, stale),
              win32::ERROR_INVALID_PARAMETER);

    ListOpen unknown = OpenRecord(u"elsewhere");
    EXPECT_EQ(send(third.get(), cvn::FSCTL_SERVER_OPEN_PRINTERS, unknown),
              win32::ERROR_BAD_NET_NAME);
    EXPECT_EQ(unknown.status(), 553);
    EXPECT_TRUE(daemon.Stop());
}

}  // namespace
}  // namespace redirector_test
