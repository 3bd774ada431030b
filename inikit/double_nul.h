// Double-NUL lists: NUL-terminated strings followed by one more NUL.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace inikit {

std::vector<std::string> SplitList(const char* list);

// Copies the list into a caller's buffer of `size` bytes. Each string keeps
// the characters that fit below size - 3; writing stops at the end of the
// buffer, and what is written is always a valid list (a single NUL for an
// empty one). Nothing is written when size is 0.
void CopyListToBuffer(const std::vector<std::string>& list, char* buffer, long long size);

using KeyValue = std::pair<std::string, std::string>;

// Splits "key=value" entries at their first '='; the value keeps any further
// '='. Entries without '=' or with an empty key are left out: they name no
// key to set.
std::vector<KeyValue> SplitEntries(const std::vector<std::string>& entries);

}  // namespace inikit
