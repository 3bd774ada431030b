#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/platform/registry_test_support.h"

namespace {

using cvn_test::CreateW;
using cvn_test::DwordBytes;
using cvn_test::Printable;
using cvn_test::PrivateRegistry;
using cvn_test::QueryW;
using cvn_test::ScopedEnv;
using cvn_test::SetDwordW;
using cvn_test::SetStringW;
using cvn_test::SetW;
using cvn_test::SubkeysW;
using cvn_test::Utf16;
using cvn_test::ValueNamesW;
using win32::BYTE;
using win32::Bytes;
using win32::DWORD;
using win32::HKEY;
using win32::HKEY_CURRENT_USER;
using win32::HKEY_LOCAL_MACHINE;
using win32::LONG;
using win32::UniqueKey;

constexpr LONG kSuccess = win32::ERROR_SUCCESS;
constexpr LONG kNotFound = win32::ERROR_FILE_NOT_FOUND;
constexpr LONG kAccessDenied = win32::ERROR_ACCESS_DENIED;
constexpr LONG kInvalidHandle = win32::ERROR_INVALID_HANDLE;
constexpr LONG kInvalidParameter = win32::ERROR_INVALID_PARAMETER;
constexpr LONG kMoreData = win32::ERROR_MORE_DATA;
constexpr LONG kNoMoreItems = win32::ERROR_NO_MORE_ITEMS;
constexpr LONG kKeyDeleted = win32::ERROR_KEY_DELETED;

LONG OpenW(HKEY parent, const char16_t* subkey, HKEY* result,
           win32::REGSAM access = win32::KEY_ALL_ACCESS) {
    return win32::RegOpenKeyExW(parent, subkey, 0, access, result);
}

// Each test works in HKEY_CURRENT_USER\Software\Test of a registry of its own.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateW(HKEY_CURRENT_USER, u"Software\\Test", key_.out()), kSuccess);
    }

    PrivateRegistry registry_;
    UniqueKey key_;
};

TEST_F(RegistryTest, CreateMakesTheKeysOnTheWayAndReportsWhatItDid) {
    UniqueKey key;
    EXPECT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"Software\\Vendor", key.out(), win32::KEY_READ),
              kNotFound);
    EXPECT_EQ(key.get(), nullptr);
    // Looking does not make a hive.
    EXPECT_FALSE(cvn_test::FileExists(registry_.system_hive()));

    DWORD disposition = 0;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Vendor\\Product", key.out(), &disposition),
              kSuccess);
    EXPECT_NE(key.get(), nullptr);
    EXPECT_EQ(disposition, win32::REG_CREATED_NEW_KEY);
    EXPECT_TRUE(cvn_test::FileExists(registry_.system_hive()));

    UniqueKey vendor;
    ASSERT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"Software\\Vendor", vendor.out(), win32::KEY_READ),
              kSuccess);
    EXPECT_EQ(SubkeysW(vendor.get()), std::vector<std::u16string>{u"Product"});

    disposition = 0;
    UniqueKey again;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\vendor\\PRODUCT", again.out(), &disposition),
              kSuccess);
    EXPECT_EQ(disposition, win32::REG_OPENED_EXISTING_KEY);

    // Below an open key, through the narrow calls and the short forms.
    disposition = 0;
    UniqueKey deeper;
    ASSERT_EQ(win32::RegCreateKeyExA(key.get(), "A\\B", 0, nullptr, 0, win32::KEY_READ, nullptr,
                                     deeper.out(), &disposition),
              kSuccess);
    EXPECT_EQ(disposition, win32::REG_CREATED_NEW_KEY);
    UniqueKey opened;
    EXPECT_EQ(
        win32::RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product\\a\\b", opened.out()),
        kSuccess);
    EXPECT_EQ(win32::RegCreateKeyW(key.get(), u"A\\C", opened.out()), kSuccess);
    EXPECT_EQ(win32::RegOpenKeyW(key.get(), u"a\\c", opened.out()), kSuccess);
    // No subkey: another handle to the same key.
    ASSERT_EQ(OpenW(key.get(), nullptr, opened.out()), kSuccess);
    EXPECT_EQ(SubkeysW(opened.get()), std::vector<std::u16string>{u"A"});
    ASSERT_EQ(OpenW(key.get(), u"", opened.out()), kSuccess);
    EXPECT_EQ(SubkeysW(opened.get()), std::vector<std::u16string>{u"A"});

    EXPECT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"Software", nullptr), kInvalidParameter);
    EXPECT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software", nullptr), kInvalidParameter);
}

