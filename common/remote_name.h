// Remote names, \\host\path, and how they fill a mount entry.
#pragma once

#include <cstddef>

#include "common/records.h"
#include "platform/types.h"

namespace cvn {

// Skips the leading backslashes; `host_p` then points at the host (which is
// not terminated: it ends at the next backslash) and `path_p` after that
// backslash (null when there is none). Returns 1, with a debugger message,
// when there is no remote name; both outputs start null.
int ParseRemoteName(const char16_t* remote_name, const char16_t** host_p, const char16_t** path_p);

// Fills host and path of the entry. Returns 1 when the name is empty, the
// host has more than 40 characters or the path more than 1024.
int FillMountEntryName(MountEntry& entry, const char16_t* remote_name);

// "\\host\path" into `output` of `size` characters: 0; 87 when the buffer is
// missing or host or path is empty; 234 when the buffer is too small.
win32::DWORD BuildUncName(const char16_t* host, const char16_t* path, char16_t* output,
                          std::size_t size);

}  // namespace cvn
