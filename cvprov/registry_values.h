// Small helpers over the narrow registry calls the library makes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/types.h"

namespace cvprov {

struct StoredValue {
    win32::DWORD type = 0;
    std::vector<std::uint8_t> data;
};

std::optional<StoredValue> QueryValue(win32::HKEY key, const char* name);
// A string value's text up to its terminator; nullopt when missing or not a
// string.
std::optional<std::string> QueryString(win32::HKEY key, const char* name);
std::optional<win32::DWORD> QueryDword(win32::HKEY key, const char* name);
// The text of a value stored by the previous version: a string, or the
// decimal digits of a number.
std::optional<std::string> QueryText(win32::HKEY key, const char* name);

win32::LONG SetString(win32::HKEY key, const char* name, const std::string& text);
win32::LONG SetDword(win32::HKEY key, const char* name, win32::DWORD value);

// The names of a key's subkeys, in the registry's order. `error` receives 0,
// or the enumeration error (other than the end of the list) that cut the
// list short.
std::vector<std::string> ListSubkeys(win32::HKEY key, win32::LONG* error);

// The C runtime's atoi: leading blanks, a sign, decimal digits.
int DecimalValue(const std::string& text);

}  // namespace cvprov
