// The command line of cvnrd.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cvnrd {

struct Options {
    bool help = false;
    bool detach = false;
    std::string runtime_dir;   // empty: the platform's default
    std::string exports_file;  // empty: the embedded default
    std::string demo_dir;      // directory of the embedded default's export
    std::string pid_file;      // empty: <runtime dir>/cvnrd.pid
    std::string log_file;      // empty: standard error
    int helper_timeout_ms = 5000;
    std::string command;  // "", "ctl" or "stop"
    std::vector<std::string> command_arguments;
};

// Nullopt with a message for a command line that makes no sense.
std::optional<Options> ParseOptions(int argc, char** argv, std::string* error);

extern const char* const kUsage;

}  // namespace cvnrd
