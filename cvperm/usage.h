// The usage text of cvperm.
#pragma once

#include <string_view>

namespace cvperm {

void PrintUsage(std::u16string_view program_name);

}  // namespace cvperm
