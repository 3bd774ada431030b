// Cancelling connections and asking about them: the remote name and the
// user of a local device, the logged-on user, and the universal name of a
// path on an NFS drive, in the caller's buffer byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/cvprov/provider_test_support.h"

namespace {

using namespace provider_test;

constexpr std::uint32_t kDisk = cvprov::RESOURCETYPE_DISK;
constexpr std::uint32_t kPrint = cvprov::RESOURCETYPE_PRINT;

// NPCancelConnection takes a wide name on Windows NT and a narrow one on
// Windows 95, and talks to that platform's device.
class CancelConnection : public ProviderOnBoth {
protected:
    std::uint32_t Device() const {
        return GetParam() == "95" ? protocol::kControlDevice95 : protocol::kControlDeviceNt;
    }

    std::uint32_t Cancel(const char* name, std::int32_t force) {
        if (name == nullptr) {
            return NPCancelConnection(nullptr, force, 0);
        }
        if (GetParam() == "95") {
            return NPCancelConnection(name, force, 0);
        }
        std::u16string wide(name, name + std::strlen(name));
        return NPCancelConnection(wide.c_str(), force, 0);
    }
};

INSTANTIATE_TEST_SUITE_P(Platforms, CancelConnection, testing::Values("nt", "95"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

// A remote name cancels the connection that has no local device; a drive's
// connection to the same export stays until its letter is named.
TEST_P(CancelConnection, ByDriveAndByRemoteName) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    ASSERT_EQ(Connect(nullptr, "\\\\nfshost\\pub", kDisk), 0u);
    ASSERT_EQ(Connect("LPT3", "\\\\nfshost\\lp", kPrint), 0u);
    ASSERT_EQ(redirector().mount_count(), 3u);
    recorder_->Take();

    EXPECT_EQ(Cancel("\\\\nfshost\\pub", 0), 0u);
    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(Codes(sent), (std::vector<std::uint32_t>{cvn::FSCTL_SERVER_DEL}));
    EXPECT_EQ(sent[0].device, Device());
    cvn::MountEntry entry = EntryOf(sent[1]);
    EXPECT_EQ(entry.device_code(), 0);
    EXPECT_EQ(entry.Text(me::kHost), u"nfshost");
    EXPECT_EQ(entry.Text(me::kPath), u"pub");
    EXPECT_EQ(RemoteOf("F:"), "\\\\nfshost\\pub");
    EXPECT_EQ(Cancel("\\\\nfshost\\pub", 0), 2250u);  // only F: is left, and it has a letter
    recorder_->Take();

    EXPECT_EQ(Cancel("f:", 1), 0u);
    sent = recorder_->Take();
    ASSERT_EQ(Codes(sent), (std::vector<std::uint32_t>{cvn::FSCTL_SERVER_DEL_FORCE}));
    EXPECT_EQ(EntryOf(sent[1]).device_code(), 'F');
    EXPECT_EQ(EntryOf(sent[1]).Text(me::kHost), u"");
    EXPECT_EQ(RemoteOf("F:"), "");

    EXPECT_EQ(Cancel("lpt3", 0), 0u);
    EXPECT_EQ(redirector().mount_count(), 0u);
}

TEST_P(CancelConnection, OpenFilesUnknownAndBadNames) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    cvn_test::WriteFile(pub_ / "file.txt", "contents\n");
    {
        win32::UniqueHandle file(win32::CreateFileW(u"F:\\file.txt", win32::GENERIC_READ,
                                                    win32::FILE_SHARE_READ, nullptr,
                                                    win32::OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.valid()) << win32::GetLastError();
        EXPECT_EQ(Cancel("F:", 0), 2401u);
        EXPECT_EQ(RemoteOf("F:"), "\\\\nfshost\\pub");
    }
    EXPECT_EQ(Cancel("F:", 0), 0u);

    // Force goes through open files.
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    {
        win32::UniqueHandle file(win32::CreateFileW(u"F:\\file.txt", win32::GENERIC_READ,
                                                    win32::FILE_SHARE_READ, nullptr,
                                                    win32::OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.valid()) << win32::GetLastError();
        EXPECT_EQ(Cancel("F:", 1), 0u);
    }
    recorder_->Take();

    const std::string host41 = "\\\\" + std::string(41, 'h') + "\\pub";
    const std::string path1025 = "\\\\nfshost\\" + std::string(1025, 'p');
    struct Case {
        const char* name;
        std::uint32_t expected;
        bool sent;
    };
    const Case cases[] = {
        {"G:", 2250, true},
        {"LPT9", 2250, true},
        {"\\\\nfshost\\pub", 2250, true},
        {"\\\\otherhost", 2250, true},
        {nullptr, 1200, false},
        {"", 1200, false},
        {"\\\\", 1200, false},
        {host41.c_str(), 1200, false},
        {path1025.c_str(), 1200, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(Cancel(c.name, 0), c.expected);
        EXPECT_EQ(Codes(recorder_->Take()).size(), c.sent ? 1u : 0u);
    }

    in_process_.transport().SetReachable(false);
    EXPECT_EQ(Cancel("F:", 0), 50u);
}

class Queries : public Provider {};

TEST_F(Queries, GetConnection) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    ASSERT_EQ(Connect("LPT2", "\\\\nfshost\\lp", kPrint), 0u);
    recorder_->Take();

    char remote[64];
    std::memset(remote, '#', sizeof remote);
    std::uint32_t size = sizeof remote;
    EXPECT_EQ(NPGetConnection("f:", remote, &size), 0u);
    EXPECT_STREQ(remote, "\\\\nfshost\\pub");
    EXPECT_EQ(size, 14u);
    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(Codes(sent), (std::vector<std::uint32_t>{cvn::FSCTL_SERVER_GETMNT}));
    EXPECT_EQ(EntryOf(sent[1]).device_code(), 'F');

    // Exactly the characters needed, terminator included, is enough.
    size = 14;
    std::memset(remote, '#', sizeof remote);
    EXPECT_EQ(NPGetConnection("F:", remote, &size), 0u);
    EXPECT_STREQ(remote, "\\\\nfshost\\pub");
    EXPECT_EQ(remote[14], '#');

    // Ten characters are too few: the count needed comes back, nothing is
    // written.
    size = 10;
    std::memset(remote, '#', sizeof remote);
    EXPECT_EQ(NPGetConnection("F:", remote, &size), 234u);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(remote[0], '#');

    size = sizeof remote;
    EXPECT_EQ(NPGetConnection("LPT2", remote, &size), 0u);
    EXPECT_STREQ(remote, "\\\\nfshost\\lp");

    struct Case {
        const char* local;
        std::uint32_t expected;
    };
    const Case cases[] = {{"G:", 2250}, {"LPT1", 2250}, {"Q", 1200}, {"", 50}, {nullptr, 50}};
    for (const Case& c : cases) {
        size = sizeof remote;
        EXPECT_EQ(NPGetConnection(c.local, remote, &size), c.expected)
            << (c.local ? c.local : "(null)");
    }
}

TEST_F(Queries, GetUser) {
    SetLoggedOnUser(u"bob");
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\secure", kDisk, "alice", "opensesame"), 0u);
    recorder_->Take();

    struct Case {
        const char* name;
        const char* user;
    };
    const Case cases[] = {
        {nullptr, "bob"}, {"", "bob"},
        {"F:", "alice"},  {"LPT3", "bob"},  // not connected: the logged-on user answers for it
        {"G:", "bob"},
    };
    for (const Case& c : cases) {
        char user[40];
        std::memset(user, '#', sizeof user);
        std::uint32_t size = sizeof user;
        EXPECT_EQ(NPGetUser(c.name, user, &size), 0u) << (c.name ? c.name : "(null)");
        EXPECT_STREQ(user, c.user) << (c.name ? c.name : "(null)");
    }
    std::vector<std::uint32_t> codes = Codes(recorder_->Take());
    EXPECT_EQ(codes.front(), cvn::FSCTL_SERVER_GET_USER);

    // A buffer too small is told what it needs.
    char user[8];
    std::memset(user, '#', sizeof user);
    std::uint32_t size = 5;
    EXPECT_EQ(NPGetUser("F:", user, &size), 234u);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(user[0], '#');
    size = 3;
    EXPECT_EQ(NPGetUser(nullptr, user, &size), 234u);
    EXPECT_EQ(size, 4u);
    size = 4;
    EXPECT_EQ(NPGetUser(nullptr, user, &size), 0u);
    EXPECT_STREQ(user, "bob");

    size = sizeof user;
    EXPECT_EQ(NPGetUser("Q", user, &size), 1200u);
    in_process_.transport().SetReachable(false);
    EXPECT_EQ(NPGetUser(nullptr, user, &size), 1222u);
    EXPECT_EQ(NPGetUser("F:", user, &size), 1222u);
}

// The results in the caller's narrow buffer: the pointers first (native
// pointers of this host), then the strings they point to, in order.
TEST_F(Queries, UniversalNameLevelsByteForByte) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    recorder_->Take();
    const std::string universal = "\\\\nfshost\\pub\\dir\\file.txt";
    const std::string connection = "\\\\nfshost\\pub";
    const std::string remaining = "\\dir\\file.txt";

    alignas(8) char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t size = sizeof buffer;
    ASSERT_EQ(NPGetUniversalName("F:\\dir\\file.txt", 1, buffer, &size), 0u);
    EXPECT_EQ(size, sizeof buffer);
    char* pointer;
    std::memcpy(&pointer, buffer, sizeof pointer);
    EXPECT_EQ(pointer, buffer + sizeof(void*));
    EXPECT_EQ(std::string(buffer + 8, universal.size() + 1), universal + '\0');
    EXPECT_EQ(buffer[8 + universal.size() + 1], '#');

    std::memset(buffer, '#', sizeof buffer);
    size = sizeof buffer;
    ASSERT_EQ(NPGetUniversalName("F:\\dir\\file.txt", 2, buffer, &size), 0u);
    char* pointers[3];
    std::memcpy(pointers, buffer, sizeof pointers);
    const std::size_t at_universal = 3 * sizeof(void*);
    const std::size_t at_connection = at_universal + universal.size() + 1;
    const std::size_t at_remaining = at_connection + connection.size() + 1;
    EXPECT_EQ(pointers[0], buffer + at_universal);
    EXPECT_EQ(pointers[1], buffer + at_connection);
    EXPECT_EQ(pointers[2], buffer + at_remaining);
    EXPECT_EQ(
        std::string(buffer + at_universal, at_remaining + remaining.size() + 1 - at_universal),
        universal + '\0' + connection + '\0' + remaining + '\0');
    EXPECT_EQ(buffer[at_remaining + remaining.size() + 1], '#');

    // The drive alone: the remaining path is empty.
    size = sizeof buffer;
    ASSERT_EQ(NPGetUniversalName("f:", 2, buffer, &size), 0u);
    std::memcpy(pointers, buffer, sizeof pointers);
    EXPECT_STREQ(pointers[0], "\\\\nfshost\\pub");
    EXPECT_STREQ(pointers[1], "\\\\nfshost\\pub");
    EXPECT_STREQ(pointers[2], "");
}

// The size reported is what the narrow result takes, and a buffer of that
// size is filled to its last byte and not one byte further.
TEST_F(Queries, UniversalNameSizes) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    const std::string universal = "\\\\nfshost\\pub\\a";
    struct Case {
        std::uint32_t level;
        std::uint32_t needed;
    };
    const Case cases[] = {
        {1, static_cast<std::uint32_t>(sizeof(void*) + universal.size() + 1)},
        {2, static_cast<std::uint32_t>(3 * sizeof(void*) + universal.size() + 1 + 13 + 1 + 2 + 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        alignas(8) char buffer[128];
        for (std::uint32_t given : {0u, 1u, c.needed - 1}) {
            std::memset(buffer, '#', sizeof buffer);
            std::uint32_t size = given;
            EXPECT_EQ(NPGetUniversalName("F:\\a", c.level, buffer, &size), 234u);
            EXPECT_EQ(size, c.needed);
            EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
        }
        std::uint32_t size = c.needed;
        EXPECT_EQ(NPGetUniversalName("F:\\a", c.level, nullptr, &size), 234u);
        EXPECT_EQ(size, c.needed);
        std::memset(buffer, '#', sizeof buffer);
        size = c.needed;
        EXPECT_EQ(NPGetUniversalName("F:\\a", c.level, buffer, &size), 0u);
        EXPECT_EQ(buffer[c.needed - 1], '\0');
        EXPECT_EQ(std::string(buffer + c.needed, sizeof buffer - c.needed),
                  std::string(sizeof buffer - c.needed, '#'));
    }
}

TEST_F(Queries, UniversalNameRefusals) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    ASSERT_EQ(Connect("LPT1", "\\\\nfshost\\lp", kPrint), 0u);
    struct Case {
        const char* path;
        std::uint32_t level;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"F:", 3, 50},  {"F:", 0, 50},    {"G:\\x", 1, 2250}, {"G:", 2, 2250},
        {"F:x", 1, 87}, {"F", 1, 87},     {"LPT1", 1, 87},    {"\\\\nfshost\\pub", 1, 87},
        {"", 1, 87},    {nullptr, 1, 87},
    };
    for (const Case& c : cases) {
        alignas(8) char buffer[128];
        std::uint32_t size = sizeof buffer;
        EXPECT_EQ(NPGetUniversalName(c.path, c.level, buffer, &size), c.expected)
            << (c.path ? c.path : "(null)") << " level " << c.level;
    }
}

// A failed request's record is not data: every query reports the failure,
// and a failure whose status word is still 0 reports the error captured
// with the request (the table would take a 0 word for success).
TEST_F(Queries, AFailedRequestIsAFailure) {
    ASSERT_EQ(Connect("F:", "\\\\nfshost\\pub", kDisk), 0u);
    SetLoggedOnUser(u"bob");
    struct Case {
        cvnrd::Failure failure;
        std::uint32_t connection;
        std::uint32_t user;  // 0: the logged-on user
        std::uint32_t universal;
        std::uint32_t cancel;
        std::uint32_t add;
    };
    const Case cases[] = {
        {{0, 1231}, 1231, 1231, 1231, 1231, 1231},
        {{22, win32::ERROR_INVALID_PARAMETER}, 87, 87, 87, 87, 87},
        {{532, win32::ERROR_NOT_CONNECTED}, 2250, 0, 2250, 2250, 2250},
        {{3000, 1231}, 1231, 1231, 1231, 1231, 1231},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure.status);
        char text[64];
        std::uint32_t size = sizeof text;
        redirector().FailNextRequest(c.failure);
        EXPECT_EQ(NPGetConnection("F:", text, &size), c.connection);

        size = sizeof text;
        std::memset(text, 0, sizeof text);
        redirector().FailNextRequest(c.failure);
        EXPECT_EQ(NPGetUser("F:", text, &size), c.user);
        if (c.user == 0) {
            EXPECT_STREQ(text, "bob");
        }

        alignas(8) char buffer[128];
        size = sizeof buffer;
        redirector().FailNextRequest(c.failure);
        EXPECT_EQ(NPGetUniversalName("F:\\x", 1, buffer, &size), c.universal);

        redirector().FailNextRequest(c.failure);
        EXPECT_EQ(NPCancelConnection(u"F:", 0, 0), c.cancel);

        redirector().FailNextRequest(c.failure);
        EXPECT_EQ(Connect("G:", "\\\\nfshost\\pub", kDisk), c.add);
    }
    EXPECT_EQ(RemoteOf("F:"), "\\\\nfshost\\pub");
    EXPECT_EQ(RemoteOf("G:"), "");

    // The logged-on user itself: any failure is 1222.
    char text[64];
    std::uint32_t size = sizeof text;
    redirector().FailNextRequest({0, 1231});
    EXPECT_EQ(NPGetUser(nullptr, text, &size), 1222u);
}

}  // namespace
