// The name-space API: adding and removing hosts and file systems, the
// merged listing of the two trees (whatever order the registry lists its
// subkeys in), names that cannot make a key path, and the access check.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/cvprov/cvprov_test_support.h"

namespace {

using namespace cvprov_test;

// Runs on both platform kinds: Windows NT lists subkeys sorted, Windows 95 in
// the order they were made, and deletes a key with its subkeys.
class NameSpace : public testing::TestWithParam<std::string> {
protected:
    PrivateRegistry registry_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Platforms, NameSpace, testing::Values("nt", "95"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

struct Listed {
    std::vector<std::u16string> names;
    win32::DWORD end = 0;
};

Listed ListHosts(NAME_SPACE space) {
    Listed listed;
    REG_BROWSE browse;
    Record record;
    win32::DWORD status = GetHostEntryFirst(space, &browse, &record.raw);
    for (int step = 0; status == 0 && step < 50; ++step) {
        listed.names.push_back(record.Host());
        status = GetHostEntryNext(space, &browse, &record.raw);
    }
    listed.end = status;
    return listed;
}

// The listing of a host's file systems, by the names the records carry.
Listed ListFileSystems(const char16_t* host, NAME_SPACE space) {
    Listed listed;
    REG_BROWSE browse;
    Record record;
    win32::DWORD status = GetFileSystemEntryFirst(host, space, &browse, &record.raw);
    for (int step = 0; status == 0 && step < 50; ++step) {
        listed.names.push_back(record.Path());
        status = GetFileSystemEntryNext(host, space, &browse, &record.raw);
    }
    listed.end = status;
    return listed;
}

using Names = std::vector<std::u16string>;

TEST_P(NameSpace, HostsOfBothTreesAreListedOnceEach) {
    registry_.WriteSystem(Key(kSystemTree, "hostA") + Key(kSystemTree, "hostB"));
    registry_.WriteUser(Key(kUserTree, "hostA"));
    Listed combined = ListHosts(NAME_SPACE_COMBINED);
    EXPECT_EQ(combined.names, (Names{u"hostA", u"hostB"}));
    EXPECT_EQ(combined.end, win32::ERROR_NO_MORE_ITEMS);
    Listed user = ListHosts(NAME_SPACE_USER);
    EXPECT_EQ(user.names, (Names{u"hostA"}));
    EXPECT_EQ(user.end, win32::ERROR_NO_MORE_ITEMS);
    Listed system = ListHosts(NAME_SPACE_SYSTEM);
    EXPECT_EQ(system.names, (Names{u"hostA", u"hostB"}));
    EXPECT_EQ(system.end, win32::ERROR_NO_MORE_ITEMS);
}

// The keys are made out of order, and a name in both trees differs in case:
// the merge still reports each name once, in ascending order without regard
// to case, and the user tree's spelling wins.
TEST_P(NameSpace, TheMergeSortsEachLevelItself) {
    registry_.WriteSystem(Key(kSystemTree, "delta") + Key(kSystemTree, "Bravo") +
                          Key(kSystemTree, "alpha") + Key(kSystemTree, "alpha\\zeta") +
                          Key(kSystemTree, "alpha\\Eta") + Key(kSystemTree, "alpha\\beta"));
    registry_.WriteUser(Key(kUserTree, "echo") + Key(kUserTree, "charlie") +
                        Key(kUserTree, "ALPHA") + Key(kUserTree, "ALPHA\\theta") +
                        Key(kUserTree, "ALPHA\\BETA") + Key(kUserTree, "ALPHA\\alpha_1"));
    EXPECT_EQ(ListHosts(NAME_SPACE_COMBINED).names,
              (Names{u"ALPHA", u"Bravo", u"charlie", u"delta", u"echo"}));
    EXPECT_EQ(ListHosts(NAME_SPACE_SYSTEM).names, (Names{u"alpha", u"Bravo", u"delta"}));
    EXPECT_EQ(ListHosts(NAME_SPACE_USER).names, (Names{u"ALPHA", u"charlie", u"echo"}));
    EXPECT_EQ(ListFileSystems(u"alpha", NAME_SPACE_COMBINED).names,
              (Names{u"alpha_1", u"BETA", u"Eta", u"theta", u"zeta"}));
    EXPECT_EQ(ListFileSystems(u"alpha", NAME_SPACE_SYSTEM).names,
              (Names{u"beta", u"Eta", u"zeta"}));
    EXPECT_EQ(ListFileSystems(u"alpha", NAME_SPACE_USER).names,
              (Names{u"alpha_1", u"BETA", u"theta"}));
}

// Each listed entry is read with every level of the space.
TEST_P(NameSpace, ListedEntriesAreReadWithTheirLevels) {
    registry_.WriteSystem(Key(kSystemTree, "alpha") + DwordLine("ReadSize", 1024) +
                          Key(kSystemTree, "alpha\\docs") + StringLine("Root", "/export/docs"));
    registry_.WriteUser(Key(kUserTree, "alpha\\docs") + DwordLine("WriteSize", 2048) +
                        Key(kUserTree, "alpha\\home") + StringLine("Root", "/home"));
    REG_BROWSE browse;
    Record record;
    ASSERT_EQ(GetFileSystemEntryFirst(u"alpha", NAME_SPACE_COMBINED, &browse, &record.raw), 0u);
    EXPECT_EQ(record.Path(), u"docs");
    EXPECT_EQ(record.Host(), u"alpha");
    EXPECT_EQ(record.Text(2208), u"/export/docs");
    EXPECT_EQ(record.Word(24), 1024u);
    EXPECT_EQ(record.Word(28), 2048u);
    EXPECT_EQ(browse.system_index, 1u);
    EXPECT_EQ(browse.user_index, 1u);
    ASSERT_EQ(GetFileSystemEntryNext(u"alpha", NAME_SPACE_COMBINED, &browse, &record.raw), 0u);
    EXPECT_EQ(record.Path(), u"home");
    EXPECT_EQ(record.Text(2208), u"/home");
    EXPECT_EQ(record.Word(28), 8192u);
    EXPECT_EQ(GetFileSystemEntryNext(u"alpha", NAME_SPACE_COMBINED, &browse, &record.raw),
              win32::ERROR_NO_MORE_ITEMS);
}

// A level that does not exist ends the listing with the registry's error.
TEST_P(NameSpace, ListingAMissingLevelGivesNotFound) {
    registry_.WriteSystem(Key(kSystemTree, "alpha"));
    EXPECT_EQ(ListFileSystems(u"nohost", NAME_SPACE_COMBINED).end, win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ListHosts(NAME_SPACE_USER).end, win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ListFileSystems(u"alpha", NAME_SPACE_SYSTEM).end, win32::ERROR_NO_MORE_ITEMS);
}

TEST_P(NameSpace, AddingWithoutARecordMakesAnEmptyKey) {
    ASSERT_EQ(AddHostEntry(u"alpha", NAME_SPACE_COMBINED, nullptr), 0u);
    EXPECT_TRUE(KeyExists(kUserKey + "\\alpha"));
    EXPECT_FALSE(KeyExists(kSystemKey + "\\alpha"));
    EXPECT_TRUE(
        cvn_test::ReadFile(registry_.UserHive()).ends_with("[" + kUserTree + "\\alpha]\n\n"));

    Record record;
    EXPECT_EQ(GetHostEntry(u"alpha", NAME_SPACE_SYSTEM, &record.raw), win32::ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(GetHostEntry(u"alpha", NAME_SPACE_COMBINED, &record.raw), 0u);
    Record expected = Record::Fresh();
    expected.SetText(76, u"alpha");
    EXPECT_EQ(std::memcmp(record.raw.bytes, expected.raw.bytes, sizeof record.raw.bytes), 0);

    ASSERT_EQ(AddFileSystemEntry(u"beta", u"docs", NAME_SPACE_SYSTEM, nullptr), 0u);
    EXPECT_TRUE(KeyExists(kSystemKey + "\\beta\\docs"));
    EXPECT_EQ(GetFileSystemEntry(u"beta", u"docs", NAME_SPACE_SYSTEM, &record.raw), 0u);
}

TEST_P(NameSpace, AddingTwiceKeepsOneKeyWithTheLastValues) {
    Record record = Record::Fresh();
    record.SetWord(24, 1024);
    ASSERT_EQ(AddHostEntry(u"alpha", NAME_SPACE_USER, &record.raw), 0u);
    record.SetWord(24, 4096);
    ASSERT_EQ(AddHostEntry(u"ALPHA", NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_EQ(ListHosts(NAME_SPACE_USER).names, (Names{u"alpha"}));
    EXPECT_EQ(Value(kUserKey + "\\alpha", "ReadSize"), Dword(4096));
}

TEST_P(NameSpace, RemovingAHostTakesItsFileSystems) {
    registry_.WriteSystem(Key(kSystemTree, "alpha") + Key(kSystemTree, "alpha\\one") +
                          DwordLine("ReadSize", 1024) + Key(kSystemTree, "alpha\\two") +
                          Key(kSystemTree, "alpha\\three") + Key(kSystemTree, "beta"));
    registry_.WriteUser(Key(kUserTree, "alpha\\mine"));
    ASSERT_EQ(RemoveHostEntry(u"alpha", NAME_SPACE_SYSTEM), 0u);
    for (const char* below : {"", "\\one", "\\two", "\\three"}) {
        EXPECT_FALSE(KeyExists(kSystemKey + "\\alpha" + below)) << below;
    }
    EXPECT_TRUE(KeyExists(kSystemKey + "\\beta"));
    EXPECT_TRUE(KeyExists(kUserKey + "\\alpha\\mine"));
    EXPECT_EQ(RemoveHostEntry(u"alpha", NAME_SPACE_SYSTEM), win32::ERROR_FILE_NOT_FOUND);

    // The combined space removes from the user tree.
    ASSERT_EQ(RemoveHostEntry(u"alpha", NAME_SPACE_COMBINED), 0u);
    EXPECT_FALSE(KeyExists(kUserKey + "\\alpha"));
    EXPECT_TRUE(KeyExists(kUserKey));
}

TEST_P(NameSpace, RemovingAFileSystemTakesThatKeyOnly) {
    registry_.WriteUser(Key(kUserTree, "alpha\\one") + Key(kUserTree, "alpha\\two"));
    ASSERT_EQ(RemoveFileSystemEntry(u"alpha", u"ONE", NAME_SPACE_USER), 0u);
    EXPECT_FALSE(KeyExists(kUserKey + "\\alpha\\one"));
    EXPECT_TRUE(KeyExists(kUserKey + "\\alpha\\two"));
    EXPECT_EQ(RemoveFileSystemEntry(u"alpha", u"one", NAME_SPACE_USER),
              win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RemoveFileSystemEntry(u"nohost", u"two", NAME_SPACE_USER),
              win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RemoveFileSystemEntry(u"alpha", u"two", NAME_SPACE_SYSTEM),
              win32::ERROR_FILE_NOT_FOUND);
}

// A name with a backslash would reach into another key, and a key path must
// fit its 256-character buffer: every call that takes names refuses such
// names before it opens any key, so nothing in the registry changes, no
// obsolete alias is cleaned and no stored value reaches the record.
TEST(NameRefusals, EveryCallRefusesBeforeTouchingTheRegistry) {
    const std::u16string too_long(231, u'h');  // the user tree's path would be 256 characters
    struct Call {
        const char* name;
        bool reads;
        bool takes_file_system;
        std::function<win32::DWORD(const char16_t* host, const char16_t* fs, Record& record)> run;
    };
    REG_BROWSE browse{0, 0};
    const Call calls[] = {
        {"GetHostEntry", true, false,
         [](const char16_t* host, const char16_t*, Record& r) {
             return GetHostEntry(host, NAME_SPACE_COMBINED, &r.raw);
         }},
        {"AddHostEntry", false, false,
         [](const char16_t* host, const char16_t*, Record& r) {
             return AddHostEntry(host, NAME_SPACE_COMBINED, &r.raw);
         }},
        {"RemoveHostEntry", false, false,
         [](const char16_t* host, const char16_t*, Record&) {
             return RemoveHostEntry(host, NAME_SPACE_COMBINED);
         }},
        {"GetFileSystemEntry", true, true,
         [](const char16_t* host, const char16_t* fs, Record& r) {
             return GetFileSystemEntry(host, fs, NAME_SPACE_COMBINED, &r.raw);
         }},
        {"GetFileSystemEntry without a file system", true, false,
         [](const char16_t* host, const char16_t*, Record& r) {
             return GetFileSystemEntry(host, nullptr, NAME_SPACE_COMBINED, &r.raw);
         }},
        {"AddFileSystemEntry", false, true,
         [](const char16_t* host, const char16_t* fs, Record& r) {
             return AddFileSystemEntry(host, fs, NAME_SPACE_COMBINED, &r.raw);
         }},
        {"RemoveFileSystemEntry", false, true,
         [](const char16_t* host, const char16_t* fs, Record&) {
             return RemoveFileSystemEntry(host, fs, NAME_SPACE_COMBINED);
         }},
        {"GetFileSystemEntryFirst", false, false,
         [&browse](const char16_t* host, const char16_t*, Record& r) {
             return GetFileSystemEntryFirst(host, NAME_SPACE_COMBINED, &browse, &r.raw);
         }},
        {"GetFileSystemEntryNext", false, false,
         [&browse](const char16_t* host, const char16_t*, Record& r) {
             return GetFileSystemEntryNext(host, NAME_SPACE_COMBINED, &browse, &r.raw);
         }},
    };
    struct Names {
        const char16_t* host;
        const char16_t* file_system;
        bool needs_file_system;
        win32::DWORD expected;
    };
    const std::u16string long_file_system(225, u'f');  // with "alpha": 256 characters
    const Names names[] = {
        {u"al\\pha", u"docs", false, win32::ERROR_INVALID_NAME},
        {u"\\", u"docs", false, win32::ERROR_INVALID_NAME},
        {u"alpha", u"do\\cs", true, win32::ERROR_INVALID_NAME},
        {too_long.c_str(), u"docs", false, win32::ERROR_INVALID_PARAMETER},
        {u"alpha", long_file_system.c_str(), true, win32::ERROR_INVALID_PARAMETER},
    };
    for (const Call& call : calls) {
        for (const Names& n : names) {
            if (n.needs_file_system && !call.takes_file_system) {
                continue;
            }
            PrivateRegistry registry;
            // An alias that a listing or a read would clean away, and values
            // that a read would put in the record.
            registry.WriteSystem(Key(kSystemTree) + DwordLine("ReadSize", 1024));
            registry.WriteUser(Key(kUserTree) + DwordLine("WriteSize", 2048) +
                               Key(kUserTree, "alpha\\docs_2") + StringLine("item-type", "1"));
            const std::string before = registry.Hives();
            Record record = Record::Fresh();
            record.SetWord(24, 4096);
            EXPECT_EQ(call.run(n.host, n.file_system, record), n.expected)
                << call.name << " " << Ascii(n.host).substr(0, 8) << " "
                << Ascii(n.file_system).substr(0, 8);
            EXPECT_EQ(registry.Hives(), before) << call.name;
            if (call.reads) {
                EXPECT_EQ(record.Word(24), 8192u) << call.name << ": a fresh record";
                EXPECT_EQ(record.Word(28), 8192u) << call.name << ": no level read";
            }
        }
    }
}

// The boundary of the key-path buffer: a path of 255 characters is made, one
// of 256 is refused. The tree key decides how long a name may be.
TEST(NameRefusals, KeyPathsUpTo255CharactersAreMade) {
    PrivateRegistry registry;
    const std::size_t user_room = 255 - kUserKey.size() - 1;      // 230
    const std::size_t system_room = 255 - kSystemKey.size() - 1;  // 203
    EXPECT_EQ(AddHostEntry(std::u16string(user_room, u'u').c_str(), NAME_SPACE_USER, nullptr), 0u);
    EXPECT_EQ(AddHostEntry(std::u16string(user_room + 1, u'u').c_str(), NAME_SPACE_USER, nullptr),
              win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(AddHostEntry(std::u16string(system_room, u's').c_str(), NAME_SPACE_SYSTEM, nullptr),
              0u);
    EXPECT_EQ(
        AddHostEntry(std::u16string(system_room + 1, u's').c_str(), NAME_SPACE_SYSTEM, nullptr),
        win32::ERROR_INVALID_PARAMETER);
    const std::u16string fs(user_room - 2, u'f');
    EXPECT_EQ(AddFileSystemEntry(u"h", fs.c_str(), NAME_SPACE_USER, nullptr), 0u);
    EXPECT_EQ(AddFileSystemEntry(u"h", (fs + u'f').c_str(), NAME_SPACE_USER, nullptr),
              win32::ERROR_INVALID_PARAMETER);

    // A user-tree host too long for a path below the system tree is still
    // read from the user tree; the system space cannot reach it.
    Record record;
    const std::u16string host(user_room, u'u');
    EXPECT_EQ(GetHostEntry(host.c_str(), NAME_SPACE_COMBINED, &record.raw), 0u);
    EXPECT_EQ(GetHostEntry(host.c_str(), NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_EQ(GetHostEntry(host.c_str(), NAME_SPACE_SYSTEM, &record.raw),
              win32::ERROR_INVALID_PARAMETER);
}

// A key that another program made with a name too long for a key path is
// listed but cannot be read; the listing still moves on past it.
TEST_P(NameSpace, AnEntryWhosePathDoesNotFitDoesNotStallTheListing) {
    const std::string long_name(240, 'x');
    registry_.WriteUser(Key(kUserTree, "h\\a") + Key(kUserTree, "h\\" + long_name) +
                        Key(kUserTree, "h\\z"));
    for (NAME_SPACE space : {NAME_SPACE_COMBINED, NAME_SPACE_USER}) {
        Listed listed = ListFileSystems(u"h", space);
        ASSERT_EQ(listed.names.size(), 3u) << space;
        EXPECT_EQ(listed.names[0], u"a");
        EXPECT_EQ(listed.names[2], u"z");
        EXPECT_EQ(listed.end, win32::ERROR_NO_MORE_ITEMS);
    }
}

TEST(CheckUserAccess, GrantedWithAWritableSystemTree) {
    PrivateRegistry registry;
    EXPECT_EQ(CheckUserAccess(), 0) << "no system tree key";
    registry.WriteSystem(Key(kSystemTree));
    EXPECT_EQ(CheckUserAccess(), 1);
}

}  // namespace
