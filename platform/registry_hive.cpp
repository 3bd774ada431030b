#include "platform/registry_hive.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/case_fold.h"
#include "platform/hex.h"
#include "platform/host_text.h"

namespace win32 {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kHexBytesPerLine = 25;

bool IsPlainText(const RegistryValue& value, std::u16string* text) {
    if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0) {
        return false;
    }
    std::u16string units;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
        units.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    }
    // Exactly one terminator, at the end: anything else is kept as bytes.
    if (units.back() != u'\0' || units.find(u'\0') != units.size() - 1) {
        return false;
    }
    units.pop_back();
    // A line break would end the line inside the quotes, and a text that is
    // not UTF-16 (lone surrogates) may come back from UTF-8 as another one:
    // those are kept as bytes too.
    if (units.find_first_of(u"\r\n") != std::u16string::npos ||
        HostToWide(WideToHost(units)) != units) {
        return false;
    }
    *text = std::move(units);
    return true;
}

std::string Quoted(std::u16string_view text) {
    std::string out = "\"";
    for (char c : WideToHost(text)) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string HexList(const Bytes& data, size_t prefix_length) {
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        out += byte;
        if (i + 1 < data.size()) {
            out += ',';
            // Long lists continue on the next line, as export files do.
            if ((i + 1 + prefix_length / 3) % kHexBytesPerLine == 0) {
                out += "\\\n  ";
            }
        }
    }
    return out;
}

std::string FormatValue(const RegistryValue& value) {
    std::string line = value.name.empty() ? "@" : Quoted(value.name);
    line += '=';
    std::u16string text;
    if (IsPlainText(value, &text)) {
        return line + Quoted(text);
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x",
                      value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                          (static_cast<unsigned>(value.data[3]) << 24));
        return line + number;
    }
    if (value.type == REG_BINARY) {
        line += "hex:";
    } else {
        // The type is hex, as the reader takes it: hex(b) is type 11.
        char type[16];  // "hex(", at most eight digits, "):" and the terminator
        std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
        line += type;
    }
    return line + HexList(value.data, line.size());
}

void FormatKey(const RegistryNode& node, const std::string& path, bool is_root,
               std::ostringstream& out) {
    if (!is_root || !node.values.empty()) {
        out << "[" << path << "]\n";
        for (const RegistryValue& value : node.values) {
            out << FormatValue(value) << "\n";
        }
        out << "\n";
    }
    for (const auto& subkey : node.subkeys) {
        FormatKey(*subkey, path + "\\" + WideToHost(subkey->name), false, out);
    }
}

// Reads a quoted string at text[*pos] (at the opening quote).
std::optional<std::u16string> ReadQuoted(std::string_view text, size_t* pos) {
    std::string raw;
    for (size_t i = *pos + 1; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            raw += text[++i];
        } else if (text[i] == '"') {
            *pos = i + 1;
            return HostToWide(raw);
        } else {
            raw += text[i];
        }
    }
    return std::nullopt;
}

std::optional<Bytes> ReadHexList(std::string_view text) {
    Bytes bytes;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
            ++pos;
        }
        if (pos >= text.size()) {
            break;
        }
        unsigned value = 0;
        int digits = 0;
        while (pos < text.size() && digits < 3) {
            int digit = HexDigitValue(text[pos]);
            if (digit < 0) {
                break;
            }
            value = value * 16 + static_cast<unsigned>(digit);
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 2) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
            ++pos;
        }
        if (pos < text.size()) {
            if (text[pos] != ',') {
                return std::nullopt;
            }
            ++pos;
        }
    }
    return bytes;
}

Bytes Utf16Bytes(std::u16string_view text, bool terminate) {
    Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminate) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

std::optional<RegistryValue> ParseValue(std::string_view line, std::string* reason) {
    RegistryValue value;
    size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
    } else {
        std::optional<std::u16string> name = ReadQuoted(line, &pos);
        if (!name) {
            *reason = "a value name is not closed by a quote";
            return std::nullopt;
        }
        value.name = std::move(*name);
    }
    if (pos >= line.size() || line[pos] != '=') {
        *reason = "expected '=' after the value name";
        return std::nullopt;
    }
    std::string_view data = line.substr(pos + 1);
    if (data.starts_with('"')) {
        size_t end = 0;
        std::optional<std::u16string> text = ReadQuoted(data, &end);
        if (!text || end != data.size()) {
            *reason = "a string value is not closed by a quote";
            return std::nullopt;
        }
        value.type = REG_SZ;
        value.data = Utf16Bytes(*text, true);
        return value;
    }
    if (data.starts_with("dword:")) {
        std::string digits(data.substr(6));
        if (digits.empty() || digits.size() > 8 ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            *reason = "a dword value needs up to eight hex digits";
            return std::nullopt;
        }
        std::uint32_t number = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
        value.type = REG_DWORD;
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16),
                      static_cast<std::uint8_t>(number >> 24)};
        return value;
    }
    std::string_view list;
    if (data.starts_with("hex:")) {
        value.type = REG_BINARY;
        list = data.substr(4);
    } else if (data.starts_with("hex(")) {
        size_t close = data.find("):");
        std::string type(data.substr(4, close == std::string_view::npos ? 0 : close - 4));
        if (close == std::string_view::npos || type.empty() || type.size() > 8 ||
            type.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            *reason = "expected hex(type): with a hex type";
            return std::nullopt;
        }
        value.type = static_cast<DWORD>(std::stoul(type, nullptr, 16));
        list = data.substr(close + 2);
    } else {
        *reason = "a value must be a quoted string, dword: or hex:";
        return std::nullopt;
    }
    std::optional<Bytes> bytes = ReadHexList(list);
    if (!bytes) {
        *reason = "a hex list holds something other than bytes";
        return std::nullopt;
    }
    value.data = std::move(*bytes);
    return value;
}

