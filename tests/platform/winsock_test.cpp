// Winsock: start-up and clean-up, dotted addresses, and the name services
// over a hosts file (CVN_HOSTS), so that no answer depends on the machine's
// resolver or network.
#include "platform/winsock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(WSAStartup, VersionOneOneAndLaterAreServed) {
    win32::WSADATA data;
    std::memset(&data, 0xEE, sizeof data);
    ASSERT_EQ(win32::WSAStartup(win32::MakeWord(1, 1), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0101);
    EXPECT_EQ(data.wHighVersion, 0x0202);
    EXPECT_STREQ(data.szSystemStatus, "Running");
    EXPECT_EQ(data.lpVendorInfo, nullptr);
    EXPECT_EQ(win32::WSAStartup(win32::MakeWord(2, 0), nullptr), 0);
    EXPECT_EQ(win32::WSACleanup(), 0);
    EXPECT_EQ(win32::WSACleanup(), 0);
}

TEST(WSAStartup, VersionsBelowOneOneAreRefusedAndNotCounted) {
    for (win32::WORD version :
         {win32::MakeWord(1, 0), win32::MakeWord(0, 9), win32::MakeWord(0, 0)}) {
        win32::WSADATA data{};
        EXPECT_EQ(win32::WSAStartup(version, &data), win32::WSAVERNOTSUPPORTED) << version;
    }
    EXPECT_EQ(win32::WSACleanup(), -1);
}

TEST(WSACleanup, EachStartHasOneEnd) {
    EXPECT_EQ(win32::WSACleanup(), -1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(win32::WSAStartup(win32::MakeWord(1, 1), nullptr), 0);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(win32::WSACleanup(), 0) << i;
    }
    EXPECT_EQ(win32::WSACleanup(), -1);
}

// The value inet_addr returns for a.b.c.d: those bytes in memory, in order.
std::uint32_t Net(int a, int b, int c, int d) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                    static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

TEST(InetAddr, ReadsTheDottedFormsWinsockAccepts) {
    const struct {
        const char* text;
        std::uint32_t address;
    } cases[] = {
        {"10.1.2.3", Net(10, 1, 2, 3)},
        {"0.0.0.0", Net(0, 0, 0, 0)},
        {"255.255.255.254", Net(255, 255, 255, 254)},
        {"255.255.255.255", 0xFFFFFFFF},
        {"10.1.772", Net(10, 1, 3, 4)},   // the last part fills 16 bits
        {"10.131844", Net(10, 2, 3, 4)},  // 24 bits
        {"16909060", Net(1, 2, 3, 4)},    // 32 bits
        {"4294967295", Net(255, 255, 255, 255)},
        {"0x7f.1", Net(127, 0, 0, 1)},
        {"0177.0.0.01", Net(127, 0, 0, 1)},
        {"0X7F.0xFf.0.0", Net(127, 255, 0, 0)},
        {"10.0.0.1 ", Net(10, 0, 0, 1)},
        {"10.0.0.1\tand more", Net(10, 0, 0, 1)},  // a blank ends the text
        {"10.0.0.1\n", Net(10, 0, 0, 1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::inet_addr(c.text), c.address) << c.text;
    }
}

TEST(InetAddr, AnythingElseIsNone) {
    const char* const cases[] = {
        "",           " ",           " 10.0.0.1",  "10.0.0.256",
        "10.0.65536", "10.16777216", "4294967296", "99999999999999999999",
        "10.0.0.1.2", "10.0.0.",     ".10.0.0",    "10..0.1",
        "08.0.0.1",   "0x.1.2.3",    "0x1g.0.0.1", "10.0.0.1x",
        "10.0.0.1,",  "-1.0.0.1",    "+1.0.0.1",   "a.b.c.d",
        "localhost",
    };
    for (const char* text : cases) {
        EXPECT_EQ(win32::inet_addr(text), win32::INADDR_NONE) << '"' << text << '"';
    }
    EXPECT_EQ(win32::inet_addr(nullptr), win32::INADDR_NONE);
}

// A hosts file with entries, comments, an IPv6 line and lines that are not
// entries at all; the tests point CVN_HOSTS at it.
class HostsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        cvn_test::WriteFile(hosts_path_,
                            "# hosts of the name service tests\n"
                            "10.0.0.1\talpha.example.test alpha  ALPHA-Alias   # first host\n"
                            "10.0.0.2 Beta.Example.Test beta\r\n"
                            "\n"
                            "::1 ip6-localhost\n"
                            "this line is no entry\n"
                            "10.0.0.3\n"
                            "300.0.0.4 toolarge\n"
                            "10.0.0.5 gamma\n"
                            "10.0.0.6 gamma-b gamma\n"
                            "10.0.0.5 gamma-again\n"
                            "10.0.0.1 alpha-second\n");
        env_.Set("CVN_HOSTS", hosts_path_);
    }

    cvn_test::TempDir dir_;
    std::string hosts_path_ = dir_ / "hosts";
    cvn_test::ScopedEnv env_;
};

