// The messages of a mode text the tool cannot use.
#pragma once

#include "cvperm/mode_text.h"

namespace cvperm {

// Prints the message of `error` on a new line, indented by three blanks;
// nothing for ModeError::kNone.
void PrintModeError(ModeError error);

}  // namespace cvperm
