// The forms a stored password takes.
//
// Current form: a binary value of the password's UTF-16 units, each XORed
// with 0x93 except units equal to 0 or to 0x93, which stay as they are (so
// that no unit becomes 0); at most 16 units, no terminator.
// String form: a string value holding the password ROT13-rotated.
// Legacy form (previous product version): a string whose bytes are the
// narrow characters, each (c AND 0x7F) XORed with 0x36, except 0x36 and NUL
// which stay as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cvprov {

inline constexpr std::size_t kPasswordUnits = 16;

std::vector<std::uint8_t> EncodePassword(std::u16string_view password);
std::u16string DecodePassword(const std::vector<std::uint8_t>& stored);

std::string Rot13(std::string_view text);

std::string EncodeLegacyPassword(std::string_view narrow);
std::string DecodeLegacyPassword(std::string_view stored);

}  // namespace cvprov