struct Answer {
    std::string name;
    std::vector<std::string> aliases;
    std::vector<std::uint32_t> addresses;
};

// Reads a hostent back, checking its shape on the way.
Answer Read(const win32::hostent* entry) {
    Answer answer;
    EXPECT_EQ(entry->h_addrtype, win32::AF_INET);
    EXPECT_EQ(entry->h_length, 4);
    answer.name = entry->h_name;
    for (char** alias = entry->h_aliases; *alias != nullptr; ++alias) {
        answer.aliases.emplace_back(*alias);
    }
    for (char** address = entry->h_addr_list; *address != nullptr; ++address) {
        std::uint32_t value;
        std::memcpy(&value, *address, sizeof value);
        answer.addresses.push_back(value);
    }
    return answer;
}

using Names = std::vector<std::string>;
using Addresses = std::vector<std::uint32_t>;

TEST_F(HostsFileTest, NamesAndAliasesAreFoundWithoutRegardToCase) {
    const struct {
        const char* name;
        const char* canonical;
        Names aliases;
        Addresses addresses;
    } cases[] = {
        {"alpha.example.test", "alpha.example.test", {"alpha", "ALPHA-Alias"}, {Net(10, 0, 0, 1)}},
        {"ALPHA", "alpha.example.test", {"alpha", "ALPHA-Alias"}, {Net(10, 0, 0, 1)}},
        {"alpha-alias", "alpha.example.test", {"alpha", "ALPHA-Alias"}, {Net(10, 0, 0, 1)}},
        // A CR LF line end is no part of the last name.
        {"beta", "Beta.Example.Test", {"beta"}, {Net(10, 0, 0, 2)}},
        {"beta.example.test", "Beta.Example.Test", {"beta"}, {Net(10, 0, 0, 2)}},
        // Every line listing the name adds its address, once, in file order;
        // the first line names the host.
        {"gamma", "gamma", {}, {Net(10, 0, 0, 5), Net(10, 0, 0, 6)}},
        // Lines after the ones that are no entries are still read.
        {"alpha-second", "alpha-second", {}, {Net(10, 0, 0, 1)}},
    };
    for (const auto& c : cases) {
        const win32::hostent* entry = win32::gethostbyname(c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        const Answer answer = Read(entry);
        EXPECT_EQ(answer.name, c.canonical) << c.name;
        EXPECT_EQ(answer.aliases, c.aliases) << c.name;
        EXPECT_EQ(answer.addresses, c.addresses) << c.name;
    }
}

TEST_F(HostsFileTest, NameMissingFromTheFileIsNotFoundAndTheResolverIsNotAsked) {
    const win32::hostent* alpha = win32::gethostbyname("alpha");
    ASSERT_NE(alpha, nullptr);
    // localhost is known to every resolver, and the others are names of
    // lines that are no entries: none of them is in the file.
    for (const char* name : {"localhost", "ip6-localhost", "toolarge", "line", "10.0.0.3x"}) {
        EXPECT_EQ(win32::gethostbyname(name), nullptr) << name;
        EXPECT_EQ(win32::WSAGetLastError(), win32::WSAHOST_NOT_FOUND) << name;
    }
    // A failed look-up leaves the thread's last answer as it was.
    EXPECT_STREQ(alpha->h_name, "alpha.example.test");
}

TEST_F(HostsFileTest, DottedAddressAnswersItself) {
    for (const char* text : {"192.0.2.7", "255.255.255.255", "10.0.0.1"}) {
        const win32::hostent* entry = win32::gethostbyname(text);
        ASSERT_NE(entry, nullptr) << text;
        const Answer answer = Read(entry);
        EXPECT_EQ(answer.name, text);
        EXPECT_EQ(answer.aliases, Names{});
        EXPECT_EQ(answer.addresses, Addresses{win32::inet_addr(text)}) << text;
    }
    EXPECT_EQ(Read(win32::gethostbyname("0x7f.1")).addresses, Addresses{Net(127, 0, 0, 1)});
}

TEST_F(HostsFileTest, EmptyNameIsTheLocalHost) {
    cvn_test::ScopedEnv host("CVN_HOSTNAME", "Beta");
    const win32::hostent* entry = win32::gethostbyname("");
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->h_name, "Beta.Example.Test");
}

