// The words of cvperm's command line: the banner keywords and the option.
#pragma once

#include <string_view>

#include "cvperm/tool.h"

namespace cvperm {

// The longest option text, the '-' not counted.
inline constexpr std::size_t kMaxOptionText = 25;

// An argument whose text after its first character is one of the banner
// keywords, in any case ("-v", "/VERSION").
bool IsBannerKeyword(const Tool& tool, std::u16string_view argument);

// The option of an argument that starts with '-': the ask letter, the list
// letter, or both in either order, in any case; anything else is kUnknown.
Option ParseOption(const Tool& tool, std::u16string_view argument);

}  // namespace cvperm
