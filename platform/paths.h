// Windows path rules on the host.
//
// Both '\' and '/' separate components. A drive letter maps to a host
// directory through the drive table CVN_DRIVES ("C=/;D=/srv/data"; without the
// variable only C=/ is known). A path rooted without a drive ("\tmp\x") is
// rooted at the current drive, or at the host's root when the current
// directory lies under no drive. "\\server\share\..." names a network path.
// The current directory is the host's; its Windows form is the drive whose
// root holds it, the longest root winning. Drive-relative names ("D:x") are
// taken from the drive's root unless the current directory is on that drive.
// Names compare without regard to case: a component that does not exist as
// written on the host is matched against the directory's entries.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace win32 {

// Returns the length of the full path (terminator not counted), or, when the
// buffer is too small, the size needed including the terminator; 0 on
// failure with the last error set. `file_part` (optional) receives the start
// of the last component inside the buffer, or null when the path ends with a
// separator.
DWORD GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* file_part);
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part);

// The full Windows form of a name, or nullopt with the last error set.
std::optional<std::u16string> FullPathName(std::u16string_view name);

// The host path that serves a Windows or host name, or nullopt with the last
// error set: ERROR_PATH_NOT_FOUND for a drive the table does not know,
// ERROR_BAD_NETPATH for a network path no redirector serves.
std::optional<std::string> HostPathOf(std::u16string_view name);

// The host root of a drive letter, if the table maps it.
std::optional<std::string> DriveRoot(char16_t letter);

// True for a full Windows path that the host redirector serves: a network
// path, or a drive the drive table does not map.
bool IsRedirectorPath(std::u16string_view full);

// The host name of one component under the host `directory`: the name as
// written when it exists, else the entry whose name equals it without regard
// to case, else the name as written.
std::string HostNameIn(const std::string& directory, std::u16string_view component);

}  // namespace win32
