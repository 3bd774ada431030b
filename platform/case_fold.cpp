#include "platform/case_fold.h"

#include <algorithm>

namespace win32 {

char16_t FileNameUpper(char16_t c) {
    if (c >= u'a' && c <= u'z') {
        return c - 0x20;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {  // Latin-1 letters, not the division sign
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A: capital at the even code point, small at the odd one,
    // except 0x130 to 0x13F and 0x149 to 0x178 which start on odd points.
    if (c >= 0x100 && c <= 0x17F && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool odd_start = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool is_small = odd_start ? (c % 2 == 0) : (c % 2 == 1);
        if (is_small) {
            return c - 1;
        }
    }
    return c;
}

int CompareFileNames(std::u16string_view a, std::u16string_view b) {
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char16_t x = FileNameUpper(a[i]);
        char16_t y = FileNameUpper(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool FileNamesEqual(std::u16string_view a, std::u16string_view b) {
    return CompareFileNames(a, b) == 0;
}

int wcsicmp(std::u16string_view a, std::u16string_view b) {
    auto lower = [](char16_t c) -> int { return (c >= u'A' && c <= u'Z') ? c + 0x20 : c; };
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        int diff = lower(a[i]) - lower(b[i]);
        if (diff != 0) {
            return diff;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -lower(b[common]) : lower(a[common]);
}

}  // namespace win32
