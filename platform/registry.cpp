#include "platform/registry.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/registry_store.h"
#include "platform/version.h"

// An open key: its hive, its path below the hive's root and the access it
// was opened with. Keys are found by path at every call, so that a change
// another process made in between is seen.
struct win32::RegistryKeyTag {
    HiveId hive;
    std::vector<std::u16string> path;
    REGSAM access;
};

namespace win32 {

namespace {

constexpr size_t kMaxValueName = 16383;

using Path = std::vector<std::u16string>;

std::mutex g_keys_lock;
std::set<HKEY> g_keys;

struct KeyRef {
    HiveId hive;
    Path path;
    REGSAM access;
};

std::optional<KeyRef> Resolve(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return KeyRef{HiveId::LocalMachine, {}, KEY_ALL_ACCESS};
    }
    if (key == HKEY_CURRENT_USER) {
        return KeyRef{HiveId::CurrentUser, {}, KEY_ALL_ACCESS};
    }
    std::lock_guard guard(g_keys_lock);
    if (g_keys.count(key) == 0) {
        return std::nullopt;
    }
    return KeyRef{key->hive, key->path, key->access};
}

HKEY NewHandle(HiveId hive, Path path, REGSAM access) {
    // The most a caller may have is all of it: whether the host lets a
    // change be written is decided when it is written.
    if (access & MAXIMUM_ALLOWED) {
        access |= KEY_ALL_ACCESS;
    }
    HKEY key = new RegistryKeyTag{hive, std::move(path), access};
    std::lock_guard guard(g_keys_lock);
    g_keys.insert(key);
    return key;
}

// "a\b\c" below a key; nullopt for an empty component or one too long.
std::optional<Path> SubkeyPath(std::u16string_view subkey) {
    Path path;
    if (subkey.empty()) {
        return path;
    }
    size_t pos = 0;
    while (pos <= subkey.size()) {
        size_t end = subkey.find(u'\\', pos);
        if (end == std::u16string_view::npos) {
            end = subkey.size();
        }
        std::u16string_view part = subkey.substr(pos, end - pos);
        if (part.empty() || part.size() > kMaxRegistryKeyName) {
            return std::nullopt;
        }
        path.emplace_back(part);
        pos = end + 1;
    }
    return path;
}

RegistryNode* Find(RegistryNode& root, const Path& path) {
    RegistryNode* node = &root;
    for (const std::u16string& part : path) {
        node = node->FindSubkey(part);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

bool SubkeysInCreationOrder() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// A line break would end the name's line in the hive file and leave a hive
// that can no longer be read, so no name that holds one is made.
bool NameFitsTheHive(std::u16string_view name) {
    return name.find(u'\n') == std::u16string_view::npos;
}

std::vector<const RegistryNode*> ListedSubkeys(const RegistryNode& node) {
    std::vector<const RegistryNode*> subkeys;
    for (const auto& subkey : node.subkeys) {
        subkeys.push_back(subkey.get());
    }
    if (!SubkeysInCreationOrder()) {
        std::stable_sort(subkeys.begin(), subkeys.end(),
                         [](const RegistryNode* a, const RegistryNode* b) {
                             return CompareFileNames(a->name, b->name) < 0;
                         });
    }
    return subkeys;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A value's data as the narrow calls give it: strings in the ANSI code page.
Bytes NarrowData(const RegistryValue& value) {
    if (!IsStringType(value.type)) {
        return value.data;
    }
    std::u16string units;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
        units.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    }
    std::string narrow = WideToAnsi(units);
    return Bytes(narrow.begin(), narrow.end());
}

Bytes WideData(DWORD type, const BYTE* data, DWORD size, bool from_narrow) {
    if (data == nullptr || size == 0) {
        return {};
    }
    if (!from_narrow || !IsStringType(type)) {
        return Bytes(data, data + size);
    }
    std::u16string units = AnsiToWide(std::string_view(reinterpret_cast<const char*>(data), size));
    Bytes bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// Hands data to the caller with the platform's size rules.
LONG CopyOut(const Bytes& bytes, BYTE* data, DWORD* size) {
    if (size == nullptr) {
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    }
    const DWORD needed = static_cast<DWORD>(bytes.size());
    if (data == nullptr) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    *size = needed;
    return ERROR_SUCCESS;
}

// A name into a buffer of `*size` characters with its terminator.
template <typename Char>
LONG CopyName(const std::basic_string<Char>& name, Char* buffer, DWORD* size) {
    if (buffer == nullptr || size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (*size <= name.size()) {
        *size = static_cast<DWORD>(name.size());
        return ERROR_MORE_DATA;
    }
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = Char();
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

std::u16string WideName(LPCSTR name) {
    return name != nullptr ? AnsiToWide(name) : std::u16string();
}
std::u16string WideName(LPCWSTR name) {
    return name != nullptr ? std::u16string(name) : std::u16string();
}

LONG OpenKey(HKEY key, std::u16string_view subkey, REGSAM access, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    std::optional<KeyRef> parent = Resolve(key);
    if (!parent) {
        return ERROR_INVALID_HANDLE;
    }
    std::optional<Path> below = SubkeyPath(subkey);
    if (!below) {
        return ERROR_INVALID_PARAMETER;
    }
    Path path = parent->path;
    path.insert(path.end(), below->begin(), below->end());
    LONG status = static_cast<LONG>(ReadHive(parent->hive, [&](RegistryNode& root) -> DWORD {
        if (Find(root, parent->path) == nullptr) {
            return ERROR_KEY_DELETED;
        }
        return Find(root, path) != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }));
    if (status == ERROR_SUCCESS) {
        *result = NewHandle(parent->hive, std::move(path), access);
    }
    return status;
}

LONG CreateKey(HKEY key, std::u16string_view subkey, REGSAM access, HKEY* result,
               DWORD* disposition) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    std::optional<KeyRef> parent = Resolve(key);
    if (!parent) {
        return ERROR_INVALID_HANDLE;
    }
    std::optional<Path> below = SubkeyPath(subkey);
    if (!below || !NameFitsTheHive(subkey)) {
        return ERROR_INVALID_PARAMETER;
    }
    Path path = parent->path;
    path.insert(path.end(), below->begin(), below->end());
    bool created = false;
    LONG status =
        static_cast<LONG>(ChangeHive(parent->hive, [&](RegistryNode& root, bool* changed) -> DWORD {
            RegistryNode* node = Find(root, parent->path);
            if (node == nullptr) {
                return ERROR_KEY_DELETED;
            }
            for (const std::u16string& part : *below) {
                RegistryNode* next = node->FindSubkey(part);
                if (next == nullptr) {
                    if (!(parent->access & KEY_CREATE_SUB_KEY) && !created) {
                        return ERROR_ACCESS_DENIED;
                    }
                    next = &node->AddSubkey(part);
                    created = true;
                    *changed = true;
                }
                node = next;
            }
            return ERROR_SUCCESS;
        }));
    if (status == ERROR_SUCCESS) {
        *result = NewHandle(parent->hive, std::move(path), access);
        if (disposition != nullptr) {
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        }
    }
    return status;
}

// Runs `read` on the key a handle names, after checking its access.
LONG OnKey(HKEY key, REGSAM needed, const std::function<LONG(RegistryNode& node)>& read) {
    std::optional<KeyRef> ref = Resolve(key);
    if (!ref) {
        return ERROR_INVALID_HANDLE;
    }
    if ((ref->access & needed) != needed) {
        return ERROR_ACCESS_DENIED;
    }
    return static_cast<LONG>(ReadHive(ref->hive, [&](RegistryNode& root) -> DWORD {
        RegistryNode* node = Find(root, ref->path);
        return node == nullptr ? ERROR_KEY_DELETED : static_cast<DWORD>(read(*node));
    }));
}

LONG ChangeKey(HKEY key, REGSAM needed,
               const std::function<LONG(RegistryNode& node, bool* changed)>& change) {
    std::optional<KeyRef> ref = Resolve(key);
    if (!ref) {
        return ERROR_INVALID_HANDLE;
    }
    if ((ref->access & needed) != needed) {
        return ERROR_ACCESS_DENIED;
    }
    return static_cast<LONG>(ChangeHive(ref->hive, [&](RegistryNode& root, bool* changed) -> DWORD {
        RegistryNode* node = Find(root, ref->path);
        return node == nullptr ? ERROR_KEY_DELETED : static_cast<DWORD>(change(*node, changed));
    }));
}

template <typename Char>
LONG QueryValue(HKEY key, const std::u16string& name, DWORD* type, BYTE* data, DWORD* size,
                bool narrow) {
    return OnKey(key, KEY_QUERY_VALUE, [&](RegistryNode& node) -> LONG {
        RegistryValue* value = node.FindValue(name);
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (type != nullptr) {
            *type = value->type;
        }
        return CopyOut(narrow ? NarrowData(*value) : value->data, data, size);
    });
}

LONG SetValue(HKEY key, const std::u16string& name, DWORD type, const BYTE* data, DWORD size,
              bool narrow) {
    if (name.size() > kMaxValueName || !NameFitsTheHive(name) || (data == nullptr && size != 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    Bytes bytes = WideData(type, data, size, narrow);
    return ChangeKey(key, KEY_SET_VALUE, [&](RegistryNode& node, bool* changed) -> LONG {
        node.SetValue(RegistryValue{name, type, bytes});
        *changed = true;
        return ERROR_SUCCESS;
    });
}

LONG DeleteValue(HKEY key, const std::u16string& name) {
    return ChangeKey(key, KEY_SET_VALUE, [&](RegistryNode& node, bool* changed) -> LONG {
        if (!node.RemoveValue(name)) {
            return ERROR_FILE_NOT_FOUND;
        }
        *changed = true;
        return ERROR_SUCCESS;
    });
}

LONG DeleteKey(HKEY key, const std::u16string& subkey) {
    std::optional<Path> below = SubkeyPath(subkey);
    if (!below || below->empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    const bool with_subtree = SubkeysInCreationOrder();  // Windows 95 removes the whole subtree
    return ChangeKey(key, 0, [&](RegistryNode& node, bool* changed) -> LONG {
        Path parent_path(below->begin(), below->end() - 1);
        RegistryNode* parent = Find(node, parent_path);
        RegistryNode* target = parent != nullptr ? parent->FindSubkey(below->back()) : nullptr;
        if (target == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!target->subkeys.empty() && !with_subtree) {
            return ERROR_ACCESS_DENIED;
        }
        parent->RemoveSubkey(below->back());
        *changed = true;
        return ERROR_SUCCESS;
    });
}

template <typename Char>
LONG EnumKey(HKEY key, DWORD index, Char* name, DWORD* size) {
    return OnKey(key, KEY_ENUMERATE_SUB_KEYS, [&](RegistryNode& node) -> LONG {
        std::vector<const RegistryNode*> subkeys = ListedSubkeys(node);
        if (index >= subkeys.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        if constexpr (sizeof(Char) == 2) {
            return CopyName(subkeys[index]->name, name, size);
        } else {
            return CopyName(WideToAnsi(subkeys[index]->name), name, size);
        }
    });
}

template <typename Char>
LONG EnumValue(HKEY key, DWORD index, Char* name, DWORD* name_size, DWORD* type, BYTE* data,
               DWORD* data_size) {
    return OnKey(key, KEY_QUERY_VALUE, [&](RegistryNode& node) -> LONG {
        if (index >= node.values.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        const RegistryValue& value = node.values[index];
        LONG status;
        if constexpr (sizeof(Char) == 2) {
            status = CopyName(value.name, name, name_size);
        } else {
            status = CopyName(WideToAnsi(value.name), name, name_size);
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (type != nullptr) {
            *type = value.type;
        }
        return CopyOut(sizeof(Char) == 2 ? value.data : NarrowData(value), data, data_size);
    });
}

LONG QueryInfo(HKEY key, DWORD* subkeys, DWORD* max_subkey_length, DWORD* values,
               DWORD* max_value_name_length, DWORD* max_value_length) {
    return OnKey(key, KEY_QUERY_VALUE, [&](RegistryNode& node) -> LONG {
        DWORD longest_subkey = 0;
        for (const auto& subkey : node.subkeys) {
            longest_subkey =
                std::max<DWORD>(longest_subkey, static_cast<DWORD>(subkey->name.size()));
        }
        DWORD longest_name = 0;
        DWORD longest_data = 0;
        for (const RegistryValue& value : node.values) {
            longest_name = std::max<DWORD>(longest_name, static_cast<DWORD>(value.name.size()));
            longest_data = std::max<DWORD>(longest_data, static_cast<DWORD>(value.data.size()));
        }
        if (subkeys != nullptr)
            *subkeys = static_cast<DWORD>(node.subkeys.size());
        if (max_subkey_length != nullptr)
            *max_subkey_length = longest_subkey;
        if (values != nullptr)
            *values = static_cast<DWORD>(node.values.size());
        if (max_value_name_length != nullptr)
            *max_value_name_length = longest_name;
        if (max_value_length != nullptr)
            *max_value_length = longest_data;
        return ERROR_SUCCESS;
    });
}

// The nearest existing directory on the way to `path`.
std::string ExistingAncestor(std::string path) {
    while (!path.empty() && ::access(path.c_str(), F_OK) != 0) {
        size_t slash = path.find_last_of('/');
        path = slash == 0 ? "/" : (slash == std::string::npos ? "" : path.substr(0, slash));
    }
    return path.empty() ? "/" : path;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subkey, DWORD, REGSAM access, HKEY* result) {
    return OpenKey(key, WideName(subkey), access, result);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD, REGSAM access, HKEY* result) {
    return OpenKey(key, WideName(subkey), access, result);
}

LONG RegOpenKeyW(HKEY key, LPCWSTR subkey, HKEY* result) {
    return OpenKey(key, WideName(subkey), KEY_ALL_ACCESS, result);
}

LONG RegOpenKeyA(HKEY key, LPCSTR subkey, HKEY* result) {
    return OpenKey(key, WideName(subkey), KEY_ALL_ACCESS, result);
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subkey, DWORD, LPWSTR, DWORD, REGSAM access, void*,
                     HKEY* result, DWORD* disposition) {
    return CreateKey(key, WideName(subkey), access, result, disposition);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subkey, DWORD, LPSTR, DWORD, REGSAM access, void*,
                     HKEY* result, DWORD* disposition) {
    return CreateKey(key, WideName(subkey), access, result, disposition);
}

LONG RegCreateKeyW(HKEY key, LPCWSTR subkey, HKEY* result) {
    return CreateKey(key, WideName(subkey), KEY_ALL_ACCESS, result, nullptr);
}

LONG RegCreateKeyA(HKEY key, LPCSTR subkey, HKEY* result) {
    return CreateKey(key, WideName(subkey), KEY_ALL_ACCESS, result, nullptr);
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER) {
        return ERROR_SUCCESS;
    }
    {
        std::lock_guard guard(g_keys_lock);
        if (g_keys.erase(key) == 0) {
            return ERROR_INVALID_HANDLE;
        }
    }
    delete key;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    return QueryValue<char16_t>(key, WideName(name), type, data, size, false);
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    return QueryValue<char>(key, WideName(name), type, data, size, true);
}

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    return SetValue(key, WideName(name), type, data, size, false);
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    return SetValue(key, WideName(name), type, data, size, true);
}

LONG RegDeleteValueW(HKEY key, LPCWSTR name) {
    return DeleteValue(key, WideName(name));
}

LONG RegDeleteValueA(HKEY key, LPCSTR name) {
    return DeleteValue(key, WideName(name));
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subkey) {
    return DeleteKey(key, WideName(subkey));
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subkey) {
    return DeleteKey(key, WideName(subkey));
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* size, DWORD*, LPWSTR,
                   DWORD* class_size, FILETIME*) {
    if (class_size != nullptr) {
        *class_size = 0;
    }
    return EnumKey(key, index, name, size);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* size, DWORD*, LPSTR, DWORD* class_size,
                   FILETIME*) {
    if (class_size != nullptr) {
        *class_size = 0;
    }
    return EnumKey(key, index, name, size);
}

LONG RegEnumKeyW(HKEY key, DWORD index, LPWSTR name, DWORD size) {
    return EnumKey(key, index, name, &size);
}

LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD size) {
    return EnumKey(key, index, name, &size);
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* name_size, DWORD*, DWORD* type,
                   BYTE* data, DWORD* data_size) {
    return EnumValue(key, index, name, name_size, type, data, data_size);
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_size, DWORD*, DWORD* type,
                   BYTE* data, DWORD* data_size) {
    return EnumValue(key, index, name, name_size, type, data, data_size);
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR, DWORD* class_size, DWORD*, DWORD* subkeys,
                      DWORD* max_subkey_length, DWORD* max_class_length, DWORD* values,
                      DWORD* max_value_name_length, DWORD* max_value_length,
                      DWORD* security_descriptor_size, FILETIME*) {
    for (DWORD* zero : {class_size, max_class_length, security_descriptor_size}) {
        if (zero != nullptr)
            *zero = 0;
    }
    return QueryInfo(key, subkeys, max_subkey_length, values, max_value_name_length,
                     max_value_length);
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR, DWORD* class_size, DWORD*, DWORD* subkeys,
                      DWORD* max_subkey_length, DWORD* max_class_length, DWORD* values,
                      DWORD* max_value_name_length, DWORD* max_value_length,
                      DWORD* security_descriptor_size, FILETIME*) {
    for (DWORD* zero : {class_size, max_class_length, security_descriptor_size}) {
        if (zero != nullptr)
            *zero = 0;
    }
    return QueryInfo(key, subkeys, max_subkey_length, values, max_value_name_length,
                     max_value_length);
}

void UniqueKey::Reset(HKEY key) {
    if (key_ != nullptr) {
        RegCloseKey(key_);
    }
    key_ = key;
}

BOOL RegCheckKeyAccess(HKEY key, LPCWSTR subkey, REGSAM access) {
    HKEY opened = nullptr;
    if (OpenKey(key, WideName(subkey), KEY_READ, &opened) != ERROR_SUCCESS) {
        return FALSE;
    }
    const HiveId hive = opened->hive;
    RegCloseKey(opened);
    const std::string file = HiveFilePath(hive);
    const bool writes = access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK);
    // Writing replaces the file through its directory.
    const std::string directory = file.substr(0, file.find_last_of('/'));
    if (writes && ::access(ExistingAncestor(directory).c_str(), W_OK) != 0) {
        return FALSE;
    }
    if (writes && ::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0) {
        return FALSE;
    }
    return ::access(ExistingAncestor(file).c_str(), R_OK) == 0 ? TRUE : FALSE;
}

}  // namespace win32
