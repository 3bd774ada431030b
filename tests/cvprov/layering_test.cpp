// How a record is built from the levels of the two trees, and which level's
// result each reading function returns in each name space.
#include <gtest/gtest.h>

#include <string>

#include "cvprov/config_levels.h"
#include "tests/cvprov/cvprov_test_support.h"

namespace {

using namespace cvprov_test;

// Level L of the six, and what it stores.
const char* const kLevelNames[] = {"system tree", "user tree",         "system host",
                                   "user host",   "system filesystem", "user filesystem"};
// Option j is stored at levels 0 to j, so the level that should win for it is
// the highest one applied that is not above j.
const char* const kLayeredOptions[] = {"Root",      "UserName",       "AuthenticationServer",
                                       "NisDomain", "PrinterOptions", "PrintClass"};

class Layering : public testing::Test {
protected:
    void SetUp() override {
        std::string system;
        std::string user;
        const std::string below[] = {"", "", "alpha", "alpha", "alpha\\docs", "alpha\\docs"};
        for (int level = 0; level < 6; ++level) {
            std::string& hive = level % 2 == 0 ? system : user;
            hive += Key(level % 2 == 0 ? kSystemTree : kUserTree, below[level]);
            for (int option = level; option < 6; ++option) {
                hive += StringLine(kLayeredOptions[option], kLevelNames[level]);
            }
        }
        registry_.WriteSystem(system);
        registry_.WriteUser(user);
    }

    // Checks that option j holds the name of level winner(j).
    template <typename Winner>
    void ExpectWinners(const Record& record, Winner winner) {
        for (int option = 0; option < 6; ++option) {
            const Row& row = RowNamed(kLayeredOptions[option]);
            EXPECT_EQ(record.Text(row.offset), Wide(kLevelNames[winner(option)])) << row.name;
        }
    }

