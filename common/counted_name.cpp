#include "common/counted_name.h"

#include <algorithm>

#include "platform/case_fold.h"

namespace cvn {

namespace {

std::size_t StoredChars(const win32::ByteView& record, CountedNameField field) {
    return std::min<std::size_t>(record.U16(field.offset) / 2, field.capacity);
}

}  // namespace

std::u16string CountedNameText(const win32::ByteView& record, CountedNameField field) {
    return record.Chars(field.offset + 2, StoredChars(record, field));
}

int CopyCountedName(std::u16string_view text, win32::ByteView record, CountedNameField field) {
    std::u16string_view stored = text.substr(0, std::min(text.size(), field.capacity));
    record.SetU16(field.offset, static_cast<std::uint16_t>(stored.size() * 2));
    record.SetChars(field.offset + 2, stored);
    return static_cast<int>(stored.size());
}

int CopyCountedName(const char16_t* text, win32::ByteView record, CountedNameField field) {
    return CopyCountedName(text != nullptr ? std::u16string_view(text) : std::u16string_view(),
                           record, field);
}

int CompareCountedNames(const win32::ByteView& a, CountedNameField field_a,
                        const win32::ByteView& b, CountedNameField field_b, bool ignore_case) {
    if (a.U16(field_a.offset) != b.U16(field_b.offset)) {
        return 0;
    }
    std::u16string left = CountedNameText(a, field_a);
    std::u16string right = CountedNameText(b, field_b);
    if (ignore_case) {
        return win32::FileNamesEqual(left, right) ? 1 : 0;
    }
    return left == right ? 1 : 0;
}

}  // namespace cvn
