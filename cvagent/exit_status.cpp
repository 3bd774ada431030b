#include "cvagent/exit_status.h"

#include <iostream>
#include <string>

#include "platform/debug_output.h"

namespace cvagent {

int ExitStatusOf(win32::DWORD code) {
    if (code < kExitCodeTooLarge) {
        return static_cast<int>(code);
    }
    const std::string line = "cvagent: ended with Win32 code " + std::to_string(code) + "\n";
    std::cerr << line << std::flush;
    win32::OutputDebugStringA(line.c_str());
    return kExitCodeTooLarge;
}

}  // namespace cvagent
