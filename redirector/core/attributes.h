// The NFS attributes of a file of the local backend, and changes to them.
#pragma once

#include <optional>
#include <string>

#include "platform/bytes.h"
#include "redirector/core/status.h"

namespace cvnrd {

// Fills the attribute fields (offsets 8 to 95) from the host file; the
// header is left to the caller. A failure when the file cannot be read.
std::optional<Failure> ReadNfsAttributes(const std::string& host_path, win32::ByteView record);

// Applies what the set-attribute record selects: mode, owner, group, size,
// access and modification time (flag bits 0 to 5).
std::optional<Failure> WriteNfsAttributes(const std::string& host_path,
                                          const win32::ByteView& record);

}  // namespace cvnrd
