// What the cvprov suites share: a registry of the test's own, fixture hives
// written as REGEDIT4 text, the stored values read back through the
// platform's own calls, and the connection record read at its offsets.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/records.h"
#include "cvprov/cvprov.h"
#include "cvprov/options.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace cvprov_test {

// The two trees as the hive files name them.
inline const std::string kSystemTree =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\QLNNFS\\CorvConfig";
inline const std::string kUserTree = "HKEY_CURRENT_USER\\Software\\Quillon\\Corvane";

// The same keys below their roots, for the registry calls.
inline const std::string kSystemKey = "System\\CurrentControlSet\\Services\\QLNNFS\\CorvConfig";
inline const std::string kUserKey = "Software\\Quillon\\Corvane";

// Both hives in a private directory for the life of the object, on the
// platform kind `platform` ("nt" lists subkeys sorted, "95" in the order they
// were made).
class PrivateRegistry {
public:
    explicit PrivateRegistry(const std::string& platform = "nt") : platform_(platform) {
        std::filesystem::create_directories(SystemDirectory());
        std::filesystem::create_directories(dir_ / "config/cvn");
        env_.Set("CVN_REGISTRY_DIR", SystemDirectory())
            .Set("XDG_CONFIG_HOME", dir_ / "config")
            .Set("CVN_PLATFORM", platform);
    }

    std::string SystemDirectory() const { return dir_ / "system"; }
    std::string SystemHive() const { return dir_ / "system/system.reg"; }
    std::string UserHive() const { return dir_ / "config/cvn/user.reg"; }

    // Writes a hive file from its sections (everything after the header).
    void WriteSystem(const std::string& sections) const { WriteHive(SystemHive(), sections); }
    void WriteUser(const std::string& sections) const { WriteHive(UserHive(), sections); }

    // What the hive files hold now ("" for one not written yet).
    std::string Hives() const {
        return Contents(SystemHive()) + "\n--- user ---\n" + Contents(UserHive());
    }

    // The environment of a program run against this registry.
    std::map<std::string, std::optional<std::string>> Environment() const {
        return {{"CVN_REGISTRY_DIR", SystemDirectory()},
                {"XDG_CONFIG_HOME", dir_ / "config"},
                {"CVN_PLATFORM", platform_}};
    }

private:
    static void WriteHive(const std::string& path, const std::string& sections) {
        cvn_test::WriteFile(path, "REGEDIT4\n\n" + sections);
    }
    static std::string Contents(const std::string& path) {
        return cvn_test::FileExists(path) ? cvn_test::ReadFile(path) : std::string();
    }

    std::string platform_;
    cvn_test::TempDir dir_;
    cvn_test::ScopedEnv env_;
};

// A section header of a fixture hive: `tree` then each name below it.
inline std::string Key(const std::string& tree, const std::string& below = "") {
    return "[" + tree + (below.empty() ? "" : "\\" + below) + "]\n";
}

// A stored value as the registry keeps it: its type and its bytes (string
// types in UTF-16 with their terminator).
struct Stored {
    win32::DWORD type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const Stored&) const = default;
};

inline win32::HKEY Root(const std::string& tree) {
    return tree == kSystemKey || tree.starts_with(kSystemKey + "\\") ? win32::HKEY_LOCAL_MACHINE
                                                                     : win32::HKEY_CURRENT_USER;
}

inline bool KeyExists(const std::string& path) {
    win32::UniqueKey key;
    return win32::RegOpenKeyExA(Root(path), path.c_str(), 0, win32::KEY_READ, key.out()) ==
           win32::ERROR_SUCCESS;
}

// The value `name` of the key at `path` (below kSystemKey or kUserKey).
inline std::optional<Stored> Value(const std::string& path, const std::string& name) {
    win32::UniqueKey key;
    if (win32::RegOpenKeyExA(Root(path), path.c_str(), 0, win32::KEY_READ, key.out()) != 0) {
        return std::nullopt;
    }
    std::u16string wide_name(name.begin(), name.end());
    Stored stored;
    win32::DWORD size = 0;
    if (win32::RegQueryValueExW(key.get(), wide_name.c_str(), nullptr, &stored.type, nullptr,
                                &size) != 0) {
        return std::nullopt;
    }
    stored.data.resize(size);
    win32::RegQueryValueExW(key.get(), wide_name.c_str(), nullptr, &stored.type, stored.data.data(),
                            &size);
    return stored;
}

