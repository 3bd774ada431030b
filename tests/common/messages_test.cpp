// Printing catalog texts (with the dot leader of listings), catalog texts
// used as formats, system texts and the banner, byte for byte.
#include "common/messages.h"

#include <gtest/gtest.h>

#include <string>

#include "common/message_ids.h"
#include "platform/errors.h"
#include "tests/common/common_test_support.h"

namespace {

using cvn_test::InstalledCatalog;
using cvn_test::PlatformAndLocale;
using cvn_test::Printed;
using cvn_test::PrintedBy;

const char* const kServedPlatforms[] = {"nt", "95"};

class PrintMessage : public testing::Test {
protected:
    InstalledCatalog catalog_{cvn_test::kTestCatalog};
};

TEST_F(PrintMessage, FillsLabelsWithPeriodsUpToTheColumn) {
    ASSERT_NE(catalog_.handle(), nullptr);
    const std::string column_wide = "Number of connections remembered for this user";
    const std::string longer = "Number of connections remembered for every user here";
    ASSERT_EQ(column_wide.size(), 46u);
    struct Case {
        win32::UINT id;
        int leader;
        std::string expected;
    } cases[] = {
        {cvn_test::kTstShort, 0, "Share"},
        {cvn_test::kTstShort, 1, "Share " + std::string(41, '.')},
        {cvn_test::kTstColumnWide, 0, column_wide},
        {cvn_test::kTstColumnWide, 1, column_wide + " "},
        {cvn_test::kTstLong, 1, longer + " "},
        // Not even the leader stands for a missing text.
        {cvn_test::kTstMissing, 1, ""},
        {cvn_test::kTstMissing, 0, ""},
    };
    for (const char* kind : kServedPlatforms) {
        PlatformAndLocale platform(kind);
        for (const Case& c : cases) {
            Printed printed = PrintedBy([&] { cvn::PrintMessage(c.id, c.leader); });
            EXPECT_EQ(printed.out, c.expected) << kind << " " << c.id << " leader " << c.leader;
            EXPECT_EQ(printed.err, "");
        }
    }
}

TEST_F(PrintMessage, ShowsWindows1252TextsAsTheyAre) {
    for (const char* kind : kServedPlatforms) {
        PlatformAndLocale platform(kind);
        Printed printed = PrintedBy([] { cvn::PrintMessage(cvn_test::kTstAnsiLetters, 1); });
        EXPECT_EQ(printed.out, "Größe: 5 € " + std::string(36, '.')) << kind;
    }
    // A Windows 95 text the code page cannot give prints nothing.
    PlatformAndLocale win95("95");
    EXPECT_EQ(PrintedBy([] { cvn::PrintMessage(cvn_test::kTstUndefinedAnsi, 1); }).out, "");
}

TEST_F(PrintMessage, GoesToTheChannelAskedFor) {
    PlatformAndLocale platform("nt");
    Printed printed =
        PrintedBy([] { cvn::PrintMessage(cvn_test::kTstShort, 1, cvn::Channel::Error); });
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "Share " + std::string(41, '.'));
}

TEST_F(PrintMessage, PrintsNothingOnAnUnservedPlatform) {
    PlatformAndLocale platform("win32s");
    Printed printed = PrintedBy([] { cvn::PrintMessage(cvn_test::kTstShort, 1); });
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");
}

TEST(PrintMessageWithoutCatalog, PrintsNothing) {
    PlatformAndLocale platform("nt");
    ASSERT_EQ(cvn::CatalogHandle(), nullptr);
    EXPECT_EQ(PrintedBy([] { cvn::PrintMessage(cvn::kMsgVersionWord, 1); }).out, "");
}

