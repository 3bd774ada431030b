// Conversions at the narrow (Windows 95) API boundary. Names handed to a
// narrow call go through a 260-byte buffer; texts coming back are converted
// strictly, so a byte the code page leaves undefined fails the conversion.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/types.h"

namespace cvn {

inline constexpr std::size_t kNameBufferSize = 260;

// False, with the last error of the conversion, when the name does not fit.
bool ToAnsiName(std::u16string_view name, char (&buffer)[kNameBufferSize]);

// Converts `text` (NUL-terminated) into `buffer` of `size` characters; the
// result counts the characters stored with the terminator, 0 on failure.
int FromAnsiText(const char* text, char16_t* buffer, int size);

}  // namespace cvn
