// Paths on NFS drives through the platform layer: directory searches and
// attribute queries of X:\ and \\host\path names reach the redirector, which
// lists and describes the files below the connection.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/device_transport.h"
#include "platform/file_attributes.h"
#include "platform/find.h"
#include "platform/last_error.h"
#include "redirector/core/in_process.h"
#include "tests/redirector/redirector_client.h"

namespace redirector_test {
namespace {

struct Found {
    std::u16string name;
    win32::DWORD attributes;
    std::uint64_t size;
};

// Every match of a pattern in order, or the error the search ended with.
std::vector<Found> FindAll(const std::u16string& pattern, win32::DWORD* error = nullptr) {
    std::vector<Found> found;
    win32::WIN32_FIND_DATAW data;
    win32::HANDLE search = win32::FindFirstFileW(pattern.c_str(), &data);
    if (search == win32::INVALID_HANDLE_VALUE) {
        if (error != nullptr) {
            *error = win32::GetLastError();
        }
        return found;
    }
    do {
        found.push_back({data.cFileName, data.dwFileAttributes,
                         (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow});
    } while (win32::FindNextFileW(search, &data));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_FILES);
    win32::FindClose(search);
    if (error != nullptr) {
        *error = 0;
    }
    return found;
}

std::vector<std::u16string> NamesOf(const std::vector<Found>& found) {
    std::vector<std::u16string> names;
    for (const Found& file : found) {
        names.push_back(file.name);
    }
    return names;
}

class DriveFilesTest : public RedirectorTest {
protected:
    void SetUp() override {
        transport_ = std::make_shared<cvnrd::InProcessTransport>(redirector_);
        win32::SetDeviceTransport(transport_);
        Connect('F');
    }
    void TearDown() override { win32::SetDeviceTransport(nullptr); }

    // The entry of the mount on `letter`, as request 3 describes it.
    cvn::MountEntry Describe(std::uint8_t letter) {
        cvn::MountEntry entry = DriveEntry(letter);
        EXPECT_TRUE(Device()->Control(cvn::FSCTL_SERVER_GETMNT, entry).ok);
        return entry;
    }

