// The string-table resource of a resource module.
//
// The build compiles each message source into a module that exports one
// table under kStringTableExport: entries sorted by identifier, each text
// UTF-16 without terminator. The layout is shared by the catalog compiler and
// the layer's LoadString, and nothing else reads it.
#pragma once

#include <cstdint>

namespace win32 {

inline constexpr const char* kStringTableExport = "cvn_string_table";
inline constexpr std::uint32_t kStringTableVersion = 1;

struct ResourceString {
    std::uint32_t id;
    std::uint32_t length;  // characters
    const char16_t* text;
};

struct ResourceStringTable {
    std::uint32_t version;
    std::uint16_t language;  // language identifier of the texts
    std::uint32_t count;
    const ResourceString* strings;
};

}  // namespace win32
