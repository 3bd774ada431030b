#include "platform/file_attributes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ScopedEnv;
using cvn_test::TempDir;

// The directory is drive Q:, so the cases use Windows names.
class GetFileAttributesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(root_ / "dir");
        std::filesystem::create_directory(root_ / "locked");
        ::chmod((root_ / "locked").c_str(), 0555);
        cvn_test::WriteFile(root_ / "file.txt", "data");
        cvn_test::WriteFile(root_ / "readonly.txt", "data");
        // Tests may run as root, who may write anyway: the attribute follows
        // the mode bits, not what access() would say.
        ::chmod((root_ / "readonly.txt").c_str(), 0444);
    }

    TempDir root_;
    ScopedEnv drives_{"CVN_DRIVES", "Q=" + root_.path()};
};

TEST_F(GetFileAttributesTest, ReportsTheKindOfFile) {
    const struct {
        const char16_t* name;
        win32::DWORD attributes;
    } cases[] = {
        {u"Q:\\", win32::FILE_ATTRIBUTE_DIRECTORY},
        {u"Q:\\dir", win32::FILE_ATTRIBUTE_DIRECTORY},
        {u"Q:/dir/", win32::FILE_ATTRIBUTE_DIRECTORY},
        {u"Q:\\locked", win32::FILE_ATTRIBUTE_DIRECTORY | win32::FILE_ATTRIBUTE_READONLY},
        {u"Q:\\file.txt", win32::FILE_ATTRIBUTE_ARCHIVE},
        {u"Q:\\dir\\..\\file.txt", win32::FILE_ATTRIBUTE_ARCHIVE},
        {u"Q:\\readonly.txt", win32::FILE_ATTRIBUTE_ARCHIVE | win32::FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::GetFileAttributesW(c.name), c.attributes)
            << testing::PrintToString(c.name);
    }
    EXPECT_EQ(win32::GetFileAttributesA("Q:\\readonly.txt"),
              win32::FILE_ATTRIBUTE_ARCHIVE | win32::FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(win32::GetFileAttributesA((root_ / "dir").c_str()), win32::FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(GetFileAttributesTest, TellsAMissingFileFromAMissingDirectory) {
    const struct {
        const char16_t* name;
        win32::DWORD error;
    } cases[] = {
        {u"Q:\\missing.txt", win32::ERROR_FILE_NOT_FOUND},
        {u"Q:\\dir\\missing.txt", win32::ERROR_FILE_NOT_FOUND},
        {u"Q:\\missing\\file.txt", win32::ERROR_PATH_NOT_FOUND},
        {u"Q:\\missing\\deeper\\file.txt", win32::ERROR_PATH_NOT_FOUND},
        {u"Q:\\file.txt\\inside", win32::ERROR_PATH_NOT_FOUND},  // a file on the way
        {u"R:\\file.txt", win32::ERROR_PATH_NOT_FOUND},          // a drive nobody maps
        {u"\\\\server\\share\\file.txt", win32::ERROR_BAD_NETPATH},
    };
    for (const auto& c : cases) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::GetFileAttributesW(c.name), win32::INVALID_FILE_ATTRIBUTES)
            << testing::PrintToString(c.name);
        EXPECT_EQ(win32::GetLastError(), c.error) << testing::PrintToString(c.name);
    }
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetFileAttributesA("Q:\\missing\\x"), win32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PATH_NOT_FOUND);
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetFileAttributesW(nullptr), win32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

}  // namespace
