// The UTF-8 codec shared by the code-page conversions and the host texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace win32::utf8 {

// Decodes the sequence at text[pos]. Returns its length in bytes, or 0 when it
// is malformed (overlong, truncated, a surrogate or beyond U+10FFFF).
std::size_t Decode(std::string_view text, std::size_t pos, char32_t* code_point);

// Appends the code point; surrogates are written in the generalized form.
void Append(std::string& out, char32_t code_point);

// Appends the code point to UTF-16 text, as a surrogate pair above U+FFFF.
void AppendUtf16(std::u16string& out, char32_t code_point);

// Reads one code point from UTF-16 at text[*pos]; a lone surrogate comes back
// as itself.
char32_t NextFromUtf16(std::u16string_view text, std::size_t* pos);

inline bool IsSurrogate(char32_t ch) {
    return ch >= 0xD800 && ch <= 0xDFFF;
}

}  // namespace win32::utf8
