// How entry lines and values are tidied before they reach a caller.
#pragma once

#include <string>
#include <string_view>

namespace inikit {

// Space, tab, CR, LF, VT and FF.
bool IsWhiteSpace(char c);
std::string_view TrimWhiteSpace(std::string_view text);

// "key = value" becomes "key=value" (split at the first '='; blanks around
// key and value removed). A line without '=' is returned unchanged.
std::string NormaliseEntry(std::string_view line);

// The value trimmed; then, when at least two characters long and both its
// first and last character are a quote (' or ", not necessarily the same),
// those two characters removed. The inside is not trimmed again.
std::string CleanValue(std::string_view value);

}  // namespace inikit
