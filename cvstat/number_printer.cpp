#include "cvstat/number_printer.h"

#include <vector>

#include "common/console.h"

namespace cvstat {

std::u16string GroupedNumber(std::uint64_t value) {
    if (value == 0) {
        return u"0";
    }
    std::vector<unsigned> groups;  // lowest group first
    while (value >= 1000) {
        groups.push_back(static_cast<unsigned>(value % 1000));
        value /= 1000;
    }
    groups.push_back(static_cast<unsigned>(value));
    std::u16string text;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        if (!text.empty()) {
            text += u',';
        }
        text += static_cast<char16_t>(u'0' + *group / 100);
        text += static_cast<char16_t>(u'0' + *group / 10 % 10);
        text += static_cast<char16_t>(u'0' + *group % 10);
    }
    return text;
}

void PrintNumber(std::uint64_t value) {
    cvn::PrintText(GroupedNumber(value) + u"\n");
}

}  // namespace cvstat