    PrivateRegistry registry_;
};

TEST_F(Layering, EachLevelOverridesTheOnesBeforeIt) {
    for (NAME_SPACE space : {NAME_SPACE_COMBINED, NAME_SPACE_USER}) {
        Record record;
        ASSERT_EQ(GetFileSystemEntry(u"alpha", u"docs", space, &record.raw), 0u);
        ExpectWinners(record, [](int option) { return option; });
        ASSERT_EQ(GetHostEntry(u"alpha", space, &record.raw), 0u);
        ExpectWinners(record, [](int option) { return std::min(option, 3); });
        ASSERT_EQ(GetCorvParam(space, &record.raw), 0u);
        ExpectWinners(record, [](int option) { return std::min(option, 1); });
    }
}

TEST_F(Layering, TheSystemSpaceAppliesTheSystemLevelsOnly) {
    Record record;
    ASSERT_EQ(GetFileSystemEntry(u"alpha", u"docs", NAME_SPACE_SYSTEM, &record.raw), 0u);
    ExpectWinners(record, [](int option) { return option - option % 2; });
    ASSERT_EQ(GetHostEntry(u"alpha", NAME_SPACE_SYSTEM, &record.raw), 0u);
    ExpectWinners(record, [](int option) { return std::min(option - option % 2, 2); });
    ASSERT_EQ(GetCorvParam(NAME_SPACE_SYSTEM, &record.raw), 0u);
    ExpectWinners(record, [](int) { return 0; });
}

// Without a file-system name the file-system levels are left out, and
// without a host the host levels too.
TEST_F(Layering, FileSystemEntryWithoutNamesStopsAtTheLevelsNamed) {
    Record record;
    ASSERT_EQ(GetFileSystemEntry(u"alpha", nullptr, NAME_SPACE_COMBINED, &record.raw), 0u);
    ExpectWinners(record, [](int option) { return std::min(option, 3); });
    EXPECT_EQ(record.Host(), u"alpha");
    EXPECT_EQ(record.Path(), u"");
    ASSERT_EQ(GetFileSystemEntry(u"", u"", NAME_SPACE_COMBINED, &record.raw), 0u);
    ExpectWinners(record, [](int option) { return std::min(option, 1); });
    EXPECT_EQ(record.Host(), u"");
}

// Which result a reading function gives: S is the result of the entry's
// system level, U that of its user level.
TEST(ReadResults, FollowTheNameSpace) {
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + Key(kSystemTree, "sys") + Key(kSystemTree, "both") +
                         Key(kSystemTree, "both\\sysfs") + Key(kSystemTree, "both\\f"));
    registry.WriteUser(Key(kUserTree) + Key(kUserTree, "usr") + Key(kUserTree, "both") +
                       Key(kUserTree, "both\\usrfs") + Key(kUserTree, "both\\f"));
    constexpr win32::DWORD kMissing = win32::ERROR_FILE_NOT_FOUND;
    struct Case {
        const char16_t* host;
        const char16_t* file_system;
        bool host_entry;  // GetHostEntry rather than GetFileSystemEntry
        win32::DWORD expected[3];
    };
    const Case cases[] = {
        {u"sys", nullptr, true, {0, 0, kMissing}},
        {u"usr", nullptr, true, {kMissing, 0, 0}},
        {u"both", nullptr, true, {0, 0, 0}},
        {u"none", nullptr, true, {kMissing, kMissing, kMissing}},
        {u"both", u"sysfs", false, {0, 0, kMissing}},
        {u"both", u"usrfs", false, {kMissing, 0, 0}},
        {u"both", u"f", false, {0, 0, 0}},
        {u"both", u"nofs", false, {kMissing, kMissing, kMissing}},
        {u"none", u"nofs", false, {kMissing, kMissing, kMissing}},
        // Without a file-system name: the last level read for the system
        // space, 0 for the others.
        {u"sys", nullptr, false, {0, 0, 0}},
        {u"usr", nullptr, false, {kMissing, 0, 0}},
        {u"none", nullptr, false, {kMissing, 0, 0}},
        {nullptr, nullptr, false, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        for (NAME_SPACE space : {NAME_SPACE_SYSTEM, NAME_SPACE_COMBINED, NAME_SPACE_USER}) {
            Record record;
            const win32::DWORD result =
                c.host_entry ? GetHostEntry(c.host, space, &record.raw)
                             : GetFileSystemEntry(c.host, c.file_system, space, &record.raw);
            EXPECT_EQ(result, c.expected[space])
                << (c.host_entry ? "GetHostEntry " : "GetFileSystemEntry ") << Ascii(c.host) << " "
                << Ascii(c.file_system) << " space " << space;
        }
    }
}

// GetCorvParam returns the last level it read: the system tree key in the
// system space, the user tree key in the others, and the record holds what
// the levels that exist gave.
TEST(ReadResults, GlobalOptionsReturnTheLastLevelRead) {
    constexpr win32::DWORD kMissing = win32::ERROR_FILE_NOT_FOUND;
    struct Case {
        bool system_tree;
        bool user_tree;
        win32::DWORD expected[3];
        win32::DWORD without_names[3];  // GetFileSystemEntry with neither name
    };
    const Case cases[] = {
        {false, false, {kMissing, kMissing, kMissing}, {kMissing, 0, 0}},
        {true, false, {0, kMissing, kMissing}, {0, 0, 0}},
        {false, true, {kMissing, 0, 0}, {kMissing, 0, 0}},
        {true, true, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        PrivateRegistry registry;
        if (c.system_tree) {
            registry.WriteSystem(Key(kSystemTree) + DwordLine("ReadSize", 1024));
        }
        if (c.user_tree) {
            registry.WriteUser(Key(kUserTree) + DwordLine("WriteSize", 2048));
        }
        for (NAME_SPACE space : {NAME_SPACE_SYSTEM, NAME_SPACE_COMBINED, NAME_SPACE_USER}) {
            Record record;
            EXPECT_EQ(GetCorvParam(space, &record.raw), c.expected[space])
                << c.system_tree << c.user_tree << " space " << space;
            EXPECT_EQ(record.Word(24), c.system_tree ? 1024u : 8192u);
            EXPECT_EQ(record.Word(28), c.user_tree && space != NAME_SPACE_SYSTEM ? 2048u : 8192u);
            EXPECT_EQ(GetFileSystemEntry(nullptr, nullptr, space, &record.raw),
                      c.without_names[space])
                << c.system_tree << c.user_tree << " space " << space;
        }
    }
}

// A level that is read stores the names it was asked for; the path is the
// file system's name, not its export path.
TEST(ReadResults, TheRecordCarriesTheNamesAskedFor) {
    PrivateRegistry registry;
    registry.WriteUser(Key(kUserTree, "Alpha\\Docs") + StringLine("Root", "/export/docs"));
    Record record;
    ASSERT_EQ(GetFileSystemEntry(u"alpha", u"docs", NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_EQ(record.Host(), u"alpha");
    EXPECT_EQ(record.Path(), u"docs");
    EXPECT_EQ(record.Text(2208), u"/export/docs");
    EXPECT_EQ(record.Half(0), 326);
}

// The pages show the subnet's servers and the security page unless the
// system tree key says 0; the user tree has no say.
TEST(DisplayQueries, ShowUnlessTheSystemTreeSaysZero) {
    struct Case {
        std::string system;
        bool servers;
        bool security;
    };
    const Case cases[] = {
        {"", true, true},
        {Key(kSystemTree), true, true},
        {Key(kSystemTree) + DwordLine("DisplayServersOnSubnet", 0), false, true},
        {Key(kSystemTree) + DwordLine("DisplaySecurityTab", 0) +
             DwordLine("DisplayServersOnSubnet", 2),
         true, false},
    };
    for (const Case& c : cases) {
        PrivateRegistry registry;
        registry.WriteSystem(c.system);
        registry.WriteUser(Key(kUserTree) + DwordLine("DisplayServersOnSubnet", 0) +
                           DwordLine("DisplaySecurityTab", 0));
        EXPECT_EQ(cvprov::DisplayServersOnSubnet(), c.servers) << c.system;
        EXPECT_EQ(cvprov::DisplaySecurityTab(), c.security) << c.system;
    }
}

}  // namespace
