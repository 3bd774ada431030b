#pragma once

#include <string>

namespace cvlink {

// Asks for the password of `remote_name` without echo: each key shows as
// '*', Backspace takes the last one back, Enter ends. Nothing typed gives
// the two-character password "" (two double quotes).
void AskPassword(std::u16string& password, const std::u16string& remote_name);

// Empties the password and clears every character its buffer held, those
// beyond its current end included (a shorter password, or one emptied for
// the retry, leaves the longer one behind in the buffer). The buffer keeps
// its place, so reserving it once keeps every password in it.
void WipePassword(std::u16string& password);

}  // namespace cvlink
