// The drive letter for a connection.
#pragma once

namespace cvlink {

// For a letter (upper case): the letter when no drive has it, else '0'. For
// '*': the first free letter from C to Z ('0' when all are in use; A and B
// are never chosen).
char16_t ChooseDriveLetter(char16_t letter);

}  // namespace cvlink
