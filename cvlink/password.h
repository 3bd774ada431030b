#pragma once

#include <string>

namespace cvlink {

// Asks for the password of `remote_name` without echo: each key shows as
// '*', Backspace takes the last one back, Enter ends. Nothing typed gives
// the two-character password "" (two double quotes).
void AskPassword(std::u16string& password, const std::u16string& remote_name);

}  // namespace cvlink
