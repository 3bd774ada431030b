#include "inikit/instlib/ini_text.h"

#include <algorithm>

namespace instlib {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char FoldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsComment(std::string_view line) {
    return !line.empty() && line.front() == ';';
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

std::optional<std::string_view> HeaderName(std::string_view line) {
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    return line.substr(0, line.find(']'));
}

std::optional<std::string_view> EntryKey(std::string_view line) {
    if (line.empty() || IsComment(line) || line.front() == '[') {
        return std::nullopt;
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return TrimBlanks(line.substr(0, equals));
}

IniText IniText::Parse(std::string_view bytes) {
    IniText text;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t stop = bytes.find_first_of("\r\n", pos);
        IniLine line;
        if (stop == std::string_view::npos) {
            line.text = std::string(bytes.substr(pos));
            pos = bytes.size();
        } else {
            line.text = std::string(bytes.substr(pos, stop - pos));
            size_t end_size =
                (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
            line.end = std::string(bytes.substr(stop, end_size));
            pos = stop + end_size;
        }
        text.lines_.push_back(std::move(line));
    }
    return text;
}

std::string IniText::Render() const {
    std::string bytes;
    for (const IniLine& line : lines_) {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}

std::vector<std::string> IniText::SectionNames() const {
    std::vector<std::string> names;
    for (const IniLine& line : lines_) {
        if (auto name = HeaderName(line.text)) {
            names.emplace_back(*name);
        }
    }
    return names;
}

std::optional<size_t> IniText::FindSection(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto header = HeaderName(lines_[i].text);
        if (header && SameName(*header, name)) {
            return i;
        }
    }
    return std::nullopt;
}

size_t IniText::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !HeaderName(lines_[i].text)) {
        ++i;
    }
    return i;
}

std::optional<size_t> IniText::FindKey(size_t header, std::string_view key) const {
    size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        auto found = EntryKey(lines_[i].text);
        if (found && SameName(*found, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniText::Value(size_t header, std::string_view key) const {
    auto line = FindKey(header, key);
    if (!line) {
        return std::nullopt;
    }
    const std::string& text = lines_[*line].text;
    return std::string(TrimBlanks(std::string_view(text).substr(text.find('=') + 1)));
}

// The file's own line-end style: that of its first line end, CR LF for a
// file that has none yet (configuration files are Windows text files).
std::string IniText::NewLineEnd() const {
    for (const IniLine& line : lines_) {
        if (!line.end.empty()) {
            return line.end;
        }
    }
    return "\r\n";
}

void IniText::Insert(size_t at, std::string text) {
    std::string end = NewLineEnd();
    // A last line without a line end gets one before anything follows it.
    if (at > 0 && lines_[at - 1].end.empty()) {
        lines_[at - 1].end = end;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), IniLine{std::move(text), end});
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    auto header = FindSection(section);
    if (!header) {
        // A new section goes to the end of the file, after a blank line.
        if (!lines_.empty() && !TrimBlanks(lines_.back().text).empty()) {
            Insert(lines_.size(), "");
        }
        Insert(lines_.size(), "[" + std::string(section) + "]");
        Insert(lines_.size(), std::string(key) + "=" + std::string(value));
        return;
    }
    if (auto line = FindKey(*header, key)) {
        std::string& text = lines_[*line].text;
        // The key keeps its spelling and any blanks before it.
        text = text.substr(0, text.find('=')) + "=" + std::string(value);
        return;
    }
    // A new key follows the section's last entry, so the blank lines and
    // comments that lead into the next section stay where they are.
    size_t at = *header + 1;
    size_t end = SectionEnd(*header);
    for (size_t i = *header + 1; i < end; ++i) {
        if (!TrimBlanks(lines_[i].text).empty() && !IsComment(lines_[i].text)) {
            at = i + 1;
        }
    }
    Insert(at, std::string(key) + "=" + std::string(value));
}

void IniText::Remove(std::string_view section, std::string_view key) {
    auto header = FindSection(section);
    if (!header) {
        return;
    }
    // Every line of the key goes, so that a duplicate cannot reappear.
    while (auto line = FindKey(*header, key)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    }
}

}  // namespace instlib