// The components of a section name below the hive's root.
std::optional<std::vector<std::u16string>> SectionPath(std::string_view name,
                                                       std::u16string_view root_name) {
    std::u16string wide = HostToWide(name);
    std::vector<std::u16string> parts;
    size_t pos = 0;
    while (pos <= wide.size()) {
        size_t end = wide.find(u'\\', pos);
        if (end == std::u16string::npos) {
            end = wide.size();
        }
        parts.push_back(wide.substr(pos, end - pos));
        pos = end + 1;
    }
    if (parts.empty() || !RegistryNamesEqual(parts[0], root_name)) {
        return std::nullopt;
    }
    parts.erase(parts.begin());
    for (const std::u16string& part : parts) {
        if (part.empty()) {
            return std::nullopt;
        }
    }
    return parts;
}

}  // namespace

bool RegistryNamesEqual(std::u16string_view a, std::u16string_view b) {
    return FileNamesEqual(a, b);
}

RegistryNode* RegistryNode::FindSubkey(std::u16string_view wanted) const {
    for (const auto& subkey : subkeys) {
        if (RegistryNamesEqual(subkey->name, wanted)) {
            return subkey.get();
        }
    }
    return nullptr;
}

RegistryNode& RegistryNode::AddSubkey(std::u16string subkey_name) {
    auto node = std::make_unique<RegistryNode>();
    node->name = std::move(subkey_name);
    subkeys.push_back(std::move(node));
    return *subkeys.back();
}

bool RegistryNode::RemoveSubkey(std::u16string_view wanted) {
    auto found = std::find_if(subkeys.begin(), subkeys.end(), [&](const auto& subkey) {
        return RegistryNamesEqual(subkey->name, wanted);
    });
    if (found == subkeys.end()) {
        return false;
    }
    subkeys.erase(found);
    return true;
}

RegistryValue* RegistryNode::FindValue(std::u16string_view wanted) {
    for (RegistryValue& value : values) {
        if (RegistryNamesEqual(value.name, wanted)) {
            return &value;
        }
    }
    return nullptr;
}

void RegistryNode::SetValue(RegistryValue value) {
    if (RegistryValue* existing = FindValue(value.name)) {
        existing->type = value.type;
        existing->data = std::move(value.data);  // the name keeps the case it was made with
        return;
    }
    values.push_back(std::move(value));
}

bool RegistryNode::RemoveValue(std::u16string_view wanted) {
    auto found = std::find_if(values.begin(), values.end(), [&](const RegistryValue& value) {
        return RegistryNamesEqual(value.name, wanted);
    });
    if (found == values.end()) {
        return false;
    }
    values.erase(found);
    return true;
}

std::string FormatHive(const RegistryNode& root, std::u16string_view root_name) {
    std::ostringstream out;
    out << kHeader << "\n\n";
    FormatKey(root, WideToHost(root_name), true, out);
    return out.str();
}

std::optional<std::unique_ptr<RegistryNode>> ParseHive(const std::string& text,
                                                       std::u16string_view root_name,
                                                       HiveParseError* error) {
    auto root = std::make_unique<RegistryNode>();
    root->name = root_name;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool header_seen = false;
    RegistryNode* current = nullptr;
    auto fail = [&](int at, std::string reason) {
        error->line = at;
        error->reason = std::move(reason);
        return std::nullopt;
    };
    while (std::getline(lines, line)) {
        ++number;
        const int first_line = number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A final backslash continues the line, but not a comment, which may
        // well end in a path such as C:\.
        const size_t first = line.find_first_not_of(" \t");
        const bool comment = first != std::string::npos && line[first] == ';';
        while (!comment && !line.empty() && line.back() == '\\' && !line.starts_with('[')) {
            std::string next;
            if (!std::getline(lines, next)) {
                return fail(number, "the file ends inside a continued line");
            }
            ++number;
            if (!next.empty() && next.back() == '\r') {
                next.pop_back();
            }
            line.pop_back();
            size_t start = next.find_first_not_of(" \t");
            line += start == std::string::npos ? "" : next.substr(start);
        }
        std::string_view trimmed = line;
        while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t')) {
            trimmed.remove_prefix(1);
        }
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) {
            trimmed.remove_suffix(1);
        }
        if (trimmed.empty() || trimmed.starts_with(';')) {
            continue;
        }
        if (!header_seen) {
            if (trimmed != kHeader) {
                return fail(first_line, "the file does not start with REGEDIT4");
            }
            header_seen = true;
            continue;
        }
        if (trimmed.starts_with('[')) {
            if (!trimmed.ends_with(']')) {
                return fail(first_line, "a key name is not closed by ']'");
            }
            std::optional<std::vector<std::u16string>> path =
                SectionPath(trimmed.substr(1, trimmed.size() - 2), root_name);
            if (!path) {
                return fail(first_line, "the key is not below " + WideToHost(root_name));
            }
            current = root.get();
            for (const std::u16string& part : *path) {
                RegistryNode* next = current->FindSubkey(part);
                current = next != nullptr ? next : &current->AddSubkey(part);
            }
            continue;
        }
        if (current == nullptr) {
            return fail(first_line, "a value comes before any key");
        }
        std::string reason;
        std::optional<RegistryValue> value = ParseValue(trimmed, &reason);
        if (!value) {
            return fail(first_line, reason);
        }
        current->SetValue(std::move(*value));
    }
    // A file of blank lines and comments only is an empty hive, as is an
    // empty one.
    return root;
}

}  // namespace win32
