#include "common/platform_kind.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"

namespace {

TEST(GetPlatformKind, MapsThePlatformIdToTheKind) {
    struct Case {
        const char* value;
        int kind;
    } cases[] = {{"nt", cvn::PLATFORM_NT},
                 {"95", cvn::PLATFORM_WIN95},
                 {"win32s", cvn::PLATFORM_WIN32S},
                 {"other", cvn::PLATFORM_UNSUPPORTED}};
    for (const Case& c : cases) {
        cvn_test::ScopedEnv env("CVN_PLATFORM", c.value);
        EXPECT_EQ(cvn::GetPlatformKind(), c.kind) << c.value;
    }
}

}  // namespace
