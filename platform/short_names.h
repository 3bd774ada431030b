// 8.3 short names for the find functions.
//
// A host file system keeps no short names, so they are made up the way the
// platform makes them when a file is created: a name that already fits 8.3
// has none; any other gets up to six characters of its base, "~N" and up to
// three of its extension, upper-cased, with characters that 8.3 names cannot
// hold turned into '_'. N counts the names of the directory, in listing
// order, that share the same stem and extension.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

bool IsValidShortName(std::u16string_view name);

// Short names for one directory's names, in the order given; an entry is
// empty when the name needs none.
std::vector<std::u16string> MakeShortNames(const std::vector<std::u16string>& names);

}  // namespace win32
