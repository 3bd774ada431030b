// The command-line forms of cvstat.
#pragma once

#include <string>
#include <vector>

#include "cvstat/tool.h"

namespace cvstat {

// Runs the form `arguments` names (the program's own name first) and returns
// the exit status: 0 for the banner and usage forms, 1 for the rest.
int Dispatch(const Tool& tool, const std::vector<std::u16string>& arguments);

}  // namespace cvstat
