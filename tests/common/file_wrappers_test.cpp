// File-name services on both code paths. The find record is checked byte by
// byte: callers read the wide layout on Windows NT and the narrow one on
// Windows 95 from the same union.
#include "common/file_wrappers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file_attributes.h"
#include "platform/last_error.h"
#include "tests/common/common_test_support.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::PlatformAndLocale;
using cvn_test::TempDir;
using cvn_test::Wide;

// Bytes of a record from `offset` up to and including the next terminator.
std::string NarrowAt(const cvn::FindRecord& record, size_t offset) {
    const char* text = reinterpret_cast<const char*>(&record) + offset;
    return std::string(text, std::strlen(text) + 1);
}

std::u16string WideAt(const cvn::FindRecord& record, size_t offset) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record) + offset;
    std::u16string text;
    for (;; bytes += 2) {
        char16_t unit = static_cast<char16_t>(bytes[0] | (bytes[1] << 8));
        text.push_back(unit);
        if (unit == u'\0') {
            return text;
        }
    }
}

cvn::FindRecord FilledRecord() {
    cvn::FindRecord record;
    std::memset(&record, 0xCC, sizeof record);
    return record;
}

class FileWrappers : public testing::Test {
protected:
    FileWrappers() {
        cvn_test::WriteFile(dir_ / "Long File Name.text", "twelve bytes");
        cvn_test::WriteFile(dir_ / "Größe.text", "");
        cvn_test::WriteFile(dir_ / "SHORT.TXT", "");
    }
    std::u16string Path(const std::string& name) const { return Wide(dir_ / name); }

    TempDir dir_;
};

TEST_F(FileWrappers, FindRecordHasTheWideLayoutOnWindowsNt) {
    PlatformAndLocale platform("nt");
    cvn::FindRecord record = FilledRecord();
    win32::HANDLE search = cvn::CvnFindFirstFile(Path("Long*"), &record);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(WideAt(record, 44), std::u16string(u"Long File Name.text", 20));
    EXPECT_EQ(WideAt(record, 564), std::u16string(u"LONGFI~1.TEX", 13));
    EXPECT_EQ(record.wide.nFileSizeLow, 12u);
    EXPECT_EQ(cvn::CvnFindNextFile(search, &record), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_FILES);
    EXPECT_EQ(cvn::CvnFindClose(search), win32::TRUE);
}

TEST_F(FileWrappers, FindRecordHasTheNarrowLayoutOnWindows95) {
    PlatformAndLocale platform("95");
    cvn::FindRecord record = FilledRecord();
    win32::HANDLE search = cvn::CvnFindFirstFile(Path("Long*"), &record);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(NarrowAt(record, 44), std::string("Long File Name.text", 20));
    EXPECT_EQ(NarrowAt(record, 304), std::string("LONGFI~1.TEX", 13));
    EXPECT_EQ(record.narrow.nFileSizeLow, 12u);
    EXPECT_EQ(cvn::CvnFindNextFile(search, &record), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_FILES);
    EXPECT_EQ(cvn::CvnFindClose(search), win32::TRUE);

    // The narrow names are Windows-1252, in the pattern and in the record.
    record = FilledRecord();
    search = cvn::CvnFindFirstFile(Path("Größe.*"), &record);
    ASSERT_NE(search, win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(NarrowAt(record, 44), std::string("Gr\xF6\xDF"
                                                "e.text",
                                                11));
    cvn::CvnFindClose(search);
}

TEST_F(FileWrappers, FindNextFileWalksEveryMatch) {
    struct Case {
        const char* platform;
        bool wide;
    } cases[] = {{"nt", true}, {"95", false}};
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform);
        cvn::FindRecord record = FilledRecord();
        std::set<std::string> names;
        auto name_of = [&] {
            return c.wide ? cvn_test::Narrow(record.wide.cFileName)
                          : cvn_test::Narrow(win32::AnsiToWide(record.narrow.cFileName));
        };
        win32::HANDLE search = cvn::CvnFindFirstFile(Path("*.t*"), &record);
        ASSERT_NE(search, win32::INVALID_HANDLE_VALUE) << c.platform;
        do {
            names.insert(name_of());
        } while (cvn::CvnFindNextFile(search, &record));
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_FILES) << c.platform;
        cvn::CvnFindClose(search);
        EXPECT_EQ(names, (std::set<std::string>{"Größe.text", "Long File Name.text", "SHORT.TXT"}))
            << c.platform;
    }
}

