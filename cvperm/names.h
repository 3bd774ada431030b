// One name argument of the command line: every file it matches, in the
// order the directory search returns them.
#pragma once

#include <string_view>

#include "cvperm/tool.h"

namespace cvperm {

enum class NameOutcome {
    kDone,          // on to the next name
    kQuit,          // the user answered quit
    kSearchFailed,  // the search ended with an error of its own
};

// Wildcards are allowed in the last component; a name ending in a
// separator stands for everything in that directory. `tool.option` may
// change on the answer "all".
NameOutcome ProcessName(Tool& tool, std::u16string_view name);

}  // namespace cvperm
