// cvnreg run as a program against a private registry: what it prints, byte
// for byte, what it leaves in the hives, and its exit status (0 done, 1
// refused by the registry, 2 bad command line).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cvprov/password_codec.h"
#include "tests/cvprov/cvprov_test_support.h"
#include "tests/support/process.h"

namespace {

using namespace cvprov_test;

std::string Expected(const std::string& name) {
    return cvn_test::ReadFile(std::string(CVN_SOURCE_DIR) + "/tests/cvprov/expected/" + name);
}

// The listing of `show` for a fresh record, with some lines changed:
// {"ReadSize", "512"} gives "ReadSize                 512".
std::string ShowWith(const std::vector<std::pair<std::string, std::string>>& changes) {
    std::string text = Expected("show_defaults.txt");
    for (const auto& [name, value] : changes) {
        std::string label = name + std::string(25 - name.size(), ' ');
        size_t start = text.find("\n" + label) + 1;
        size_t end = text.find('\n', start);
        text.replace(start, end - start, label + value);
    }
    return text;
}

class Cvnreg : public testing::TestWithParam<std::string> {
protected:
    cvn_test::ProcessResult Run(const std::vector<std::string>& arguments) {
        cvn_test::ProcessOptions options;
        options.environment = registry_.Environment();
        return cvn_test::RunProcess(cvn_test::BinPath("cvnreg"), arguments, options);
    }

    // Runs a command that must succeed and print `out`.
    void Expect(const std::vector<std::string>& arguments, const std::string& out) {
        cvn_test::ProcessResult result = Run(arguments);
        std::string line;
        for (const std::string& argument : arguments) {
            line += " " + argument;
        }
        EXPECT_EQ(result.exit_status, 0) << line << "\n" << result.err;
        EXPECT_EQ(result.out, out) << line;
        EXPECT_EQ(result.err, "") << line;
    }

    // Runs a command that must fail with `status` and print `err`.
    void ExpectFailure(const std::vector<std::string>& arguments, int status,
                       const std::string& err) {
        cvn_test::ProcessResult result = Run(arguments);
        std::string line;
        for (const std::string& argument : arguments) {
            line += " " + argument;
        }
        EXPECT_EQ(result.exit_status, status) << line;
        EXPECT_EQ(result.out, "") << line;
        EXPECT_EQ(result.err, err) << line;
    }

