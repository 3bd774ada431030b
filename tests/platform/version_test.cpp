#include "platform/version.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "tests/support/scoped_env.h"

namespace {

using cvn_test::ScopedEnv;

TEST(GetVersionExA, ReportsThePlatformTheSwitchSelects) {
    struct Case {
        const char* value;
        win32::DWORD platform_id;
    } cases[] = {
        {nullptr, win32::VER_PLATFORM_WIN32_NT},   {"nt", win32::VER_PLATFORM_WIN32_NT},
        {"95", win32::VER_PLATFORM_WIN32_WINDOWS}, {"win32s", win32::VER_PLATFORM_WIN32s},
        {"other", win32::VER_PLATFORM_OTHER},      {"bogus", win32::VER_PLATFORM_OTHER},
    };
    for (const Case& c : cases) {
        ScopedEnv env("CVN_PLATFORM", c.value ? std::optional<std::string>(c.value) : std::nullopt);
        win32::OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(win32::GetVersionExA(&info)) << (c.value ? c.value : "(unset)");
        EXPECT_EQ(info.dwPlatformId, c.platform_id) << (c.value ? c.value : "(unset)");
    }
}

TEST(GetVersionExA, RefusesARecordOfTheWrongSize) {
    win32::OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = 156;
    win32::SetLastError(0);
    EXPECT_FALSE(win32::GetVersionExA(&info));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
