// The dotted IPv4 texts that Winsock reads: a.b.c.d, and the shorter a.b.c,
// a.b and a forms in which the last part fills the remaining bytes; each part
// decimal, octal after a leading 0, or hexadecimal after 0x.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace win32 {

// Where the text of an address may end. inet_addr stops at the first blank
// and ignores what follows it; a host name that is an address must be one
// to its end.
enum class AddressEnd { kTerminator, kBlankOrTerminator };

// The address in host byte order, or nullopt when the text is not one.
std::optional<std::uint32_t> ParseDottedAddress(std::string_view text, AddressEnd end);

// An address in host byte order as Winsock hands it out: its four bytes in
// memory in network order, most significant first.
std::uint32_t ToNetworkOrder(std::uint32_t address);

}  // namespace win32
