// The long listing line of one file: short name, type and permissions,
// owner and group, size, date and time of the last write, long name.
#pragma once

#include <string_view>

#include "common/file_wrappers.h"

namespace cvperm {

// `path` is the file's full path, from which its attributes are read again.
// The names, size and time come from the find data, read in the layout of
// the platform's code path: wide on Windows NT, narrow on Windows 95.
void PrintListingLine(const cvn::FindRecord& found, std::u16string_view path);

}  // namespace cvperm
