// The wide exports: convert to the ANSI code page, call the narrow export,
// convert the results back. Temporaries are sized for the real converted
// length, and a string that cannot be converted ends the call before the
// narrow variant sees an empty name in its place.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "inikit/double_nul.h"
#include "inikit/inikit.h"
#include "platform/codepage.h"

namespace {

std::optional<std::string> ToNarrow(const char16_t* wide) {
    int needed =
        win32::WideCharToMultiByte(win32::CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::string narrow(static_cast<size_t>(needed), '\0');
    if (NCWideToMB(wide, 0, narrow.data(), needed) != needed) {
        return std::nullopt;
    }
    narrow.pop_back();  // the terminator stays implicit in std::string
    return narrow;
}

// Converts `text` into buffer[pos...] without passing `limit`; returns the
// number of wide characters written.
size_t WidenInto(const std::string& text, char16_t* buffer, size_t pos, size_t limit) {
    if (text.empty() || pos >= limit) {
        return 0;
    }
    int needed = win32::MultiByteToWideChar(win32::CP_ACP, 0, text.data(),
                                            static_cast<int>(text.size()), nullptr, 0);
    if (needed <= 0) {
        return 0;
    }
    std::u16string wide(static_cast<size_t>(needed), u'\0');
    NCMBToWide(text.data(), static_cast<int>(text.size()), wide.data(), needed);
    size_t copied = std::min(wide.size(), limit - pos);
    std::copy_n(wide.begin(), copied, buffer + pos);
    return copied;
}

// Writes a narrow double-NUL list into a wide buffer of `size` characters,
// keeping room for the terminators so the result is always a valid list.
void WidenList(const std::vector<std::string>& list, char16_t* buffer, size_t size) {
    if (size == 0) {
        return;
    }
    size_t pos = 0;
    for (const std::string& text : list) {
        if (pos + 2 > size) {
            break;
        }
        pos += WidenInto(text, buffer, pos, size - 2);
        buffer[pos++] = u'\0';
    }
    buffer[pos] = u'\0';
}

std::vector<std::string> ListIn(const std::string& narrow_buffer) {
    return inikit::SplitList(narrow_buffer.c_str());
}

}  // namespace

extern "C" {

void NCGetSectionNamesW(char16_t* buffer, uint32_t size, const char16_t* file) {
    if (buffer == nullptr || file == nullptr || file[0] == u'\0') {
        return;
    }
    try {
        auto narrow_file = ToNarrow(file);
        if (!narrow_file) {
            return;
        }
        std::string list(static_cast<size_t>(size) + 2, '\0');
        NCGetSectionNames(list.data(), size, narrow_file->c_str());
        WidenList(ListIn(list), buffer, size);
    } catch (...) {
    }
}

void NCGetSectionW(const char16_t* section, char16_t* buffer, uint32_t size, const char16_t* file) {
    if (section == nullptr || buffer == nullptr || file == nullptr || section[0] == u'\0' ||
        file[0] == u'\0') {
        return;
    }
    try {
        auto narrow_section = ToNarrow(section);
        auto narrow_file = ToNarrow(file);
        if (!narrow_section || !narrow_file) {
            return;
        }
        std::string list(static_cast<size_t>(size) + 2, '\0');
        NCGetSection(narrow_section->c_str(), list.data(), size, narrow_file->c_str());
        WidenList(ListIn(list), buffer, size);
    } catch (...) {
    }
}

void NCGetIniKeyStringW(const char16_t* section, const char16_t* key, const char16_t* default_text,
                        char16_t* buffer, uint32_t size, const char16_t* file) {
    if (section == nullptr || key == nullptr || default_text == nullptr || buffer == nullptr ||
        file == nullptr || section[0] == u'\0' || key[0] == u'\0' || file[0] == u'\0') {
        return;
    }
    try {
        auto narrow_section = ToNarrow(section);
        auto narrow_key = ToNarrow(key);
        auto narrow_default = ToNarrow(default_text);
        auto narrow_file = ToNarrow(file);
        if (!narrow_section || !narrow_key || !narrow_default || !narrow_file || size == 0) {
            return;
        }
        std::string value(static_cast<size_t>(size) + 1, '\0');
        NCGetIniKeyString(narrow_section->c_str(), narrow_key->c_str(), narrow_default->c_str(),
                          value.data(), size, narrow_file->c_str());
        std::string text(value.c_str());
        size_t written = WidenInto(text, buffer, 0, size - 1);
        buffer[written] = u'\0';
    } catch (...) {
    }
}

void NCWriteIniKeyStringW(const char16_t* section, const char16_t* key, const char16_t* value,
                          const char16_t* file) {
    if (!section || !key || !value || !file || !section[0] || !key[0] || !value[0] || !file[0]) {
        return;
    }
    try {
        auto s = ToNarrow(section), k = ToNarrow(key), v = ToNarrow(value), f = ToNarrow(file);
        if (s && k && v && f) {
            NCWriteIniKeyString(s->c_str(), k->c_str(), v->c_str(), f->c_str());
        }
    } catch (...) {
    }
}

void NCWriteSectionW(const char16_t* section, const char16_t* entries, const char16_t* file) {
    if (!section || !entries || !file || !section[0] || !file[0]) {
        return;
    }
    try {
        auto s = ToNarrow(section), f = ToNarrow(file);
        if (!s || !f) {
            return;
        }
        // The narrow list grows with the entries: no list is too long.
        std::string list;
        for (const char16_t* entry = entries; *entry != u'\0';
             entry += std::char_traits<char16_t>::length(entry) + 1) {
            auto narrow = ToNarrow(entry);
            if (!narrow) {
                return;  // a list that cannot be converted changes nothing
            }
            list += *narrow;
            list += '\0';
        }
        list += '\0';
        NCWriteSection(s->c_str(), list.c_str(), f->c_str());
    } catch (...) {
    }
}

void NCDeleteIniKeyStringW(const char16_t* section, const char16_t* key, const char16_t* file) {
    if (!section || !key || !file || !section[0] || !key[0] || !file[0]) {
        return;
    }
    try {
        auto s = ToNarrow(section), k = ToNarrow(key), f = ToNarrow(file);
        if (s && k && f) {
            NCDeleteIniKeyString(s->c_str(), k->c_str(), f->c_str());
        }
    } catch (...) {
    }
}

}  // extern "C"
