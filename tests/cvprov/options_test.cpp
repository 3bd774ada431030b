// The connection options: where each lies in the record, its default, how it
// is clamped on the way in and out of the registry, flags and texts as they
// are stored, and the rule that ties the two case settings together.
#include "cvprov/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/cvprov/cvprov_test_support.h"

namespace {

using namespace cvprov_test;

TEST(OptionTable, DefaultsAreThoseOfAFreshRecord) {
    cvn::MountEntry record;
    cvprov::FreshRecord(record);
    for (const cvprov::OptionRow& row : cvprov::OptionTable()) {
        if (row.kind == cvprov::OptionKind::Flag || row.kind == cvprov::OptionKind::Number) {
            EXPECT_EQ(cvprov::GetNumber(record, row), row.default_value) << row.name;
        } else {
            EXPECT_EQ(record.Text({row.offset, row.capacity}), u"") << row.name;
        }
    }
}

TEST(OptionTable, HoldsEveryOptionInItsOrderAndPlace) {
    auto table = cvprov::OptionTable();
    ASSERT_EQ(table.size(), std::size(kRows));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Row& row = kRows[i];
        EXPECT_STREQ(table[i].name, row.name);
        EXPECT_EQ(table[i].offset, row.offset) << row.name;
        if (IsText(row)) {
            EXPECT_EQ(table[i].capacity, row.capacity) << row.name;
        } else {
            EXPECT_EQ(table[i].shift, row.shift) << row.name;
            EXPECT_EQ(table[i].default_value, row.default_value) << row.name;
            EXPECT_EQ(table[i].minimum, row.minimum) << row.name;
            EXPECT_EQ(table[i].maximum, row.maximum) << row.name;
        }
    }
}

// Reading with no configuration at all gives every byte of a fresh record,
// whatever the caller's buffer held before.
TEST(FreshRecord, ReadingAnEmptyRegistryGivesTheDefaultsInEveryByte) {
    PrivateRegistry registry;
    Record expected;
    std::memset(expected.raw.bytes, 0, sizeof expected.raw.bytes);
    expected.raw.bytes[0] = 326 & 0xFF;
    expected.raw.bytes[1] = 326 >> 8;
    expected.raw.bytes[60] = 1;
    for (const Row& row : kRows) {
        if (!IsText(row)) {
            expected.SetField(row.offset, row.shift, row.bits, row.default_value);
        }
    }
    Record record;
    EXPECT_EQ(GetCorvParam(NAME_SPACE_SYSTEM, &record.raw), win32::ERROR_FILE_NOT_FOUND);
    for (std::size_t i = 0; i < sizeof record.raw.bytes; ++i) {
        ASSERT_EQ(record.raw.bytes[i], expected.raw.bytes[i]) << "offset " << i;
    }
    EXPECT_EQ(record.Word(8), 0x84BAu);
    EXPECT_EQ(record.Word(68), 1u << 17);
}

struct NumberCase {
    const char* name;
    std::uint32_t value;
    std::uint32_t expected;
};