inline Stored Dword(std::uint32_t value) {
    return {win32::REG_DWORD,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

inline Stored String(const std::u16string& text) {
    Stored stored{win32::REG_SZ, {}};
    for (char16_t unit : text + u'\0') {
        stored.data.push_back(static_cast<std::uint8_t>(unit));
        stored.data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return stored;
}

inline Stored Binary(std::vector<std::uint8_t> bytes) {
    return {win32::REG_BINARY, std::move(bytes)};
}

// The caller's connection record, read and written at its offsets.
class Record {
public:
    Record() { std::memset(raw.bytes, 0xA5, sizeof raw.bytes); }

    // A record as a fresh read starts it.
    static Record Fresh() {
        Record record;
        cvn::MountEntry entry;
        cvprov::FreshRecord(entry);
        std::memcpy(record.raw.bytes, entry.data(), entry.size());
        return record;
    }

    std::uint32_t Word(std::size_t offset) const {
        return raw.bytes[offset] | (raw.bytes[offset + 1] << 8) | (raw.bytes[offset + 2] << 16) |
               (static_cast<std::uint32_t>(raw.bytes[offset + 3]) << 24);
    }
    void SetWord(std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            raw.bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    std::uint16_t Half(std::size_t offset) const {
        return static_cast<std::uint16_t>(raw.bytes[offset] | (raw.bytes[offset + 1] << 8));
    }
    std::uint32_t Field(std::size_t offset, int shift, int bits) const {
        const std::uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
        return (Word(offset) >> shift) & mask;
    }
    void SetField(std::size_t offset, int shift, int bits, std::uint32_t value) {
        const std::uint32_t mask = (bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u) << shift;
        SetWord(offset, (Word(offset) & ~mask) | ((value << shift) & mask));
    }
    // A counted name: u16 length in bytes, then the characters.
    std::u16string Text(std::size_t offset) const {
        std::u16string text;
        for (std::size_t i = 0; i < Half(offset) / 2u; ++i) {
            text.push_back(static_cast<char16_t>(Half(offset + 2 + 2 * i)));
        }
        return text;
    }
    void SetText(std::size_t offset, const std::u16string& text) {
        raw.bytes[offset] = static_cast<std::uint8_t>(text.size() * 2);
        raw.bytes[offset + 1] = static_cast<std::uint8_t>(text.size() * 2 >> 8);
        for (std::size_t i = 0; i < text.size(); ++i) {
            raw.bytes[offset + 2 + 2 * i] = static_cast<std::uint8_t>(text[i]);
            raw.bytes[offset + 3 + 2 * i] = static_cast<std::uint8_t>(text[i] >> 8);
        }
    }

    std::u16string Host() const { return Text(76); }
    std::u16string Path() const { return Text(158); }

    API_SESS_PARAM raw;
};

// The options as the configuration stores them: value name, kind, place in
// the record, default, range, and another value for round trips. Written out
// here on purpose, so a table of the library that drifts fails a test.
enum class Kind { Text, Password, Flag, Number };

struct Row {
    const char* name;
    Kind kind;
    std::size_t offset;
    int shift;  // flags: the bit; numbers: the lowest bit
    int bits;   // texts: 0
    std::size_t capacity;
    std::uint32_t default_value;
    std::uint32_t minimum;
    std::uint32_t maximum;
    std::uint32_t other;  // in range, not the default, agreeing with the case rule
};

// clang-format off
inline constexpr Row kRows[] = {
    {"Root",                    Kind::Text,     2208, 0,  0,  1024, 0,          0,   0,          0},
    {"UserName",                Kind::Text,     4258, 0,  0,  32,   0,          0,   0,          0},
    {"Password",                Kind::Password, 4324, 0,  0,  16,   0,          0,   0,          0},
    {"AuthenticationServer",    Kind::Text,     4358, 0,  0,  40,   0,          0,   0,          0},
    {"NisDomain",               Kind::Text,     4440, 0,  0,  64,   0,          0,   0,          0},
    {"Nfs3Disabled",            Kind::Flag,     8,    0,  1,  0,    0,          0,   1,          1},
    {"FileSharingEnabled",      Kind::Flag,     8,    1,  1,  0,    1,          0,   1,          0},
    {"CD-ROM",                  Kind::Flag,     8,    2,  1,  0,    0,          0,   1,          1},
    {"DisplayServersOnSubnet",  Kind::Flag,     8,    3,  1,  0,    1,          0,   1,          0},
    {"DisplaySecurityTab",      Kind::Flag,     8,    4,  1,  0,    1,          0,   1,          0},
    {"DisplayAuthServer",       Kind::Flag,     8,    5,  1,  0,    1,          0,   1,          0},
    {"AutoTuneDisable",         Kind::Flag,     8,    6,  1,  0,    0,          0,   1,          1},
    {"SymbolicLink",            Kind::Flag,     8,    7,  1,  0,    1,          0,   1,          0},
    {"HideDotFiles",            Kind::Flag,     8,    8,  1,  0,    0,          0,   1,          1},
    {"ReadOnly",                Kind::Flag,     8,    9,  1,  0,    0,          0,   1,          1},
    {"LookupCache",             Kind::Flag,     8,    10, 1,  0,    1,          0,   1,          0},
    {"UseTCP",                  Kind::Flag,     8,    11, 1,  0,    0,          0,   1,          1},
    {"TCP_Only",                Kind::Flag,     8,    12, 1,  0,    0,          0,   1,          1},
    {"NisAuthFirst",            Kind::Flag,     68,   17, 1,  0,    1,          0,   1,          0},
    {"AuthDontFall",            Kind::Flag,     68,   18, 1,  0,    0,          0,   1,          1},
    {"PreferredGid",            Kind::Number,   72,   0,  32, 0,    0xFFFFFFFF, 0,   0xFFFFFFFF, 100},
    {"CaseOnOpen",              Kind::Number,   12,   0,  2,  0,    0,          0,   3,          3},
    {"CaseOnCreate",            Kind::Number,   12,   2,  2,  0,    0,          0,   2,          1},
    {"CodePage",                Kind::Number,   16,   0,  32, 0,    0,          0,   0x7FFFFFFF, 1252},
    {"PermissionMask",          Kind::Number,   20,   0,  32, 0,    0775,       0,   0777,       0750},
    {"ReadSize",                Kind::Number,   24,   0,  32, 0,    8192,       512, 65536,      32768},
    {"WriteSize",               Kind::Number,   28,   0,  32, 0,    8192,       512, 65536,      4096},
    {"StreamSize",              Kind::Number,   32,   0,  32, 0,    4,          0,   8,          2},
    {"ReadSizeAuto",            Kind::Number,   36,   0,  32, 0,    65536,      512, 65536,      16384},
    {"WriteSizeAuto",           Kind::Number,   40,   0,  32, 0,    65536,      512, 65536,      1024},
    {"StreamSizeAuto",          Kind::Number,   44,   0,  32, 0,    8,          0,   8,          3},
    {"IoTimeout",               Kind::Number,   48,   0,  32, 0,    15,         1,   600,        120},
    {"CacheTmo",                Kind::Number,   52,   0,  32, 0,    30,         0,   0xFFFFFFFF, 0},
    {"RwCacheType",             Kind::Number,   56,   0,  32, 0,    5,          0,   5,          3},
    {"PrintSendCfileFirst",     Kind::Flag,     8,    13, 1,  0,    0,          0,   1,          1},
    {"PrintDisplayStatus",      Kind::Flag,     8,    14, 1,  0,    0,          0,   1,          1},
    {"PrintBanner",             Kind::Flag,     8,    15, 1,  0,    1,          0,   1,          0},
    {"PrintClass",              Kind::Text,     4942, 0,  0,  31,   0,          0,   0,          0},
    {"PrintFileFormat",         Kind::Number,   8,    16, 2,  0,    0,          0,   3,          2},
    {"DisableLprAutoDiscovery", Kind::Flag,     8,    18, 1,  0,    0,          0,   1,          1},
    {"DisablePrinterBrowsing",  Kind::Flag,     8,    19, 1,  0,    0,          0,   1,          1},
    {"DeviceType",              Kind::Number,   68,   12, 4,  0,    0,          1,   4,          3},
    {"PrinterOptions",          Kind::Text,     4876, 0,  0,  32,   0,          0,   0,          0},
};
// clang-format on

inline const Row& RowNamed(const std::string& name) {
    for (const Row& row : kRows) {
        if (name == row.name) {
            return row;
        }
    }
    throw std::invalid_argument("no option " + name);
}

inline bool IsText(const Row& row) {
    return row.kind == Kind::Text || row.kind == Kind::Password;
}

// A text of exactly `length` characters that tells its option apart.
inline std::string TextFor(const Row& row, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; text.size() < length; ++i) {
        text += i == 0 ? row.name[0] : static_cast<char>('a' + (i + row.offset) % 26);
    }
    return text;
}

// A value line of a fixture hive.
inline std::string DwordLine(const std::string& name, std::uint32_t value) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", value);
    return "\"" + name + "\"=dword:" + hex + "\n";
}
inline std::string StringLine(const std::string& name, const std::string& text) {
    std::string quoted;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return "\"" + name + "\"=\"" + quoted + "\"\n";
}

// An ASCII name for a failure message; "(none)" for a null one.
inline std::string Ascii(const char16_t* text) {
    if (text == nullptr) {
        return "(none)";
    }
    std::string ascii;
    for (; *text != u'\0'; ++text) {
        ascii += static_cast<char>(*text);
    }
    return ascii;
}

inline std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace cvprov_test