TEST_F(PrintMessage, FormatsWithTheArgumentsOrPrintsTheTextAsItStands) {
    for (const char* kind : kServedPlatforms) {
        PlatformAndLocale platform(kind);
        const std::u16string drive = u"X:";
        struct Case {
            const char* what;
            Printed printed;
            std::string expected;
        } cases[] = {
            {"matching arguments", PrintedBy([&] {
                 cvn::PrintMessageFormat(cvn_test::kTstFormat, {drive, 3});
             }),
             "X: holds 3 files\n"},
            {"arguments swapped", PrintedBy([&] {
                 cvn::PrintMessageFormat(cvn_test::kTstFormat, {3, drive});
             }),
             "%s holds %d files\n"},
            {"arguments missing",
             PrintedBy([] { cvn::PrintMessageFormat(cvn_test::kTstFormat, {}); }),
             "%s holds %d files\n"},
            {"%n in the text",
             PrintedBy([] { cvn::PrintMessageFormat(cvn_test::kTstStoreCount, {5}); }),
             "Written: %n characters"},
            {"missing text",
             PrintedBy([&] { cvn::PrintMessageFormat(cvn_test::kTstMissing, {drive}); }), ""},
        };
        for (const Case& c : cases) {
            EXPECT_EQ(c.printed.out, c.expected) << kind << ": " << c.what;
            EXPECT_EQ(c.printed.err, "") << kind << ": " << c.what;
        }
    }
}

TEST(PrintSystemMessage, PrintsTheSystemTextWithItsLineEnd) {
    struct Case {
        win32::DWORD code;
        const char* expected;
    } cases[] = {
        {win32::ERROR_SUCCESS, "The operation finished successfully.\r\n"},
        {win32::ERROR_FILE_NOT_FOUND, "The file could not be found.\r\n"},
        {win32::ERROR_MOD_NOT_FOUND, "The module named could not be found.\r\n"},
        {0xDEADu, ""},  // the system has no text for it
    };
    for (const char* kind : kServedPlatforms) {
        PlatformAndLocale platform(kind);
        for (const Case& c : cases) {
            Printed printed = PrintedBy([&] { cvn::PrintSystemMessage(c.code); });
            EXPECT_EQ(printed.out, c.expected) << kind << " " << c.code;
            EXPECT_EQ(printed.err, "") << kind << " " << c.code;
        }
    }
}

TEST(PrintSystemMessage, ErrorChannelWritesToStandardError) {
    for (const char* kind : kServedPlatforms) {
        PlatformAndLocale platform(kind);
        Printed printed = PrintedBy(
            [] { cvn::PrintSystemMessage(win32::ERROR_ACCESS_DENIED, cvn::Channel::Error); });
        EXPECT_EQ(printed.out, "") << kind;
        EXPECT_EQ(printed.err, "Access was denied.\r\n") << kind;
    }
}

TEST(PrintSystemMessage, PrintsNothingOnAnUnservedPlatform) {
    PlatformAndLocale platform("other");
    Printed printed = PrintedBy([] { cvn::PrintSystemMessage(win32::ERROR_SUCCESS); });
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");
}

TEST(PrintBanner, NamesProgramProductVersionAndNotice) {
    struct Case {
        const char* platform;
        const char* catalog;
        const char* expected;
    } cases[] = {
        {"nt", "cvn3_enu.lrl",
         "cvlink - Corvane NT NFS Client version 3.0\n"
         "Copyright (C) 1995-1997 Corvane. All rights reserved.\n"},
        {"95", "cvn3_enu.lrl",
         "cvlink - Corvane NT NFS Client version 3.0\n"
         "Copyright (C) 1995-1997 Corvane. All rights reserved.\n"},
        {"nt", "cvn3_deu.lrl",
         "cvlink - Corvane NT NFS Client Version 3.0\n"
         "Copyright (C) 1995-1997 Corvane. All rights reserved.\n"},
    };
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform);
        InstalledCatalog catalog(cvn_test::BinFile(c.catalog));
        ASSERT_NE(catalog.handle(), nullptr) << c.catalog;
        Printed printed = PrintedBy([] { cvn::PrintBanner(u"cvlink"); });
        EXPECT_EQ(printed.out, c.expected) << c.platform << " " << c.catalog;
        EXPECT_EQ(printed.err, "");
    }
}

}  // namespace
