#include "cvprov/registry_values.h"

#include <cstdlib>

#include "platform/errors.h"
#include "platform/registry_hive.h"

namespace cvprov {

std::optional<StoredValue> QueryValue(win32::HKEY key, const char* name) {
    win32::DWORD size = 0;
    StoredValue value;
    if (win32::RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) !=
        win32::ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    if (win32::RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) !=
        win32::ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    return value;
}

std::optional<std::string> QueryString(win32::HKEY key, const char* name) {
    std::optional<StoredValue> value = QueryValue(key, name);
    if (!value || (value->type != win32::REG_SZ && value->type != win32::REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::string text(value->data.begin(), value->data.end());
    return text.substr(0, text.find('\0'));
}

std::optional<win32::DWORD> QueryDword(win32::HKEY key, const char* name) {
    std::optional<StoredValue> value = QueryValue(key, name);
    if (!value || value->type != win32::REG_DWORD || value->data.size() != 4) {
        return std::nullopt;
    }
    return value->data[0] | (value->data[1] << 8) | (value->data[2] << 16) |
           (static_cast<win32::DWORD>(value->data[3]) << 24);
}

std::optional<std::string> QueryText(win32::HKEY key, const char* name) {
    if (std::optional<std::string> text = QueryString(key, name)) {
        return text;
    }
    if (std::optional<win32::DWORD> number = QueryDword(key, name)) {
        return std::to_string(static_cast<int>(*number));
    }
    return std::nullopt;
}

win32::LONG SetString(win32::HKEY key, const char* name, const std::string& text) {
    return win32::RegSetValueExA(key, name, 0, win32::REG_SZ,
                                 reinterpret_cast<const win32::BYTE*>(text.c_str()),
                                 static_cast<win32::DWORD>(text.size() + 1));
}

win32::LONG SetDword(win32::HKEY key, const char* name, win32::DWORD value) {
    const win32::BYTE bytes[4] = {
        static_cast<win32::BYTE>(value), static_cast<win32::BYTE>(value >> 8),
        static_cast<win32::BYTE>(value >> 16), static_cast<win32::BYTE>(value >> 24)};
    return win32::RegSetValueExA(key, name, 0, win32::REG_DWORD, bytes, sizeof bytes);
}

std::vector<std::string> ListSubkeys(win32::HKEY key, win32::LONG* error) {
    std::vector<std::string> names;
    *error = win32::ERROR_SUCCESS;
    for (win32::DWORD index = 0;; ++index) {
        char name[win32::kMaxRegistryKeyName + 1];
        win32::DWORD size = sizeof name;
        win32::LONG status =
            win32::RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == win32::ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != win32::ERROR_SUCCESS) {
            *error = status;
            break;
        }
        names.emplace_back(name, size);
    }
    return names;
}

int DecimalValue(const std::string& text) {
    return std::atoi(text.c_str());
}

}  // namespace cvprov
