// Running the host's service manager client (systemctl) for the control
// manager calls: no shell, the arguments as they are, standard output
// collected.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace win32::service_detail {

// The program named by CVN_SYSTEMCTL (a path, or a name searched in PATH),
// else systemctl found in PATH; nullopt when there is none to run.
std::optional<std::string> FindSystemctl();

struct CommandResult {
    bool ran = false;  // started and ended with an exit status
    int exit_status = -1;
    std::string output;  // standard output (its first 64 KiB)
};

// Runs `program` with `arguments` and waits for its end. Its standard input
// and error are /dev/null; it starts with no signal blocked, whatever the
// caller's thread blocks.
CommandResult RunCommand(const std::string& program, const std::vector<std::string>& arguments);

// The first line of a command's output without surrounding blanks: the word
// `systemctl is-active` and `is-system-running` answer with.
std::string FirstWord(const std::string& output);

}  // namespace win32::service_detail
