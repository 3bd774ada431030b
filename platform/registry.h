// The registry: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, kept in hive files
// on the host (see registry_store.h).
//
// Key and value names compare without regard to case and keep the case they
// were made with. Results are Win32 codes: ERROR_FILE_NOT_FOUND for a
// missing key or value, ERROR_MORE_DATA for a short buffer (with the size
// needed), ERROR_NO_MORE_ITEMS at the end of an enumeration,
// ERROR_ACCESS_DENIED when the handle lacks the access the call needs or the
// host refuses the write, ERROR_KEY_DELETED for a handle whose key has gone,
// ERROR_BADDB for a hive file that cannot be read. Subkeys are enumerated in
// ascending order without regard to case on Windows NT and in the order they
// were made on Windows 95, as each platform keeps them. A key or value name
// that holds a line break is refused (ERROR_INVALID_PARAMETER): the hive's
// text form has no room for it.
#pragma once

#include <cstdint>

#include "platform/registry_hive.h"
#include "platform/types.h"

namespace win32 {

struct RegistryKeyTag;
using HKEY = RegistryKeyTag*;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002));

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// The longest key name component the registry takes.
inline constexpr size_t kMaxRegistryKeyName = 255;

LONG RegOpenKeyExW(HKEY key, LPCWSTR subkey, DWORD options, REGSAM access, HKEY* result);
LONG RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD options, REGSAM access, HKEY* result);
// Without an access mask: all the access the caller may have.
LONG RegOpenKeyW(HKEY key, LPCWSTR subkey, HKEY* result);
LONG RegOpenKeyA(HKEY key, LPCSTR subkey, HKEY* result);

// Creates the key and any missing key on the way; opens it when it exists.
LONG RegCreateKeyExW(HKEY key, LPCWSTR subkey, DWORD reserved, LPWSTR key_class, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition);
LONG RegCreateKeyExA(HKEY key, LPCSTR subkey, DWORD reserved, LPSTR key_class, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition);
LONG RegCreateKeyW(HKEY key, LPCWSTR subkey, HKEY* result);
LONG RegCreateKeyA(HKEY key, LPCSTR subkey, HKEY* result);

LONG RegCloseKey(HKEY key);

// `data` null with `size` given asks for the size. String types come back
// with their terminator; through the narrow call in the ANSI code page.
LONG RegQueryValueExW(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);
LONG RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);

LONG RegDeleteValueW(HKEY key, LPCWSTR name);
LONG RegDeleteValueA(HKEY key, LPCSTR name);

// A key with subkeys is refused (ERROR_ACCESS_DENIED) on Windows NT and
// removed with them on Windows 95.
LONG RegDeleteKeyW(HKEY key, LPCWSTR subkey);
LONG RegDeleteKeyA(HKEY key, LPCSTR subkey);

// `size` in characters, in: the buffer's, out: the name's (terminator not
// counted).
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* size, DWORD* reserved,
                   LPWSTR key_class, DWORD* class_size, FILETIME* last_write);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* size, DWORD* reserved, LPSTR key_class,
                   DWORD* class_size, FILETIME* last_write);
LONG RegEnumKeyW(HKEY key, DWORD index, LPWSTR name, DWORD size);
LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD size);

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* name_size, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* data_size);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_size, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* data_size);

// Counts and longest names (characters); any output may be null.
LONG RegQueryInfoKeyW(HKEY key, LPWSTR key_class, DWORD* class_size, DWORD* reserved,
                      DWORD* subkeys, DWORD* max_subkey_length, DWORD* max_class_length,
                      DWORD* values, DWORD* max_value_name_length, DWORD* max_value_length,
                      DWORD* security_descriptor_size, FILETIME* last_write);
LONG RegQueryInfoKeyA(HKEY key, LPSTR key_class, DWORD* class_size, DWORD* reserved, DWORD* subkeys,
                      DWORD* max_subkey_length, DWORD* max_class_length, DWORD* values,
                      DWORD* max_value_name_length, DWORD* max_value_length,
                      DWORD* security_descriptor_size, FILETIME* last_write);

// Owns one open key and closes it when it goes.
class UniqueKey {
public:
    UniqueKey() = default;
    explicit UniqueKey(HKEY key) : key_(key) {}
    ~UniqueKey() { Reset(); }
    UniqueKey(UniqueKey&& other) noexcept : key_(other.Release()) {}
    UniqueKey& operator=(UniqueKey&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* out() {
        Reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }
    HKEY Release() {
        HKEY key = key_;
        key_ = nullptr;
        return key;
    }
    void Reset(HKEY key = nullptr);

private:
    HKEY key_ = nullptr;
};

// Whether this process may use `access` on the key: the host's stand-in for
// checking the key's security descriptor. On the host the descriptor is the
// hive file's permissions: setting values needs the right to write it.
BOOL RegCheckKeyAccess(HKEY key, LPCWSTR subkey, REGSAM access);

}  // namespace win32
