#include "platform/find.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ScopedEnv;
using cvn_test::TempDir;

// Fields are read from the record's bytes at the offsets callers rely on, not
// through the structure's members.
template <typename Char, typename Record>
std::basic_string<Char> Field(const Record& record, size_t offset, size_t capacity) {
    unsigned char bytes[sizeof(Record)];
    std::memcpy(bytes, &record, sizeof bytes);
    std::basic_string<Char> text;
    for (size_t i = 0; i < capacity; ++i) {
        Char c;
        std::memcpy(&c, bytes + offset + i * sizeof(Char), sizeof c);
        if (c == 0) {
            return text;
        }
        text += c;
    }
    ADD_FAILURE() << "field at " << offset << " is not terminated";
    return text;
}

struct WideEntry {
    std::u16string name;
    std::u16string short_name;
    bool operator==(const WideEntry&) const = default;
};

struct NarrowEntry {
    std::string name;
    std::string short_name;
    bool operator==(const NarrowEntry&) const = default;
};

void PrintTo(const WideEntry& e, std::ostream* os) {
    *os << testing::PrintToString(e.name) << "/" << testing::PrintToString(e.short_name);
}
void PrintTo(const NarrowEntry& e, std::ostream* os) {
    *os << testing::PrintToString(e.name) << "/" << testing::PrintToString(e.short_name);
}

// Every match of a search, in order; checks that the search ends properly.
std::vector<WideEntry> ListW(const std::u16string& pattern) {
    std::vector<WideEntry> entries;
    win32::WIN32_FIND_DATAW data;
    win32::HANDLE search = win32::FindFirstFileW(pattern.c_str(), &data);
    if (search == win32::INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        entries.push_back(
            {Field<char16_t>(data, 44, win32::MAX_PATH), Field<char16_t>(data, 564, 14)});
    } while (win32::FindNextFileW(search, &data));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_FILES);
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);
    return entries;
}

std::vector<NarrowEntry> ListA(const std::string& pattern) {
    std::vector<NarrowEntry> entries;
    win32::WIN32_FIND_DATAA data;
    win32::HANDLE search = win32::FindFirstFileA(pattern.c_str(), &data);
    if (search == win32::INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        entries.push_back({Field<char>(data, 44, win32::MAX_PATH), Field<char>(data, 304, 14)});
    } while (win32::FindNextFileA(search, &data));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_FILES);
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);
    return entries;
}

std::vector<std::u16string> NamesW(const std::u16string& pattern) {
    std::vector<std::u16string> names;
    for (const WideEntry& entry : ListW(pattern)) {
        names.push_back(entry.name);
    }
    return names;
}

// Drive Q: is a directory holding Sub\ (the files below) and top.txt.
class FindTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string sub = root_ / "Sub";
        std::filesystem::create_directory(sub);
        std::filesystem::create_directory(sub + "/dir");
        cvn_test::WriteFile(root_ / "top.txt", "");
        cvn_test::WriteFile(sub + "/alpha.txt", "alpha");
        cvn_test::WriteFile(sub + "/Beta.TXT", "");
        cvn_test::WriteFile(sub + "/caf\xC3\xA9.txt", "caf");
        cvn_test::WriteFile(sub + "/gamma", "g");
        cvn_test::WriteFile(sub + "/LongFileName.text", "abc");
        cvn_test::WriteFile(sub + "/ro.txt", "");
        ::chmod((sub + "/ro.txt").c_str(), 0444);
    }

    TempDir root_;
    ScopedEnv drives_{"CVN_DRIVES", "Q=" + root_.path()};
};

TEST_F(FindTest, WideRecordsInListingOrder) {
    const std::vector<WideEntry> expected = {
        {u".", u""},
        {u"..", u""},
        {u"alpha.txt", u""},
        {u"Beta.TXT", u""},
        {u"caf\u00E9.txt", u"CAF_~1.TXT"},
        {u"dir", u""},
        {u"gamma", u""},
        {u"LongFileName.text", u"LONGFI~1.TEX"},
        {u"ro.txt", u""},
    };
    EXPECT_EQ(ListW(u"Q:\\Sub\\*"), expected);
}

TEST_F(FindTest, NarrowRecordsInTheAnsiCodePage) {
    const std::vector<NarrowEntry> expected = {
        {".", ""},
        {"..", ""},
        {"alpha.txt", ""},
        {"Beta.TXT", ""},
        {"caf\xE9.txt", "CAF_~1.TXT"},
        {"dir", ""},
        {"gamma", ""},
        {"LongFileName.text", "LONGFI~1.TEX"},
        {"ro.txt", ""},
    };
    EXPECT_EQ(ListA("Q:\\Sub\\*.*"), expected);
}

TEST_F(FindTest, DriveRootListsNoDotEntries) {
    EXPECT_EQ(NamesW(u"Q:\\*"), (std::vector<std::u16string>{u"Sub", u"top.txt"}));
    EXPECT_EQ(NamesW(u"Q:\\Sub\\..\\*.*"), (std::vector<std::u16string>{u"Sub", u"top.txt"}));
    // An empty subdirectory still has both.
    EXPECT_EQ(NamesW(u"Q:\\Sub\\dir\\*"), (std::vector<std::u16string>{u".", u".."}));
}

