// The program's arguments as UTF-16 texts, as the wide entry point of the
// target system receives them.
#pragma once

#include <string>
#include <vector>

namespace win32 {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv);

}  // namespace win32
