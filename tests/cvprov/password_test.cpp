// The forms a stored password takes: the binary form written today, the
// ROT13 string form still read, and the previous version's form that the
// upgrade pass converts.
#include "cvprov/password_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cvprov/cvprov_test_support.h"

namespace {

using namespace cvprov_test;
using Bytes = std::vector<std::uint8_t>;

// Each unit XOR 0x93, little-endian; 0 and 0x93 stay, so no unit becomes 0.
TEST(BinaryPassword, EncodesEachUnitAgainstTheMask) {
    struct Case {
        std::u16string password;
        Bytes stored;
    };
    const Case cases[] = {
        {u"", {}},
        {u"ab", {0xF2, 0x00, 0xF1, 0x00}},
        {std::u16string(u"\u0093\0z", 3), {0x93, 0x00, 0x00, 0x00, 0xE9, 0x00}},
        {u"\u0193\uFFFF", {0x00, 0x01, 0x6C, 0xFF}},
        {u"\u00E9\u20AC", {0x7A, 0x00, 0x3F, 0x20}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cvprov::EncodePassword(c.password), c.stored);
        EXPECT_EQ(cvprov::DecodePassword(c.stored), c.password);
    }
}

TEST(BinaryPassword, KeepsAtMostSixteenUnits) {
    const std::u16string twenty = u"abcdefghijklmnopqrst";
    Bytes stored = cvprov::EncodePassword(twenty);
    EXPECT_EQ(stored.size(), 32u);
    EXPECT_EQ(cvprov::DecodePassword(stored), twenty.substr(0, 16));
    Bytes longer = cvprov::EncodePassword(twenty.substr(0, 16));
    Bytes tail = cvprov::EncodePassword(twenty.substr(16));
    longer.insert(longer.end(), tail.begin(), tail.end());
    EXPECT_EQ(cvprov::DecodePassword(longer), twenty.substr(0, 16));
    // A byte left over is no unit.
    EXPECT_EQ(cvprov::DecodePassword({0xF2, 0x00, 0xF1}), u"a");
}

TEST(StringPassword, IsReadThroughRot13) {
    EXPECT_EQ(cvprov::Rot13("Uryyb, Jbeyq! 123 nm AZ"), "Hello, World! 123 az NM");
    EXPECT_EQ(cvprov::Rot13(cvprov::Rot13("MixedCase-42")), "MixedCase-42");
}

// (c AND 0x7F) XOR 0x36; the mask's own character and NUL stay as they are.
TEST(LegacyPassword, EncodesAndDecodes) {
    struct Case {
        std::string password;
        std::string stored;
    };
    const Case cases[] = {
        {"abc", "WTU"}, {"pass6word", "FWEE6AYDR"}, {"6", "6"}, {"", ""}, {"Secret", "eSUDSB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cvprov::EncodeLegacyPassword(c.password), c.stored) << c.password;
        EXPECT_EQ(cvprov::DecodeLegacyPassword(c.stored), c.password) << c.password;
    }
    // The form keeps seven bits: a character above 0x7F comes back without
    // its top bit. Decoding stops at a NUL.
    EXPECT_EQ(cvprov::EncodeLegacyPassword("\xE1"), "W");
    EXPECT_EQ(cvprov::DecodeLegacyPassword(std::string("WT\0U", 4)), "ab");
}

// Through the registry: the binary value holds exactly the encoded units,
// and reading gives the password back unchanged.
TEST(StoredPassword, BinaryFormRoundTrips) {
    PrivateRegistry registry;
    const std::u16string password(u"p\u0093s\0\u00E9", 5);
    Record record = Record::Fresh();
    record.SetText(4324, password);
    ASSERT_EQ(AddHostEntry(u"alpha", NAME_SPACE_USER, &record.raw), 0u);
    EXPECT_EQ(Value(kUserKey + "\\alpha", "Password"),
              Binary({0xE3, 0x00, 0x93, 0x00, 0xE0, 0x00, 0x00, 0x00, 0x7A, 0x00}));
    Record read;
    ASSERT_EQ(GetHostEntry(u"alpha", NAME_SPACE_USER, &read.raw), 0u);
    EXPECT_EQ(read.Text(4324), password);

    // A full field of 16 units is written whole.
    record.SetText(4324, u"0123456789abcdef");
    ASSERT_EQ(AddHostEntry(u"alpha", NAME_SPACE_USER, &record.raw), 0u);
    ASSERT_EQ(GetHostEntry(u"alpha", NAME_SPACE_USER, &read.raw), 0u);
    EXPECT_EQ(read.Text(4324), u"0123456789abcdef");
    EXPECT_EQ(Value(kUserKey + "\\alpha", "Password")->data.size(), 32u);
}

// Each level's stored password replaces the one below it, an empty one too;
// a string-typed value is ROT13 text; a binary value longer than the field
// gives its first 16 units.
TEST(StoredPassword, EachStoredFormIsRead) {
    PrivateRegistry registry;
    registry.WriteSystem(Key(kSystemTree) + "\"Password\"=hex:f2,00,f1,00\n" +
                         Key(kSystemTree, "rot") + StringLine("Password", "Uryyb-123") +
                         Key(kSystemTree, "empty") + "\"Password\"=hex:\n" +
                         Key(kSystemTree, "none") + Key(kSystemTree, "long") +
                         "\"Password\"=hex:f2,00,f1,00,f0,00,f7,00,f6,00,f5,00,f4,00,fb,00,"
                         "fa,00,f9,00,f8,00,ff,00,fe,00,fd,00,fc,00,e3,00,e2,00,e1,00\n");
    struct Case {
        const char16_t* host;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"rot", u"Hello-123"},
        {u"empty", u""},
        {u"none", u"ab"},
        {u"long", u"abcdefghijklmnop"},
    };
    for (const Case& c : cases) {
        Record record;
        ASSERT_EQ(GetHostEntry(c.host, NAME_SPACE_SYSTEM, &record.raw), 0u);
        EXPECT_EQ(record.Text(4324), c.expected);
    }
}

}  // namespace
