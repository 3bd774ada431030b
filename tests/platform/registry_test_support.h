// Shared pieces of the registry tests: a private pair of hives for each test,
// and values built and read back as the calls see them.
#pragma once

#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/registry.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace cvn_test {

// UTF-16 little-endian bytes, as string values are stored.
inline win32::Bytes Utf16(std::u16string_view text, bool terminate = true) {
    win32::Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminate) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

inline win32::Bytes DwordBytes(win32::DWORD value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// Both hives in a directory of the test's own: HKEY_LOCAL_MACHINE in
// <dir>/registry/system.reg, HKEY_CURRENT_USER in <dir>/config/cvn/user.reg.
class PrivateRegistry {
public:
    PrivateRegistry() {
        env_.Set("CVN_REGISTRY_DIR", dir_ / "registry").Set("XDG_CONFIG_HOME", dir_ / "config");
    }

    const TempDir& dir() const { return dir_; }
    std::string system_dir() const { return dir_ / "registry"; }
    std::string system_hive() const { return dir_ / "registry/system.reg"; }
    std::string user_dir() const { return dir_ / "config/cvn"; }
    std::string user_hive() const { return dir_ / "config/cvn/user.reg"; }

    // Puts a hive file in place the way a writer in another process does:
    // a new file renamed over the old, so that a reader sees a new file
    // even within one tick of the file-system clock.
    static void ReplaceFile(const std::string& path, const std::string& text) {
        WriteFile(path + ".new", text);
        std::rename((path + ".new").c_str(), path.c_str());
    }

private:
    TempDir dir_;
    ScopedEnv env_;
};

struct Queried {
    win32::LONG status = -1;
    win32::DWORD type = 0xdeadbeef;
    win32::Bytes data;
};

// A value read whole, its size asked for first.
inline Queried QueryW(win32::HKEY key, const char16_t* name) {
    Queried result;
    win32::DWORD size = 0;
    result.status = win32::RegQueryValueExW(key, name, nullptr, &result.type, nullptr, &size);
    if (result.status == win32::ERROR_SUCCESS) {
        result.data.resize(size);
        result.status =
            win32::RegQueryValueExW(key, name, nullptr, nullptr, result.data.data(), &size);
        result.data.resize(size);
    }
    return result;
}

// Creates (or opens) a key with the usual options.
inline win32::LONG CreateW(win32::HKEY parent, const char16_t* subkey, win32::HKEY* result,
                           win32::DWORD* disposition = nullptr,
                           win32::REGSAM access = win32::KEY_ALL_ACCESS) {
    return win32::RegCreateKeyExW(parent, subkey, 0, nullptr, win32::REG_OPTION_NON_VOLATILE,
                                  access, nullptr, result, disposition);
}

inline win32::LONG SetW(win32::HKEY key, const char16_t* name, win32::DWORD type,
                        const win32::Bytes& data) {
    return win32::RegSetValueExW(key, name, 0, type, data.data(),
                                 static_cast<win32::DWORD>(data.size()));
}

inline win32::LONG SetDwordW(win32::HKEY key, const char16_t* name, win32::DWORD value) {
    return SetW(key, name, win32::REG_DWORD, DwordBytes(value));
}

inline win32::LONG SetStringW(win32::HKEY key, const char16_t* name, std::u16string_view text) {
    return SetW(key, name, win32::REG_SZ, Utf16(text));
}

// The subkey names of a key in the order the platform lists them, up to the
// first failure, which ends the list.
inline std::vector<std::u16string> SubkeysW(win32::HKEY key, win32::LONG* end = nullptr) {
    std::vector<std::u16string> names;
    for (win32::DWORD index = 0;; ++index) {
        char16_t name[win32::kMaxRegistryKeyName + 1];
        win32::DWORD size = static_cast<win32::DWORD>(std::size(name));
        win32::LONG status =
            win32::RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != win32::ERROR_SUCCESS) {
            if (end != nullptr) {
                *end = status;
            }
            return names;
        }
        names.emplace_back(name, size);
    }
}

inline std::vector<std::u16string> ValueNamesW(win32::HKEY key, win32::LONG* end = nullptr) {
    std::vector<std::u16string> names;
    for (win32::DWORD index = 0;; ++index) {
        char16_t name[256];
        win32::DWORD size = static_cast<win32::DWORD>(std::size(name));
        win32::LONG status =
            win32::RegEnumValueW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != win32::ERROR_SUCCESS) {
            if (end != nullptr) {
                *end = status;
            }
            return names;
        }
        names.emplace_back(name, size);
    }
}

// For failure messages: UTF-16 names as printable text.
inline std::string Printable(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

inline std::vector<std::string> Printable(const std::vector<std::u16string>& names) {
    std::vector<std::string> out;
    for (const std::u16string& name : names) {
        out.push_back(Printable(name));
    }
    return out;
}

}  // namespace cvn_test
