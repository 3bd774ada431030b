#include "platform/short_names.h"

#include <map>
#include <utility>

#include "platform/case_fold.h"

namespace win32 {

namespace {

bool IsShortNameChar(char16_t c) {
    if (c <= 0x20 || c >= 0x7F) {
        return false;
    }
    return std::u16string_view(u"\"*+,./:;<=>?[\\]|").find(c) == std::u16string_view::npos;
}

// The characters of a component as they may stand in a short name.
std::u16string Cleaned(std::u16string_view part) {
    std::u16string out;
    for (char16_t c : part) {
        if (c == u' ' || c == u'.') {
            continue;  // dropped, not replaced
        }
        out += IsShortNameChar(c) ? FileNameUpper(c) : u'_';
    }
    return out;
}

}  // namespace

bool IsValidShortName(std::u16string_view name) {
    if (name == u"." || name == u"..") {
        return true;
    }
    size_t dot = name.find(u'.');
    std::u16string_view base = name.substr(0, dot);
    std::u16string_view extension =
        dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 ||
        (dot != std::u16string_view::npos && extension.empty())) {
        return false;
    }
    for (std::u16string_view part : {base, extension}) {
        for (char16_t c : part) {
            if (!IsShortNameChar(c)) {
                return false;
            }
        }
    }
    return true;
}

std::vector<std::u16string> MakeShortNames(const std::vector<std::u16string>& names) {
    std::vector<std::u16string> short_names;
    std::map<std::pair<std::u16string, std::u16string>, int> used;
    for (const std::u16string& name : names) {
        if (IsValidShortName(name)) {
            short_names.emplace_back();
            continue;
        }
        size_t dot = name.rfind(u'.');
        bool has_extension = dot != std::u16string::npos && dot > 0;
        std::u16string stem =
            Cleaned(has_extension ? std::u16string_view(name).substr(0, dot) : name);
        std::u16string extension =
            has_extension ? Cleaned(std::u16string_view(name).substr(dot + 1)) : u"";
        if (stem.empty()) {
            stem = u"_";
        }
        stem.resize(std::min<size_t>(stem.size(), 6));
        extension.resize(std::min<size_t>(extension.size(), 3));
        int number = ++used[{stem, extension}];
        std::u16string tail = u"~";
        for (char c : std::to_string(number)) {
            tail += static_cast<char16_t>(c);
        }
        std::u16string short_name = stem.substr(0, std::min(stem.size(), 8 - tail.size())) + tail;
        if (!extension.empty()) {
            short_name += u'.' + extension;
        }
        short_names.push_back(std::move(short_name));
    }
    return short_names;
}

}  // namespace win32
