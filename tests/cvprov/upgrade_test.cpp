// The upgrade pass over a registry that the previous version wrote: renamed
// values, values whose meaning changed, the old password form, obsolete
// aliases, and the mark that keeps a converted tree from being done again.
#include "cvprov/upgrade.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cvprov/password_codec.h"
#include "tests/cvprov/cvprov_test_support.h"

namespace {

using namespace cvprov_test;

void RunPass(bool requested = false) {
    cvprov::RunUpgradePass(&requested);
}

// The values a key holds, for comparing before and after.
std::vector<std::optional<Stored>> Snapshot(const std::string& key,
                                            const std::vector<std::string>& names) {
    std::vector<std::optional<Stored>> values;
    for (const std::string& name : names) {
        values.push_back(Value(key, name));
    }
    return values;
}

// Each of the 19 renames: a number row takes the decimal value of the old
// text (as atoi reads it), a string row the text itself. Old values stay.
TEST(UpgradePass, RenamesEveryPreviousValue) {
    struct Case {
        const char* previous;
        std::string line;
        const char* current;
        Stored expected;
    };
    const Case cases[] = {
        {"share-name", StringLine("share-name", "/export/home"), "Root", String(u"/export/home")},
        {"username", StringLine("username", "alice"), "UserName", String(u"alice")},
        {"pcnfsd", StringLine("pcnfsd", "authhost"), "AuthenticationServer", String(u"authhost")},
        {"locking", StringLine("locking", "0"), "FileSharingEnabled", Dword(0)},
        {"cd-rom", StringLine("cd-rom", "1"), "CD-ROM", Dword(1)},
        {"symbolic-link", StringLine("symbolic-link", "0"), "SymbolicLink", Dword(0)},
        {"hide-dotfiles", StringLine("hide-dotfiles", "1"), "HideDotFiles", Dword(1)},
        {"lookup-caching", StringLine("lookup-caching", "0"), "LookupCache", Dword(0)},
        {"tcp", StringLine("tcp", "1"), "UseTCP", Dword(1)},
        {"gid", StringLine("gid", "100"), "PreferredGid", Dword(100)},
        {"pmask", StringLine("pmask", "0755"), "PermissionMask", Dword(755)},
        {"read-size", StringLine("read-size", "32768"), "ReadSize", Dword(32768)},
        {"write-size", DwordLine("write-size", 4096), "WriteSize", Dword(4096)},
        {"stream", StringLine("stream", " 6x"), "StreamSize", Dword(6)},
        {"timeout", StringLine("timeout", "-3"), "IoTimeout", Dword(0xFFFFFFFD)},
        {"cache-timeout", StringLine("cache-timeout", "abc"), "CacheTmo", Dword(0)},
        {"send-control-file-first", StringLine("send-control-file-first", "1"),
         "PrintSendCfileFirst", Dword(1)},
        {"print-banner-page", StringLine("print-banner-page", "0"), "PrintBanner", Dword(0)},
        {"resource-type", StringLine("resource-type", "3"), "DeviceType", Dword(3)},
    };
    std::string fixture = Key(kSystemTree);
    std::vector<std::string> previous_names;
    for (const Case& c : cases) {
        fixture += c.line;
        // Registry names ignore case: "cd-rom" is "CD-ROM", converted in place.
        if (std::string(c.previous) != "cd-rom") {
            previous_names.push_back(c.previous);
        }
    }
    PrivateRegistry registry;
    registry.WriteSystem(fixture);
    const auto before = Snapshot(kSystemKey, previous_names);

    RunPass();
    for (const Case& c : cases) {
        EXPECT_EQ(Value(kSystemKey, c.current), c.expected) << c.previous;
    }
    EXPECT_EQ(Snapshot(kSystemKey, previous_names), before);
    EXPECT_EQ(Value(kSystemKey, "AliasesConverted"), Dword(1));

    Record record;
    ASSERT_EQ(GetCorvParam(NAME_SPACE_SYSTEM, &record.raw), 0u);
    EXPECT_EQ(record.Field(8, 2, 1), 1u) << "CD-ROM";
    EXPECT_EQ(record.Field(8, 1, 1), 0u) << "FileSharingEnabled";
    EXPECT_EQ(record.Word(24), 32768u);
}

// The one previous name that is the current name but for case: its text is
// converted in place, also when it says 0, and a second pass leaves the
// number alone.
TEST(UpgradePass, ConvertsCdRomInPlace) {
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + StringLine("cd-rom", "0") + Key(kSystemTree, "h") +
                         StringLine("cd-rom", "1") + Key(kSystemTree, "current") +
                         DwordLine("CD-ROM", 1));
    RunPass();
    EXPECT_EQ(Value(kSystemKey, "CD-ROM"), Dword(0));
    EXPECT_EQ(Value(kSystemKey + "\\h", "CD-ROM"), Dword(1));
    EXPECT_EQ(Value(kSystemKey + "\\current", "CD-ROM"), Dword(1));
    RunPass(true);
    EXPECT_EQ(Value(kSystemKey + "\\h", "CD-ROM"), Dword(1));
    Record record;
    ASSERT_EQ(GetHostEntry(u"h", NAME_SPACE_SYSTEM, &record.raw), 0u);
    EXPECT_EQ(record.Field(8, 2, 1), 1u);
}

