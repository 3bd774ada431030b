// inikit-cli end to end: its output, its errors and its exit statuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/modules.h"
#include "tests/inikit/inikit_test_support.h"
#include "tests/support/process.h"

namespace {

using cvn_test::BinPath;
using cvn_test::RunProcess;
using inikit_test::IniFixture;

TEST(InikitCli, CommandsOutputsAndStatuses) {
    IniFixture fixture;
    const std::string file = fixture.Write("[A]\r\n k = 'v 1' \r\n[B]\r\nx=2\r\n");
    const std::string missing = fixture.Path("missing.ini");
    const std::string usage =
        "usage: inikit-cli get FILE SECTION KEY\n"
        "       inikit-cli set FILE SECTION KEY VALUE\n"
        "       inikit-cli del FILE SECTION KEY\n"
        "       inikit-cli sections FILE\n"
        "       inikit-cli section FILE SECTION\n";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {{"get", file, "A", "k"}, 0, "v 1\n", ""},
        {{"sections", file}, 0, "A\nB\n", ""},
        {{"section", file, "A"}, 0, "k='v 1'\n", ""},
        {{"get", file, "A", "nokey"}, 3, "", "inikit-cli: no key nokey in section [A]\n"},
        {{"section", file, "C"}, 3, "", "inikit-cli: no section [C]\n"},
        {{"get", missing, "A", "k"}, 2, "", "inikit-cli: cannot read " + missing + "\n"},
        {{"sections", missing}, 2, "", "inikit-cli: cannot read " + missing + "\n"},
        {{"del", file, "B", "y"}, 3, "", "inikit-cli: no key y in section [B]\n"},
        {{}, 1, "", usage},
        {{"get", file}, 1, "", usage},
        {{"frob", file}, 1, "", usage},
        {{"set", file, "A", "\xe4\xb8\xad", "v"},
         1,
         "",
         "inikit-cli: argument 3 has characters outside the ANSI code page\n"},
        {{"set", fixture.Path("nodir/x.ini"), "A", "k", "v"},
         4,
         "",
         "inikit-cli: could not write " + fixture.Path("nodir/x.ini") + "\n"},
    };
    for (const Case& c : cases) {
        auto result = RunProcess(BinPath("inikit-cli"), c.arguments);
        std::string name = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(result.exit_status, c.status) << name;
        EXPECT_EQ(result.out, c.out) << name;
        EXPECT_EQ(result.err, c.err) << name;
    }
}

TEST(InikitCli, SetAndDeleteChangeTheFile) {
    IniFixture fixture;
    const std::string file = fixture.Write("[A]\nk=1\n");
    EXPECT_EQ(RunProcess(BinPath("inikit-cli"), {"set", file, "A", "m", "caf\xc3\xa9"}).exit_status,
              0);
    EXPECT_EQ(RunProcess(BinPath("inikit-cli"), {"del", file, "A", "k"}).exit_status, 0);
    EXPECT_EQ(cvn_test::ReadFile(file), "[A]\nm=caf\xe9\n");
    auto shown = RunProcess(BinPath("inikit-cli"), {"get", file, "A", "m"});
    EXPECT_EQ(shown.out, "caf\xc3\xa9\n");
}

}  // namespace

namespace {

TEST(InikitLibrary, ExportsEveryFunction) {
    std::string path = cvn_test::BinPath("inikit.dll");
    win32::HMODULE module = win32::LoadLibraryA(path.c_str());
    ASSERT_NE(module, nullptr);
    for (const char* name :
         {"NCGetSectionNames", "NCGetSection", "NCGetIniKeyString", "NCWriteIniKeyString",
          "NCWriteSection", "NCDeleteIniKeyString", "NCGetSectionNamesW", "NCGetSectionW",
          "NCGetIniKeyStringW", "NCWriteIniKeyStringW", "NCWriteSectionW", "NCDeleteIniKeyStringW",
          "NCWideToMB", "NCMBToWide"}) {
        EXPECT_NE(win32::GetProcAddress(module, name), nullptr) << name;
    }
    win32::FreeLibrary(module);
}

}  // namespace