TEST_F(FindTest, PatternsMatchLongAndShortNamesWithoutRegardToCase) {
    const struct {
        std::u16string pattern;
        std::vector<std::u16string> names;
    } cases[] = {
        {u"*.txt", {u"alpha.txt", u"Beta.TXT", u"caf\u00E9.txt", u"ro.txt"}},
        {u"*.TXT", {u"alpha.txt", u"Beta.TXT", u"caf\u00E9.txt", u"ro.txt"}},
        {u"?ETA.txt", {u"Beta.TXT"}},
        {u"gam?a", {u"gamma"}},
        {u"GAMMA", {u"gamma"}},
        {u"a*", {u"alpha.txt"}},
        {u"*a", {u"gamma"}},
        {u"CAF\u00C9.TXT", {u"caf\u00E9.txt"}},
        // The short name matches too, so "*.tex" finds a ".text" file.
        {u"LONGFI~1.TEX", {u"LongFileName.text"}},
        {u"longfi~1.*", {u"LongFileName.text"}},
        {u"*.tex", {u"LongFileName.text"}},
        {u"caf_*", {u"caf\u00E9.txt"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NamesW(u"Q:\\Sub\\" + c.pattern), c.names) << testing::PrintToString(c.pattern);
    }
    EXPECT_EQ(ListA("Q:/Sub/CAF?.TXT"), (std::vector<NarrowEntry>{{"caf\xE9.txt", "CAF_~1.TXT"}}));
}

TEST_F(FindTest, SizesAttributesAndTimes) {
    const std::string alpha = root_ / "Sub/alpha.txt";
    const timespec times[2] = {{946684800, 0}, {946684800, 5000000}};  // 2000-01-01 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, alpha.c_str(), times, 0), 0);
    win32::WIN32_FIND_DATAW data;

    win32::HANDLE search = win32::FindFirstFileW(u"Q:\\Sub\\alpha.txt", &data);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, win32::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    // 100-nanosecond ticks since 1601.
    const std::uint64_t ticks = (946684800ull + 11644473600ull) * 10000000ull + 50000ull;
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, static_cast<win32::DWORD>(ticks));
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, static_cast<win32::DWORD>(ticks >> 32));
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);

    search = win32::FindFirstFileW(u"Q:\\Sub\\ro.txt", &data);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes,
              win32::FILE_ATTRIBUTE_ARCHIVE | win32::FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);

    // A directory reports no size.
    search = win32::FindFirstFileW(u"Q:\\Sub\\dir", &data);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, win32::FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);

    // Sizes above 4 GiB are split into high and low halves (the file is sparse).
    const std::string big = root_ / "big.bin";
    cvn_test::WriteFile(big, "");
    ASSERT_EQ(::truncate(big.c_str(), 0x140000007LL), 0);
    win32::WIN32_FIND_DATAA narrow;
    search = win32::FindFirstFileA("Q:\\BIG.BIN", &narrow);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(narrow.nFileSizeHigh, 1u);
    EXPECT_EQ(narrow.nFileSizeLow, 0x40000007u);
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);
}

TEST_F(FindTest, SearchIsASnapshot) {
    win32::WIN32_FIND_DATAW data;
    win32::HANDLE search = win32::FindFirstFileW(u"Q:\\*", &data);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    cvn_test::WriteFile(root_ / "added.txt", "");
    std::vector<std::u16string> names{data.cFileName};
    while (win32::FindNextFileW(search, &data)) {
        names.push_back(data.cFileName);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Sub", u"top.txt"}));
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);
}

TEST_F(FindTest, Failures) {
    const struct {
        std::u16string pattern;
        win32::DWORD error;
    } cases[] = {
        {u"Q:\\Sub\\nomatch*", win32::ERROR_FILE_NOT_FOUND},
        {u"Q:\\Sub\\nomatch.txt", win32::ERROR_FILE_NOT_FOUND},
        {u"Q:\\Sub\\", win32::ERROR_FILE_NOT_FOUND},
        {u"Q:\\Missing\\*", win32::ERROR_PATH_NOT_FOUND},
        {u"Q:\\Missing\\deeper\\*", win32::ERROR_PATH_NOT_FOUND},
        {u"Q:\\Sub\\alpha.txt\\*", win32::ERROR_PATH_NOT_FOUND},
        {u"R:\\*", win32::ERROR_PATH_NOT_FOUND},
        {u"\\\\server\\share\\*", win32::ERROR_BAD_NETPATH},
    };
    win32::WIN32_FIND_DATAW data;
    for (const auto& c : cases) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::FindFirstFileW(c.pattern.c_str(), &data), win32::INVALID_HANDLE_VALUE)
            << testing::PrintToString(c.pattern);
        EXPECT_EQ(win32::GetLastError(), c.error) << testing::PrintToString(c.pattern);
    }
    win32::WIN32_FIND_DATAA narrow;
    win32::SetLastError(0);
    EXPECT_EQ(win32::FindFirstFileA("Q:\\Missing\\*", &narrow), win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PATH_NOT_FOUND);
    win32::SetLastError(0);
    EXPECT_EQ(win32::FindFirstFileW(u"Q:\\*", nullptr), win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

TEST_F(FindTest, HandlesAreCheckedAndClosedOnce) {
    for (win32::HANDLE bad : {win32::INVALID_HANDLE_VALUE, static_cast<win32::HANDLE>(nullptr)}) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::FindClose(bad), win32::FALSE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    }
    win32::WIN32_FIND_DATAW data;
    win32::HANDLE search = win32::FindFirstFileW(u"Q:\\*", &data);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win32::FindClose(search), win32::TRUE);

    win32::SetLastError(0);
    EXPECT_EQ(win32::FindNextFileW(search, &data), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    win32::SetLastError(0);
    EXPECT_EQ(win32::FindClose(search), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
}

}  // namespace
