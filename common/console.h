// Console output of the tools: what the runtime's printf family did.
#pragma once

#include <string_view>

#include "platform/format.h"

namespace cvn {

// Standard output, or standard error for notes and failures that must not
// mix with data written to standard output.
enum class Channel { Output, Error };

// wprintf("%s", text) and printf("%s", text).
void PrintText(std::u16string_view text, Channel channel = Channel::Output);
void PrintAnsiText(std::string_view text, Channel channel = Channel::Output);

// wprintf(format, ...). A format whose conversions do not match the
// arguments is printed as it stands instead: formats may come from a catalog
// that a translator wrote, and a tool must never fail on one.
void PrintFormat(std::u16string_view format, win32::FormatArgs args,
                 Channel channel = Channel::Output);

// Flushes standard output; false when it could not be written.
bool FlushOutput();

}  // namespace cvn
