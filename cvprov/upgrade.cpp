#include "cvprov/upgrade.h"

#include <optional>
#include <string>

#include "cvprov/aliases.h"
#include "cvprov/config_keys.h"
#include "cvprov/options.h"
#include "cvprov/password_codec.h"
#include "cvprov/registry_values.h"
#include "platform/errors.h"
#include "platform/registry_hive.h"

namespace cvprov {

namespace {

constexpr char kAliasesConverted[] = "AliasesConverted";
constexpr win32::REGSAM kProcessAccess =
    win32::KEY_READ | win32::KEY_CREATE_SUB_KEY | win32::KEY_SET_VALUE;

void ConvertSpecialValues(win32::HKEY key) {
    auto number = [&](const char* name) -> std::optional<int> {
        std::optional<std::string> text = QueryText(key, name);
        return text ? std::optional<int>(DecimalValue(*text)) : std::nullopt;
    };
    if (std::optional<int> autotune = number("autotune")) {
        SetDword(key, "AutoTuneDisable", *autotune == 0 ? 1 : 0);
    }
    if (std::optional<int> open_case = number("open-case")) {
        const int value = *open_case > 2 ? 2 : *open_case;
        SetDword(key, "CaseOnOpen", static_cast<win32::DWORD>(value));
        SetDword(key, "CaseOnCreate", static_cast<win32::DWORD>(value));
    }
    if (std::optional<int> print_format = number("print-format")) {
        SetDword(key, "PrintFileFormat", *print_format == 1 ? 0 : 1);
    }
    if (std::optional<int> rw_caching = number("rw-caching")) {
        if (*rw_caching == 0) {
            SetDword(key, "RwCacheType", 0);
        } else if (std::optional<int> vc = number("vc-rw-caching")) {
            win32::DWORD type;
            if (*vc == 0) {
                type = 2;
            } else {
                const int read = number("vc-rw-read-caching").value_or(1);
                const int write = number("vc-rw-write-caching").value_or(1);
                type = read == 1 && write == 0 ? 3 : (read != 0 ? 5 : (write == 1 ? 4 : 5));
            }
            SetDword(key, "RwCacheType", type);
        }
    }
}

// 0, or the enumeration error that ended the key's processing.
win32::LONG ProcessKey(win32::HKEY key) {
    ConvertPassword(key);
    ConvertLegacyValues(key);
    win32::LONG error;
    for (const std::string& name : ListSubkeys(key, &error)) {
        win32::UniqueKey subkey;
        if (win32::RegOpenKeyExA(key, name.c_str(), 0, kProcessAccess, subkey.out()) !=
            win32::ERROR_SUCCESS) {
            continue;
        }
        if (!IsObsoleteAlias(subkey.get(), name)) {
            ProcessKey(subkey.get());  // errors below the tree key do not keep it unmarked
        }
    }
    return error;
}

win32::LONG OpenTree(Tree tree, win32::UniqueKey* key) {
    if (tree == Tree::System) {
        return win32::RegOpenKeyA(TreeRoot(tree), TreeKey(tree), key->out());
    }
    return win32::RegOpenKeyExA(TreeRoot(tree), TreeKey(tree), 0, win32::KEY_ALL_ACCESS,
                                key->out());
}

// Whether the row's current value is there already. Registry names ignore
// case, so the previous "cd-rom" and the current "CD-ROM" are one value:
// while it still holds the previous version's text where a number belongs,
// it is not yet converted, and is converted in place.
bool HasCurrentValue(win32::HKEY key, const OptionRow& row) {
    std::optional<StoredValue> current = QueryValue(key, row.name);
    if (!current) {
        return false;
    }
    const bool same_name = win32::RegistryNamesEqual(Wide(row.name), Wide(row.previous_name));
    const bool text = current->type == win32::REG_SZ || current->type == win32::REG_EXPAND_SZ;
    return !(same_name && text && row.kind != OptionKind::Text);
}

}  // namespace

void ConvertPassword(win32::HKEY key) {
    if (std::optional<std::string> root = QueryString(key, "Root"); root && !root->empty()) {
        return;
    }
    std::optional<std::string> legacy = QueryString(key, "Password");
    if (!legacy) {
        return;
    }
    // One write replaces the string with its binary form: the password is
    // never missing in between.
    std::vector<std::uint8_t> stored = EncodePassword(Wide(DecodeLegacyPassword(*legacy)));
    win32::RegSetValueExA(key, "Password", 0, win32::REG_BINARY, stored.data(),
                          static_cast<win32::DWORD>(stored.size()));
}

void ConvertLegacyValues(win32::HKEY key) {
    for (const OptionRow& row : OptionTable()) {
        if (row.previous_name == nullptr || HasCurrentValue(key, row)) {
            continue;
        }
        std::optional<std::string> previous = QueryText(key, row.previous_name);
        if (!previous) {
            continue;
        }
        if (row.kind == OptionKind::Text) {
            SetString(key, row.name, *previous);
        } else {
            SetDword(key, row.name, static_cast<win32::DWORD>(DecimalValue(*previous)));
        }
    }
    ConvertSpecialValues(key);
}

void RunUpgradePass(bool* upgrade_requested) {
    for (Tree tree : {Tree::System, Tree::User}) {
        win32::UniqueKey key;
        if (OpenTree(tree, &key) != win32::ERROR_SUCCESS) {
            continue;
        }
        std::optional<win32::DWORD> converted = QueryDword(key.get(), kAliasesConverted);
        if (converted && *converted != 0 && !*upgrade_requested) {
            continue;
        }
        *upgrade_requested = false;
        if (ProcessKey(key.get()) == win32::ERROR_SUCCESS) {
            SetDword(key.get(), kAliasesConverted, 1);
        }
    }
}

}  // namespace cvprov