// Values stored beyond a range come back at its nearer end; the other bits
// of the word keep their defaults.
TEST(OptionRows, ReadingClampsNumbersToTheirRange) {
    const NumberCase cases[] = {
        {"ReadSize", 100, 512},
        {"ReadSize", 100000, 65536},
        {"ReadSize", 512, 512},
        {"ReadSize", 65536, 65536},
        {"WriteSize", 0, 512},
        {"WriteSize", 0xFFFFFFFF, 65536},
        {"ReadSizeAuto", 511, 512},
        {"WriteSizeAuto", 65537, 65536},
        {"StreamSize", 9, 8},
        {"StreamSizeAuto", 100, 8},
        {"IoTimeout", 0, 1},
        {"IoTimeout", 601, 600},
        {"IoTimeout", 600, 600},
        {"RwCacheType", 6, 5},
        {"PermissionMask", 01000, 0777},
        {"CodePage", 0x80000000, 0x7FFFFFFF},
        {"CodePage", 0x7FFFFFFF, 0x7FFFFFFF},
        {"CacheTmo", 0xFFFFFFFF, 0xFFFFFFFF},
        {"PreferredGid", 0, 0},
        {"PrintFileFormat", 4, 3},
        {"PrintFileFormat", 0xFFFFFFFF, 3},
        {"DeviceType", 0, 1},
        {"DeviceType", 5, 4},
        {"DeviceType", 16, 4},
        {"DeviceType", 2, 2},
    };
    PrivateRegistry registry;
    std::string hive = Key(kSystemTree);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        hive +=
            Key(kSystemTree, "case" + std::to_string(i)) + DwordLine(cases[i].name, cases[i].value);
    }
    registry.WriteSystem(hive);
    const Record fresh = Record::Fresh();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const NumberCase& c = cases[i];
        const Row& row = RowNamed(c.name);
        Record record;
        ASSERT_EQ(
            GetHostEntry(Wide("case" + std::to_string(i)).c_str(), NAME_SPACE_SYSTEM, &record.raw),
            0u);
        EXPECT_EQ(record.Field(row.offset, row.shift, row.bits), c.expected)
            << c.name << " stored as " << c.value;
        Record rest = record;
        rest.SetField(row.offset, row.shift, row.bits, row.default_value);
        EXPECT_EQ(rest.Word(row.offset), fresh.Word(row.offset)) << c.name << " " << c.value;
    }
}

TEST(OptionRows, WritingClampsNumbersToTheirRange) {
    const NumberCase cases[] = {
        {"ReadSize", 100, 512},
        {"ReadSize", 100000, 65536},
        {"WriteSize", 0, 512},
        {"WriteSize", 0xFFFFFFFF, 65536},
        {"ReadSizeAuto", 1, 512},
        {"WriteSizeAuto", 70000, 65536},
        {"StreamSize", 9, 8},
        {"StreamSizeAuto", 0xFFFFFFFF, 8},
        {"IoTimeout", 0, 1},
        {"IoTimeout", 601, 600},
        {"RwCacheType", 6, 5},
        {"PermissionMask", 01000, 0777},
        {"CodePage", 0x80000000, 0x7FFFFFFF},
        {"CacheTmo", 0xFFFFFFFF, 0xFFFFFFFF},
        {"PreferredGid", 0xFFFFFFFF, 0xFFFFFFFF},
        {"CaseOnCreate", 3, 2},
        {"CaseOnOpen", 3, 3},
        {"PrintFileFormat", 3, 3},
        {"DeviceType", 0, 1},
        {"DeviceType", 9, 4},
        {"DeviceType", 15, 4},
    };
    // Each write stores every option, so the cases share records: one record
    // per round, holding at most one case of each option.
    PrivateRegistry registry;
    std::vector<Record> records;
    std::vector<std::size_t> round_of(std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        round_of[i] = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (std::string(cases[j].name) == cases[i].name) {
                round_of[i] = std::max(round_of[i], round_of[j] + 1);
            }
        }
        if (round_of[i] == records.size()) {
            records.push_back(Record::Fresh());
        }
        const Row& row = RowNamed(cases[i].name);
        records[round_of[i]].SetField(row.offset, row.shift, row.bits, cases[i].value);
    }
    for (std::size_t round = 0; round < records.size(); ++round) {
        ASSERT_EQ(AddHostEntry(Wide("round" + std::to_string(round)).c_str(), NAME_SPACE_SYSTEM,
                               &records[round].raw),
                  0u);
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const NumberCase& c = cases[i];
        EXPECT_EQ(Value(kSystemKey + "\\round" + std::to_string(round_of[i]), c.name),
                  Dword(c.expected))
            << c.name << " held as " << c.value;
    }
}

