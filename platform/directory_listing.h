// The entries of a directory as a directory search sees them: "." and ".."
// first (not in a root), then the other names ordered as the platform lists
// them (by upper-cased name), each with what is known of the file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_info.h"

namespace win32 {

struct DirectoryEntry {
    std::u16string name;
    FileFacts facts;
};

// A host directory's listing (`directory` ends with '/'), or nullopt with
// the last error set: ERROR_PATH_NOT_FOUND when it does not exist. A name
// that vanishes between the listing and its stat is left out.
std::optional<std::vector<DirectoryEntry>> ListHostDirectory(const std::string& directory,
                                                             bool is_root);

}  // namespace win32
