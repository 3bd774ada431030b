// Whole-file helpers for tests.
#pragma once

#include <string>

namespace cvn_test {

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
bool FileExists(const std::string& path);

}  // namespace cvn_test
