#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ScopedEnv;
using cvn_test::TempDir;

// Makes a directory the current one for the life of the object.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& directory) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~ScopedChdir() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

// The Windows form of a host directory on the drive C=/.
std::u16string OnDriveC(const std::string& host) {
    std::u16string wide = u"C:" + win32::HostToWide(host);
    std::replace(wide.begin(), wide.end(), u'/', u'\\');
    return wide;
}

std::u16string Full(const std::u16string& name) {
    return win32::FullPathName(name).value_or(u"<failed>");
}

class FullPathTest : public ::testing::Test {
protected:
    TempDir cwd_;
    ScopedEnv drives_{"CVN_DRIVES", std::nullopt};  // only C=/
    ScopedChdir chdir_{cwd_.path()};
    const std::u16string here_ = OnDriveC(std::filesystem::current_path());
    const std::u16string parent_ = here_.substr(0, here_.rfind(u'\\'));
};

TEST_F(FullPathTest, ResolvesAgainstDriveAndCurrentDirectory) {
    const struct {
        std::u16string name;
        std::u16string full;
    } cases[] = {
        {u"C:\\a\\b", u"C:\\a\\b"},
        {u"C:/a/b", u"C:\\a\\b"},
        {u"c:\\a", u"c:\\a"},
        {u"C:\\a\\.\\b\\..\\c", u"C:\\a\\c"},
        {u"C:\\..\\..\\a", u"C:\\a"},  // nothing above the root
        {u"C:\\a\\b\\", u"C:\\a\\b\\"},
        {u"C:\\a//b", u"C:\\a\\b"},
        {u"C:\\", u"C:\\"},
        {u"C:\\a\\..", u"C:\\"},
        // Rooted without a drive: the current drive.
        {u"\\a\\b", u"C:\\a\\b"},
        {u"/a/b", u"C:\\a\\b"},
        // Relative names and drive-relative names on the current drive.
        {u"x.txt", here_ + u"\\x.txt"},
        {u"sub/../y", here_ + u"\\y"},
        {u".", here_},
        {u"..", parent_},
        {u"..\\z", parent_ + u"\\z"},
        {u"C:x", here_ + u"\\x"},
        {u"C:", here_},
        // Another drive's relative names start at its root.
        {u"D:x", u"D:\\x"},
        {u"D:", u"D:\\"},
        // Network names keep their server and share.
        {u"\\\\server\\share\\dir\\..\\..\\f", u"\\\\server\\share\\f"},
        {u"//server/share/f", u"\\\\server\\share\\f"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Full(c.name), c.full) << testing::PrintToString(c.name);
    }
}

TEST_F(FullPathTest, GetFullPathNameWBufferAndFilePart) {
    char16_t buffer[32];
    char16_t* file_part = nullptr;
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(win32::GetFullPathNameW(u"C:/dir/file.txt", 32, buffer, &file_part), 15u);
    EXPECT_EQ(std::u16string(buffer, 17), std::u16string(u"C:\\dir\\file.txt\0#", 17));
    EXPECT_EQ(file_part, buffer + 7);

    // A trailing separator leaves no file part.
    file_part = buffer;
    EXPECT_EQ(win32::GetFullPathNameW(u"C:\\dir\\", 32, buffer, &file_part), 7u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\dir\\");
    EXPECT_EQ(file_part, nullptr);
    file_part = buffer;
    EXPECT_EQ(win32::GetFullPathNameW(u"C:\\", 32, buffer, &file_part), 3u);
    EXPECT_EQ(file_part, nullptr);

    // Too small: the size needed, terminator included, and nothing written.
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(win32::GetFullPathNameW(u"C:/dir/file.txt", 15, buffer, nullptr), 16u);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(win32::GetFullPathNameW(u"C:/dir/file.txt", 0, nullptr, nullptr), 16u);
    EXPECT_EQ(win32::GetFullPathNameW(u"C:/dir/file.txt", 16, buffer, nullptr), 15u);

    win32::SetLastError(0);
    EXPECT_EQ(win32::GetFullPathNameW(u"", 32, buffer, nullptr), 0u);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_NAME);
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetFullPathNameW(nullptr, 32, buffer, nullptr), 0u);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

TEST_F(FullPathTest, GetFullPathNameA) {
    char buffer[32];
    char* file_part = nullptr;
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(win32::GetFullPathNameA("C:/d\xE9j\xE0/f.txt", 32, buffer, &file_part), 13u);
    EXPECT_EQ(std::string(buffer, 15), std::string("C:\\d\xE9j\xE0\\f.txt\0#", 15));
    EXPECT_EQ(file_part, buffer + 8);

    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(win32::GetFullPathNameA("C:/d\xE9j\xE0/f.txt", 13, buffer, &file_part), 14u);
    EXPECT_EQ(buffer[0], '#');

    const std::string relative = std::string(here_.begin(), here_.end()) + "\\x";
    EXPECT_EQ(win32::GetFullPathNameA("x", 0, nullptr, nullptr), relative.size() + 1);
}