TEST_F(HostsFileTest, UnreadableFileIsNoRecoveryNotAnUnknownHost) {
    cvn_test::ScopedEnv missing("CVN_HOSTS", dir_ / "missing");
    EXPECT_EQ(win32::gethostbyname("alpha"), nullptr);
    EXPECT_EQ(win32::WSAGetLastError(), win32::WSANO_RECOVERY);
    const std::uint32_t address = Net(10, 0, 0, 1);
    EXPECT_EQ(win32::gethostbyaddr(reinterpret_cast<const char*>(&address), 4, win32::AF_INET),
              nullptr);
    EXPECT_EQ(win32::WSAGetLastError(), win32::WSANO_RECOVERY);
}

TEST_F(HostsFileTest, AddressGivesTheFirstLineWithIt) {
    const std::uint32_t alpha = Net(10, 0, 0, 1);
    const win32::hostent* entry =
        win32::gethostbyaddr(reinterpret_cast<const char*>(&alpha), 4, win32::AF_INET);
    ASSERT_NE(entry, nullptr);
    const Answer answer = Read(entry);
    EXPECT_EQ(answer.name, "alpha.example.test");
    EXPECT_EQ(answer.aliases, (Names{"alpha", "ALPHA-Alias"}));
    EXPECT_EQ(answer.addresses, Addresses{alpha});

    // An answer's own address may be asked about again: it is read before
    // the answer is replaced. A longer length uses the first four bytes.
    const std::uint32_t gamma = Net(10, 0, 0, 5);
    entry = win32::gethostbyname("gamma");
    ASSERT_NE(entry, nullptr);
    entry = win32::gethostbyaddr(entry->h_addr_list[0], 16, win32::AF_INET);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->h_name, "gamma");
    EXPECT_EQ(Read(entry).addresses, Addresses{gamma});
}

TEST_F(HostsFileTest, AddressErrors) {
    const std::uint32_t loopback = Net(127, 0, 0, 1);
    const char* address = reinterpret_cast<const char*>(&loopback);
    const struct {
        const char* address;
        int length;
        int type;
        int error;
    } cases[] = {
        // Known to every resolver, but not in the file.
        {address, 4, win32::AF_INET, win32::WSAHOST_NOT_FOUND},
        {nullptr, 4, win32::AF_INET, win32::WSAEFAULT},
        {address, 3, win32::AF_INET, win32::WSAEFAULT},
        {address, 0, win32::AF_INET, win32::WSAEFAULT},
        {address, 4, 23, win32::WSAEAFNOSUPPORT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::gethostbyaddr(c.address, c.length, c.type), nullptr) << c.error;
        EXPECT_EQ(win32::WSAGetLastError(), c.error);
    }
}

TEST(Gethostbyname, NullIsAFault) {
    EXPECT_EQ(win32::gethostbyname(nullptr), nullptr);
    EXPECT_EQ(win32::WSAGetLastError(), win32::WSAEFAULT);
}

