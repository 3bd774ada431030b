#include "cvprov/aliases.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "cvprov/config_keys.h"
#include "cvprov/registry_values.h"
#include "platform/errors.h"

namespace cvprov {

namespace {

constexpr char kItemType[] = "item-type";

std::string LowerLastComponent(std::string_view name) {
    size_t separator = name.find_last_of('/');
    if (separator == std::string_view::npos) {
        separator = name.find_last_of('\\');
    }
    std::string last(separator == std::string_view::npos ? name : name.substr(separator + 1));
    std::transform(last.begin(), last.end(), last.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return last;
}

// "docs_12" -> "docs"; a name without such a tail stays as it is.
std::string WithoutNumberTail(std::string name) {
    size_t underscore = name.find_last_of('_');
    if (underscore != std::string::npos && underscore + 1 < name.size() &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(underscore) + 1, name.end(),
                    [](unsigned char c) { return std::isdigit(c); })) {
        name.resize(underscore);
    }
    return name;
}

}  // namespace

bool IsObsoleteAlias(win32::HKEY key, std::string_view key_name) {
    std::optional<std::string> item_type = QueryString(key, kItemType);
    if (!item_type && !QueryValue(key, kItemType)) {
        return false;
    }
    bool alias =
        item_type == "1" && !QueryValue(key, "autotune") && !QueryValue(key, "AutoTuneDisable");
    if (alias) {
        if (std::optional<std::string> share = QueryString(key, "share-name")) {
            alias = LowerLastComponent(*share) == WithoutNumberTail(LowerLastComponent(key_name));
        }
    }
    if (!alias) {
        SetString(key, kItemType, "2");
    }
    return alias;
}

void CleanUserTree() {
    win32::UniqueKey tree;
    if (win32::RegOpenKeyExA(TreeRoot(Tree::User), kUserTreeKey, 0, win32::KEY_ALL_ACCESS,
                             tree.out()) != win32::ERROR_SUCCESS) {
        return;
    }
    win32::LONG error;
    for (const std::string& host : ListSubkeys(tree.get(), &error)) {
        win32::UniqueKey host_key;
        if (win32::RegOpenKeyExA(tree.get(), host.c_str(), 0, win32::KEY_ALL_ACCESS,
                                 host_key.out()) != win32::ERROR_SUCCESS) {
            continue;
        }
        for (const std::string& file_system : ListSubkeys(host_key.get(), &error)) {
            win32::UniqueKey file_system_key;
            if (win32::RegOpenKeyExA(host_key.get(), file_system.c_str(), 0, win32::KEY_ALL_ACCESS,
                                     file_system_key.out()) != win32::ERROR_SUCCESS) {
                continue;
            }
            if (IsObsoleteAlias(file_system_key.get(), file_system)) {
                file_system_key.Reset();
                win32::RegDeleteKeyA(host_key.get(), file_system.c_str());
            } else {
                win32::RegDeleteValueA(file_system_key.get(), kItemType);
            }
        }
    }
}

}  // namespace cvprov
