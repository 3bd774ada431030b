#include "cvprov/config_levels.h"

#include <mutex>
#include <optional>

#include "cvprov/aliases.h"
#include "cvprov/options.h"
#include "cvprov/password_codec.h"
#include "cvprov/registry_values.h"
#include "platform/errors.h"

namespace cvprov {

namespace me = cvn::mount_entry;

namespace {

cvn::CountedNameField FieldOf(const OptionRow& row) {
    return cvn::CountedNameField{row.offset, row.capacity};
}

// A stored password: the binary form, or a string taken as ROT13 text.
std::optional<std::u16string> ReadPassword(win32::HKEY key) {
    std::optional<StoredValue> value = QueryValue(key, "Password");
    if (!value) {
        return std::nullopt;
    }
    if (value->type == win32::REG_SZ || value->type == win32::REG_EXPAND_SZ) {
        std::string text(value->data.begin(), value->data.end());
        std::u16string password = Wide(Rot13(text.substr(0, text.find('\0'))));
        return password.substr(0, std::min(password.size(), kPasswordUnits));
    }
    return DecodePassword(value->data);
}

void ReadValue(win32::HKEY key, const OptionRow& row, cvn::MountEntry& record) {
    switch (row.kind) {
        case OptionKind::Text:
            if (std::optional<std::string> text = QueryString(key, row.name)) {
                record.SetText(FieldOf(row), Wide(*text));
            }
            break;
        case OptionKind::Password:
            if (std::optional<std::u16string> password = ReadPassword(key)) {
                record.SetText(FieldOf(row), *password);
            }
            break;
        case OptionKind::Flag:
        case OptionKind::Number:
            if (std::optional<win32::DWORD> number = QueryDword(key, row.name)) {
                SetNumber(record, row, *number);
            }
            break;
    }
}

win32::LONG WriteValue(win32::HKEY key, const OptionRow& row, const cvn::MountEntry& record) {
    switch (row.kind) {
        case OptionKind::Text:
            return SetString(key, row.name, Narrow(record.Text(FieldOf(row))));
        case OptionKind::Password: {
            std::vector<std::uint8_t> stored = EncodePassword(record.Text(FieldOf(row)));
            return win32::RegSetValueExA(key, row.name, 0, win32::REG_BINARY, stored.data(),
                                         static_cast<win32::DWORD>(stored.size()));
        }
        case OptionKind::Flag:
        case OptionKind::Number:
            return SetDword(key, row.name, Clamp(row, GetNumber(record, row)));
    }
    return win32::ERROR_INVALID_PARAMETER;
}

bool HasText(const char16_t* name) {
    return name != nullptr && *name != u'\0';
}

// Shows an item unless the system tree key says 0 for it.
bool SystemTreeShows(const char* value_name) {
    win32::UniqueKey key;
    if (win32::RegOpenKeyA(TreeRoot(Tree::System), kSystemTreeKey, key.out()) !=
        win32::ERROR_SUCCESS) {
        return true;
    }
    std::optional<win32::DWORD> value = QueryDword(key.get(), value_name);
    return !value || *value != 0;
}

}  // namespace

win32::DWORD ReadLevel(Tree tree, const std::string& key_path, const char16_t* host,
                       const char16_t* file_system, cvn::MountEntry& record) {
    win32::UniqueKey key;
    if (win32::LONG status = OpenForReading(tree, key_path, &key)) {
        return static_cast<win32::DWORD>(status);
    }
    if (tree == Tree::User && HasText(file_system) &&
        IsObsoleteAlias(key.get(), Narrow(file_system))) {
        key.Reset();
        CleanUserTree();
        return win32::ERROR_FILE_NOT_FOUND;
    }
    for (const OptionRow& row : OptionTable()) {
        ReadValue(key.get(), row, record);
    }
    ApplyCaseRule(record);
    if (HasText(host)) {
        record.SetText(me::kHost, host);
    }
    if (HasText(file_system)) {
        record.SetText(me::kPath, file_system);
    }
    return 0;
}

win32::DWORD WriteLevel(Tree tree, const std::string& key_path, const cvn::MountEntry* record) {
    win32::UniqueKey key;
    if (win32::LONG status = win32::RegCreateKeyA(TreeRoot(tree), key_path.c_str(), key.out())) {
        return static_cast<win32::DWORD>(status);
    }
    if (record == nullptr) {
        return 0;
    }
    for (const OptionRow& row : OptionTable()) {
        if (win32::LONG status = WriteValue(key.get(), row, *record)) {
            return static_cast<win32::DWORD>(status);
        }
    }
    return 0;
}

win32::DWORD UserProfilesEnabled() {
    static std::mutex lock;
    static std::optional<win32::DWORD> cached;
    std::lock_guard guard(lock);
    if (cached) {
        return *cached;
    }
    win32::UniqueKey key;
    if (win32::RegOpenKeyA(win32::HKEY_LOCAL_MACHINE, "Network\\Logon", key.out()) !=
        win32::ERROR_SUCCESS) {
        return 0;  // not remembered: the key may yet appear
    }
    cached = QueryDword(key.get(), "UserProfiles").value_or(0);
    return *cached;
}

bool DisplayServersOnSubnet() {
    return SystemTreeShows("DisplayServersOnSubnet");
}

bool DisplaySecurityTab() {
    return SystemTreeShows("DisplaySecurityTab");
}

}  // namespace cvprov
