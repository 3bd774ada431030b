// The module entry point: a module's DllMain hears of the first load in the
// process and of the free that lets go of the last, and can refuse the load.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/modules.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ScopedEnv;

const std::string kProbe = std::string(CVN_DLL_PROBE_DIR) + "/dllprobe.dll";
const std::string kUser = std::string(CVN_DLL_PROBE_DIR) + "/dllprobe_user.dll";

using CountFunction = int (*)();

// The probe writes one line per call of its entry point to a log of the
// test's own.
class DllMainTest : public ::testing::Test {
protected:
    std::string Log() const {
        return cvn_test::FileExists(log_path_) ? cvn_test::ReadFile(log_path_) : "";
    }
    static std::string Line(const char* what, win32::HMODULE module) {
        char line[128];
        std::snprintf(line, sizeof line, "probe %s %p\n", what, static_cast<void*>(module));
        return line;
    }
    static int Count(win32::HMODULE module) {
        auto count =
            reinterpret_cast<CountFunction>(win32::GetProcAddress(module, "DllProbeCount"));
        return count != nullptr ? count() : -1;
    }

    cvn_test::TempDir dir_;
    std::string log_path_ = dir_ / "dll.log";
    ScopedEnv log_env_{"CVN_TEST_DLL_LOG", log_path_};
    ScopedEnv refuse_env_{"CVN_TEST_DLL_REFUSE", std::nullopt};
};

TEST_F(DllMainTest, FirstLoadAttachesAndLastFreeDetaches) {
    win32::HMODULE first = win32::LoadLibraryA(kProbe.c_str());
    ASSERT_NE(first, nullptr) << win32::GetLastError();
    // The entry point is given the module's own handle.
    EXPECT_EQ(Log(), Line("attach", first));

    win32::HMODULE second = win32::LoadLibraryA(kProbe.c_str());
    EXPECT_EQ(second, first);
    EXPECT_EQ(Log(), Line("attach", first));

    EXPECT_EQ(win32::FreeLibrary(second), win32::TRUE);
    EXPECT_EQ(Log(), Line("attach", first)) << "a load is still outstanding";
    EXPECT_EQ(Count(first), 1) << "the module stays loaded";

    EXPECT_EQ(win32::FreeLibrary(first), win32::TRUE);
    EXPECT_EQ(Log(), Line("attach", first) + Line("detach", first));

    // Nothing is left to free.
    win32::SetLastError(0);
    EXPECT_EQ(win32::FreeLibrary(first), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    EXPECT_EQ(Log(), Line("attach", first) + Line("detach", first));
}

TEST_F(DllMainTest, LastFreeUnloadsAndTheNextLoadAttachesAgain) {
    for (int round = 0; round < 2; ++round) {
        win32::HMODULE once = win32::LoadLibraryA(kProbe.c_str());
        win32::HMODULE twice = win32::LoadLibraryA(kProbe.c_str());
        ASSERT_NE(once, nullptr);
        // The module's state starts afresh each round: every load was freed.
        EXPECT_EQ(Count(once), 1) << round;
        EXPECT_EQ(Count(twice), 2) << round;
        EXPECT_EQ(win32::FreeLibrary(twice), win32::TRUE);
        EXPECT_EQ(win32::FreeLibrary(once), win32::TRUE);
    }
    const std::string log = Log();
    size_t attaches = 0, detaches = 0;
    for (size_t at = 0; (at = log.find("probe attach ", at)) != std::string::npos; ++at) {
        ++attaches;
    }
    for (size_t at = 0; (at = log.find("probe detach ", at)) != std::string::npos; ++at) {
        ++detaches;
    }
    EXPECT_EQ(attaches, 2u) << log;
    EXPECT_EQ(detaches, 2u) << log;
}

TEST_F(DllMainTest, RefusedAttachFailsTheLoadAndLeavesNothingLoaded) {
    {
        ScopedEnv refuse("CVN_TEST_DLL_REFUSE", "probe");
        win32::SetLastError(0);
        EXPECT_EQ(win32::LoadLibraryA(kProbe.c_str()), nullptr);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_DLL_INIT_FAILED);
        const std::u16string wide(kProbe.begin(), kProbe.end());
        win32::SetLastError(0);
        EXPECT_EQ(win32::LoadLibraryW(wide.c_str()), nullptr);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_DLL_INIT_FAILED);
    }
    EXPECT_EQ(Log().find("probe attach "), 0u) << Log();

    // The refused loads were not counted: the next load is a first load,
    // and one free lets go of it.
    std::remove(log_path_.c_str());
    win32::HMODULE module = win32::LoadLibraryA(kProbe.c_str());
    ASSERT_NE(module, nullptr) << win32::GetLastError();
    EXPECT_EQ(Count(module), 1);
    EXPECT_EQ(win32::FreeLibrary(module), win32::TRUE);
    EXPECT_EQ(Log(), Line("attach", module) + Line("detach", module));
}

TEST_F(DllMainTest, ALibraryTheModuleNeedsIsNotTheModule) {
    // dllprobe_user.dll has no DllMain; the library it links has one. Only
    // a module's own entry point hears of its load.
    ScopedEnv refuse("CVN_TEST_DLL_REFUSE", "base");
    win32::HMODULE user = win32::LoadLibraryA(kUser.c_str());
    ASSERT_NE(user, nullptr) << win32::GetLastError();
    auto count = reinterpret_cast<CountFunction>(win32::GetProcAddress(user, "DllProbeUserCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count(), 1);
    // Nor are the library's exports the module's.
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetProcAddress(user, "DllProbeCount"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PROC_NOT_FOUND);
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetProcAddress(user, "DllMain"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(win32::FreeLibrary(user), win32::TRUE);
    EXPECT_EQ(Log(), "");
}

}  // namespace
