#pragma once

#include "cvlink/tool.h"

namespace cvlink {

void PrintUsage(const Tool& tool);

}  // namespace cvlink
