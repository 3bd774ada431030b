// A hosts file in the host's /etc/hosts format: per line an IPv4 address, the
// host's canonical name and its aliases, separated by blanks; `#` starts a
// comment. Lines of other address families and lines that are not entries
// (no valid address, no name) are skipped, so one bad line never hides the
// rest. The file is read anew on every look-up: it is small, and a change
// takes effect at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/winsock_hostent.h"

namespace win32 {

// The addresses of every line that lists `name` (canonical name or alias,
// without regard to case), in file order; the name and aliases of the first
// such line. kNotFound when no line lists it, kNoRecovery when the file
// cannot be read.
HostLookup HostsFileByName(const std::string& path, std::string_view name);

// The first line with `address` (network byte order): its canonical name and
// aliases. kNotFound and kNoRecovery as above.
HostLookup HostsFileByAddress(const std::string& path, std::uint32_t address);

}  // namespace win32
