// The answers a worker gives: a host name's address (kind 2) and the names
// of the addresses the redirector has seen (kind 5). Both work in place on
// the request buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace cvagent {

inline constexpr std::uint16_t kStatusNoMemory = 501;
inline constexpr std::uint16_t kStatusHostNotFound = 533;
inline constexpr std::uint16_t kStatusNotServed = 534;

// `buffer` holds the request as the redirector sent it.
void AnswerNameToAddress(std::vector<std::uint8_t>& buffer);
// May make `buffer` longer to hold every name.
void AnswerPendingAddressNames(std::vector<std::uint8_t>& buffer);

}  // namespace cvagent