TEST_F(RegistryTest, KeyNameComponentsHoldUpTo255Characters) {
    const std::u16string longest(win32::kMaxRegistryKeyName, u'k');
    UniqueKey key;
    ASSERT_EQ(CreateW(key_.get(), longest.c_str(), key.out()), kSuccess);
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{longest});

    const std::u16string too_long = longest + u"k";
    for (const std::u16string& name : {too_long, u"Fine\\" + too_long}) {
        HKEY result = reinterpret_cast<HKEY>(1);
        EXPECT_EQ(CreateW(key_.get(), name.c_str(), &result), kInvalidParameter);
        EXPECT_EQ(result, nullptr);
    }
    // Nothing was made on the way to the name that was refused.
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{longest});
}

TEST_F(RegistryTest, TypedValuesComeBackWithTheirTypeAndSize) {
    ASSERT_EQ(SetDwordW(key_.get(), u"Count", 0x12345678), kSuccess);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(win32::RegQueryValueExW(key_.get(), u"Count", nullptr, &type, nullptr, &size),
              kSuccess);
    EXPECT_EQ(type, win32::REG_DWORD);
    EXPECT_EQ(size, 4u);
    DWORD number = 0;
    size = sizeof number;
    EXPECT_EQ(win32::RegQueryValueExW(key_.get(), u"count", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&number), &size),
              kSuccess);
    EXPECT_EQ(number, 0x12345678u);

    // A string comes back with its terminator; a short buffer gets nothing
    // but the size it needs.
    ASSERT_EQ(SetStringW(key_.get(), u"Name", u"text"), kSuccess);
    BYTE buffer[16];
    std::memset(buffer, 0xcc, sizeof buffer);
    type = 0;
    size = 9;
    EXPECT_EQ(win32::RegQueryValueExW(key_.get(), u"Name", nullptr, &type, buffer, &size),
              kMoreData);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(type, win32::REG_SZ);
    EXPECT_EQ(Bytes(buffer, buffer + sizeof buffer), Bytes(sizeof buffer, 0xcc));
    size = 10;
    EXPECT_EQ(win32::RegQueryValueExW(key_.get(), u"Name", nullptr, &type, buffer, &size),
              kSuccess);
    EXPECT_EQ(size, 10u);
    Bytes expected = Utf16(u"text");
    expected.resize(sizeof buffer, 0xcc);
    EXPECT_EQ(Bytes(buffer, buffer + sizeof buffer), expected);

    ASSERT_EQ(SetW(key_.get(), u"Blob", win32::REG_BINARY, {0, 1, 0xfe, 0xff}), kSuccess);
    EXPECT_EQ(QueryW(key_.get(), u"Blob").type, win32::REG_BINARY);
    EXPECT_EQ(QueryW(key_.get(), u"Blob").data, (Bytes{0, 1, 0xfe, 0xff}));
    ASSERT_EQ(win32::RegSetValueExW(key_.get(), u"Empty", 0, win32::REG_BINARY, nullptr, 0),
              kSuccess);
    EXPECT_EQ(QueryW(key_.get(), u"Empty").status, kSuccess);
    EXPECT_EQ(QueryW(key_.get(), u"Empty").data, Bytes{});

    // Setting a value again replaces its type and data.
    ASSERT_EQ(SetStringW(key_.get(), u"COUNT", u"many"), kSuccess);
    EXPECT_EQ(QueryW(key_.get(), u"Count").type, win32::REG_SZ);
    EXPECT_EQ(QueryW(key_.get(), u"Count").data, Utf16(u"many"));

    // Neither a buffer nor a size: only whether it is there, and its type.
    type = 0;
    EXPECT_EQ(win32::RegQueryValueExW(key_.get(), u"Blob", nullptr, &type, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(type, win32::REG_BINARY);
    EXPECT_EQ(win32::RegQueryValueExW(key_.get(), u"Blob", nullptr, nullptr, buffer, nullptr),
              kInvalidParameter);
    EXPECT_EQ(win32::RegSetValueExW(key_.get(), u"Bad", 0, win32::REG_BINARY, nullptr, 3),
              kInvalidParameter);
    EXPECT_EQ(QueryW(key_.get(), u"Bad").status, kNotFound);
    EXPECT_EQ(QueryW(key_.get(), u"Missing").status, kNotFound);
}

TEST_F(RegistryTest, NarrowCallsConvertStringsThroughTheAnsiCodePage) {
    const char text[] = "caf\xe9 \x80";  // e acute and the euro sign in Windows-1252
    ASSERT_EQ(win32::RegSetValueExA(key_.get(), "Caf\xe9", 0, win32::REG_SZ,
                                    reinterpret_cast<const BYTE*>(text), sizeof text),
              kSuccess);
    // Stored as UTF-16: the wide calls see twice the bytes.
    EXPECT_EQ(QueryW(key_.get(), u"CAF\u00c9").data, Utf16(u"caf\u00e9 \u20ac"));
    EXPECT_EQ(ValueNamesW(key_.get()), std::vector<std::u16string>{u"Caf\u00e9"});

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(win32::RegQueryValueExA(key_.get(), "CAF\xc9", nullptr, &type, nullptr, &size),
              kSuccess);
    EXPECT_EQ(type, win32::REG_SZ);
    EXPECT_EQ(size, 7u);
    char narrow[8];
    std::memset(narrow, 'x', sizeof narrow);
    size = 6;
    EXPECT_EQ(win32::RegQueryValueExA(key_.get(), "Caf\xe9", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(narrow), &size),
              kMoreData);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(std::string(narrow, sizeof narrow), std::string(8, 'x'));
    size = sizeof narrow;
    EXPECT_EQ(win32::RegQueryValueExA(key_.get(), "Caf\xe9", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(narrow), &size),
              kSuccess);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(std::string(narrow, sizeof narrow), std::string(text, sizeof text) + "x");
    char name[8];
    DWORD name_size = sizeof name;
    size = sizeof narrow;
    EXPECT_EQ(win32::RegEnumValueA(key_.get(), 0, name, &name_size, nullptr, &type,
                                   reinterpret_cast<BYTE*>(narrow), &size),
              kSuccess);
    EXPECT_EQ(std::string(name, name_size), "Caf\xe9");
    EXPECT_EQ(std::string(narrow, size), std::string(text, sizeof text));

    // A character outside the code page reads as '?'.
    ASSERT_EQ(SetStringW(key_.get(), u"Greek", u"\u0394x"), kSuccess);
    size = sizeof narrow;
    EXPECT_EQ(win32::RegQueryValueExA(key_.get(), "Greek", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(narrow), &size),
              kSuccess);
    EXPECT_EQ(std::string(narrow, size), std::string("?x", 3));

    // Every string type is converted, each string of a list in it; other
    // types are bytes and pass untouched.
    const struct {
        DWORD type;
        std::string narrow;
        Bytes wide;
    } cases[] = {
        {win32::REG_MULTI_SZ, std::string("a\0\xe9\0\0", 5),
         Utf16(std::u16string(u"a\0\u00e9\0\0", 5), false)},
        {win32::REG_EXPAND_SZ, std::string("%\xe9%\0", 4), Utf16(u"%\u00e9%")},
        {win32::REG_BINARY, std::string("\xe9\x80\0", 3), {0xe9, 0x80, 0}},
        {win32::REG_DWORD, std::string("\xe9\0\0\0", 4), {0xe9, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(win32::RegSetValueExA(key_.get(), "Typed", 0, c.type,
                                        reinterpret_cast<const BYTE*>(c.narrow.data()),
                                        static_cast<DWORD>(c.narrow.size())),
                  kSuccess)
            << c.type;
        EXPECT_EQ(QueryW(key_.get(), u"Typed").data, c.wide) << c.type;
        size = sizeof narrow;
        EXPECT_EQ(win32::RegQueryValueExA(key_.get(), "Typed", nullptr, &type,
                                          reinterpret_cast<BYTE*>(narrow), &size),
                  kSuccess)
            << c.type;
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(std::string(narrow, size), c.narrow) << c.type;
    }
}

TEST_F(RegistryTest, TheDefaultValueHasTheEmptyName) {
    EXPECT_EQ(QueryW(key_.get(), nullptr).status, kNotFound);
    EXPECT_EQ(QueryW(key_.get(), u"").status, kNotFound);
    ASSERT_EQ(SetStringW(key_.get(), nullptr, u"default"), kSuccess);
    EXPECT_EQ(QueryW(key_.get(), u"").data, Utf16(u"default"));
    char narrow[16];
    DWORD size = sizeof narrow;
    EXPECT_EQ(win32::RegQueryValueExA(key_.get(), nullptr, nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(narrow), &size),
              kSuccess);
    EXPECT_EQ(std::string(narrow, size), std::string("default", 8));
    EXPECT_EQ(ValueNamesW(key_.get()), std::vector<std::u16string>{u""});

    ASSERT_EQ(SetDwordW(key_.get(), u"", 5), kSuccess);
    EXPECT_EQ(QueryW(key_.get(), nullptr).data, DwordBytes(5));
    EXPECT_EQ(win32::RegDeleteValueA(key_.get(), ""), kSuccess);
    EXPECT_EQ(QueryW(key_.get(), nullptr).status, kNotFound);
    EXPECT_EQ(win32::RegDeleteValueW(key_.get(), nullptr), kNotFound);
}

TEST_F(RegistryTest, SubkeysListInThePlatformsOrder) {
    const std::vector<std::u16string> created = {u"beta",   u"Alpha", u"_under",       u"Gamma",
                                                 u"alpha2", u"Zulu",  u"\u00e9t\u00e9"};
    for (const std::u16string& name : created) {
        UniqueKey key;
        ASSERT_EQ(CreateW(key_.get(), name.c_str(), key.out()), kSuccess);
    }
    // Windows NT: ascending by the upper-cased name, so '_' (after 'Z')
    // sorts behind the letters and the accented letter behind both.
    const std::vector<std::u16string> nt_order = {u"Alpha", u"alpha2", u"beta",         u"Gamma",
                                                  u"Zulu",  u"_under", u"\u00e9t\u00e9"};
    LONG end = 0;
    EXPECT_EQ(Printable(SubkeysW(key_.get(), &end)), Printable(nt_order));
    EXPECT_EQ(end, kNoMoreItems);
    {
        // Windows 95 lists them as they were made, also once they have
        // been to the disk and back.
        ScopedEnv platform("CVN_PLATFORM", "95");
        EXPECT_EQ(Printable(SubkeysW(key_.get(), &end)), Printable(created));
        EXPECT_EQ(end, kNoMoreItems);
        const std::string text = cvn_test::ReadFile(registry_.user_hive());
        PrivateRegistry::ReplaceFile(registry_.user_hive(), text);
        EXPECT_EQ(Printable(SubkeysW(key_.get(), &end)), Printable(created));
    }
    EXPECT_EQ(Printable(SubkeysW(key_.get(), &end)), Printable(nt_order));

    // The short and narrow forms count the same way.
    char16_t wide[8];
    EXPECT_EQ(win32::RegEnumKeyW(key_.get(), 0, wide, 8), kSuccess);
    EXPECT_EQ(std::u16string(wide), u"Alpha");
    EXPECT_EQ(win32::RegEnumKeyW(key_.get(), 7, wide, 8), kNoMoreItems);
    char narrow[8];
    EXPECT_EQ(win32::RegEnumKeyA(key_.get(), 6, narrow, 8), kSuccess);
    EXPECT_EQ(std::string(narrow), "\xe9t\xe9");
    DWORD size = 8;
    EXPECT_EQ(
        win32::RegEnumKeyExA(key_.get(), 7, narrow, &size, nullptr, nullptr, nullptr, nullptr),
        kNoMoreItems);
}

TEST_F(RegistryTest, EnumerationNameAndDataBuffers) {
    UniqueKey sub;
    ASSERT_EQ(CreateW(key_.get(), u"Alpha", sub.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key_.get(), u"Value", 7), kSuccess);

    // Sizes count characters: the name's five and a terminator.
    char16_t name[8];
    std::fill(std::begin(name), std::end(name), u'#');
    DWORD size = 5;
    DWORD class_size = 99;
    EXPECT_EQ(
        win32::RegEnumKeyExW(key_.get(), 0, name, &size, nullptr, nullptr, &class_size, nullptr),
        kMoreData);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(class_size, 0u);
    EXPECT_EQ(std::u16string(name, 8), std::u16string(8, u'#'));
    size = 6;
    EXPECT_EQ(win32::RegEnumKeyExW(key_.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::u16string(name, 8), std::u16string(u"Alpha\0##", 8));
    char narrow[8];
    std::memset(narrow, '#', sizeof narrow);
    size = 5;
    EXPECT_EQ(
        win32::RegEnumKeyExA(key_.get(), 0, narrow, &size, nullptr, nullptr, nullptr, nullptr),
        kMoreData);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(win32::RegEnumKeyA(key_.get(), 0, narrow, 5), kMoreData);
    EXPECT_EQ(win32::RegEnumKeyA(key_.get(), 0, narrow, 6), kSuccess);
    EXPECT_EQ(std::string(narrow, 8), std::string("Alpha\0##", 8));
    EXPECT_EQ(
        win32::RegEnumKeyExW(key_.get(), 0, name, nullptr, nullptr, nullptr, nullptr, nullptr),
        kInvalidParameter);

    // Values: the name first, then the data, each with its own size.
    std::fill(std::begin(name), std::end(name), u'#');
    size = 5;
    DWORD type = 0;
    DWORD data = 0;
    DWORD data_size = sizeof data;
    EXPECT_EQ(win32::RegEnumValueW(key_.get(), 0, name, &size, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data), &data_size),
              kMoreData);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::u16string(name, 8), std::u16string(8, u'#'));
    size = 6;
    data_size = 2;
    EXPECT_EQ(win32::RegEnumValueW(key_.get(), 0, name, &size, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data), &data_size),
              kMoreData);
    EXPECT_EQ(data_size, 4u);
    EXPECT_EQ(type, win32::REG_DWORD);
    EXPECT_EQ(data, 0u);
    size = 6;
    data_size = 0;
    EXPECT_EQ(
        win32::RegEnumValueW(key_.get(), 0, name, &size, nullptr, nullptr, nullptr, &data_size),
        kSuccess);
    EXPECT_EQ(data_size, 4u);
    size = 6;
    data_size = sizeof data;
    EXPECT_EQ(win32::RegEnumValueA(key_.get(), 0, narrow, &size, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data), &data_size),
              kSuccess);
    EXPECT_EQ(std::string(narrow, size), "Value");
    EXPECT_EQ(data, 7u);
    EXPECT_EQ(win32::RegEnumValueW(key_.get(), 1, name, &size, nullptr, nullptr, nullptr, nullptr),
              kNoMoreItems);

    // The default value's empty name still needs room for its terminator.
    ASSERT_EQ(SetDwordW(key_.get(), nullptr, 1), kSuccess);
    size = 0;
    EXPECT_EQ(win32::RegEnumValueW(key_.get(), 1, name, &size, nullptr, nullptr, nullptr, nullptr),
              kMoreData);
    EXPECT_EQ(size, 0u);
    size = 1;
    EXPECT_EQ(win32::RegEnumValueW(key_.get(), 1, name, &size, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(name[0], u'\0');
}

TEST_F(RegistryTest, QueryInfoKeyCountsAndMeasures) {
    UniqueKey sub;
    ASSERT_EQ(CreateW(key_.get(), u"a", sub.out()), kSuccess);
    ASSERT_EQ(CreateW(key_.get(), u"Longer\\Deeper\\AndDeeperStill", sub.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key_.get(), u"x", 1), kSuccess);
    ASSERT_EQ(SetStringW(key_.get(), u"LongName", u"12345"), kSuccess);
    ASSERT_EQ(SetW(key_.get(), nullptr, win32::REG_BINARY, Bytes(20, 1)), kSuccess);

    DWORD class_size = 99, subkeys = 99, max_subkey = 99, max_class = 99, values = 99,
          max_name = 99, max_data = 99, descriptor = 99;
    EXPECT_EQ(
        win32::RegQueryInfoKeyW(key_.get(), nullptr, &class_size, nullptr, &subkeys, &max_subkey,
                                &max_class, &values, &max_name, &max_data, &descriptor, nullptr),
        kSuccess);
    EXPECT_EQ(subkeys, 2u);  // only the subkeys right below
    EXPECT_EQ(max_subkey, 6u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(max_name, 8u);
    EXPECT_EQ(max_data, 20u);
    EXPECT_EQ(class_size, 0u);
    EXPECT_EQ(max_class, 0u);
    EXPECT_EQ(descriptor, 0u);

    subkeys = values = 99;
    EXPECT_EQ(win32::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                      nullptr, &values, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(values, 3u);

    subkeys = values = max_subkey = max_name = max_data = 99;
    EXPECT_EQ(win32::RegQueryInfoKeyW(sub.get(), nullptr, nullptr, nullptr, &subkeys, &max_subkey,
                                      nullptr, &values, &max_name, &max_data, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(subkeys + max_subkey + values + max_name + max_data, 0u);
}

TEST_F(RegistryTest, DeleteValue) {
    for (const char16_t* name : {u"a", u"Name", u"c"}) {
        ASSERT_EQ(SetDwordW(key_.get(), name, 1), kSuccess);
    }
    EXPECT_EQ(win32::RegDeleteValueW(key_.get(), u"NAME"), kSuccess);
    EXPECT_EQ(QueryW(key_.get(), u"Name").status, kNotFound);
    EXPECT_EQ(win32::RegDeleteValueW(key_.get(), u"Name"), kNotFound);
    EXPECT_EQ(win32::RegDeleteValueA(key_.get(), "Missing"), kNotFound);
    // The others keep their order.
    EXPECT_EQ(ValueNamesW(key_.get()), (std::vector<std::u16string>{u"a", u"c"}));
    EXPECT_EQ(win32::RegDeleteValueA(key_.get(), "A"), kSuccess);
    EXPECT_EQ(ValueNamesW(key_.get()), std::vector<std::u16string>{u"c"});
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeysOnWindowsNt) {
    UniqueKey key;
    ASSERT_EQ(CreateW(key_.get(), u"Parent\\Child", key.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key.get(), u"v", 1), kSuccess);

    EXPECT_EQ(win32::RegDeleteKeyW(key_.get(), u"Parent"), kAccessDenied);
    EXPECT_EQ(QueryW(key.get(), u"v").status, kSuccess);
    EXPECT_EQ(win32::RegDeleteKeyW(key_.get(), u"parent\\CHILD"), kSuccess);
    EXPECT_EQ(win32::RegDeleteKeyA(key_.get(), "PARENT"), kSuccess);
    EXPECT_TRUE(SubkeysW(key_.get()).empty());
    EXPECT_EQ(win32::RegDeleteKeyW(key_.get(), u"Parent"), kNotFound);
    EXPECT_EQ(win32::RegDeleteKeyW(key_.get(), u"Parent\\Child"), kNotFound);
    EXPECT_EQ(win32::RegDeleteKeyW(key_.get(), nullptr), kInvalidParameter);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheSubtreeOnWindows95) {
    ScopedEnv platform("CVN_PLATFORM", "95");
    UniqueKey key;
    ASSERT_EQ(CreateW(key_.get(), u"Parent\\Child\\Grandchild", key.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key.get(), u"v", 1), kSuccess);
    ASSERT_EQ(CreateW(key_.get(), u"Sibling", key.out()), kSuccess);

    EXPECT_EQ(win32::RegDeleteKeyA(key_.get(), "parent"), kSuccess);
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{u"Sibling"});
    // Nothing of the old subtree comes back with a key of the same name.
    DWORD disposition = 0;
    ASSERT_EQ(CreateW(key_.get(), u"Parent\\Child", key.out(), &disposition), kSuccess);
    EXPECT_EQ(disposition, win32::REG_CREATED_NEW_KEY);
    EXPECT_TRUE(SubkeysW(key.get()).empty());
    EXPECT_EQ(cvn_test::ReadFile(registry_.user_hive()).find("Grandchild"), std::string::npos);
}

TEST_F(RegistryTest, NamesKeepTheCaseTheyWereMadeWith) {
    UniqueKey key;
    DWORD disposition = 0;
    ASSERT_EQ(CreateW(key_.get(), u"MixedCase", key.out(), &disposition), kSuccess);
    EXPECT_EQ(disposition, win32::REG_CREATED_NEW_KEY);
    ASSERT_EQ(CreateW(key_.get(), u"MIXEDCASE", key.out(), &disposition), kSuccess);
    EXPECT_EQ(disposition, win32::REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{u"MixedCase"});

    ASSERT_EQ(SetDwordW(key_.get(), u"ValueName", 1), kSuccess);
    ASSERT_EQ(SetDwordW(key_.get(), u"VALUENAME", 2), kSuccess);
    EXPECT_EQ(ValueNamesW(key_.get()), std::vector<std::u16string>{u"ValueName"});
    EXPECT_EQ(QueryW(key_.get(), u"valuename").data, DwordBytes(2));

    // Made again after a delete, a key takes the new case.
    ASSERT_EQ(win32::RegDeleteKeyW(key_.get(), u"mixedcase"), kSuccess);
    ASSERT_EQ(CreateW(key_.get(), u"mixedCASE", key.out(), &disposition), kSuccess);
    EXPECT_EQ(disposition, win32::REG_CREATED_NEW_KEY);
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{u"mixedCASE"});

    // And the case survives the disk: the file is read again (a value added
    // by hand shows it was) and still names them as they were made.
    std::string text = cvn_test::ReadFile(registry_.user_hive());
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Test\\mixedCASE]\n"), std::string::npos)
        << text;
    text += "[HKEY_CURRENT_USER\\Software\\Test]\n\"ByHand\"=dword:00000003\n";
    PrivateRegistry::ReplaceFile(registry_.user_hive(), text);
    EXPECT_EQ(ValueNamesW(key_.get()), (std::vector<std::u16string>{u"ValueName", u"ByHand"}));
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{u"mixedCASE"});
    EXPECT_EQ(QueryW(key_.get(), u"VALUENAME").data, DwordBytes(2));
    UniqueKey reopened;
    EXPECT_EQ(OpenW(key_.get(), u"MIXEDcase", reopened.out()), kSuccess);
}

// The hive file keeps a name on one line; a name that would break the line
// is refused, and the hive stays readable.
TEST_F(RegistryTest, NamesWithALineBreakAreRefused) {
    UniqueKey key;
    EXPECT_EQ(CreateW(key_.get(), u"Two\nLines", key.out()), kInvalidParameter);
    EXPECT_EQ(CreateW(key_.get(), u"Fine\nNot\\Fine", key.out()), kInvalidParameter);
    EXPECT_EQ(SetDwordW(key_.get(), u"Two\nLines", 1), kInvalidParameter);
    const DWORD one = 1;
    EXPECT_EQ(win32::RegSetValueExA(key_.get(), "Two\nLines", 0, win32::REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&one), sizeof one),
              kInvalidParameter);

    // A carriage return fits, even last in a key name, and so does a line
    // break in the data.
    ASSERT_EQ(CreateW(key_.get(), u"Fine\r", key.out()), kSuccess);
    ASSERT_EQ(SetStringW(key.get(), u"Carriage\rReturn", u"two\r\nlines\n"), kSuccess);
    PrivateRegistry::ReplaceFile(registry_.user_hive(), cvn_test::ReadFile(registry_.user_hive()));
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{u"Fine\r"});
    EXPECT_EQ(QueryW(key.get(), u"carriage\rreturn").data, Utf16(u"two\r\nlines\n"));
}