// Each flag is one bit of its word; it is written as 0 or 1 whatever else
// the word holds.
TEST(OptionRows, FlagsAreWrittenAsZeroOrOne) {
    PrivateRegistry registry;
    Record record = Record::Fresh();
    record.SetWord(8, 0xFFFFFFFF);
    record.SetWord(68, 0xFFFF0FFF | (1u << 12));  // DeviceType 1
    ASSERT_EQ(SetCorvParam(NAME_SPACE_SYSTEM, &record.raw), 0u);
    for (const Row& row : kRows) {
        if (row.kind == Kind::Flag) {
            EXPECT_EQ(Value(kSystemKey, row.name), Dword(1)) << row.name;
        }
    }
    EXPECT_EQ(Value(kSystemKey, "PrintFileFormat"), Dword(3));
    EXPECT_EQ(Value(kSystemKey, "DeviceType"), Dword(1));
}

// Stored flags count by their bit 0 only: 2 is off and 3 is on. The bits of
// the words that no option owns stay as a fresh record has them.
TEST(OptionRows, FlagsTakeBitZeroOfTheStoredNumber) {
    const std::uint32_t stored[] = {0, 1, 2, 3, 0xFFFFFFFE, 0xFFFFFFFF};
    PrivateRegistry registry;
    std::string hive = Key(kSystemTree);
    for (std::uint32_t value : stored) {
        hive += Key(kSystemTree, "v" + std::to_string(value));
        for (const Row& row : kRows) {
            if (row.kind == Kind::Flag) {
                hive += DwordLine(row.name, value);
            }
        }
    }
    registry.WriteSystem(hive);
    for (std::uint32_t value : stored) {
        Record record;
        ASSERT_EQ(
            GetHostEntry(Wide("v" + std::to_string(value)).c_str(), NAME_SPACE_SYSTEM, &record.raw),
            0u);
        for (const Row& row : kRows) {
            if (row.kind == Kind::Flag) {
                EXPECT_EQ(record.Field(row.offset, row.shift, 1), value & 1u)
                    << row.name << " stored as " << value;
            }
        }
        const std::uint32_t bit = value & 1u;
        // Option bits 0 to 15 and 18, 19 are flags; 16-17 the print format.
        EXPECT_EQ(record.Word(8), bit ? 0x000CFFFFu : 0u) << value;
        EXPECT_EQ(record.Word(68), bit ? 0x00060000u : 0u) << value;
    }
}

// Texts longer than their field keep its capacity's worth of characters.
TEST(OptionRows, TextsAreCutToTheirCapacity) {
    PrivateRegistry registry;
    std::string hive = Key(kSystemTree);
    for (const Row& row : kRows) {
        if (IsText(row)) {
            hive += StringLine(row.name, TextFor(row, row.capacity + 10));
        }
    }
    registry.WriteSystem(hive);
    Record record;
    ASSERT_EQ(GetCorvParam(NAME_SPACE_SYSTEM, &record.raw), 0u);
    for (const Row& row : kRows) {
        if (row.kind == Kind::Text) {
            EXPECT_EQ(record.Text(row.offset), Wide(TextFor(row, row.capacity))) << row.name;
        }
    }
    // A string-typed password is ROT13 text, and cut the same way.
    std::string password = TextFor(RowNamed("Password"), 26);
    for (char& c : password) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>('a' + (c - 'a' + 13) % 26);
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>('A' + (c - 'A' + 13) % 26);
        }
    }
    EXPECT_EQ(record.Text(4324), Wide(password.substr(0, 16)));
}

// Every option written with a value other than its default reads back with
// that value, from the key and value type that hold it.
class OptionRoundTrip : public testing::TestWithParam<NAME_SPACE> {};

