#include "platform/host_text.h"

#include "platform/codepage.h"
#include "platform/utf8.h"

namespace win32 {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(char32_t ch) {
    return ch >= 0xDC80 && ch <= 0xDCFF;
}

template <typename OnLoneSurrogate>
std::string EncodeWide(std::u16string_view text, OnLoneSurrogate on_lone) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t ch = utf8::NextFromUtf16(text, &i);
        if (utf8::IsSurrogate(ch)) {
            on_lone(out, ch);
        } else {
            utf8::Append(out, ch);
        }
    }
    return out;
}

}  // namespace

std::u16string HostToWide(std::string_view host_text) {
    std::u16string out;
    out.reserve(host_text.size());
    for (size_t pos = 0; pos < host_text.size();) {
        char32_t ch;
        size_t length = utf8::Decode(host_text, pos, &ch);
        if (length == 0) {
            out.push_back(
                static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(host_text[pos])));
            ++pos;
            continue;
        }
        utf8::AppendUtf16(out, ch);
        pos += length;
    }
    return out;
}

std::string WideToHost(std::u16string_view text) {
    return EncodeWide(text, [](std::string& out, char32_t ch) {
        if (IsEscapedByte(ch)) {
            out.push_back(static_cast<char>(ch - kEscapeBase));
        } else {
            utf8::Append(out, ch);
        }
    });
}

std::string WideToDisplay(std::u16string_view text) {
    return EncodeWide(text, [](std::string& out, char32_t) { utf8::Append(out, 0xFFFD); });
}

std::string AnsiToDisplay(std::string_view ansi_text) {
    return WideToDisplay(AnsiToWide(ansi_text));
}

}  // namespace win32
