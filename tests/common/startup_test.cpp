// The start-up every tool shares: the platform check, the message catalog,
// the keyword texts and the program name, and the release at the end.
#include "common/startup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/catalog.h"
#include "common/message_ids.h"
#include "tests/common/common_test_support.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::PlatformAndLocale;
using cvn_test::Printed;
using cvn_test::PrintedBy;
using cvn_test::ScopedEnv;
using cvn_test::TempDir;

class StartTool : public testing::Test {
protected:
    StartTool() { cvn_test::CopyCatalog("cvn3_enu.lrl", catalogs_.path(), "cvn3_enu.lrl"); }
    ~StartTool() override {
        // A start that succeeded leaves the catalog installed.
        cvn::EndTool(0);
    }

    std::optional<cvn::ToolStart> Start(std::vector<std::string> argv, Printed* printed) {
        std::vector<char*> pointers;
        for (std::string& argument : argv) {
            pointers.push_back(argument.data());
        }
        std::optional<cvn::ToolStart> start;
        *printed = PrintedBy([&] {
            start = cvn::StartTool(
                static_cast<int>(pointers.size()), pointers.data(),
                {cvn::kMsgBannerKeyword2, cvn::kMsgBannerKeyword, 9999, cvn::kMsgYesDescription});
        });
        return start;
    }

    TempDir catalogs_;
    ScopedEnv libpath_{"CVN_LIBPATH", catalogs_.path()};
};

TEST_F(StartTool, ReadsKeywordsInOrderAndTheProgramName) {
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        Printed printed;
        std::optional<cvn::ToolStart> start =
            Start({"/opt/cvn/bin/cvlink", "X:", "\\\\host\\pfad", "Größe"}, &printed);
        ASSERT_TRUE(start.has_value()) << kind;
        EXPECT_EQ(printed.out, "") << kind;
        EXPECT_EQ(printed.err, "") << kind;
        EXPECT_NE(cvn::CatalogHandle(), nullptr) << kind;
        EXPECT_EQ(start->arguments, (std::vector<std::u16string>{u"/opt/cvn/bin/cvlink", u"X:",
                                                                 u"\\\\host\\pfad", u"Größe"}))
            << kind;
        // A text the catalog lacks keeps its place, empty.
        EXPECT_EQ(start->keywords, (std::vector<std::u16string>{u"version", u"v", u"", u"yes"}))
            << kind;
        EXPECT_EQ(start->program_name, u"cvlink") << kind;

        EXPECT_EQ(cvn::EndTool(7), 7) << kind;
        EXPECT_EQ(cvn::CatalogHandle(), nullptr) << kind;
    }
}

TEST_F(StartTool, EndsQuietlyOnAnUnservedPlatform) {
    for (const char* kind : {"win32s", "other"}) {
        PlatformAndLocale platform(kind);
        Printed printed;
        EXPECT_FALSE(Start({"cvlink"}, &printed).has_value()) << kind;
        EXPECT_EQ(printed.out, "") << kind;
        EXPECT_EQ(printed.err, "") << kind;
        EXPECT_EQ(cvn::CatalogHandle(), nullptr) << kind;
    }
}

TEST_F(StartTool, ReportsAMissingCatalog) {
    struct Case {
        const char* platform;
        const char* lang;
        const char* expected;
    } cases[] = {
        // Windows 95 does not fall back to the English catalog that is there.
        {"95", "fr_FR.UTF-8", "cvn3_FRA.lrl - The module named could not be found.\r\n"},
        {"95", "de_CH.UTF-8", "cvn3_DES.lrl - The module named could not be found.\r\n"},
    };
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform, c.lang);
        Printed printed;
        EXPECT_FALSE(Start({"cvlink"}, &printed).has_value()) << c.platform << " " << c.lang;
        EXPECT_EQ(printed.out, c.expected) << c.platform << " " << c.lang;
        EXPECT_EQ(printed.err, "");
        EXPECT_EQ(cvn::CatalogHandle(), nullptr);
    }

    // Windows NT fails only when not even English is there.
    TempDir empty;
    ScopedEnv libpath("CVN_LIBPATH", empty.path());
    PlatformAndLocale platform("nt", "fr_FR.UTF-8");
    Printed printed;
    EXPECT_FALSE(Start({"cvlink"}, &printed).has_value());
    EXPECT_EQ(printed.out, "cvn3_FRA.lrl - The module named could not be found.\r\n");
    EXPECT_EQ(printed.err, "");
}

TEST(CatalogText, IsEmptyForAMissingTextOrCatalog) {
    PlatformAndLocale platform("nt");
    EXPECT_EQ(cvn::CatalogText(cvn::kMsgVersionWord), u"");
    cvn_test::InstalledCatalog catalog(cvn_test::kTestCatalog);
    EXPECT_EQ(cvn::CatalogText(cvn_test::kTstShort), u"Share");
    EXPECT_EQ(cvn::CatalogText(cvn_test::kTstMissing), u"");
}

}  // namespace