TEST_F(FileWrappers, FindFirstFileFailsWithThePlatformsError) {
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        cvn::FindRecord record = FilledRecord();
        EXPECT_EQ(cvn::CvnFindFirstFile(Path("nothing*"), &record), win32::INVALID_HANDLE_VALUE)
            << kind;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND) << kind;
    }
    // A pattern the narrow name buffer cannot hold is refused before the call.
    PlatformAndLocale win95("95");
    cvn::FindRecord record = FilledRecord();
    EXPECT_EQ(cvn::CvnFindFirstFile(Path(std::string(300, 'x')), &record),
              win32::INVALID_HANDLE_VALUE);
}

TEST_F(FileWrappers, GetFileAttributesOnBothPlatforms) {
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        EXPECT_EQ(cvn::CvnGetFileAttributes(Path("Größe.text")), win32::FILE_ATTRIBUTE_ARCHIVE)
            << kind;
        EXPECT_EQ(cvn::CvnGetFileAttributes(Wide(dir_.path())) & win32::FILE_ATTRIBUTE_DIRECTORY,
                  win32::FILE_ATTRIBUTE_DIRECTORY)
            << kind;
        EXPECT_EQ(cvn::CvnGetFileAttributes(Path("missing")), win32::INVALID_FILE_ATTRIBUTES)
            << kind;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND) << kind;
    }
    PlatformAndLocale win95("95");
    EXPECT_EQ(cvn::CvnGetFileAttributes(Path(std::string(300, 'x'))),
              win32::INVALID_FILE_ATTRIBUTES);
}

TEST(GetFullPathName, PointsTheFilePartIntoTheCallersBuffer) {
    struct Case {
        std::u16string name;
        std::u16string full;
        std::u16string file_part;  // empty: none
    } cases[] = {
        {u"C:\\Daten\\Größe\\Übersicht.txt", u"C:\\Daten\\Größe\\Übersicht.txt", u"Übersicht.txt"},
        {u"D:\\a\\..\\b\\.\\c.txt", u"D:\\b\\c.txt", u"c.txt"},
        {u"C:\\Daten\\", u"C:\\Daten\\", u""},
    };
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        for (const Case& c : cases) {
            char16_t buffer[64];
            char16_t* file_part = buffer;  // must be set, to null where there is none
            win32::DWORD count = cvn::CvnGetFullPathName(c.name, 64, buffer, &file_part);
            EXPECT_EQ(count, c.full.size()) << kind;
            EXPECT_EQ(std::u16string(buffer), c.full) << kind;
            if (c.file_part.empty()) {
                EXPECT_EQ(file_part, nullptr) << kind;
            } else {
                ASSERT_EQ(file_part, buffer + (c.full.size() - c.file_part.size())) << kind;
                EXPECT_EQ(std::u16string(file_part), c.file_part) << kind;
            }
        }
    }
}

TEST(GetFullPathName, AsksForALargerBufferOnBothPlatforms) {
    const std::u16string name = u"C:\\Daten\\Größe\\Übersicht.txt";
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        for (win32::DWORD size : {0u, 10u, static_cast<win32::DWORD>(name.size())}) {
            char16_t buffer[64];
            std::fill(std::begin(buffer), std::end(buffer), u'#');
            char16_t* file_part = buffer;
            EXPECT_EQ(cvn::CvnGetFullPathName(name, size, size == 0 ? nullptr : buffer, &file_part),
                      name.size() + 1)
                << kind << " size " << size;
            EXPECT_EQ(file_part, nullptr) << kind << " size " << size;
            EXPECT_EQ(buffer[size], u'#') << kind << " size " << size;
        }
    }
}

TEST(FileWrappersUnserved, DoNothing) {
    TempDir dir;
    cvn_test::WriteFile(dir / "file.txt", "");
    for (const char* kind : {"win32s", "other"}) {
        PlatformAndLocale platform(kind);
        cvn::FindRecord record = FilledRecord();
        EXPECT_EQ(cvn::CvnGetFileAttributes(Wide(dir / "file.txt")), 0u) << kind;
        EXPECT_EQ(cvn::CvnFindFirstFile(Wide(dir / "*"), &record), nullptr) << kind;
        EXPECT_EQ(cvn::CvnFindNextFile(nullptr, &record), win32::FALSE) << kind;
        char16_t buffer[64];
        char16_t* file_part = buffer;
        EXPECT_EQ(cvn::CvnGetFullPathName(u"C:\\x.txt", 64, buffer, &file_part), 0u) << kind;
        EXPECT_EQ(file_part, nullptr) << kind;
    }
}

}  // namespace
