// The message catalog: which library is loaded for the user's locale, how a
// failure to load one is reported, and how texts are read from it.
#include "common/catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_ids.h"
#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/modules.h"
#include "platform/resources.h"
#include "tests/common/common_test_support.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::InstalledCatalog;
using cvn_test::PlatformAndLocale;
using cvn_test::PrintedBy;
using cvn_test::ScopedEnv;
using cvn_test::TempDir;

// Text 138 tells the catalogs apart.
std::u16string VersionWordOf(win32::HMODULE module) {
    char16_t text[cvn::kMessageBufferChars] = {};
    int count = win32::LoadStringW(module, cvn::kMsgVersionWord, text, cvn::kMessageBufferChars);
    return std::u16string(text, static_cast<size_t>(count));
}

struct CatalogCopy {
    const char* catalog;  // in the build's bin directory
    const char* name;     // as placed in the search directory
};

struct LoadCase {
    const char* what;
    const char* platform;
    const char* lang;
    std::vector<CatalogCopy> files;
    const char16_t* version_word;  // null: nothing may be loaded
};

TEST(LoadMessageCatalog, SearchesLanguageThenPrimaryLanguageThenEnglish) {
    const LoadCase cases[] = {
        {"regional locale falls back to its primary language",
         "nt",
         "de_CH.UTF-8",
         {{"cvn3_deu.lrl", "cvn3_deu.lrl"}, {"cvn3_enu.lrl", "cvn3_enu.lrl"}},
         u"Version"},
        {"the locale's own language comes first",
         "nt",
         "de_CH.UTF-8",
         {{"cvn3_enu.lrl", "cvn3_des.lrl"}, {"cvn3_deu.lrl", "cvn3_deu.lrl"}},
         u"version"},
        {"English is the last resort on Windows NT",
         "nt",
         "fr_FR.UTF-8",
         {{"cvn3_enu.lrl", "cvn3_enu.lrl"}, {"cvn3_deu.lrl", "cvn3_deu.lrl"}},
         u"version"},
        {"Windows 95 takes the primary language too",
         "95",
         "de_CH.UTF-8",
         {{"cvn3_deu.lrl", "cvn3_deu.lrl"}, {"cvn3_enu.lrl", "cvn3_enu.lrl"}},
         u"Version"},
        {"Windows 95 takes the locale's own language first",
         "95",
         "de_CH.UTF-8",
         {{"cvn3_enu.lrl", "cvn3_des.lrl"}, {"cvn3_deu.lrl", "cvn3_deu.lrl"}},
         u"version"},
        {"Windows 95 has no English fallback",
         "95",
         "fr_FR.UTF-8",
         {{"cvn3_enu.lrl", "cvn3_enu.lrl"}, {"cvn3_deu.lrl", "cvn3_deu.lrl"}},
         nullptr},
        {"no catalog at all on Windows NT", "nt", "fr_FR.UTF-8", {}, nullptr},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const CatalogCopy& copy : c.files) {
            cvn_test::CopyCatalog(copy.catalog, dir.path(), copy.name);
        }
        PlatformAndLocale platform(c.platform, c.lang);
        ScopedEnv libpath("CVN_LIBPATH", dir.path());
        win32::SetLastError(win32::ERROR_SUCCESS);

        win32::HMODULE catalog = cvn::LoadMessageCatalog();

        if (c.version_word == nullptr) {
            EXPECT_EQ(catalog, nullptr);
            EXPECT_EQ(win32::GetLastError(), win32::ERROR_MOD_NOT_FOUND);
            continue;
        }
        ASSERT_NE(catalog, nullptr);
        EXPECT_EQ(VersionWordOf(catalog), c.version_word);
        win32::FreeLibrary(catalog);
    }
}

TEST(LoadMessageCatalog, LoadsNothingOnAnUnservedPlatform) {
    TempDir dir;
    cvn_test::CopyCatalog("cvn3_enu.lrl", dir.path(), "cvn3_enu.lrl");
    ScopedEnv libpath("CVN_LIBPATH", dir.path());
    for (const char* platform : {"win32s", "other"}) {
        PlatformAndLocale kind(platform);
        EXPECT_EQ(cvn::LoadMessageCatalog(), nullptr) << platform;
    }
}

