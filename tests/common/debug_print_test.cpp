// Developers' messages: formatted with one integer, cut to the buffer the
// platform gives them, written to the debugger (the debug log on the host)
// and never to the console.
#include "common/debug_print.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/common/common_test_support.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::PlatformAndLocale;
using cvn_test::Printed;
using cvn_test::PrintedBy;

class DebugPrint : public testing::Test {
protected:
    // What one call leaves in the debug log; the call must print nothing.
    template <typename Call>
    std::string Logged(Call&& call) {
        cvn_test::WriteFile(log_, "");
        int result = -1;
        Printed printed = PrintedBy([&] { result = call(); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(printed.out, "");
        EXPECT_EQ(printed.err, "");
        return cvn_test::ReadFile(log_);
    }

    cvn_test::TempDir dir_;
    std::string log_ = dir_ / "debug.log";
    cvn_test::ScopedEnv env_{"CVN_DEBUG_LOG", log_};
};

TEST_F(DebugPrint, FormatsOneInteger) {
    for (const char* kind : {"nt", "95"}) {
        PlatformAndLocale platform(kind);
        EXPECT_EQ(Logged([] { return cvn::DebugPrintA("mount %d failed\n", -7); }),
                  "mount -7 failed\n")
            << kind;
        EXPECT_EQ(Logged([] { return cvn::DebugPrintW(u"Größe %u\n", 42); }), "Größe 42\n") << kind;
    }
}

TEST_F(DebugPrint, PassesAFormatThatDoesNotMatchOnAsItStands) {
    PlatformAndLocale platform("nt");
    EXPECT_EQ(Logged([] { return cvn::DebugPrintA("%s of %d", 1); }), "%s of %d");
    EXPECT_EQ(Logged([] { return cvn::DebugPrintW(u"%d%d", 1); }), "%d%d");
    EXPECT_EQ(Logged([] { return cvn::DebugPrintW(u"%n", 1); }), "%n");
}

TEST_F(DebugPrint, WideTextGoesOutNarrowOnWindows95) {
    struct Case {
        const char* platform;
        const char* logged;
    } cases[] = {{"nt", "Pfeil → 1"}, {"95", "Pfeil ? 1"}};
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform);
        EXPECT_EQ(Logged([] { return cvn::DebugPrintW(u"Pfeil → %d", 1); }), c.logged)
            << c.platform;
    }
}

TEST_F(DebugPrint, CutsTheTextToThePlatformsBuffer) {
    const std::string narrow_format = std::string(3000, 'a') + "%d";
    const std::u16string wide_format = std::u16string(3000, u'a') + u"%d";
    struct Case {
        const char* platform;
        bool wide;
        size_t kept;  // the buffer less its terminator
    } cases[] = {{"nt", false, 1023}, {"95", false, 1023}, {"nt", true, 2047}, {"95", true, 1023}};
    for (const Case& c : cases) {
        PlatformAndLocale platform(c.platform);
        std::string logged = Logged([&] {
            return c.wide ? cvn::DebugPrintW(wide_format.c_str(), 5)
                          : cvn::DebugPrintA(narrow_format.c_str(), 5);
        });
        EXPECT_EQ(logged, std::string(c.kept, 'a')) << c.platform << (c.wide ? " wide" : " narrow");
    }
}

TEST(DebugPrintWithoutLog, StaysOffTheConsole) {
    cvn_test::ScopedEnv env("CVN_DEBUG_LOG", "");
    Printed printed = PrintedBy([] {
        cvn::DebugPrintA("narrow %d\n", 1);
        cvn::DebugPrintW(u"wide %d\n", 2);
    });
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");
}

}  // namespace