    std::shared_ptr<cvnrd::InProcessTransport> transport_;
};

TEST_F(DriveFilesTest, TheRootListsItsFilesWithoutDotEntries) {
    std::vector<Found> found = FindAll(u"F:\\*");
    ASSERT_EQ(NamesOf(found), (std::vector<std::u16string>{u"file.txt", u"sub"}));
    EXPECT_EQ(found[0].attributes, win32::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(found[0].size, 5u);
    EXPECT_EQ(found[1].attributes, win32::FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(found[1].size, 0u);

    // The same through the network name, and in the narrow layout.
    EXPECT_EQ(NamesOf(FindAll(u"\\\\alpha\\pub\\*")), NamesOf(found));
    win32::WIN32_FIND_DATAA narrow;
    win32::HANDLE search = win32::FindFirstFileA("F:\\f*", &narrow);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_STREQ(narrow.cFileName, "file.txt");
    win32::FindClose(search);
}

TEST_F(DriveFilesTest, ASubdirectoryListsDotEntriesFirstAndNamesMatchWithoutCase) {
    EXPECT_EQ(NamesOf(FindAll(u"F:\\sub\\*")),
              (std::vector<std::u16string>{u".", u"..", u"inner.txt"}));
    EXPECT_EQ(NamesOf(FindAll(u"f:\\SUB\\INNER.*")), (std::vector<std::u16string>{u"inner.txt"}));
    EXPECT_EQ(win32::GetFileAttributesW(u"F:\\Sub\\Inner.TXT"), win32::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(win32::GetFileAttributesW(u"F:\\sub"), win32::FILE_ATTRIBUTE_DIRECTORY);
    ::chmod(Host("pub/file.txt").c_str(), 0444);
    EXPECT_EQ(win32::GetFileAttributesW(u"F:\\file.txt"),
              win32::FILE_ATTRIBUTE_ARCHIVE | win32::FILE_ATTRIBUTE_READONLY);
}

// The 8.3 name a search made up for a file opens that file.
TEST_F(DriveFilesTest, AShortNameNamesItsFile) {
    cvn_test::WriteFile(Host("pub/sub/LongFileName.text"), "long");
    cvn_test::WriteFile(Host("pub/sub/LongFileName.txt2"), "long");
    win32::WIN32_FIND_DATAW data;
    win32::HANDLE search = win32::FindFirstFileW(u"F:\\sub\\LongFileName.text", &data);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    win32::FindClose(search);
    EXPECT_EQ(std::u16string(data.cAlternateFileName), u"LONGFI~1.TEX");
    EXPECT_EQ(win32::GetFileAttributesW(u"F:\\sub\\longfi~1.tex"), win32::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(NewClient()->OpenFile(u"F:\\sub\\LONGFI~1.TXT").ok);
    EXPECT_FALSE(NewClient()->OpenFile(u"F:\\sub\\LONGFI~2.TXT").ok);
}

TEST_F(DriveFilesTest, FailuresNameWhatIsMissing) {
    struct Case {
        std::u16string pattern;
        win32::DWORD error;
    };
    const Case cases[] = {
        {u"F:\\nothing\\*", win32::ERROR_PATH_NOT_FOUND},
        {u"F:\\x*.q", win32::ERROR_FILE_NOT_FOUND},
        {u"G:\\*", win32::ERROR_PATH_NOT_FOUND},               // no connection on G
        {u"\\\\alpha\\none\\*", win32::ERROR_BAD_NETPATH},     // no connection to it
        {u"F:\\..\\outside\\*", win32::ERROR_PATH_NOT_FOUND},  // ".." stops at the root
    };
    for (const Case& c : cases) {
        win32::DWORD error = 0;
        EXPECT_TRUE(FindAll(c.pattern, &error).empty());
        EXPECT_EQ(error, c.error);
    }
    EXPECT_EQ(win32::GetFileAttributesW(u"F:\\missing.txt"), win32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND);

    transport_->SetReachable(false);
    win32::DWORD error = 0;
    EXPECT_TRUE(FindAll(u"F:\\*", &error).empty());
    EXPECT_EQ(error, win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(win32::GetFileAttributesW(u"\\\\alpha\\pub\\file.txt"),
              win32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_BAD_NETPATH);
}

TEST_F(DriveFilesTest, ALinkLeadingOutOfTheExportIsNotListed) {
    std::filesystem::create_directory_symlink(Host("outside"), Host("pub/escape"));
    win32::DWORD error = 0;
    EXPECT_TRUE(FindAll(u"F:\\escape\\*", &error).empty());
    EXPECT_NE(error, 0u);
}

// A listing larger than one reply comes in several pages, none lost or
// repeated.
TEST_F(DriveFilesTest, ALargeDirectoryArrivesWhole) {
    std::filesystem::create_directory(Host("pub/many"));
    const std::string stem(100, 'n');
    for (int i = 0; i < 1200; ++i) {
        cvn_test::WriteFile(Host("pub/many/" + stem + std::to_string(10000 + i)), "");
    }
    std::vector<std::u16string> names = NamesOf(FindAll(u"F:\\many\\*"));
    ASSERT_EQ(names.size(), 1202u);
    EXPECT_EQ(names[2], std::u16string(100, u'n') + u"10000");
    EXPECT_EQ(names.back(), std::u16string(100, u'n') + u"11199");
}

TEST_F(DriveFilesTest, TheMountCountsWhatWasAskedOfIt) {
    namespace na = cvn::nfs_attributes;
    FindAll(u"F:\\*");
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\file.txt").ok);
    ASSERT_TRUE(file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes).ok);

    cvn::MountEntry entry = Describe('F');
    win32::ByteView view = entry.view();
    EXPECT_EQ(view.U32(me::kCountersGToN + 12), 1u);  // attribute requests
    EXPECT_EQ(view.U32(me::kCountersGToN + 16), 1u);  // directory listings
    EXPECT_EQ(view.U32(me::kCountersGToN + 20), 1u);  // files opened
    EXPECT_EQ(view.U32(me::kCounterP), 1u);           // open now
    EXPECT_EQ(entry.device_word() & 0xF00u, 0x500u);  // live, files open, no user

    file.reset();
    entry = Describe('F');
    EXPECT_EQ(entry.view().U32(me::kCounterP), 0u);
    EXPECT_EQ(entry.device_word() & 0xF00u, 0x100u);
}

}  // namespace
}  // namespace redirector_test
