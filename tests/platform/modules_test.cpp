#include "platform/modules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/resources.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ScopedEnv;
using cvn_test::TempDir;

// The catalogs tell the modules apart: 124 is "Usage:" in English and
// "Syntax:" in German.
std::u16string UsageText(win32::HMODULE module) {
    char16_t text[64];
    int length = win32::LoadStringW(module, 124, text, 64);
    return std::u16string(text, length > 0 ? length : 0);
}

void Install(const std::string& catalog, const std::string& path) {
    std::filesystem::copy_file(std::string(CVN_BIN_DIR) + "/" + catalog, path,
                               std::filesystem::copy_options::overwrite_existing);
}

// The test program lives apart from the modules, so by default nothing is found
// beside it; each test puts the modules it needs on CVN_LIBPATH.
class LoadLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        Install("cvn3_enu.lrl", lib_ / "cvn3_enu.lrl");
        Install("cvn3_deu.lrl", lib_ / "cvn3_deu.lrl");
    }

    // Loads, reads the usage text and frees; empty when nothing was loaded.
    static std::u16string LoadedUsage(win32::HMODULE module) {
        if (module == nullptr) {
            return u"";
        }
        std::u16string text = UsageText(module);
        EXPECT_EQ(win32::FreeLibrary(module), win32::TRUE);
        return text;
    }

    TempDir lib_;
    ScopedEnv env_{"CVN_LIBPATH", lib_.path()};
};

TEST_F(LoadLibraryTest, FindsModulesOnTheLibraryPath) {
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"cvn3_enu.lrl")), u"Usage:");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryA("cvn3_deu.lrl")), u"Syntax:");

    ScopedEnv unset("CVN_LIBPATH", std::nullopt);
    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadLibraryW(u"cvn3_enu.lrl"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_MOD_NOT_FOUND);
}

TEST_F(LoadLibraryTest, SearchesTheLibraryPathInOrder) {
    TempDir first, second;
    Install("cvn3_deu.lrl", first / "probe.lrl");
    Install("cvn3_enu.lrl", second / "probe.lrl");
    Install("cvn3_enu.lrl", second / "only_second.lrl");
    ScopedEnv env("CVN_LIBPATH", first / "missing" + "::" + first.path() + ":" + second.path());
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"probe.lrl")), u"Syntax:");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"only_second.lrl")), u"Usage:");
}

TEST_F(LoadLibraryTest, ProgramDirectoryComesBeforeTheLibraryPath) {
    // A name no other test uses, removed again whatever happens.
    const std::string name =
        "probe_" + std::filesystem::path(lib_.path()).filename().string() + ".lrl";
    const std::string beside_program = win32::ProgramDirectory() + "/" + name;
    struct Remove {
        std::string path;
        ~Remove() { std::filesystem::remove(path); }
    } remove{beside_program};
    Install("cvn3_deu.lrl", beside_program);
    Install("cvn3_enu.lrl", lib_ / name);

    const std::u16string wide_name(name.begin(), name.end());
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(wide_name.c_str())), u"Syntax:");
}

TEST_F(LoadLibraryTest, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"CVN3_ENU.LRL")), u"Usage:");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryA("Cvn3_Deu.Lrl")), u"Syntax:");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryA((lib_ / "CVN3_ENU.LRL").c_str())), u"Usage:");
}

TEST_F(LoadLibraryTest, NameWithADirectoryIsLoadedFromThere) {
    TempDir elsewhere;
    Install("cvn3_deu.lrl", elsewhere / "german.lrl");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryA((elsewhere / "german.lrl").c_str())), u"Syntax:");
    // Either separator.
    std::string backslashed = elsewhere / "german.lrl";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryA(backslashed.c_str())), u"Syntax:");

    // Such a name is not searched for on the library path.
    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadLibraryA((elsewhere / "cvn3_enu.lrl").c_str()), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_MOD_NOT_FOUND);
}

TEST_F(LoadLibraryTest, NameWithoutExtensionGetsDll) {
    Install("cvn3_enu.lrl", lib_ / "probe.dll");
    Install("cvn3_deu.lrl", lib_ / "probe");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"probe")), u"Usage:");
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"PROBE.DLL")), u"Usage:");
    // A final dot keeps the name bare.
    EXPECT_EQ(LoadedUsage(win32::LoadLibraryW(u"probe.")), u"Syntax:");
}

TEST_F(LoadLibraryTest, Failures) {
    cvn_test::WriteFile(lib_ / "text.dll", "This is not a module.\n");
    std::filesystem::create_directory(lib_ / "folder.dll");
    const struct {
        const char16_t* name;
        win32::DWORD error;
    } cases[] = {
        {u"nosuch.lrl", win32::ERROR_MOD_NOT_FOUND},
        {u"cvn3_enu", win32::ERROR_MOD_NOT_FOUND},  // looks for cvn3_enu.dll
        {u"folder", win32::ERROR_MOD_NOT_FOUND},    // a directory is no module
        {u"", win32::ERROR_MOD_NOT_FOUND},
        {u"text", win32::ERROR_BAD_EXE_FORMAT},
        {u"TEXT.DLL", win32::ERROR_BAD_EXE_FORMAT},
    };
    for (const auto& c : cases) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::LoadLibraryW(c.name), nullptr) << testing::PrintToString(c.name);
        EXPECT_EQ(win32::GetLastError(), c.error) << testing::PrintToString(c.name);
    }
    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadLibraryA("text"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_BAD_EXE_FORMAT);
    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

TEST_F(LoadLibraryTest, GetProcAddressAndFreeLibrary) {
    win32::HMODULE module = win32::LoadLibraryW(u"cvn3_enu.lrl");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(win32::GetProcAddress(module, "cvn_string_table"), nullptr);

    win32::SetLastError(0);
    EXPECT_EQ(win32::GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PROC_NOT_FOUND);
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetProcAddress(module, nullptr), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PROC_NOT_FOUND);
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetProcAddress(nullptr, "cvn_string_table"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);

    EXPECT_EQ(win32::FreeLibrary(module), win32::TRUE);
    win32::SetLastError(0);
    EXPECT_EQ(win32::FreeLibrary(nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
}

}  // namespace
