// Whole-file reads and replacements by ANSI file name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace instlib {

// The file's bytes, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const char* ansi_name);
// True when the name resolves and nothing is there yet.
bool FileIsMissing(const char* ansi_name);
// Replaces the file (or creates it) through a temporary file and a rename.
bool ReplaceWholeFile(const char* ansi_name, std::string_view bytes);

}  // namespace instlib
