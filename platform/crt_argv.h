// How the C runtime splits a command line into arguments.
//
// Words are separated by blanks, tabs and line ends. A word may be put in
// double quotes, in which blanks do not separate; inside quotes two double
// quotes give one literal quote. 2n backslashes followed by a quote give n
// backslashes and the quote opens or closes quoting; 2n+1 backslashes
// followed by a quote give n backslashes and a literal quote; backslashes
// not followed by a quote are literal. The first word, the program's name,
// runs to the first blank or tab, or between its first pair of quotes, with
// no further rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

std::vector<std::u16string> SplitCommandLine(std::u16string_view line);

}  // namespace win32