    PrivateRegistry registry_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Platforms, Cvnreg, testing::Values("nt", "95"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST_P(Cvnreg, BadCommandLinesGiveTheUsage) {
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"bogus"},
        {"--space", "bogus", "hosts"},
        {"--space"},
        {"--space", "user"},
        {"hosts", "extra"},
        {"filesystems"},
        {"show", "a", "b", "c"},
        {"set"},
        {"set", "alpha"},
        {"set", "alpha", "ReadSize=1", "docs"},
        {"set", "alpha", "docs", "extra", "ReadSize=1"},
        {"add-host"},
        {"add-fs", "alpha", "docs"},
        {"add-fs", "alpha", "docs", "/export", "more"},
        {"remove-host", "a", "b"},
        {"remove-fs", "alpha"},
        {"upgrade", "now"},
        {"access", "x"},
    };
    for (const auto& line : lines) {
        ExpectFailure(line, 2, Expected("usage.txt"));
    }
    EXPECT_FALSE(cvn_test::FileExists(registry_.SystemHive()));
    EXPECT_FALSE(cvn_test::FileExists(registry_.UserHive()));
    Expect({"--help"}, Expected("usage.txt"));
}

TEST_P(Cvnreg, BadAssignmentsAreRefused) {
    ExpectFailure({"set", "Bogus=1"}, 2, "cvnreg: not an option assignment: Bogus=1\n");
    ExpectFailure({"set", "ReadSize=abc"}, 2, "cvnreg: ReadSize takes a number: abc\n");
    ExpectFailure({"set", "ReadSize="}, 2, "cvnreg: ReadSize takes a number: \n");
    ExpectFailure({"set", "ReadSize=-1"}, 2, "cvnreg: ReadSize takes a number: -1\n");
    ExpectFailure({"set", "UseTCP=1", "IoTimeout=9x"}, 2, "cvnreg: IoTimeout takes a number: 9x\n");
    EXPECT_FALSE(cvn_test::FileExists(registry_.UserHive())) << "nothing is written";
}

TEST_P(Cvnreg, ShowsTheDefaultsOfAnEmptyRegistry) {
    Expect({"show"}, Expected("show_defaults.txt"));
    Expect({"--space", "system", "show"}, Expected("show_defaults.txt"));
}

// Values are clamped and flags take bit 0, as the record does; numbers may
// be octal or hexadecimal, and one beyond 32 bits is clamped, not cut.
TEST_P(Cvnreg, SetChangesTheNamedOptions) {
    Expect({"set", "ReadSize=100", "UseTCP=3", "PermissionMask=0750", "WriteSize=0x1000",
            "CacheTmo=4294967296", "UserName=bob", "Password=secret"},
           "");
    const std::string changed = ShowWith({{"ReadSize", "512"},
                                          {"UseTCP", "1"},
                                          {"PermissionMask", "488"},
                                          {"WriteSize", "4096"},
                                          {"CacheTmo", "4294967295"},
                                          {"UserName", "\"bob\""},
                                          {"Password", "(set)"},
                                          {"DeviceType", "1"}});
    Expect({"show"}, changed);
    EXPECT_EQ(Value(kUserKey, "ReadSize"), Dword(512));
    EXPECT_EQ(Value(kUserKey, "Password"), Binary(cvprov::EncodePassword(u"secret")));
    EXPECT_FALSE(KeyExists(kSystemKey));
    Expect({"--space", "system", "show"}, Expected("show_defaults.txt"));
}

// A host or file system has to exist before it is changed.
TEST_P(Cvnreg, SetChangesAnEntryThatExists) {
    ExpectFailure({"set", "alpha", "ReadSize=1024"}, 1,
                  "cvnreg: reading the entry: The file could not be found. (error 2)\n");
    Expect({"--space", "system", "add-host", "alpha"}, "");
    Expect({"--space", "system", "set", "alpha", "ReadSize=1024"}, "");
    Expect({"set", "alpha", "IoTimeout=700"}, "");
    Expect({"--space", "system", "show", "alpha"},
           ShowWith({{"ReadSize", "1024"}, {"DeviceType", "1"}}));
    Expect({"show", "alpha"},
           ShowWith({{"ReadSize", "1024"}, {"IoTimeout", "600"}, {"DeviceType", "1"}}));
}

TEST_P(Cvnreg, AddsListsAndRemovesEntries) {
    Expect({"--space", "system", "add-host", "alpha"}, "");
    Expect({"--space", "system", "add-host", "Charlie"}, "");
    Expect({"add-host", "bravo"}, "");
    Expect({"add-fs", "alpha", "docs", "/export/docs"}, "");
    Expect({"--space", "system", "add-fs", "alpha", "home", "/home"}, "");
    Expect({"hosts"}, "alpha\nbravo\nCharlie\n");
    Expect({"--space", "system", "hosts"}, "alpha\nCharlie\n");
    Expect({"--space", "user", "hosts"}, "alpha\nbravo\n");
    Expect({"filesystems", "alpha"}, "docs\t/export/docs\nhome\t/home\n");
    Expect({"--space", "user", "filesystems", "alpha"}, "docs\t/export/docs\n");
    Expect({"show", "alpha", "docs"},
           ShowWith({{"Root", "\"/export/docs\""}, {"DeviceType", "1"}}));

    Expect({"remove-fs", "alpha", "docs"}, "");
    Expect({"filesystems", "alpha"}, "home\t/home\n");
    Expect({"remove-host", "alpha"}, "");
    Expect({"hosts"}, "alpha\nbravo\nCharlie\n");
    Expect({"--space", "system", "remove-host", "alpha"}, "");
    Expect({"hosts"}, "bravo\nCharlie\n");
    EXPECT_FALSE(KeyExists(kSystemKey + "\\alpha\\home"));
    // Nothing left to list is no error.
    Expect({"--space", "system", "filesystems", "Charlie"}, "");
}

TEST_P(Cvnreg, RefusalsOfTheRegistryExitWithOne) {
    const std::string not_found = "The file could not be found. (error 2)\n";
    const std::string bad_name =
        "The syntax of the file name, directory name or volume label is not correct. (error "
        "123)\n";
    Expect({"add-host", "alpha"}, "");
    ExpectFailure({"show", "nosuch"}, 1, "cvnreg: reading the entry: " + not_found);
    ExpectFailure({"show", "alpha", "nosuch"}, 1, "cvnreg: reading the entry: " + not_found);
    ExpectFailure({"--space", "system", "show", "alpha"}, 1,
                  "cvnreg: reading the entry: " + not_found);
    ExpectFailure({"remove-host", "nosuch"}, 1, "cvnreg: removing the host: " + not_found);
    ExpectFailure({"remove-fs", "alpha", "nosuch"}, 1,
                  "cvnreg: removing the file system: " + not_found);
    ExpectFailure({"add-host", "al\\pha"}, 1, "cvnreg: adding the host: " + bad_name);
    ExpectFailure({"add-fs", "alpha", "do\\cs", "/x"}, 1,
                  "cvnreg: adding the file system: " + bad_name);
    ExpectFailure({"filesystems", "al\\pha"}, 1, "cvnreg: listing the file systems: " + bad_name);
    ExpectFailure({"set", "al\\pha", "ReadSize=1"}, 1, "cvnreg: reading the entry: " + bad_name);
    ExpectFailure({"add-host", std::string(300, 'h')}, 1,
                  "cvnreg: adding the host: A parameter is not correct. (error 87)\n");
    EXPECT_FALSE(KeyExists(kUserKey + "\\al"));
}

TEST_P(Cvnreg, ADamagedHiveIsReportedWithItsReason) {
    cvn_test::WriteFile(registry_.UserHive(),
                        "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=dword:xyz\n");
    const std::string damaged =
        "The configuration registry database is damaged. (error 1009)\n"
        "cvnreg: " +
        registry_.UserHive() + ":4: a dword value needs up to eight hex digits\n";
    ExpectFailure({"show"}, 1, "cvnreg: reading the entry: " + damaged);
    ExpectFailure({"hosts"}, 1, "cvnreg: listing the hosts: " + damaged);
    ExpectFailure({"add-host", "alpha"}, 1, "cvnreg: adding the host: " + damaged);
}

TEST_P(Cvnreg, UpgradeConvertsWhatThePreviousVersionStored) {
    registry_.WriteSystem(
        Key(kSystemTree) + StringLine("read-size", "32768") + StringLine("open-case", "7") +
        StringLine("autotune", "0") + Key(kSystemTree, "alpha") +
        StringLine("Password", cvprov::EncodeLegacyPassword("secret")) +
        Key(kSystemTree, "alpha\\docs") + StringLine("share-name", "/export/docs"));
    Expect({"upgrade"}, "");
    Expect({"--space", "system", "show"}, ShowWith({{"ReadSize", "32768"},
                                                    {"CaseOnOpen", "2"},
                                                    {"CaseOnCreate", "2"},
                                                    {"AutoTuneDisable", "1"}}));
    Expect({"--space", "system", "filesystems", "alpha"}, "docs\t/export/docs\n");
    EXPECT_EQ(Value(kSystemKey + "\\alpha", "Password"), Binary(cvprov::EncodePassword(u"secret")));
    EXPECT_EQ(Value(kSystemKey, "AliasesConverted"), Dword(1));
}

TEST_P(Cvnreg, AccessTellsWhetherTheSystemTreeMayBeChanged) {
    Expect({"access"}, "no\n");
    Expect({"--space", "system", "add-host", "alpha"}, "");
    Expect({"access"}, "yes\n");
}

}  // namespace
