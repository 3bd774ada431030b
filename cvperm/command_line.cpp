#include "cvperm/command_line.h"

#include <string>

#include "platform/case_fold.h"

namespace cvperm {

namespace {

std::u16string Lower(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 0x20);
        }
    }
    return lower;
}

bool IsKeyword(std::u16string_view word, const std::u16string& keyword) {
    return !keyword.empty() && win32::wcsicmp(word, keyword) == 0;
}

}  // namespace

bool IsBannerKeyword(const Tool& tool, std::u16string_view argument) {
    if (argument.empty()) {
        return false;
    }
    const std::u16string_view word = argument.substr(1);
    return IsKeyword(word, tool.banner_keyword) || IsKeyword(word, tool.banner_keyword2);
}

Option ParseOption(const Tool& tool, std::u16string_view argument) {
    if (argument.empty() || argument.size() - 1 > kMaxOptionText || tool.ask_letter.empty() ||
        tool.list_letter.empty()) {
        return Option::kUnknown;
    }
    const std::u16string text = Lower(argument.substr(1));
    if (text == tool.ask_letter) {
        return Option::kAsk;
    }
    if (text == tool.list_letter) {
        return Option::kList;
    }
    if (text == tool.ask_letter + tool.list_letter || text == tool.list_letter + tool.ask_letter) {
        return Option::kAskAndList;
    }
    return Option::kUnknown;
}

}  // namespace cvperm
