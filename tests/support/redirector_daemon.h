// A real cvnrd for one test: its own runtime directory, its own exports,
// started detached and stopped again when the object goes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace cvn_test {

class RedirectorDaemon {
public:
    // `exports` holds the lines of the exports file; empty: the embedded
    // default, whose \\localhost\demo lives in <runtime dir>/demo.
    explicit RedirectorDaemon(const std::string& exports = "");
    ~RedirectorDaemon();
    RedirectorDaemon(const RedirectorDaemon&) = delete;
    RedirectorDaemon& operator=(const RedirectorDaemon&) = delete;

    bool started() const { return started_; }
    const std::string& start_error() const { return start_error_; }
    const std::string& runtime_dir() const { return runtime_.path(); }
    // A directory the test may fill and export.
    std::string DataDir(const std::string& name) const;

    // The environment a program needs to reach this redirector.
    std::map<std::string, std::optional<std::string>> Environment() const;
    ProcessOptions Options() const;

    // "cvnrd ctl ..." against this redirector.
    ProcessResult Control(const std::vector<std::string>& arguments) const;
    // Runs a program of the build against this redirector.
    ProcessResult Run(const std::string& program, const std::vector<std::string>& arguments,
                      ProcessOptions options) const;

    bool Stop();

private:
    TempDir runtime_;
    TempDir data_;
    bool started_ = false;
    std::string start_error_;
};

}  // namespace cvn_test