// What a handle may do follows the access it was opened with.
TEST_F(RegistryTest, HandlesDoOnlyWhatTheirAccessAllows) {
    UniqueKey sub;
    ASSERT_EQ(CreateW(key_.get(), u"Sub", sub.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key_.get(), u"Existing", 1), kSuccess);

    const LONG ok = kSuccess;
    const LONG no = kAccessDenied;
    const LONG missing = kNotFound;  // allowed, and the value is not there
    const struct Case {
        const char* what;
        win32::REGSAM access;
        LONG set, query, enum_keys, enum_values, delete_value, create, info;
    } cases[] = {
        {"enumerate", win32::KEY_ENUMERATE_SUB_KEYS, no, no, ok, no, no, no, no},
        {"query", win32::KEY_QUERY_VALUE, no, ok, no, ok, no, no, ok},
        {"set", win32::KEY_SET_VALUE, ok, no, no, no, missing, no, no},
        {"create", win32::KEY_CREATE_SUB_KEY, no, no, no, no, no, ok, no},
        {"read", win32::KEY_READ, no, ok, ok, ok, no, no, ok},
        {"write", win32::KEY_WRITE, ok, no, no, no, missing, ok, no},
        {"all", win32::KEY_ALL_ACCESS, ok, ok, ok, ok, missing, ok, ok},
        {"maximum allowed", win32::MAXIMUM_ALLOWED, ok, ok, ok, ok, missing, ok, ok},
        {"none", 0, no, no, no, no, no, no, no},
    };
    for (const Case& c : cases) {
        UniqueKey key;
        ASSERT_EQ(OpenW(HKEY_CURRENT_USER, u"Software\\Test", key.out(), c.access), kSuccess)
            << c.what;
        EXPECT_EQ(SetDwordW(key.get(), u"Existing", 2), c.set) << c.what;
        EXPECT_EQ(QueryW(key.get(), u"Existing").status, c.query) << c.what;
        char16_t name[16];
        DWORD size = 16;
        EXPECT_EQ(
            win32::RegEnumKeyExW(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            c.enum_keys)
            << c.what;
        size = 16;
        EXPECT_EQ(
            win32::RegEnumValueW(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            c.enum_values)
            << c.what;
        EXPECT_EQ(win32::RegDeleteValueW(key.get(), u"Missing"), c.delete_value) << c.what;
        UniqueKey made;
        EXPECT_EQ(CreateW(key.get(), u"New", made.out()), c.create) << c.what;
        win32::RegDeleteKeyW(key_.get(), u"New");
        DWORD values = 0;
        EXPECT_EQ(win32::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, &values, nullptr, nullptr, nullptr, nullptr),
                  c.info)
            << c.what;
        // An existing subkey opens without the right to make one.
        EXPECT_EQ(CreateW(key.get(), u"sub", made.out()), kSuccess) << c.what;
    }
    EXPECT_EQ(QueryW(key_.get(), u"Existing").data, DwordBytes(2));
    EXPECT_EQ(SubkeysW(key_.get()), std::vector<std::u16string>{u"Sub"});
}

TEST_F(RegistryTest, HandleOfADeletedKeyReportsItGone) {
    UniqueKey doomed;
    ASSERT_EQ(CreateW(key_.get(), u"Doomed", doomed.out()), kSuccess);
    ASSERT_EQ(SetDwordW(doomed.get(), u"v", 1), kSuccess);
    ASSERT_EQ(win32::RegDeleteKeyW(key_.get(), u"Doomed"), kSuccess);

    EXPECT_EQ(QueryW(doomed.get(), u"v").status, kKeyDeleted);
    EXPECT_EQ(SetDwordW(doomed.get(), u"v", 2), kKeyDeleted);
    EXPECT_EQ(win32::RegDeleteValueW(doomed.get(), u"v"), kKeyDeleted);
    LONG end = 0;
    EXPECT_TRUE(SubkeysW(doomed.get(), &end).empty());
    EXPECT_EQ(end, kKeyDeleted);
    EXPECT_TRUE(ValueNamesW(doomed.get(), &end).empty());
    EXPECT_EQ(end, kKeyDeleted);
    EXPECT_EQ(win32::RegQueryInfoKeyW(doomed.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              kKeyDeleted);
    UniqueKey below;
    EXPECT_EQ(CreateW(doomed.get(), u"Child", below.out()), kKeyDeleted);
    EXPECT_EQ(OpenW(doomed.get(), nullptr, below.out()), kKeyDeleted);
    EXPECT_EQ(OpenW(doomed.get(), u"Child", below.out()), kKeyDeleted);
    EXPECT_EQ(win32::RegDeleteKeyW(doomed.get(), u"Child"), kKeyDeleted);
    // Nothing brought the key back.
    EXPECT_TRUE(SubkeysW(key_.get()).empty());
    EXPECT_EQ(win32::RegCloseKey(doomed.Release()), kSuccess);
}

TEST_F(RegistryTest, ClosedAndUnknownHandlesAreRefused) {
    HKEY raw = nullptr;
    ASSERT_EQ(OpenW(HKEY_CURRENT_USER, u"Software\\Test", &raw), kSuccess);
    EXPECT_EQ(win32::RegCloseKey(raw), kSuccess);
    // No handle is made in between, so the old value names nothing.
    EXPECT_EQ(win32::RegCloseKey(raw), kInvalidHandle);
    EXPECT_EQ(QueryW(raw, u"v").status, kInvalidHandle);
    EXPECT_EQ(SetDwordW(raw, u"v", 1), kInvalidHandle);

    EXPECT_EQ(win32::RegCloseKey(nullptr), kInvalidHandle);
    HKEY result = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(OpenW(nullptr, u"Software", &result), kInvalidHandle);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(CreateW(nullptr, u"Software", &result), kInvalidHandle);
    EXPECT_EQ(win32::RegDeleteKeyW(nullptr, u"Software"), kInvalidHandle);
    EXPECT_EQ(win32::RegDeleteValueW(nullptr, u"v"), kInvalidHandle);
    EXPECT_EQ(win32::RegEnumKeyW(nullptr, 0, nullptr, 0), kInvalidHandle);
    // The predefined keys are never closed.
    EXPECT_EQ(win32::RegCloseKey(HKEY_LOCAL_MACHINE), kSuccess);
    EXPECT_EQ(win32::RegCloseKey(HKEY_LOCAL_MACHINE), kSuccess);
    EXPECT_TRUE(SubkeysW(HKEY_CURRENT_USER) == std::vector<std::u16string>{u"Software"});
}

TEST_F(RegistryTest, UniqueKeyClosesWhatItOwns) {
    HKEY raw = nullptr;
    ASSERT_EQ(OpenW(key_.get(), nullptr, &raw), kSuccess);
    { UniqueKey owner(raw); }
    EXPECT_EQ(win32::RegCloseKey(raw), kInvalidHandle);

    UniqueKey first;
    ASSERT_EQ(OpenW(key_.get(), nullptr, first.out()), kSuccess);
    const HKEY first_key = first.get();
    UniqueKey moved(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(moved.get(), first_key);
    HKEY released = moved.Release();
    EXPECT_FALSE(moved);
    EXPECT_EQ(win32::RegCloseKey(released), kSuccess);

    UniqueKey a;
    UniqueKey b;
    ASSERT_EQ(OpenW(key_.get(), nullptr, a.out()), kSuccess);
    ASSERT_EQ(OpenW(key_.get(), nullptr, b.out()), kSuccess);
    const HKEY a_key = a.get();
    const HKEY b_key = b.get();
    a = std::move(b);  // closes what `a` held
    EXPECT_EQ(a.get(), b_key);
    EXPECT_EQ(win32::RegCloseKey(a_key), kInvalidHandle);
    a.out();  // closes before it is filled again
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(win32::RegCloseKey(b_key), kInvalidHandle);
}

}  // namespace