TEST(ReportCatalogFailure, NamesTheFirstLibraryAndTheErrorTheCallFound) {
    struct Case {
        const char* platform;
        const char* lang;
        win32::DWORD error;
        const char* expected;
    } cases[] = {
        {"nt", "fr_FR.UTF-8", win32::ERROR_MOD_NOT_FOUND,
         "cvn3_FRA.lrl - The module named could not be found.\r\n"},
        {"95", "fr_FR.UTF-8", win32::ERROR_MOD_NOT_FOUND,
         "cvn3_FRA.lrl - The module named could not be found.\r\n"},
        {"nt", "de_CH.UTF-8", win32::ERROR_BAD_EXE_FORMAT,
         "cvn3_DES.lrl - The file is not a valid program or module.\r\n"},
        {"95", "C", win32::ERROR_SUCCESS,
         "cvn3_ENU.lrl - The operation finished successfully.\r\n"},
        // A code the system has no text for leaves the name alone.
        {"nt", "C", 0xDEADu, "cvn3_ENU.lrl - "},
    };
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform, c.lang);
        cvn_test::Printed printed = PrintedBy([&] {
            win32::SetLastError(c.error);
            cvn::ReportCatalogFailure();
        });
        EXPECT_EQ(printed.out, c.expected) << c.platform << " " << c.lang;
        EXPECT_EQ(printed.err, "");
    }
}

TEST(ReportCatalogFailure, PrintsNothingOnAnUnservedPlatform) {
    PlatformAndLocale platform("win32s");
    cvn_test::Printed printed = PrintedBy([] {
        win32::SetLastError(win32::ERROR_MOD_NOT_FOUND);
        cvn::ReportCatalogFailure();
    });
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");
}

// Reads one text into a buffer filled with a sentinel, so untouched and
// unterminated buffers show.
struct Read {
    int count;
    std::u16string buffer;  // all kMessageBufferChars characters
    std::u16string text() const { return buffer.substr(0, buffer.find(u'\0')); }
};

Read ReadText(win32::HMODULE catalog, win32::UINT id) {
    Read read{0, std::u16string(cvn::kMessageBufferChars, u'#')};
    read.count = cvn::LoadMessageText(catalog, id, read.buffer.data());
    return read;
}

class LoadMessageText : public testing::Test {
protected:
    InstalledCatalog catalog_{cvn_test::kTestCatalog};
};

TEST_F(LoadMessageText, ReadsTextsOnBothPlatforms) {
    ASSERT_NE(catalog_.handle(), nullptr);
    struct Case {
        const char* platform;
        win32::UINT id;
        std::u16string text;
    } cases[] = {
        {"nt", cvn_test::kTstShort, u"Share"},
        {"95", cvn_test::kTstShort, u"Share"},
        {"nt", cvn_test::kTstAnsiLetters, u"Größe: 5 €"},
        {"95", cvn_test::kTstAnsiLetters, u"Größe: 5 €"},
        // Windows 95 reads the text through the code page.
        {"nt", cvn_test::kTstOutsideAnsi, u"Pfeil → hier"},
        {"95", cvn_test::kTstOutsideAnsi, u"Pfeil ? hier"},
    };
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform);
        Read read = ReadText(catalog_.handle(), c.id);
        EXPECT_EQ(read.count, static_cast<int>(c.text.size())) << c.platform << " " << c.id;
        EXPECT_EQ(read.text(), c.text) << c.platform << " " << c.id;
    }
}

TEST_F(LoadMessageText, CutsAnOverlongTextToTheBuffer) {
    const std::u16string digits = u"0123456789";
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        Read read = ReadText(catalog_.handle(), cvn_test::kTstOverlong);
        ASSERT_EQ(read.count, cvn::kMessageBufferChars - 1) << kind;
        EXPECT_EQ(read.buffer.back(), u'\0') << kind;
        for (int i = 0; i < read.count; ++i) {
            ASSERT_EQ(read.buffer[i], digits[i % 10]) << kind << " at " << i;
        }
    }
}

TEST_F(LoadMessageText, GivesNothingForAMissingOrUnconvertibleText) {
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        EXPECT_EQ(ReadText(catalog_.handle(), cvn_test::kTstMissing).count, 0) << kind;
    }
    // U+0081 becomes a byte Windows-1252 leaves undefined: no text, rather
    // than a buffer the conversion did not fill.
    PlatformAndLocale win95("95");
    EXPECT_EQ(ReadText(catalog_.handle(), cvn_test::kTstUndefinedAnsi).count, 0);
}

TEST_F(LoadMessageText, LeavesTheBufferAloneWithoutCatalogOrPlatform) {
    const std::u16string untouched(cvn::kMessageBufferChars, u'#');
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        Read read = ReadText(nullptr, cvn_test::kTstShort);
        EXPECT_EQ(read.count, 0) << kind;
        EXPECT_EQ(read.buffer, untouched) << kind;
    }
    for (const char* kind : {"win32s", "other"}) {
        PlatformAndLocale platform(kind);
        Read read = ReadText(catalog_.handle(), cvn_test::kTstShort);
        EXPECT_EQ(read.count, 0) << kind;
        EXPECT_EQ(read.buffer, untouched) << kind;
    }
}

}  // namespace
