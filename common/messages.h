// Printing catalog texts, system texts and the banner.
#pragma once

#include <string_view>

#include "common/console.h"
#include "platform/format.h"
#include "platform/types.h"

namespace cvn {

// Labels of a listing are followed by a blank and periods up to this column,
// so the values printed next line up.
inline constexpr int kLeaderColumn = 46;

// Prints catalog text `id`; with `leader` 1 a blank and the dot leader
// follow. A missing text prints nothing at all.
void PrintMessage(win32::UINT id, int leader, Channel channel = Channel::Output);

// Prints the catalog text `id` used as a printf format with `args`.
void PrintMessageFormat(win32::UINT id, win32::FormatArgs args);

// Prints the system's text for a Win32 code, with its own line end; nothing
// when the system has no text for it. Code 0 prints the success text.
void PrintSystemMessage(win32::DWORD code, Channel channel = Channel::Output);

// "<program> - <product> <version word> <version>" and the notice line, each
// ended by a line end.
void PrintBanner(std::u16string_view program_name);

// Product name and version shown by the banner.
inline constexpr std::u16string_view kProductName = u"Corvane NT NFS Client";
inline constexpr std::u16string_view kProductVersion = u"3.0";

}  // namespace cvn
