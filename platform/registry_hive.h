// One registry hive in memory, and its text form.
//
// The text form is that of REGEDIT4 export files, one file per hive:
//
//     REGEDIT4
//
//     [HKEY_CURRENT_USER\Software\Vendor\Product]
//     "Name"="text"
//     "Count"=dword:0000002a
//     "Blob"=hex:01,02,03
//     "Other"=hex(7):41,00,00,00,00,00
//     @="the default value"
//
// Every key is written as a section, also one without values, so that it
// persists. Strings are UTF-8 with \\ and \" escaped. A string value whose
// bytes are not one terminated UTF-16 text, or whose text holds a line break,
// is written as hex(1) so that it comes back byte for byte. Types in hex(N)
// are hex numbers. Lines may be continued with a final backslash;
// lines starting with ';' are comments, and are never continued.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "platform/types.h"

namespace win32 {

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

struct RegistryValue {
    std::u16string name;  // empty: the key's default value
    DWORD type = REG_NONE;
    Bytes data;  // string types hold UTF-16 little-endian bytes
};

struct RegistryNode {
    std::u16string name;
    std::vector<RegistryValue> values;                   // in the order they were made
    std::vector<std::unique_ptr<RegistryNode>> subkeys;  // in the order they were made

    RegistryNode* FindSubkey(std::u16string_view name) const;
    RegistryNode& AddSubkey(std::u16string name);
    bool RemoveSubkey(std::u16string_view name);
    RegistryValue* FindValue(std::u16string_view name);
    void SetValue(RegistryValue value);
    bool RemoveValue(std::u16string_view name);
};

// Registry names compare without regard to case and keep the case they were
// made with.
bool RegistryNamesEqual(std::u16string_view a, std::u16string_view b);

struct HiveParseError {
    int line = 0;
    std::string reason;
};

// `root_name` is the hive's name as it heads every section
// ("HKEY_LOCAL_MACHINE"). An empty text is an empty hive.
std::optional<std::unique_ptr<RegistryNode>> ParseHive(const std::string& text,
                                                       std::u16string_view root_name,
                                                       HiveParseError* error);
std::string FormatHive(const RegistryNode& root, std::u16string_view root_name);

}  // namespace win32
