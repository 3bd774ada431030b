#include "inikit/entry_text.h"

namespace inikit {

namespace {

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

}  // namespace

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimWhiteSpace(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsWhiteSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string NormaliseEntry(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::string(line);
    }
    std::string entry(TrimWhiteSpace(line.substr(0, equals)));
    entry += '=';
    entry += TrimWhiteSpace(line.substr(equals + 1));
    return entry;
}

std::string CleanValue(std::string_view value) {
    value = TrimWhiteSpace(value);
    if (value.size() >= 2 && IsQuote(value.front()) && IsQuote(value.back())) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

}  // namespace inikit
