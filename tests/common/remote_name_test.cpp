// Remote names (\\host\path): splitting, filling a mount entry, building
// one back, and the counted names they are stored in.
#include "common/remote_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/counted_name.h"
#include "common/records.h"
#include "platform/errors.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

namespace me = cvn::mount_entry;

constexpr char kNoRemoteName[] = "ParseRemoteName(): No remote name, host_p->NULL, path_p->NULL\n";

class ParseRemoteName : public testing::Test {
protected:
    ParseRemoteName() { cvn_test::WriteFile(log_, ""); }
    std::string Logged() const { return cvn_test::ReadFile(log_); }

    cvn_test::TempDir dir_;
    std::string log_ = dir_ / "debug.log";
    cvn_test::ScopedEnv env_{"CVN_DEBUG_LOG", log_};
};

TEST_F(ParseRemoteName, NoRemoteNameGivesOneAndTheDebuggerMessage) {
    const char16_t* names[] = {u"\\\\\\\\", u"\\", u"", nullptr};
    for (const char* platform : {"nt", "95"}) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform);
        for (const char16_t* name : names) {
            cvn_test::WriteFile(log_, "");
            // Both outputs start null, whatever they held.
            const char16_t* host = u"stale";
            const char16_t* path = u"stale";
            EXPECT_EQ(cvn::ParseRemoteName(name, &host, &path), 1) << platform;
            EXPECT_EQ(host, nullptr);
            EXPECT_EQ(path, nullptr);
            EXPECT_EQ(Logged(), kNoRemoteName) << platform;
        }
    }
}

TEST_F(ParseRemoteName, PointsIntoTheNameWithoutTouchingIt) {
    cvn_test::ScopedEnv kind("CVN_PLATFORM", "nt");
    struct Case {
        const char16_t* name;
        std::ptrdiff_t host;  // offset of host_p
        std::ptrdiff_t path;  // offset of path_p, -1 for null
    } cases[] = {
        {u"\\\\host", 2, -1},  {u"\\\\host\\dir\\sub", 2, 7},
        {u"\\\\host\\", 2, 7},  // an empty path part, but a path part
        {u"host\\dir", 0, 5},  {u"\\\\\\\\host\\x", 4, 9},
    };
    for (const Case& c : cases) {
        std::u16string before(c.name);
        const char16_t* host = nullptr;
        const char16_t* path = nullptr;
        EXPECT_EQ(cvn::ParseRemoteName(c.name, &host, &path), 0);
        EXPECT_EQ(host, c.name + c.host);
        EXPECT_EQ(path, c.path < 0 ? nullptr : c.name + c.path);
        EXPECT_EQ(std::u16string(c.name), before);  // the host is not terminated in place
    }
    EXPECT_EQ(Logged(), "");
}

class FillMountEntryName : public testing::Test {
protected:
    void SetUp() override {
        entry_.Initialize();
        entry_.SetText(me::kHost, u"previoushost");
        entry_.SetText(me::kPath, u"previous\\path");
    }
    std::uint16_t LengthAt(std::size_t offset) const { return entry_.view().U16(offset); }

    cvn_test::ScopedEnv kind_{"CVN_PLATFORM", "nt"};
    cvn::MountEntry entry_;
};

TEST_F(FillMountEntryName, HostAndNestedPath) {
    EXPECT_EQ(cvn::FillMountEntryName(entry_, u"\\\\server\\dir\\sub"), 0);
    EXPECT_EQ(entry_.Text(me::kHost), u"server");
    EXPECT_EQ(entry_.Text(me::kPath), u"dir\\sub");
    EXPECT_EQ(LengthAt(76), 12);   // twice the characters
    EXPECT_EQ(LengthAt(158), 14);  // the backslash counts
}

TEST_F(FillMountEntryName, HostWithoutPathEmptiesThePath) {
    EXPECT_EQ(cvn::FillMountEntryName(entry_, u"\\\\server"), 0);
    EXPECT_EQ(entry_.Text(me::kHost), u"server");
    EXPECT_EQ(LengthAt(158), 0);
    EXPECT_EQ(entry_.Text(me::kPath), u"");
}

TEST_F(FillMountEntryName, HostUpToFortyCharacters) {
    const std::u16string forty(40, u'h');
    EXPECT_EQ(cvn::FillMountEntryName(entry_, (u"\\\\" + forty + u"\\x").c_str()), 0);
    EXPECT_EQ(entry_.Text(me::kHost), forty);
    EXPECT_EQ(LengthAt(76), 80);
    EXPECT_EQ(cvn::FillMountEntryName(entry_, (u"\\\\" + forty + u"h\\x").c_str()), 1);
    EXPECT_EQ(cvn::FillMountEntryName(entry_, (u"\\\\" + forty + u"h").c_str()), 1);
}

TEST_F(FillMountEntryName, PathUpTo1024Characters) {
    std::u16string path(1024, u'p');
    path[500] = u'\\';
    EXPECT_EQ(cvn::FillMountEntryName(entry_, (u"\\\\h\\" + path).c_str()), 0);
    EXPECT_EQ(entry_.Text(me::kPath), path);
    EXPECT_EQ(LengthAt(158), 2048);
    EXPECT_EQ(cvn::FillMountEntryName(entry_, (u"\\\\h\\" + path + u"p").c_str()), 1);
}

TEST_F(FillMountEntryName, NoNameFails) {
    for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"", u"\\\\"}) {
        EXPECT_EQ(cvn::FillMountEntryName(entry_, name), 1);
    }
}

