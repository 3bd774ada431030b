// File-system keys that the previous version generated as aliases: how one
// is recognised, how the user tree is cleaned of them when one is read, and
// listings that run while they are deleted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cvprov/cvprov_test_support.h"

namespace {

using namespace cvprov_test;

// Reading a user-tree file system decides: an alias is deleted and reads as
// not found; any other key with an item-type keeps it as "2".
TEST(AliasCheck, RecognisesObsoleteGeneratedAliases) {
    struct Case {
        const char* name;
        std::string values;
        bool alias;
    };
    const std::string one = StringLine("item-type", "1");
    const Case cases[] = {
        {"docs_2", one + StringLine("share-name", "/export/Docs"), true},
        {"docs", one + StringLine("share-name", "/export/docs"), true},
        {"DOCS_12", one + StringLine("share-name", "\\export\\docs"), true},
        {"docs_02", one + StringLine("share-name", "docs"), true},
        {"docs_2", one, true},
        {"docs_2_3", one + StringLine("share-name", "/export/docs_2"), true},
        {"docs_2", one + StringLine("share-name", "/export/docs") + StringLine("autotune", "1"),
         false},
        {"docs_2", one + DwordLine("AutoTuneDisable", 0), false},
        {"docs_2", StringLine("item-type", "2") + StringLine("share-name", "/export/docs"), false},
        {"docs_2", StringLine("item-type", "1 "), false},
        {"docs_2", DwordLine("item-type", 1), false},
        {"docs_x", one + StringLine("share-name", "/export/docs"), false},
        {"docs_", one + StringLine("share-name", "/export/docs"), false},
        {"docs_2", one + StringLine("share-name", "/export/docs_2"), false},
        {"docs_2", one + StringLine("share-name", "/export/docs/"), false},
        {"docs_2", one + StringLine("share-name", "/a\\docs"), false},
        {"docs_2", one + StringLine("share-name", "/export/documents"), false},
    };
    for (NAME_SPACE space : {NAME_SPACE_COMBINED, NAME_SPACE_USER}) {
        for (const Case& c : cases) {
            PrivateRegistry registry;
            registry.WriteUser(Key(kUserTree, std::string("h\\") + c.name) + c.values);
            const std::string key = kUserKey + "\\h\\" + c.name;
            Record record;
            EXPECT_EQ(GetFileSystemEntry(u"h", Wide(c.name).c_str(), space, &record.raw),
                      c.alias ? win32::ERROR_FILE_NOT_FOUND : 0u)
                << c.name << " " << c.values;
            EXPECT_EQ(KeyExists(key), !c.alias) << c.name << " " << c.values;
            if (!c.alias) {
                EXPECT_EQ(Value(key, "item-type"), String(u"2")) << c.name << " " << c.values;
            }
        }
    }
}

TEST(AliasCheck, AKeyWithoutAnItemTypeIsLeftAlone) {
    PrivateRegistry registry;
    registry.WriteUser(Key(kUserTree, "h\\docs_2") + StringLine("share-name", "/export/docs"));
    Record record;
    EXPECT_EQ(GetFileSystemEntry(u"h", u"docs_2", NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_FALSE(Value(kUserKey + "\\h\\docs_2", "item-type"));
}

// The system tree's keys are never taken for aliases when they are read.
TEST(AliasCheck, SystemTreeKeysAreNeverChecked) {
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree, "h\\docs_2") + StringLine("item-type", "1") +
                         StringLine("share-name", "/export/Docs"));
    for (NAME_SPACE space : {NAME_SPACE_SYSTEM, NAME_SPACE_COMBINED}) {
        Record record;
        EXPECT_EQ(GetFileSystemEntry(u"h", u"docs_2", space, &record.raw), 0u) << space;
    }
    EXPECT_EQ(Value(kSystemKey + "\\h\\docs_2", "item-type"), String(u"1"));
}

// Reading one alias cleans the whole user tree: every alias of every host
// goes, and every other file system loses its item-type.
TEST(UserTreeCleaning, FollowsTheFirstAliasRead) {
    PrivateRegistry registry;
    registry.WriteUser(
        Key(kUserTree, "h1") + StringLine("item-type", "1") + Key(kUserTree, "h1\\docs_2") +
        StringLine("item-type", "1") + StringLine("share-name", "/export/Docs") +
        Key(kUserTree, "h1\\keep") + StringLine("item-type", "1") + StringLine("autotune", "1") +
        Key(kUserTree, "h1\\plain") + StringLine("Root", "/plain") + Key(kUserTree, "h2\\data_1") +
        StringLine("item-type", "1") + Key(kUserTree, "h2\\other") + StringLine("item-type", "2"));
    Record record;
    ASSERT_EQ(GetFileSystemEntry(u"h1", u"keep", NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_EQ(Value(kUserKey + "\\h1\\keep", "item-type"), String(u"2"));
    EXPECT_TRUE(KeyExists(kUserKey + "\\h2\\data_1")) << "nothing is cleaned before an alias";

    EXPECT_EQ(GetFileSystemEntry(u"h1", u"docs_2", NAME_SPACE_USER, &record.raw),
              win32::ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(kUserKey + "\\h1\\docs_2"));
    EXPECT_FALSE(KeyExists(kUserKey + "\\h2\\data_1"));
    EXPECT_FALSE(Value(kUserKey + "\\h1\\keep", "item-type"));
    EXPECT_FALSE(Value(kUserKey + "\\h2\\other", "item-type"));
    EXPECT_EQ(Value(kUserKey + "\\h1\\plain", "Root"), String(u"/plain"));
    // Host keys are not file systems: theirs stays.
    EXPECT_EQ(Value(kUserKey + "\\h1", "item-type"), String(u"1"));
}

// A listing of the file systems starts by cleaning the user tree, before it
// reads its first entry.
TEST(UserTreeCleaning, StartsAFileSystemListing) {
    PrivateRegistry registry;
    registry.WriteUser(Key(kUserTree, "h\\a") + Key(kUserTree, "h\\b_1") +
                       StringLine("item-type", "1") + Key(kUserTree, "other\\x_1") +
                       StringLine("item-type", "1"));
    REG_BROWSE browse;
    Record record;
    ASSERT_EQ(GetFileSystemEntryFirst(u"h", NAME_SPACE_USER, &browse, &record.raw), 0u);
    EXPECT_EQ(record.Path(), u"a");
    EXPECT_FALSE(KeyExists(kUserKey + "\\h\\b_1"));
    EXPECT_FALSE(KeyExists(kUserKey + "\\other\\x_1"));
}

// Listings while aliases are deleted, on both platform kinds. The user tree
// interleaves aliases with ordinary keys; the system tree shares one name
// with an alias of the user tree and another with an ordinary key.
class ListingWithAliases : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        const std::string alias = StringLine("item-type", "1");
        registry_.WriteSystem(Key(kSystemTree, "h\\g") + Key(kSystemTree, "h\\c_2") +
                              Key(kSystemTree, "h\\a_1"));
        registry_.WriteUser(Key(kUserTree, "h\\f") + Key(kUserTree, "h\\e_3") + alias +
                            Key(kUserTree, "h\\d") + Key(kUserTree, "h\\c_2") + alias +
                            Key(kUserTree, "h\\b") + StringLine("item-type", "2") +
                            Key(kUserTree, "h\\a_1") + alias);
    }

    using Names = std::vector<std::u16string>;

    // Walks the listing, from GetFileSystemEntryFirst or from a zeroed
    // cursor with GetFileSystemEntryNext alone.
    Names Walk(NAME_SPACE space, bool from_first) {
        Names names;
        REG_BROWSE browse{0, 0};
        Record record;
        win32::DWORD status = from_first
                                  ? GetFileSystemEntryFirst(u"h", space, &browse, &record.raw)
                                  : GetFileSystemEntryNext(u"h", space, &browse, &record.raw);
        for (int step = 0; status == 0 && step < 20; ++step) {
            names.push_back(record.Path());
            status = GetFileSystemEntryNext(u"h", space, &browse, &record.raw);
        }
        EXPECT_EQ(status, win32::ERROR_NO_MORE_ITEMS);
        return names;
    }

    PrivateRegistry registry_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Platforms, ListingWithAliases, testing::Values("nt", "95"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST_P(ListingWithAliases, UserSpaceFromFirst) {
    EXPECT_EQ(Walk(NAME_SPACE_USER, true), (Names{u"b", u"d", u"f"}));
}

TEST_P(ListingWithAliases, UserSpaceFromAZeroedCursor) {
    EXPECT_EQ(Walk(NAME_SPACE_USER, false), (Names{u"b", u"d", u"f"}));
}

TEST_P(ListingWithAliases, CombinedSpaceFromFirst) {
    EXPECT_EQ(Walk(NAME_SPACE_COMBINED, true), (Names{u"a_1", u"b", u"c_2", u"d", u"f", u"g"}));
}

TEST_P(ListingWithAliases, CombinedSpaceFromAZeroedCursor) {
    EXPECT_EQ(Walk(NAME_SPACE_COMBINED, false), (Names{u"a_1", u"b", u"c_2", u"d", u"f", u"g"}));
    EXPECT_FALSE(KeyExists(kUserKey + "\\h\\a_1"));
    EXPECT_FALSE(Value(kUserKey + "\\h\\b", "item-type"));
}

// The system space never reads the user tree, so nothing is cleaned.
TEST_P(ListingWithAliases, SystemSpaceLeavesTheUserTreeAlone) {
    const std::string before = cvn_test::ReadFile(registry_.UserHive());
    EXPECT_EQ(Walk(NAME_SPACE_SYSTEM, true), (Names{u"a_1", u"c_2", u"g"}));
    EXPECT_EQ(cvn_test::ReadFile(registry_.UserHive()), before);
}

}  // namespace
