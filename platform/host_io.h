// Host file-descriptor I/O shared by the layer's streams and writers.
#pragma once

#include <cstddef>

namespace win32 {

// Writes all of `data`, retrying after interruptions and short writes.
// Returns 0, or the errno of the failure (ENOSPC when the host accepts
// nothing without saying why).
int WriteAll(int fd, const char* data, std::size_t size);

}  // namespace win32