TEST(FullPathName, CurrentDirectoryOnAMappedDrive) {
    TempDir temp;
    const std::string root = std::filesystem::canonical(temp.path());
    std::filesystem::create_directory(root + "/sub");
    // The longest root holding the current directory names its drive.
    ScopedEnv drives("CVN_DRIVES", "C=/;Q=" + root + "/");
    ScopedChdir chdir(root + "/sub");
    EXPECT_EQ(Full(u"x"), u"Q:\\sub\\x");
    EXPECT_EQ(Full(u"\\x"), u"Q:\\x");
    EXPECT_EQ(Full(u"q:y"), u"q:\\sub\\y");
    EXPECT_EQ(Full(u"C:y"), u"C:\\y");
    EXPECT_EQ(win32::HostPathOf(u"x"), root + "/sub/x");
    EXPECT_EQ(win32::HostPathOf(u"..\\..\\.."), root + "/");
}

TEST(FullPathName, CurrentDirectoryOnNoDrive) {
    TempDir drive, elsewhere;
    ScopedEnv drives("CVN_DRIVES", "Q=" + drive.path());
    const std::string cwd = std::filesystem::canonical(elsewhere.path());
    ScopedChdir chdir(cwd);
    std::u16string host = win32::HostToWide(cwd);
    std::replace(host.begin(), host.end(), u'/', u'\\');
    EXPECT_EQ(Full(u"x"), host + u"\\x");
    EXPECT_EQ(Full(u"\\x"), u"\\x");
    EXPECT_EQ(win32::HostPathOf(u"x"), cwd + "/x");
    EXPECT_EQ(win32::HostPathOf(u"/etc/hosts"), "/etc/hosts");
}

TEST(HostPathOf, MapsDrivesThroughTheTable) {
    TempDir data;
    ScopedEnv drives("CVN_DRIVES", "bogus;Q=relative;X=;R=" + data.path() + "//;C=/");
    const struct {
        std::u16string name;
        std::string host;
    } cases[] = {
        {u"R:\\dir\\f.txt", data / "dir/f.txt"},
        {u"r:/dir/", data / "dir/"},
        {u"R:\\", data.path() + "/"},
        {u"R:\\..\\..", data.path() + "/"},
        {u"C:\\etc\\hosts", "/etc/hosts"},
        {u"C:\\", "/"},
        // Names that are not UTF-8 on the host come back byte for byte.
        {std::u16string(u"C:\\a") + char16_t(0xDCFF), "/a\xFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::HostPathOf(c.name), c.host) << testing::PrintToString(c.name);
    }
    for (const char16_t* unknown : {u"Q:\\x", u"X:\\x", u"D:\\x", u"D:x"}) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::HostPathOf(unknown), std::nullopt) << testing::PrintToString(unknown);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_PATH_NOT_FOUND)
            << testing::PrintToString(unknown);
    }
    EXPECT_EQ(win32::DriveRoot(u'r'), data.path());
    EXPECT_EQ(win32::DriveRoot(u'Q'), std::nullopt);
}

TEST(HostPathOf, NamesMatchWithoutRegardToCase) {
    TempDir data;
    std::filesystem::create_directories(data / "Reports/Q1");
    cvn_test::WriteFile(data / "Reports/Q1/Summary.TXT", "x");
    ScopedEnv drives("CVN_DRIVES", "R=" + data.path());
    EXPECT_EQ(win32::HostPathOf(u"R:\\REPORTS\\q1\\summary.txt"), data / "Reports/Q1/Summary.TXT");
    // A name that exists as written wins; a missing one stays as written.
    EXPECT_EQ(win32::HostPathOf(u"r:\\reports\\Q1\\new.txt"), data / "Reports/Q1/new.txt");
    EXPECT_EQ(win32::HostPathOf(u"R:\\nothing\\here"), data / "nothing/here");
}

TEST(HostPathOf, DefaultTableKnowsOnlyC) {
    ScopedEnv drives("CVN_DRIVES", std::nullopt);
    EXPECT_EQ(win32::HostPathOf(u"C:\\tmp\\x"), "/tmp/x");
    win32::SetLastError(0);
    EXPECT_EQ(win32::HostPathOf(u"D:\\x"), std::nullopt);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PATH_NOT_FOUND);
}

TEST(HostPathOf, NetworkPathsAreNotServed) {
    for (const char16_t* name : {u"\\\\server\\share\\f", u"//server/share", u"\\\\server"}) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::HostPathOf(name), std::nullopt) << testing::PrintToString(name);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_BAD_NETPATH) << testing::PrintToString(name);
    }
    win32::SetLastError(0);
    EXPECT_EQ(win32::HostPathOf(u""), std::nullopt);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_NAME);
}

}  // namespace
