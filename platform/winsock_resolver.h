// Names and addresses asked of the host's resolver (getaddrinfo and
// getnameinfo, which are reentrant, unlike the host's own gethostby* calls).
#pragma once

#include <cstdint>
#include <string>

#include "platform/winsock_hostent.h"

namespace win32 {

// Every IPv4 address of `name` in the resolver's order, without repeats; the
// canonical name when the resolver gives one, else the name asked for. No
// aliases: the resolver does not report them.
HostLookup ResolveHostName(const std::string& name);

// The name of `address` (network byte order); kNotFound when it has none.
HostLookup ResolveHostAddress(std::uint32_t address);

}  // namespace win32
