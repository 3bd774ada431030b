// The text of one configuration file as the configuration-file library keeps
// it: every line with its own line end, so that lines nobody changes are
// written back byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace instlib {

struct IniLine {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", "\r" or empty for a last line without one
};

class IniText {
public:
    static IniText Parse(std::string_view bytes);
    std::string Render() const;

    // Names of the section headers, in file order.
    std::vector<std::string> SectionNames() const;
    // Index of the header line of the first section of that name, if any.
    std::optional<size_t> FindSection(std::string_view name) const;
    // Value of the first entry with that key in the section at `header`.
    std::optional<std::string> Value(size_t header, std::string_view key) const;

    void Set(std::string_view section, std::string_view key, std::string_view value);
    void Remove(std::string_view section, std::string_view key);

private:
    size_t SectionEnd(size_t header) const;
    std::optional<size_t> FindKey(size_t header, std::string_view key) const;
    void Insert(size_t at, std::string text);
    std::string NewLineEnd() const;

    std::vector<IniLine> lines_;
};

// Section header name: the text between the leading '[' and the first ']'
// (or the end of the line); nullopt for a line that is no header.
std::optional<std::string_view> HeaderName(std::string_view line);
// Key of an entry line (blanks around it removed), nullopt for a line that
// is not a key line.
std::optional<std::string_view> EntryKey(std::string_view line);
// Case-insensitive comparison as section and key names are compared.
bool SameName(std::string_view a, std::string_view b);
std::string_view TrimBlanks(std::string_view text);

}  // namespace instlib
