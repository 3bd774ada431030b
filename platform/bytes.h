// Little-endian fields of fixed byte records.
//
// Records exchanged with the redirector or stored on disk are read and
// written at explicit offsets, never by casting a structure onto the bytes.
// Every access is checked against the record's size: an access past the end
// reads zero and writes nothing, so a short or hostile buffer can never be
// over-run, and `ok()` tells the caller that something did not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

using Bytes = std::vector<std::uint8_t>;

class ByteView {
public:
    ByteView() = default;
    ByteView(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteView(std::span<std::uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}

    std::size_t size() const { return size_; }
    std::uint8_t* data() const { return data_; }
    bool ok() const { return ok_; }
    bool Fits(std::size_t offset, std::size_t width) const {
        return offset <= size_ && width <= size_ - offset;
    }

    std::uint8_t U8(std::size_t offset) const { return static_cast<std::uint8_t>(Get(offset, 1)); }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(Get(offset, 2));
    }
    std::uint32_t U32(std::size_t offset) const {
        return static_cast<std::uint32_t>(Get(offset, 4));
    }
    std::uint64_t U64(std::size_t offset) const { return Get(offset, 8); }

    void SetU8(std::size_t offset, std::uint8_t value) { Put(offset, 1, value); }
    void SetU16(std::size_t offset, std::uint16_t value) { Put(offset, 2, value); }
    void SetU32(std::size_t offset, std::uint32_t value) { Put(offset, 4, value); }
    void SetU64(std::size_t offset, std::uint64_t value) { Put(offset, 8, value); }

    // UTF-16 little-endian characters, `count` of them.
    std::u16string Chars(std::size_t offset, std::size_t count) const {
        std::u16string text;
        // A count so large that its byte size wraps around would pass the
        // bounds check and then ask for a string of that many characters.
        if (count > size_ / 2 || !Fits(offset, count * 2)) {
            ok_ = false;
            return text;
        }
        text.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            text.push_back(static_cast<char16_t>(Get(offset + 2 * i, 2)));
        }
        return text;
    }
    void SetChars(std::size_t offset, std::u16string_view text) {
        if (!Fits(offset, text.size() * 2)) {
            ok_ = false;
            return;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            Put(offset + 2 * i, 2, text[i]);
        }
    }

    void Fill(std::size_t offset, std::size_t width, std::uint8_t value) {
        if (!Fits(offset, width)) {
            ok_ = false;
            return;
        }
        std::memset(data_ + offset, value, width);
    }

private:
    std::uint64_t Get(std::size_t offset, std::size_t width) const {
        if (!Fits(offset, width)) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = width; i-- > 0;) {
            value = (value << 8) | data_[offset + i];
        }
        return value;
    }
    void Put(std::size_t offset, std::size_t width, std::uint64_t value) {
        if (!Fits(offset, width)) {
            ok_ = false;
            return;
        }
        for (std::size_t i = 0; i < width; ++i) {
            data_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    mutable bool ok_ = true;
};

// Builds a message of little-endian fields front to back.
class ByteWriter {
public:
    void U32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void Raw(std::span<const std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    void Text(std::u16string_view text) {
        U32(static_cast<std::uint32_t>(text.size() * 2));
        for (char16_t c : text) {
            bytes_.push_back(static_cast<std::uint8_t>(c));
            bytes_.push_back(static_cast<std::uint8_t>(c >> 8));
        }
    }
    const Bytes& bytes() const { return bytes_; }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// Reads a message of little-endian fields front to back; any read past the
// end fails the reader for good.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    std::uint32_t U32() {
        if (!Have(4)) {
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | bytes_[pos_ + static_cast<std::size_t>(i)];
        }
        pos_ += 4;
        return value;
    }
    std::span<const std::uint8_t> Raw(std::size_t count) {
        if (!Have(count)) {
            return {};
        }
        std::span<const std::uint8_t> slice = bytes_.subspan(pos_, count);
        pos_ += count;
        return slice;
    }
    // A byte count, then that many bytes of UTF-16; refused when odd or
    // longer than `max_chars` characters.
    std::u16string Text(std::size_t max_chars) {
        std::uint32_t byte_count = U32();
        if (!ok_ || byte_count % 2 != 0 || byte_count / 2 > max_chars) {
            ok_ = false;
            return {};
        }
        std::span<const std::uint8_t> raw = Raw(byte_count);
        std::u16string text;
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
            text.push_back(static_cast<char16_t>(raw[i] | (raw[i + 1] << 8)));
        }
        return text;
    }

private:
    bool Have(std::size_t count) {
        if (!ok_ || count > bytes_.size() - pos_) {
            ok_ = false;
            return false;
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace win32
