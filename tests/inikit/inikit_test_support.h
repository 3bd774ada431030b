// Helpers of the configuration library's tests: fixtures in a private
// directory and double-NUL lists as vectors.
#pragma once

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace inikit_test {

// Strings of a double-NUL list held in `buffer` (at most `size` bytes).
inline std::vector<std::string> ListOf(const char* buffer, size_t size) {
    std::vector<std::string> strings;
    size_t pos = 0;
    while (pos < size && buffer[pos] != '\0') {
        std::string text;
        while (pos < size && buffer[pos] != '\0') {
            text += buffer[pos++];
        }
        strings.push_back(text);
        ++pos;
    }
    return strings;
}

inline std::string List(const std::vector<std::string>& strings) {
    std::string list;
    for (const std::string& text : strings) {
        list += text;
        list += '\0';
    }
    list += '\0';
    return list;
}

class IniFixture {
public:
    std::string Write(const std::string& contents, const std::string& name = "test.ini") {
        std::string path = dir_ / name;
        cvn_test::WriteFile(path, contents);
        return path;
    }
    std::string Path(const std::string& name) const { return dir_ / name; }

private:
    cvn_test::TempDir dir_;
};

}  // namespace inikit_test
