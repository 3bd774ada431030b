#include "platform/hosts_file.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/winsock_address.h"

namespace win32 {

namespace {

struct HostsLine {
    std::uint32_t address;           // network byte order
    std::vector<std::string> names;  // the canonical name first
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string_view> Fields(std::string_view line) {
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        if (IsBlank(line[pos])) {
            ++pos;
            continue;
        }
        size_t end = pos;
        while (end < line.size() && !IsBlank(line[end])) {
            ++end;
        }
        fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

// An IPv6 line does not parse as an IPv4 address and is skipped like any
// other line that is not an entry.
std::optional<HostsLine> ParseLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 2) {
        return std::nullopt;
    }
    const auto address = ParseDottedAddress(fields[0], AddressEnd::kTerminator);
    if (!address) {
        return std::nullopt;
    }
    HostsLine parsed{ToNetworkOrder(*address), {}};
    for (size_t i = 1; i < fields.size(); ++i) {
        parsed.names.emplace_back(fields[i]);
    }
    return parsed;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, count);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::vector<HostsLine>> ReadHostsFile(const std::string& path) {
    const auto text = ReadWholeFile(path);
    if (!text) {
        return std::nullopt;
    }
    std::vector<HostsLine> lines;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        if (auto line = ParseLine(rest.substr(0, end))) {
            lines.push_back(std::move(*line));
        }
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return lines;
}

// Host names are ASCII; the host's locale plays no part in comparing them.
bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool ListsName(const HostsLine& line, std::string_view name) {
    for (const std::string& listed : line.names) {
        if (NamesEqual(listed, name)) {
            return true;
        }
    }
    return false;
}

HostAnswer AnswerOf(const HostsLine& line) {
    HostAnswer answer;
    answer.name = line.names.front();
    answer.aliases.assign(line.names.begin() + 1, line.names.end());
    answer.addresses.push_back(line.address);
    return answer;
}

}  // namespace

HostLookup HostsFileByName(const std::string& path, std::string_view name) {
    const auto lines = ReadHostsFile(path);
    if (!lines) {
        return LookupFailure(HostLookupError::kNoRecovery);
    }
    HostLookup found = LookupFailure(HostLookupError::kNotFound);
    for (const HostsLine& line : *lines) {
        if (!ListsName(line, name)) {
            continue;
        }
        if (found.error != HostLookupError::kNone) {
            found = HostLookup{HostLookupError::kNone, AnswerOf(line)};
        } else {
            AddAddress(found.answer, line.address);
        }
    }
    return found;
}

HostLookup HostsFileByAddress(const std::string& path, std::uint32_t address) {
    const auto lines = ReadHostsFile(path);
    if (!lines) {
        return LookupFailure(HostLookupError::kNoRecovery);
    }
    for (const HostsLine& line : *lines) {
        if (line.address == address) {
            return HostLookup{HostLookupError::kNone, AnswerOf(line)};
        }
    }
    return LookupFailure(HostLookupError::kNotFound);
}

}  // namespace win32
