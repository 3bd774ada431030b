// The table of connection options and the record operations it drives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/records.h"

namespace cvprov {

enum class OptionKind {
    Text,      // counted string of `capacity` characters at `offset`
    Password,  // counted string, stored encoded (password_codec.h)
    Flag,      // one bit of the word at `offset`
    Number,    // `bits` bits from `shift` of the word at `offset`
};

struct OptionRow {
    const char* name;
    OptionKind kind;
    std::size_t offset;
    int shift;
    int bits;
    std::size_t capacity;
    std::uint32_t default_value;
    std::uint32_t minimum;
    std::uint32_t maximum;
    const char* previous_name;  // the plain renames of the previous version
};

std::span<const OptionRow> OptionTable();
const OptionRow* FindOption(std::string_view name);

std::uint32_t Clamp(const OptionRow& row, std::uint32_t value);

// The number (or flag) a row holds in the record, and storing one (clamped
// for numbers, bit 0 for flags).
std::uint32_t GetNumber(const cvn::MountEntry& record, const OptionRow& row);
void SetNumber(cvn::MountEntry& record, const OptionRow& row, std::uint32_t value);

// Zeroes all 5088 bytes and applies the defaults.
void FreshRecord(cvn::MountEntry& record);

// CaseOnCreate made to agree with CaseOnOpen after a level has been read.
void ApplyCaseRule(cvn::MountEntry& record);

}  // namespace cvprov
