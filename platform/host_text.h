// Text that crosses into the host: file names, command-line arguments,
// environment values and the console, all UTF-8 on the host.
//
// Host names may hold bytes that are not UTF-8. Such a byte B becomes the lone
// surrogate U+DC00+B in UTF-16 and turns back into B on the way out, so every
// host name survives the round trip through the system's UTF-16 strings.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

std::u16string HostToWide(std::string_view host_text);

// For names: escaped bytes are restored; any other lone surrogate is written
// in the generalized UTF-8 form so that nothing is lost.
std::string WideToHost(std::u16string_view text);

// For display: escaped bytes and lone surrogates become U+FFFD.
std::string WideToDisplay(std::u16string_view text);

// Narrow text in the ANSI code page to UTF-8 for display.
std::string AnsiToDisplay(std::string_view ansi_text);

}  // namespace win32
