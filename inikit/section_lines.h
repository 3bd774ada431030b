// Reading the lines of one section straight from a file in text mode.
#pragma once

#include <string>

#include "inikit/config_file.h"

namespace inikit {

SectionContents ReadSectionLines(const char* ansi_path, const std::string& section, bool any_case,
                                 bool normalise);

}  // namespace inikit
