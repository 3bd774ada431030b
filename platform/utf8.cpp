#include "platform/utf8.h"

namespace win32::utf8 {

std::size_t Decode(std::string_view text, std::size_t pos, char32_t* code_point) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t extra;
    char32_t ch;
    char32_t minimum;
    if (lead < 0x80) {
        *code_point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, ch = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, ch = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, ch = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos <= extra) {
        return 0;
    }
    for (std::size_t i = 1; i <= extra; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return 0;
        }
        ch = (ch << 6) | (byte(pos + i) & 0x3F);
    }
    if (ch < minimum || ch > 0x10FFFF || IsSurrogate(ch)) {
        return 0;
    }
    *code_point = ch;
    return extra + 1;
}

void Append(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t ch) {
    if (ch >= 0x10000) {
        ch -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (ch >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (ch & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(ch));
    }
}

char32_t NextFromUtf16(std::u16string_view text, std::size_t* pos) {
    char32_t ch = text[(*pos)++];
    if (ch >= 0xD800 && ch <= 0xDBFF && *pos < text.size() && text[*pos] >= 0xDC00 &&
        text[*pos] <= 0xDFFF) {
        ch = 0x10000 + ((ch - 0xD800) << 10) + (text[(*pos)++] - 0xDC00);
    }
    return ch;
}

}  // namespace win32::utf8
