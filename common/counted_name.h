// Counted names: a u16 length in bytes, then UTF-16 characters without a
// terminator, in a field of fixed capacity. Every redirector record holds
// its texts this way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace cvn {

struct CountedNameField {
    std::size_t offset;
    std::size_t capacity;  // characters
    constexpr std::size_t bytes() const { return 2 + 2 * capacity; }
    constexpr std::size_t end() const { return offset + bytes(); }
};

// The text of a field. A length beyond the capacity is cut to it, so a
// record that came back damaged never reads outside its field.
std::u16string CountedNameText(const win32::ByteView& record, CountedNameField field);

// Stores `text` (null: an empty name) and returns the number of characters
// stored; characters beyond the capacity are dropped.
int CopyCountedName(const char16_t* text, win32::ByteView record, CountedNameField field);
int CopyCountedName(std::u16string_view text, win32::ByteView record, CountedNameField field);

// 1 when both names have the same length and the same characters (ignoring
// case when `ignore_case` is set, byte for byte otherwise), else 0.
int CompareCountedNames(const win32::ByteView& a, CountedNameField field_a,
                        const win32::ByteView& b, CountedNameField field_b, bool ignore_case);

}  // namespace cvn
