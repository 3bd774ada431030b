#include "cvprov/options.h"

#include <algorithm>
#include <cstring>

namespace cvprov {

namespace {

constexpr OptionRow kOptions[] = {
#include "cvprov/option_table.inc"
};

std::uint32_t FieldMask(const OptionRow& row) {
    const int bits = row.kind == OptionKind::Flag ? 1 : row.bits;
    return bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
}

}  // namespace

std::span<const OptionRow> OptionTable() {
    return kOptions;
}

const OptionRow* FindOption(std::string_view name) {
    for (const OptionRow& row : kOptions) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

std::uint32_t Clamp(const OptionRow& row, std::uint32_t value) {
    if (row.kind == OptionKind::Flag) {
        return value & 1u;
    }
    return std::clamp(value, row.minimum, row.maximum);
}

std::uint32_t GetNumber(const cvn::MountEntry& record, const OptionRow& row) {
    return (record.view().U32(row.offset) >> row.shift) & FieldMask(row);
}

void SetNumber(cvn::MountEntry& record, const OptionRow& row, std::uint32_t value) {
    const std::uint32_t mask = FieldMask(row) << row.shift;
    const std::uint32_t word = record.view().U32(row.offset);
    record.view().SetU32(row.offset, (word & ~mask) | ((Clamp(row, value) << row.shift) & mask));
}

void FreshRecord(cvn::MountEntry& record) {
    std::memset(record.data(), 0, record.size());
    // The initializer sets every default the redirector's record has; the
    // device word keeps a device code of 0 and the confirmation bit clear.
    record.Initialize();
}

void ApplyCaseRule(cvn::MountEntry& record) {
    const OptionRow& open = *FindOption("CaseOnOpen");
    const OptionRow& create = *FindOption("CaseOnCreate");
    const std::uint32_t on_open = GetNumber(record, open);
    if (on_open <= 2) {
        SetNumber(record, create, on_open);
    } else if (GetNumber(record, create) == 0) {
        SetNumber(record, open, 0);
    }
}

}  // namespace cvprov
