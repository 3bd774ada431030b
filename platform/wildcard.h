// File-name patterns of the find functions: '*' matches any run of
// characters, '?' exactly one; letters compare without regard to case.
// "*.*" matches every name, with or without an extension, and a final '.'
// matches a name without one ("*." lists the names without a dot), as on the
// platform.
#pragma once

#include <string_view>

namespace win32 {

bool HasWildcards(std::u16string_view pattern);
bool MatchesFilePattern(std::u16string_view pattern, std::u16string_view name);

}  // namespace win32
