// Runs a program of the build and collects what it did.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cvn_test {

struct ProcessResult {
    int exit_status = -1;  // -1 when the program did not exit normally
    int signal = 0;
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string input;              // written to its standard input
    bool close_input = false;       // standard input closed instead
    std::string working_directory;  // the test's own when empty
    // Added to (or, with nullopt, removed from) a clean environment that
    // holds PATH, HOME and LANG=C.
    std::map<std::string, std::optional<std::string>> environment;
    bool stdout_closed_pipe = false;  // standard output is a pipe nobody reads
    std::string stdout_path;          // standard output written to this file instead
};

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

// The path of a program or module in the build's bin directory.
std::string BinPath(const std::string& name);

}  // namespace cvn_test
