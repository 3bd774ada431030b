#include "platform/registry_hive.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/platform/registry_test_support.h"

namespace {

using cvn_test::Utf16;
using win32::Bytes;
using win32::DWORD;
using win32::HiveParseError;
using win32::RegistryNode;
using win32::RegistryValue;

constexpr std::u16string_view kRoot = u"HKEY_LOCAL_MACHINE";

std::unique_ptr<RegistryNode> Parse(const std::string& text, HiveParseError* error = nullptr) {
    HiveParseError ignored;
    std::optional<std::unique_ptr<RegistryNode>> root =
        win32::ParseHive(text, kRoot, error != nullptr ? error : &ignored);
    return root ? std::move(*root) : nullptr;
}

std::unique_ptr<RegistryNode> NewRoot() {
    auto root = std::make_unique<RegistryNode>();
    root->name = kRoot;
    return root;
}

TEST(FormatHive, WritesEveryKeyAsASectionAndEachValueInItsForm) {
    std::unique_ptr<RegistryNode> root = NewRoot();
    RegistryNode& software = root->AddSubkey(u"Software");
    software.SetValue({u"", win32::REG_SZ, Utf16(u"the default value")});
    software.SetValue({u"Name", win32::REG_SZ, Utf16(u"text")});
    software.SetValue({u"Count", win32::REG_DWORD, {0x2a, 0, 0, 0}});
    software.SetValue({u"Blob", win32::REG_BINARY, {1, 2, 3}});
    software.SetValue({u"Other", win32::REG_MULTI_SZ, {0x41, 0, 0, 0, 0, 0}});
    software.AddSubkey(u"Empty").AddSubkey(u"Deeper");
    root->AddSubkey(u"System");

    EXPECT_EQ(win32::FormatHive(*root, kRoot),
              "REGEDIT4\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n"
              "@=\"the default value\"\n"
              "\"Name\"=\"text\"\n"
              "\"Count\"=dword:0000002a\n"
              "\"Blob\"=hex:01,02,03\n"
              "\"Other\"=hex(7):41,00,00,00,00,00\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Empty\\Deeper]\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\System]\n"
              "\n");

    // The root is written only when it holds values of its own.
    EXPECT_EQ(win32::FormatHive(*NewRoot(), kRoot), "REGEDIT4\n\n");
    std::unique_ptr<RegistryNode> with_value = NewRoot();
    with_value->SetValue({u"Top", win32::REG_DWORD, {1, 0, 0, 0}});
    EXPECT_EQ(win32::FormatHive(*with_value, kRoot),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n\"Top\"=dword:00000001\n\n");
}

TEST(FormatHive, LongHexListsContinueOnIndentedLines) {
    Bytes data;
    for (int i = 0; i < 30; ++i) {
        data.push_back(static_cast<std::uint8_t>(i));
    }
    std::unique_ptr<RegistryNode> root = NewRoot();
    root->AddSubkey(u"K").SetValue({u"Long", win32::REG_BINARY, data});
    const std::string text = win32::FormatHive(*root, kRoot);
    // The first line stops short of 80 columns, as export files do.
    EXPECT_EQ(text,
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n"
              "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
              "  16,17,18,19,1a,1b,1c,1d\n\n");

    std::unique_ptr<RegistryNode> back = Parse(text);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(back->FindSubkey(u"K"), nullptr);
    RegistryValue* value = back->FindSubkey(u"K")->FindValue(u"Long");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->data, data);

    // A list of many lines, behind a long name, comes back whole.
    Bytes big(1000);
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::u16string long_name(200, u'n');
    root->FindSubkey(u"K")->SetValue({long_name, 0x42, big});
    back = Parse(win32::FormatHive(*root, kRoot));
    ASSERT_NE(back, nullptr);
    value = back->FindSubkey(u"K")->FindValue(long_name);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, 0x42u);
    EXPECT_EQ(value->data, big);
}