TEST(UpgradePass, KeepsCurrentValuesThatArePresent) {
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + StringLine("read-size", "1024") +
                         DwordLine("ReadSize", 2000) + StringLine("username", "old") +
                         StringLine("UserName", "new") + StringLine("share-name", "/old") +
                         StringLine("Root", "") + StringLine("tcp", "1") + "\"UseTCP\"=hex:00\n");
    RunPass();
    EXPECT_EQ(Value(kSystemKey, "ReadSize"), Dword(2000));
    EXPECT_EQ(Value(kSystemKey, "UserName"), String(u"new"));
    EXPECT_EQ(Value(kSystemKey, "Root"), String(u""));
    EXPECT_EQ(Value(kSystemKey, "UseTCP"), Binary({0x00}));
}

// The values whose meaning changed are converted on their own terms, and
// written even over a current value that is present.
TEST(UpgradePass, ConvertsTheValuesWhoseMeaningChanged) {
    using Expectations = std::vector<std::pair<const char*, std::optional<Stored>>>;
    struct Case {
        std::string lines;
        Expectations expected;
    };
    auto line = [](const char* name, const char* text) { return StringLine(name, text); };
    const Case cases[] = {
        {line("autotune", "0"), {{"AutoTuneDisable", Dword(1)}}},
        {line("autotune", "1"), {{"AutoTuneDisable", Dword(0)}}},
        {line("autotune", "5"), {{"AutoTuneDisable", Dword(0)}}},
        {line("autotune", "0") + DwordLine("AutoTuneDisable", 0), {{"AutoTuneDisable", Dword(1)}}},
        {line("open-case", "7"), {{"CaseOnOpen", Dword(2)}, {"CaseOnCreate", Dword(2)}}},
        {line("open-case", "1"), {{"CaseOnOpen", Dword(1)}, {"CaseOnCreate", Dword(1)}}},
        {line("open-case", "0") + DwordLine("CaseOnOpen", 3) + DwordLine("CaseOnCreate", 1),
         {{"CaseOnOpen", Dword(0)}, {"CaseOnCreate", Dword(0)}}},
        {line("print-format", "1"), {{"PrintFileFormat", Dword(0)}}},
        {line("print-format", "0"), {{"PrintFileFormat", Dword(1)}}},
        {line("print-format", "2"), {{"PrintFileFormat", Dword(1)}}},
        {line("rw-caching", "0"), {{"RwCacheType", Dword(0)}}},
        {line("rw-caching", "0") + DwordLine("RwCacheType", 4), {{"RwCacheType", Dword(0)}}},
        {line("rw-caching", "1"), {{"RwCacheType", std::nullopt}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "0"), {{"RwCacheType", Dword(2)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "0") + DwordLine("RwCacheType", 5),
         {{"RwCacheType", Dword(2)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-read-caching", "1"),
         {{"RwCacheType", Dword(5)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-read-caching", "1") +
             line("vc-rw-write-caching", "0"),
         {{"RwCacheType", Dword(3)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-write-caching", "0"),
         {{"RwCacheType", Dword(3)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-read-caching", "0") +
             line("vc-rw-write-caching", "1"),
         {{"RwCacheType", Dword(4)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-read-caching", "0"),
         {{"RwCacheType", Dword(4)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-read-caching", "0") +
             line("vc-rw-write-caching", "0"),
         {{"RwCacheType", Dword(5)}}},
        {line("rw-caching", "1") + line("vc-rw-caching", "1") + line("vc-rw-read-caching", "2") +
             line("vc-rw-write-caching", "0"),
         {{"RwCacheType", Dword(5)}}},
        {line("rw-caching", "2") + DwordLine("vc-rw-caching", 3) +
             DwordLine("vc-rw-read-caching", 0) + DwordLine("vc-rw-write-caching", 2),
         {{"RwCacheType", Dword(5)}}},
    };
    std::string fixture = Key(kSystemTree);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        fixture += Key(kSystemTree, "case" + std::to_string(i)) + cases[i].lines;
    }
    PrivateRegistry registry;
    registry.WriteSystem(fixture);
    const std::vector<std::string> previous = {
        "autotune",      "open-case",          "print-format",       "rw-caching",
        "vc-rw-caching", "vc-rw-read-caching", "vc-rw-write-caching"};
    std::vector<std::vector<std::optional<Stored>>> before;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        before.push_back(Snapshot(kSystemKey + "\\case" + std::to_string(i), previous));
    }

    RunPass();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string key = kSystemKey + "\\case" + std::to_string(i);
        for (const auto& [name, expected] : cases[i].expected) {
            EXPECT_EQ(Value(key, name), expected) << name << " from " << cases[i].lines;
        }
        EXPECT_EQ(Snapshot(key, previous), before[i]) << cases[i].lines;
    }
}

// A string-typed Password is the old form: it becomes the binary form in
// place, unless the key holds a non-empty Root (a key written since).
TEST(UpgradePass, ConvertsTheOldPasswordForm) {
    const std::string old_form = cvprov::EncodeLegacyPassword("pass6word");
    const std::string twenty = cvprov::EncodeLegacyPassword("klmnopqrstuvwxyzabcd");
    PrivateRegistry registry;
    registry.WriteUser(
        Key(kUserTree) + StringLine("Password", old_form) + Key(kUserTree, "rooted") +
        StringLine("Root", "/export/x") + StringLine("Password", old_form) +
        Key(kUserTree, "emptyroot") + StringLine("Root", "") + StringLine("Password", old_form) +
        Key(kUserTree, "shared") + StringLine("share-name", "/export/y") +
        StringLine("Password", old_form) + Key(kUserTree, "binary") + "\"Password\"=hex:f2,00\n" +
        Key(kUserTree, "long") + StringLine("Password", twenty) + Key(kUserTree, "long\\fs") +
        StringLine("Password", old_form));
    RunPass();
    const Stored converted = Binary(cvprov::EncodePassword(u"pass6word"));
    EXPECT_EQ(converted.data.size(), 18u);
    EXPECT_EQ(Value(kUserKey, "Password"), converted);
    EXPECT_EQ(Value(kUserKey + "\\rooted", "Password"), String(Wide(old_form)));
    EXPECT_EQ(Value(kUserKey + "\\emptyroot", "Password"), converted);
    // The password is converted before the old share-name becomes Root.
    EXPECT_EQ(Value(kUserKey + "\\shared", "Password"), converted);
    EXPECT_EQ(Value(kUserKey + "\\shared", "Root"), String(u"/export/y"));
    EXPECT_EQ(Value(kUserKey + "\\binary", "Password"), Binary({0xF2, 0x00}));
    EXPECT_EQ(Value(kUserKey + "\\long", "Password"),
              Binary(cvprov::EncodePassword(u"klmnopqrstuvwxyz")));
    EXPECT_EQ(Value(kUserKey + "\\long\\fs", "Password"), converted);

    Record record;
    ASSERT_EQ(GetFileSystemEntry(u"long", u"fs", NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_EQ(record.Text(4324), u"pass6word");
}

// Every level is converted; an obsolete alias is passed over (not converted,
// not deleted) and any other key with an item-type gets "2".
TEST(UpgradePass, WalksEveryLevelButObsoleteAliases) {
    const std::string timeout = StringLine("timeout", "20");
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + timeout + Key(kSystemTree, "h") + timeout +
                         Key(kSystemTree, "h\\fs") + timeout);
    registry.WriteUser(Key(kUserTree, "h\\docs_2") + timeout + StringLine("item-type", "1") +
                       StringLine("share-name", "/export/docs") + Key(kUserTree, "h\\notes") +
                       timeout + StringLine("item-type", "1") + StringLine("autotune", "1"));
    RunPass();
    for (const char* below : {"", "\\h", "\\h\\fs"}) {
        EXPECT_EQ(Value(kSystemKey + below, "IoTimeout"), Dword(20)) << below;
    }
    EXPECT_TRUE(KeyExists(kUserKey + "\\h\\docs_2"));
    EXPECT_FALSE(Value(kUserKey + "\\h\\docs_2", "IoTimeout"));
    EXPECT_EQ(Value(kUserKey + "\\h\\docs_2", "item-type"), String(u"1"));
    EXPECT_EQ(Value(kUserKey + "\\h\\notes", "IoTimeout"), Dword(20));
    EXPECT_EQ(Value(kUserKey + "\\h\\notes", "AutoTuneDisable"), Dword(0));
    EXPECT_EQ(Value(kUserKey + "\\h\\notes", "item-type"), String(u"2"));
    EXPECT_EQ(Value(kSystemKey, "AliasesConverted"), Dword(1));
    EXPECT_EQ(Value(kUserKey, "AliasesConverted"), Dword(1));
}

// A tree is marked only when the listing of its own subkeys ended without
// error; an error further down is passed over. A subkey name longer than the
// listing's name buffer makes the error.
TEST(UpgradePass, MarksATreeOnlyWhenItsListingEndedWithoutError) {
    const std::string long_name(300, 'n');
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + StringLine("timeout", "20") +
                         Key(kSystemTree, long_name));
    registry.WriteUser(Key(kUserTree) + StringLine("timeout", "20") +
                       Key(kUserTree, "h\\" + long_name));
    RunPass();
    EXPECT_EQ(Value(kSystemKey, "IoTimeout"), Dword(20)) << "converted all the same";
    EXPECT_FALSE(Value(kSystemKey, "AliasesConverted"));
    EXPECT_EQ(Value(kUserKey, "AliasesConverted"), Dword(1));
}

TEST(UpgradePass, LeavesAMissingTreeMissing) {
    PrivateRegistry registry;
    registry.WriteUser(Key(kUserTree) + StringLine("timeout", "20"));
    RunPass();
    EXPECT_FALSE(KeyExists(kSystemKey));
    EXPECT_EQ(Value(kUserKey, "AliasesConverted"), Dword(1));
}

// A marked tree is passed over unless an upgrade was asked for; the request
// serves the first tree processed only.
TEST(UpgradePass, TheMarkAndTheUpgradeRequest) {
    struct Case {
        std::optional<std::uint32_t> system_mark;  // nullopt: no such value
        std::optional<std::uint32_t> user_mark;
        bool system_tree;
        bool requested;
        bool system_converted;
        bool user_converted;
    };
    const Case cases[] = {
        {1, 1, true, false, false, false}, {1, 1, true, true, true, false},
        {1, 1, false, true, false, true},  {std::nullopt, 1, true, false, true, false},
        {0, 1, true, false, true, false},  {1, std::nullopt, true, true, true, true},
        {7, 1, true, false, false, false},
    };
    for (const Case& c : cases) {
        auto tree = [](const std::string& key, std::optional<std::uint32_t> mark) {
            return Key(key) + StringLine("timeout", "20") +
                   (mark ? DwordLine("AliasesConverted", *mark) : "");
        };
        PrivateRegistry registry;
        if (c.system_tree) {
            registry.WriteSystem(tree(kSystemTree, c.system_mark));
        }
        registry.WriteUser(tree(kUserTree, c.user_mark));
        bool requested = c.requested;
        cvprov::RunUpgradePass(&requested);
        const std::string label = std::to_string(c.system_mark.value_or(99)) + "/" +
                                  std::to_string(c.user_mark.value_or(99)) +
                                  (c.system_tree ? "" : " no system tree") +
                                  (c.requested ? " requested" : "");
        EXPECT_FALSE(requested) << label;
        EXPECT_EQ(Value(kSystemKey, "IoTimeout").has_value(), c.system_converted) << label;
        EXPECT_EQ(Value(kUserKey, "IoTimeout").has_value(), c.user_converted) << label;
        if (c.system_converted) {
            EXPECT_EQ(Value(kSystemKey, "AliasesConverted"), Dword(1)) << label;
        }
        if (c.user_converted) {
            EXPECT_EQ(Value(kUserKey, "AliasesConverted"), Dword(1)) << label;
        }
    }
}

}  // namespace
