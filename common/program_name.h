// The program's name as the user typed it, for banners and usage texts.
#pragma once

#include <string_view>

namespace cvn {

inline constexpr int kProgramNameChars = 260;

// Fills `buffer` (kProgramNameChars characters) with the full path of
// `argv0` and returns its file part inside the buffer: the last component,
// with an extension only if one was typed. Null when the path has none.
char16_t* GetProgramName(std::u16string_view argv0, char16_t* buffer);

}  // namespace cvn