// Every value comes back from its text form with its type and bytes; the
// line it is written as is pinned beside it.
TEST(FormatHive, ValuesRoundTripThroughTheirTextForm) {
    const struct Case {
        const char* what;
        std::u16string name;
        DWORD type;
        Bytes data;
        std::string line;
    } cases[] = {
        {"plain text", u"v", win32::REG_SZ, Utf16(u"text"), "\"v\"=\"text\""},
        {"escapes", u"v", win32::REG_SZ, Utf16(u"C:\\dir \"q\"\\"),
         "\"v\"=\"C:\\\\dir \\\"q\\\"\\\\\""},
        {"empty text", u"v", win32::REG_SZ, Utf16(u""), "\"v\"=\"\""},
        {"beyond ASCII", u"v", win32::REG_SZ, Utf16(u"caf\u00e9 \u20ac \u6587"),
         "\"v\"=\"caf\xc3\xa9 \xe2\x82\xac \xe6\x96\x87\""},
        {"no terminator", u"v", win32::REG_SZ, Utf16(u"ab", false), "\"v\"=hex(1):61,00,62,00"},
        {"inner terminator", u"v", win32::REG_SZ, Utf16(std::u16string(u"a\0b", 3)),
         "\"v\"=hex(1):61,00,00,00,62,00,00,00"},
        {"odd byte count", u"v", win32::REG_SZ, {0x61, 0x00, 0x00}, "\"v\"=hex(1):61,00,00"},
        {"no bytes", u"v", win32::REG_SZ, {}, "\"v\"=hex(1):"},
        // A line break would end the line inside the quotes.
        {"line feed", u"v", win32::REG_SZ, Utf16(u"a\nb"), "\"v\"=hex(1):61,00,0a,00,62,00,00,00"},
        {"carriage return", u"v", win32::REG_SZ, Utf16(u"a\r"), "\"v\"=hex(1):61,00,0d,00,00,00"},
        // Texts that are not UTF-16 (lone surrogates) cannot go through UTF-8.
        {"lone high surrogate", u"v", win32::REG_SZ, Utf16(u"\xd800"), "\"v\"=hex(1):00,d8,00,00"},
        {"lone low surrogates", u"v", win32::REG_SZ, Utf16(u"\xdcc3\xdca9"),
         "\"v\"=hex(1):c3,dc,a9,dc,00,00"},
        {"expandable", u"v", win32::REG_EXPAND_SZ, Utf16(u"%P%"),
         "\"v\"=hex(2):25,00,50,00,25,00,00,00"},
        {"multi", u"v", win32::REG_MULTI_SZ, Utf16(std::u16string(u"a\0\0", 3), false),
         "\"v\"=hex(7):61,00,00,00,00,00"},
        {"dword", u"v", win32::REG_DWORD, {0x2a, 0, 0, 0}, "\"v\"=dword:0000002a"},
        {"dword all ones",
         u"v",
         win32::REG_DWORD,
         {0xff, 0xff, 0xff, 0xff},
         "\"v\"=dword:ffffffff"},
        {"dword bytes in order", u"v", win32::REG_DWORD, {1, 2, 3, 4}, "\"v\"=dword:04030201"},
        {"short dword", u"v", win32::REG_DWORD, {1, 2}, "\"v\"=hex(4):01,02"},
        {"empty binary", u"v", win32::REG_BINARY, {}, "\"v\"=hex:"},
        {"binary", u"v", win32::REG_BINARY, {0x00, 0xff}, "\"v\"=hex:00,ff"},
        {"none", u"v", win32::REG_NONE, {1}, "\"v\"=hex(0):01"},
        // Types are written in hex, as they are read.
        {"type eleven", u"v", 11, {1, 0, 0, 0, 0, 0, 0, 0}, "\"v\"=hex(b):01,00,00,00,00,00,00,00"},
        {"type sixteen", u"v", 16, {2}, "\"v\"=hex(10):02"},
        {"largest type", u"v", 0xfedcba98, {3}, "\"v\"=hex(fedcba98):03"},
        {"default value", u"", win32::REG_SZ, Utf16(u"x"), "@=\"x\""},
        {"name escapes",
         u"a\\\"b",
         win32::REG_DWORD,
         {0, 0, 0, 0},
         "\"a\\\\\\\"b\"=dword:00000000"},
        {"name @", u"@", win32::REG_BINARY, {}, "\"@\"=hex:"},
        {"name beyond ASCII",
         u"\u00c9t\u00e9",
         win32::REG_BINARY,
         {},
         "\"\xc3\x89t\xc3\xa9\"=hex:"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<RegistryNode> root = NewRoot();
        root->AddSubkey(u"Key").SetValue({c.name, c.type, c.data});
        const std::string text = win32::FormatHive(*root, kRoot);
        EXPECT_EQ(text, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Key]\n" + c.line + "\n\n") << c.what;

        HiveParseError error;
        std::unique_ptr<RegistryNode> back = Parse(text, &error);
        if (back == nullptr || back->subkeys.size() != 1 || back->subkeys[0]->values.size() != 1) {
            ADD_FAILURE() << c.what << ": line " << error.line << ": " << error.reason;
            continue;
        }
        const RegistryNode& key = *back->subkeys[0];
        EXPECT_TRUE(key.values[0].name == c.name) << c.what;
        EXPECT_EQ(key.values[0].type, c.type) << c.what;
        EXPECT_EQ(key.values[0].data, c.data) << c.what;
    }
}

TEST(ParseHive, ReadsWhatPeopleWriteByHand) {
    const std::string text =
        "; written by hand\r\n"
        "REGEDIT4\r\n"
        "\r\n"
        "  ; an indented comment\r\n"
        "[hkey_local_machine\\Software\\Vendor]\r\n"
        "\"Count\"=dword:2A\r\n"
        "\"Blob\"=hex:0A, 0b ,\\\r\n"
        "   FF,\\\r\n"
        "\t1\r\n"
        "; C:\\Program Files\\\r\n"
        "[HKEY_LOCAL_MACHINE\\Software]\r\n"
        "@=\"top\"   \r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n"
        "\"Count\"=dword:00000007\n"
        "\"Path\"=\"C:\\dir\\\\x\"\n";
    HiveParseError error;
    std::unique_ptr<RegistryNode> root = Parse(text, &error);
    ASSERT_NE(root, nullptr) << error.line << ": " << error.reason;
    ASSERT_EQ(root->subkeys.size(), 1u);
    RegistryNode& software = *root->subkeys[0];
    EXPECT_TRUE(software.name == u"Software");
    ASSERT_NE(software.FindValue(u""), nullptr);
    EXPECT_EQ(software.FindValue(u"")->data, Utf16(u"top"));
    // A section named again adds to the key; a value named again replaces it.
    ASSERT_EQ(software.subkeys.size(), 1u);
    RegistryNode& vendor = *software.subkeys[0];
    EXPECT_TRUE(vendor.name == u"Vendor");
    ASSERT_EQ(vendor.values.size(), 3u);
    EXPECT_EQ(vendor.values[0].type, win32::REG_DWORD);
    EXPECT_EQ(vendor.values[0].data, (Bytes{7, 0, 0, 0}));
    EXPECT_EQ(vendor.values[1].type, win32::REG_BINARY);
    EXPECT_EQ(vendor.values[1].data, (Bytes{0x0a, 0x0b, 0xff, 0x01}));
    // A backslash before anything but \ or " stands for itself.
    EXPECT_EQ(vendor.values[2].data, Utf16(u"C:\\dir\\x"));
}

TEST(ParseHive, EmptyTextsAreEmptyHives) {
    for (const char* text : {"", "\n\n", "; nothing yet\n", "REGEDIT4\n", "REGEDIT4"}) {
        std::unique_ptr<RegistryNode> root = Parse(text);
        ASSERT_NE(root, nullptr) << text;
        EXPECT_TRUE(root->subkeys.empty()) << text;
        EXPECT_TRUE(root->values.empty()) << text;
    }
}

TEST(ParseHive, RefusesBrokenTextsNamingTheLine) {
    const struct Case {
        const char* what;
        std::string text;
        int line;
    } cases[] = {
        {"no header", "[HKEY_LOCAL_MACHINE\\Software]\n", 1},
        {"other header", "\n; c\nWindows Registry Editor Version 5.00\n", 3},
        {"unclosed section", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\n", 3},
        {"other root", "REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n", 2},
        {"root as a prefix", "REGEDIT4\n[HKEY_LOCAL_MACHINE_X\\Software]\n", 2},
        {"empty component", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\Software]\n", 2},
        {"trailing backslash", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\]\n", 2},
        {"value before any key", "REGEDIT4\n\"n\"=\"v\"\n", 2},
        {"unclosed value name", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n=dword:1\n", 3},
        {"unclosed text", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=\"text\n", 3},
        {"text after the quote", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=\"a\"b\"\n", 3},
        {"no equals sign", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\" \"v\"\n", 3},
        {"bare word", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\nvalue\n", 3},
        {"unquoted data", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=text\n", 3},
        {"dword too long", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=dword:123456789\n", 3},
        {"dword not hex", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=dword:12g4\n", 3},
        {"dword empty", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=dword:\n", 3},
        {"hex not hex", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex:01,0g\n", 3},
        {"hex three digits", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex:001\n", 3},
        {"hex empty item", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex:01,,02\n", 3},
        {"hex no comma", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex:01 02\n", 3},
        {"hex type not hex", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex(z):00\n", 3},
        {"hex type unclosed", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex(2:00\n", 3},
        {"hex type empty", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"n\"=hex():00\n", 3},
        // Lines are counted as they stand in the file, continued or not.
        {"after a continued line",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE]\r\n\"b\"=hex:01,\\\r\n  02,\\\r\n  "
         "03\r\n\"d\"=dword:x\r\n",
         6},
        {"broken continued line",
         "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n; c\n\"b\"=hex:01,\\\n  02,\\\n  zz\n", 4},
        {"ends inside a continued line", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n\"b\"=hex:01,\\\n", 3},
    };
    for (const Case& c : cases) {
        HiveParseError error;
        EXPECT_EQ(Parse(c.text, &error), nullptr) << c.what;
        EXPECT_EQ(error.line, c.line) << c.what;
        EXPECT_FALSE(error.reason.empty()) << c.what;
    }
}

}  // namespace
