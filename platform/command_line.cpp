#include "platform/command_line.h"

#include "platform/host_text.h"

namespace win32 {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    arguments.reserve(static_cast<size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(HostToWide(argv[i] != nullptr ? argv[i] : ""));
    }
    return arguments;
}

}  // namespace win32