TEST_P(OptionRoundTrip, EveryRowKeepsItsValue) {
    PrivateRegistry registry;
    Record record = Record::Fresh();
    for (const Row& row : kRows) {
        if (IsText(row)) {
            record.SetText(row.offset, Wide(TextFor(row, row.capacity)));
        } else {
            record.SetField(row.offset, row.shift, row.bits, row.other);
        }
    }
    ASSERT_EQ(AddFileSystemEntry(u"alpha", u"docs", GetParam(), &record.raw), 0u);

    const std::string key =
        (GetParam() == NAME_SPACE_SYSTEM ? kSystemKey : kUserKey) + "\\alpha\\docs";
    for (const Row& row : kRows) {
        std::optional<Stored> stored = Value(key, row.name);
        ASSERT_TRUE(stored) << row.name;
        const win32::DWORD type = row.kind == Kind::Text       ? win32::REG_SZ
                                  : row.kind == Kind::Password ? win32::REG_BINARY
                                                               : win32::REG_DWORD;
        EXPECT_EQ(stored->type, type) << row.name;
    }

    Record read;
    ASSERT_EQ(GetFileSystemEntry(u"alpha", u"docs", GetParam(), &read.raw), 0u);
    for (const Row& row : kRows) {
        if (IsText(row)) {
            EXPECT_EQ(read.Text(row.offset), Wide(TextFor(row, row.capacity))) << row.name;
        } else {
            EXPECT_EQ(read.Field(row.offset, row.shift, row.bits), row.other) << row.name;
        }
    }
    EXPECT_EQ(read.Host(), u"alpha");
    EXPECT_EQ(read.Path(), u"docs");
}

INSTANTIATE_TEST_SUITE_P(Spaces, OptionRoundTrip,
                         testing::Values(NAME_SPACE_SYSTEM, NAME_SPACE_USER),
                         [](const testing::TestParamInfo<NAME_SPACE>& info) {
                             return info.param == NAME_SPACE_SYSTEM ? "System" : "User";
                         });

// After each level, CaseOnCreate follows CaseOnOpen, except that CaseOnOpen 3
// keeps it unless it is 0, when CaseOnOpen becomes 0 itself.
TEST(CaseRule, CreateFollowsOpen) {
    struct Case {
        std::optional<std::uint32_t> open;
        std::optional<std::uint32_t> create;
        std::uint32_t expected_open;
        std::uint32_t expected_create;
    };
    const Case cases[] = {
        {3, 0, 0, 0},  {1, 2, 1, 1},  {0, 2, 0, 0}, {2, 0, 2, 2}, {3, 1, 3, 1}, {3, 2, 3, 2},
        {3, {}, 0, 0}, {{}, 2, 0, 0}, {7, 1, 3, 1}, {3, 5, 3, 2}, {2, 1, 2, 2},
    };
    PrivateRegistry registry;
    std::string hive = Key(kSystemTree);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        hive += Key(kSystemTree, "case" + std::to_string(i));
        if (cases[i].open) {
            hive += DwordLine("CaseOnOpen", *cases[i].open);
        }
        if (cases[i].create) {
            hive += DwordLine("CaseOnCreate", *cases[i].create);
        }
    }
    registry.WriteSystem(hive);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Record record;
        ASSERT_EQ(
            GetHostEntry(Wide("case" + std::to_string(i)).c_str(), NAME_SPACE_SYSTEM, &record.raw),
            0u);
        EXPECT_EQ(record.Field(12, 0, 2), cases[i].expected_open) << "case " << i;
        EXPECT_EQ(record.Field(12, 2, 2), cases[i].expected_create) << "case " << i;
        EXPECT_EQ(record.Word(12) >> 4, 0u) << "case " << i;
    }
}

// The rule runs after every level: a lower level's CaseOnOpen 3 meets a
// higher level's CaseOnCreate 0.
TEST(CaseRule, AppliesAfterEachLevel) {
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + DwordLine("CaseOnOpen", 3) +
                         DwordLine("CaseOnCreate", 2) + Key(kSystemTree, "alpha") +
                         DwordLine("CaseOnCreate", 0));
    Record record;
    ASSERT_EQ(GetCorvParam(NAME_SPACE_SYSTEM, &record.raw), 0u);
    EXPECT_EQ(record.Word(12), 3u | (2u << 2));
    ASSERT_EQ(GetHostEntry(u"alpha", NAME_SPACE_SYSTEM, &record.raw), 0u);
    EXPECT_EQ(record.Word(12), 0u);
}

}  // namespace