TEST(Gethostname, GivesCvnHostnameWhenItFits) {
    cvn_test::ScopedEnv env("CVN_HOSTNAME", "alpha.example.test");
    char name[32];
    ASSERT_EQ(win32::gethostname(name, sizeof name), 0);
    EXPECT_STREQ(name, "alpha.example.test");
    // Exactly the name and its terminator fit.
    char exact[19];
    ASSERT_EQ(win32::gethostname(exact, sizeof exact), 0);
    EXPECT_STREQ(exact, "alpha.example.test");
}

TEST(Gethostname, BufferTooSmallOrNullIsAFaultAndWritesNothing) {
    cvn_test::ScopedEnv env("CVN_HOSTNAME", "alpha.example.test");
    for (int length : {18, 1, 0, -1}) {
        char name[32];
        std::memset(name, 'x', sizeof name);
        EXPECT_EQ(win32::gethostname(name, length), win32::SOCKET_ERROR) << length;
        EXPECT_EQ(win32::WSAGetLastError(), win32::WSAEFAULT) << length;
        EXPECT_EQ(name[0], 'x') << length;
    }
    EXPECT_EQ(win32::gethostname(nullptr, 32), win32::SOCKET_ERROR);
    EXPECT_EQ(win32::WSAGetLastError(), win32::WSAEFAULT);
}

TEST(Gethostname, WithoutCvnHostnameIsTheHostsName) {
    cvn_test::ScopedEnv env("CVN_HOSTNAME", std::nullopt);
    char expected[256] = {};
    ASSERT_EQ(::gethostname(expected, sizeof expected - 1), 0);
    char name[256];
    ASSERT_EQ(win32::gethostname(name, sizeof name), 0);
    EXPECT_STREQ(name, expected);
}

// Each thread resolves its own name and fails its own way; after the other
// thread has done the same, it still finds its own answer and last error.
TEST_F(HostsFileTest, EachThreadKeepsItsOwnAnswerAndError) {
    struct Seen {
        std::string name;
        int error = 0;
    };
    std::latch both_done(2);
    const auto resolve = [&](const char* name, const char* failing, Seen* seen) {
        const win32::hostent* entry = win32::gethostbyname(name);
        EXPECT_EQ(win32::gethostbyname(failing), nullptr);
        both_done.arrive_and_wait();
        seen->name = entry != nullptr ? entry->h_name : "";
        seen->error = win32::WSAGetLastError();
    };
    Seen alpha;
    Seen beta;
    std::thread first(resolve, "alpha", "unknown", &alpha);
    std::thread second(resolve, "beta", nullptr, &beta);
    first.join();
    second.join();
    EXPECT_EQ(alpha.name, "alpha.example.test");
    EXPECT_EQ(alpha.error, win32::WSAHOST_NOT_FOUND);
    EXPECT_EQ(beta.name, "Beta.Example.Test");
    EXPECT_EQ(beta.error, win32::WSAEFAULT);
}

bool ListsLocalhost(const std::string& hosts) {
    std::ifstream file(hosts);
    std::string address;
    std::string rest;
    while (file >> address && std::getline(file, rest)) {
        if (address == "127.0.0.1" && (" " + rest + " ").find(" localhost ") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Without a hosts file of its own the host's resolver answers. Only
// localhost is asked for, which the host answers from its own hosts file,
// without a network.
TEST(NameServices, WithoutCvnHostsTheHostsResolverAnswers) {
    cvn_test::ScopedEnv env("CVN_HOSTS", std::nullopt);
    if (!ListsLocalhost("/etc/hosts")) {
        GTEST_SKIP() << "/etc/hosts does not list localhost as 127.0.0.1";
    }
    const win32::hostent* entry = win32::gethostbyname("localhost");
    ASSERT_NE(entry, nullptr) << win32::WSAGetLastError();
    const Answer answer = Read(entry);
    EXPECT_FALSE(answer.name.empty());
    EXPECT_EQ(std::count(answer.addresses.begin(), answer.addresses.end(), Net(127, 0, 0, 1)), 1);

    const std::uint32_t loopback = Net(127, 0, 0, 1);
    entry = win32::gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, win32::AF_INET);
    ASSERT_NE(entry, nullptr) << win32::WSAGetLastError();
    EXPECT_FALSE(std::string(entry->h_name).empty());
    EXPECT_EQ(Read(entry).addresses, Addresses{loopback});
}

}  // namespace
