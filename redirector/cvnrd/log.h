// The daemon's log: standard error, or a file named on the command line.
#pragma once

#include <string>

namespace cvnrd {

// Null path: standard error. False when the file cannot be opened.
bool OpenLog(const std::string& path);
void Log(const std::string& line);
// While starting, a daemon that logs to a file still tells the person who
// started it what went wrong.
void AlsoLogToStandardError(bool also);

}  // namespace cvnrd
