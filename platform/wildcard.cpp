#include "platform/wildcard.h"

#include "platform/case_fold.h"

namespace win32 {

bool HasWildcards(std::u16string_view pattern) {
    return pattern.find_first_of(u"*?") != std::u16string_view::npos;
}

bool MatchesFilePattern(std::u16string_view pattern, std::u16string_view name) {
    if (pattern == u"*.*") {
        pattern = u"*";
    }
    // A final '.' in the pattern stands for "no extension": "*." matches the
    // names without a dot, and "readme." matches "readme".
    if (pattern.size() > 1 && pattern.back() == u'.' &&
        name.find(u'.') == std::u16string_view::npos) {
        pattern.remove_suffix(1);
    }
    // Greedy match with one back-tracking point: the last '*' seen.
    size_t p = 0;
    size_t n = 0;
    size_t star = std::u16string_view::npos;
    size_t star_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            star_name = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || FileNameUpper(pattern[p]) == FileNameUpper(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace win32
