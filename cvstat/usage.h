// The usage text and the banner of cvstat.
#pragma once

#include "cvstat/tool.h"

namespace cvstat {

void PrintUsage(const Tool& tool);

// cvstat's banner starts on a line of its own.
void PrintCvstatBanner(const Tool& tool);

}  // namespace cvstat
