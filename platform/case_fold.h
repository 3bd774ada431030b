// Case rules of the platform.
#pragma once

#include <string_view>

namespace win32 {

// Upper case as file names compare: ASCII, Latin-1 and the Latin Extended-A
// pairs. File names on the platform are case-insensitive in this sense.
char16_t FileNameUpper(char16_t c);
bool FileNamesEqual(std::u16string_view a, std::u16string_view b);
// Orders names the way directory listings come back: by upper-cased name.
int CompareFileNames(std::u16string_view a, std::u16string_view b);

// The runtime's _wcsicmp in the "C" locale: A to Z are folded to lower case
// before comparing; the result is negative, zero or positive.
int wcsicmp(std::u16string_view a, std::u16string_view b);

}  // namespace win32