TEST(BuildUncName, FormatsOrRefuses) {
    struct Case {
        const char16_t* host;
        const char16_t* path;
        bool has_buffer;
        std::size_t size;
        win32::DWORD result;
        const char16_t* output;  // null: the buffer is not written
    } cases[] = {
        {u"host", u"dir\\sub", true, 15, 0, u"\\\\host\\dir\\sub"},  // exact fit
        {u"host", u"dir\\sub", true, 100, 0, u"\\\\host\\dir\\sub"},
        {u"host", u"dir\\sub", true, 14, win32::ERROR_MORE_DATA, nullptr},  // one short
        {u"h", u"p", true, 6, 0, u"\\\\h\\p"},
        {u"h", u"p", true, 5, win32::ERROR_MORE_DATA, nullptr},
        {u"h", u"p", true, 0, win32::ERROR_MORE_DATA, nullptr},
        {u"h", u"p", false, 100, win32::ERROR_INVALID_PARAMETER, nullptr},
        {u"", u"p", true, 100, win32::ERROR_INVALID_PARAMETER, nullptr},
        {u"h", u"", true, 100, win32::ERROR_INVALID_PARAMETER, nullptr},
        {nullptr, u"p", true, 100, win32::ERROR_INVALID_PARAMETER, nullptr},
        {u"h", nullptr, true, 100, win32::ERROR_INVALID_PARAMETER, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<char16_t> buffer(128, u'#');
        win32::DWORD result =
            cvn::BuildUncName(c.host, c.path, c.has_buffer ? buffer.data() : nullptr, c.size);
        EXPECT_EQ(result, c.result) << c.size;
        if (c.output != nullptr) {
            const std::u16string expected = c.output;
            EXPECT_EQ(std::u16string(buffer.data()), expected);
            EXPECT_EQ(buffer[expected.size() + 1], u'#');  // nothing after the terminator
        } else {
            EXPECT_EQ(buffer[0], u'#');
        }
    }
}

class CountedName : public testing::Test {
protected:
    CountedName() { std::memset(bytes_, 0xCC, sizeof bytes_); }
    win32::ByteView view() { return win32::ByteView(bytes_, sizeof bytes_); }

    // A field of four characters at offset 2: bytes 2 to 11.
    static constexpr cvn::CountedNameField kField{2, 4};
    std::uint8_t bytes_[16];
};

TEST_F(CountedName, CopyStoresLengthAndCharacters) {
    EXPECT_EQ(cvn::CopyCountedName(u"ab", view(), kField), 2);
    const std::uint8_t expected[16] = {0xCC, 0xCC, 4,    0,    'a',  0,    'b',  0,
                                       0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_EQ(0, std::memcmp(bytes_, expected, sizeof bytes_));
    EXPECT_EQ(cvn::CountedNameText(view(), kField), u"ab");
}

TEST_F(CountedName, CopyDropsWhatDoesNotFit) {
    EXPECT_EQ(cvn::CopyCountedName(u"abcdefg", view(), kField), 4);
    const std::uint8_t expected[16] = {0xCC, 0xCC, 8,   0, 'a',  0,    'b',  0,
                                       'c',  0,    'd', 0, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_EQ(0, std::memcmp(bytes_, expected, sizeof bytes_));
}

TEST_F(CountedName, CopyOfNullStoresAnEmptyName) {
    cvn::CopyCountedName(u"abc", view(), kField);
    EXPECT_EQ(cvn::CopyCountedName(static_cast<const char16_t*>(nullptr), view(), kField), 0);
    EXPECT_EQ(bytes_[2], 0);
    EXPECT_EQ(bytes_[3], 0);
    EXPECT_EQ(cvn::CountedNameText(view(), kField), u"");
}

TEST_F(CountedName, TextOfADamagedLengthStaysInsideTheField) {
    cvn::CopyCountedName(u"abcd", view(), kField);
    bytes_[2] = 0xFE;  // 127 characters claimed
    bytes_[3] = 0x00;
    EXPECT_EQ(cvn::CountedNameText(view(), kField), u"abcd");
}

TEST(CompareCountedNames, LengthsAndCharacters) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool ignore_case;
        int result;
    } cases[] = {
        {u"Server", u"Server", false, 1},
        {u"Server", u"Server", true, 1},
        {u"Server", u"SERVER", false, 0},
        {u"Server", u"SERVER", true, 1},
        {u"Größe", u"GRÖßE", true, 1},
        {u"Größe", u"GRÖßE", false, 0},
        {u"abc", u"abcd", true, 0},
        {u"abcd", u"abc", false, 0},
        {u"abc", u"abd", true, 0},
        {u"", u"", false, 1},
        {u"", u"a", true, 0},
    };
    // The two names lie in different records at different offsets.
    constexpr cvn::CountedNameField kA{0, 8};
    constexpr cvn::CountedNameField kB{6, 10};
    for (const Case& c : cases) {
        std::uint8_t a[32];
        std::uint8_t b[32];
        std::memset(a, 0x11, sizeof a);
        std::memset(b, 0x22, sizeof b);
        win32::ByteView view_a(a, sizeof a);
        win32::ByteView view_b(b, sizeof b);
        cvn::CopyCountedName(c.a, view_a, kA);
        cvn::CopyCountedName(c.b, view_b, kB);
        EXPECT_EQ(cvn::CompareCountedNames(view_a, kA, view_b, kB, c.ignore_case), c.result)
            << win32::ByteView(a, 2).U16(0) << " " << c.ignore_case;
    }
}

}  // namespace
