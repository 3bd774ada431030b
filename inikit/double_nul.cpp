#include "inikit/double_nul.h"

#include <cstring>

namespace inikit {

std::vector<std::string> SplitList(const char* list) {
    std::vector<std::string> strings;
    while (list != nullptr && *list != '\0') {
        strings.emplace_back(list);
        list += strings.back().size() + 1;
    }
    return strings;
}

void CopyListToBuffer(const std::vector<std::string>& list, char* buffer, long long size) {
    if (size <= 0) {
        return;
    }
    long long pos = 0;
    for (const std::string& text : list) {
        for (size_t i = 0; i < text.size() && pos < size - 3; ++i) {
            buffer[pos++] = text[i];
        }
        // A terminator only while the closing NUL still fits after it.
        if (pos <= size - 2) {
            buffer[pos++] = '\0';
        }
    }
    buffer[pos] = '\0';
}

std::vector<KeyValue> SplitEntries(const std::vector<std::string>& entries) {
    std::vector<KeyValue> pairs;
    for (const std::string& entry : entries) {
        size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0) {
            continue;
        }
        pairs.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
    }
    return pairs;
}

}  // namespace inikit
