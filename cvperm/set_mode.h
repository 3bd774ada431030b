// Changing the mode of one file through the redirector.
#pragma once

#include <string_view>

#include "cvperm/mode_text.h"

namespace cvperm {

// Reads the file's attributes, computes its new mode from `mode_text` and
// sends it. Every failure is reported on the console and ends with the file
// left alone, except one: an octal mode does not depend on the current one,
// so it is still sent when the attributes cannot be read.
void SetModeOfFile(std::u16string_view path, std::u16string_view mode_text,
                   const ModeLetters& letters);

}  // namespace cvperm
