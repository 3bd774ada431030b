#include "cvprov/password_codec.h"

#include <algorithm>

namespace cvprov {

namespace {

constexpr char16_t kMask = 0x93;
constexpr unsigned char kLegacyMask = 0x36;

char16_t Flip(char16_t unit) {
    return unit == 0 || unit == kMask ? unit : static_cast<char16_t>(unit ^ kMask);
}

}  // namespace

std::vector<std::uint8_t> EncodePassword(std::u16string_view password) {
    std::vector<std::uint8_t> stored;
    for (char16_t unit : password.substr(0, std::min(password.size(), kPasswordUnits))) {
        char16_t encoded = Flip(unit);
        stored.push_back(static_cast<std::uint8_t>(encoded));
        stored.push_back(static_cast<std::uint8_t>(encoded >> 8));
    }
    return stored;
}

std::u16string DecodePassword(const std::vector<std::uint8_t>& stored) {
    std::u16string password;
    for (std::size_t i = 0; i + 1 < stored.size() && password.size() < kPasswordUnits; i += 2) {
        password.push_back(Flip(static_cast<char16_t>(stored[i] | (stored[i + 1] << 8))));
    }
    return password;
}

std::string Rot13(std::string_view text) {
    std::string rotated(text);
    for (char& c : rotated) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>('A' + (c - 'A' + 13) % 26);
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>('a' + (c - 'a' + 13) % 26);
        }
    }
    return rotated;
}

std::string EncodeLegacyPassword(std::string_view narrow) {
    std::string stored;
    for (char c : narrow) {
        unsigned char byte = static_cast<unsigned char>(c);
        stored.push_back(
            byte == kLegacyMask || byte == 0 ? c : static_cast<char>((byte & 0x7F) ^ kLegacyMask));
    }
    return stored;
}

std::string DecodeLegacyPassword(std::string_view stored) {
    std::string narrow;
    for (char c : stored) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte == 0) {
            break;
        }
        narrow.push_back(byte == kLegacyMask ? c : static_cast<char>(byte ^ kLegacyMask));
    }
    return narrow;
}

}  // namespace cvprov
