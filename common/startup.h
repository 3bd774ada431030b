// The start-up every tool shares: platform check, message catalog, the
// tool's keyword texts, the program name.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace cvn {

struct ToolStart {
    std::vector<std::u16string> arguments;  // argv as UTF-16, the program's own name first
    std::vector<std::u16string> keywords;   // catalog texts, in the order asked for
    std::u16string program_name;            // file part of argv[0]'s full path
};

// Runs the start-up steps. Nullopt means the tool must end now with exit
// status 0: the platform is not served (nothing is printed), or no message
// library could be loaded (its name and the system's reason are printed).
std::optional<ToolStart> StartTool(int argc, char** argv,
                                   std::initializer_list<win32::UINT> keyword_ids);

// Releases the catalog and flushes standard output; returns `exit_status`.
int EndTool(int exit_status);

// A catalog text as a string ("" when missing).
std::u16string CatalogText(win32::UINT id);

}  // namespace cvn
