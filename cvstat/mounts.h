// The mounts in detail: every mount the redirector knows, or the drives and
// remote names given, with a key press awaited between two of them.
#pragma once

#include <string>
#include <vector>

namespace cvstat {

// Every mount, in the redirector's order.
void ShowAllMounts();

// The mounts named by `names` ("X:", "X" or "\\host\path"), in their order;
// a name that is malformed or not mounted is reported and skipped.
void ShowNamedMounts(const std::vector<std::u16string>& names);

}  // namespace cvstat
