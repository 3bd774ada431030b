// One command of cvlink: the program's own arguments, or one line of a
// response file whose first word stands in the program name's place.
#pragma once

#include <string>
#include <vector>

#include "cvlink/tool.h"

namespace cvlink {

void Dispatch(Tool& tool, const std::vector<std::u16string>& words);

}  // namespace cvlink
