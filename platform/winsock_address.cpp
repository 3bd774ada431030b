#include "platform/winsock_address.h"

#include <cstring>
#include <vector>

namespace win32 {

namespace {

constexpr std::uint64_t kMaxAddress = 0xFFFFFFFF;
constexpr size_t kMaxParts = 4;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One part from `*pos` on, advancing past it. A part needs at least one digit
// ("0x" alone is none), every digit inside its base ("08" is no octal number),
// and a value that fits 32 bits.
std::optional<std::uint64_t> ParsePart(std::string_view text, size_t* pos) {
    size_t i = *pos;
    unsigned base = 10;
    int digits = 0;
    if (i < text.size() && text[i] == '0') {
        base = 8;
        ++digits;
        ++i;
        if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
            base = 16;
            digits = 0;
            ++i;
        }
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0) {
            break;
        }
        if (static_cast<unsigned>(digit) >= base) {
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
        if (value > kMaxAddress) {
            return std::nullopt;
        }
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    *pos = i;
    return value;
}

// Every part but the last is one byte; the last fills the bytes left over.
std::optional<std::uint32_t> Combine(const std::vector<std::uint64_t>& parts) {
    const size_t leading = parts.size() - 1;
    std::uint64_t address = 0;
    for (size_t i = 0; i < leading; ++i) {
        if (parts[i] > 0xFF) {
            return std::nullopt;
        }
        address |= parts[i] << (8 * (3 - i));
    }
    if (parts.back() > (kMaxAddress >> (8 * leading))) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(address | parts.back());
}

}  // namespace

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text, AddressEnd end) {
    std::vector<std::uint64_t> parts;
    size_t pos = 0;
    for (;;) {
        const auto part = ParsePart(text, &pos);
        if (!part) {
            return std::nullopt;
        }
        parts.push_back(*part);
        if (pos == text.size() || text[pos] != '.') {
            break;
        }
        if (parts.size() == kMaxParts) {
            return std::nullopt;
        }
        ++pos;
    }
    if (pos < text.size() && (end == AddressEnd::kTerminator || !IsBlank(text[pos]))) {
        return std::nullopt;
    }
    return Combine(parts);
}

std::uint32_t ToNetworkOrder(std::uint32_t address) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(address >> 24), static_cast<unsigned char>(address >> 16),
        static_cast<unsigned char>(address >> 8), static_cast<unsigned char>(address)};
    std::uint32_t network;
    std::memcpy(&network, bytes, sizeof network);
    return network;
}

}  // namespace win32
