// The list of mounts: every connection the redirector knows, in its order.
#pragma once

#include "common/records.h"

namespace cvlink {

// One line: a line end, "   X:       " or twelve blanks, "\\host\path".
void PrintMountLine(const cvn::MountEntry& entry);

// cvlink without arguments.
void ListMounts();

}  // namespace cvlink
