// cvlink @file: the lines of a response file, each run as a command line.
#pragma once

#include <string>

#include "cvlink/tool.h"

namespace cvlink {

void RunResponseFile(Tool& tool, const std::u16string& file_name);

}  // namespace cvlink
