// Directory listings and file facts of paths on NFS drives, asked of the
// host redirector that serves them (the find and attribute calls use these
// for such paths; host paths are read directly).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/directory_listing.h"
#include "platform/file_info.h"

namespace win32 {

struct RedirectorListing {
    bool is_root = false;                 // a connection's root lists no "." or ".."
    std::vector<DirectoryEntry> entries;  // "." and ".." first, then the names in order
};

// The entries of a directory (full Windows path, with or without a trailing
// separator), or nullopt with the last error set: the redirector's error,
// or ERROR_PATH_NOT_FOUND (drive) / ERROR_BAD_NETPATH (\\host\path) when no
// redirector answers.
std::optional<RedirectorListing> ListRedirectorDirectory(const std::u16string& directory);

// The facts of one file, or nullopt with the last error set as above.
std::optional<FileFacts> RedirectorFileFacts(const std::u16string& name);

}  // namespace win32
