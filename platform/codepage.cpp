#include "platform/codepage.h"

#include <array>
#include <cstring>
#include <optional>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/utf8.h"

namespace win32 {

namespace {

constexpr char16_t kUndefined = 0xFFFF;

// Bytes 0x80 to 0x9F of Windows-1252; 0xA0 to 0xFF equal their code points.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178};

// The undefined bytes still round-trip as the C1 control of the same value
// when the caller does not ask for strict conversion, as the platform does.
char16_t DecodeAnsi(unsigned char byte, bool* defined) {
    *defined = true;
    if (byte < 0x80 || byte >= 0xA0) {
        return byte;
    }
    char16_t mapped = kHighControls[byte - 0x80];
    if (mapped == kUndefined) {
        *defined = false;
        return byte;
    }
    return mapped;
}

std::optional<unsigned char> EncodeAnsi(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        return static_cast<unsigned char>(ch);
    }
    for (unsigned i = 0; i < kHighControls.size(); ++i) {
        char16_t mapped = kHighControls[i];
        if (mapped == ch || (mapped == kUndefined && ch == 0x80 + i)) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// Precomposed letters of Windows-1252 and their canonical decompositions, for
// WC_COMPOSITECHECK: a base letter followed by a nonspacing mark is turned
// into the precomposed letter when the code page has one.
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};

constexpr Composition kCompositions[] = {
    {u'A', 0x300, 0xC0},  {u'A', 0x301, 0xC1},  {u'A', 0x302, 0xC2},  {u'A', 0x303, 0xC3},
    {u'A', 0x308, 0xC4},  {u'A', 0x30A, 0xC5},  {u'C', 0x327, 0xC7},  {u'E', 0x300, 0xC8},
    {u'E', 0x301, 0xC9},  {u'E', 0x302, 0xCA},  {u'E', 0x308, 0xCB},  {u'I', 0x300, 0xCC},
    {u'I', 0x301, 0xCD},  {u'I', 0x302, 0xCE},  {u'I', 0x308, 0xCF},  {u'N', 0x303, 0xD1},
    {u'O', 0x300, 0xD2},  {u'O', 0x301, 0xD3},  {u'O', 0x302, 0xD4},  {u'O', 0x303, 0xD5},
    {u'O', 0x308, 0xD6},  {u'U', 0x300, 0xD9},  {u'U', 0x301, 0xDA},  {u'U', 0x302, 0xDB},
    {u'U', 0x308, 0xDC},  {u'Y', 0x301, 0xDD},  {u'a', 0x300, 0xE0},  {u'a', 0x301, 0xE1},
    {u'a', 0x302, 0xE2},  {u'a', 0x303, 0xE3},  {u'a', 0x308, 0xE4},  {u'a', 0x30A, 0xE5},
    {u'c', 0x327, 0xE7},  {u'e', 0x300, 0xE8},  {u'e', 0x301, 0xE9},  {u'e', 0x302, 0xEA},
    {u'e', 0x308, 0xEB},  {u'i', 0x300, 0xEC},  {u'i', 0x301, 0xED},  {u'i', 0x302, 0xEE},
    {u'i', 0x308, 0xEF},  {u'n', 0x303, 0xF1},  {u'o', 0x300, 0xF2},  {u'o', 0x301, 0xF3},
    {u'o', 0x302, 0xF4},  {u'o', 0x303, 0xF5},  {u'o', 0x308, 0xF6},  {u'u', 0x300, 0xF9},
    {u'u', 0x301, 0xFA},  {u'u', 0x302, 0xFB},  {u'u', 0x308, 0xFC},  {u'y', 0x301, 0xFD},
    {u'y', 0x308, 0xFF},  {u'S', 0x30C, 0x160}, {u's', 0x30C, 0x161}, {u'Y', 0x308, 0x178},
    {u'Z', 0x30C, 0x17D}, {u'z', 0x30C, 0x17E},
};

bool IsNonspacingMark(char32_t ch) {
    return ch >= 0x300 && ch <= 0x36F;
}

std::optional<char16_t> Compose(char32_t base, char32_t mark) {
    for (const auto& c : kCompositions) {
        if (c.base == base && c.mark == mark) {
            return c.composed;
        }
    }
    return std::nullopt;
}

// Collects output and enforces the caller's size the way the platform does:
// size 0 only measures; otherwise running past the size fails the call.
template <typename Unit>
class Sink {
public:
    Sink(Unit* output, int size) : output_(output), size_(size) {}
    void Put(Unit unit) {
        if (size_ != 0 && count_ < size_) {
            output_[count_] = unit;
        }
        ++count_;
    }
    // Returns the result of the conversion call.
    int Finish() {
        if (size_ != 0 && count_ > size_) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        return count_;
    }

private:
    Unit* output_;
    int size_;
    int count_ = 0;
};

bool IsAnsi(UINT code_page) {
    return code_page == CP_ACP || code_page == CP_THREAD_ACP || code_page == CP_WINDOWS_1252;
}

int Fail(DWORD code) {
    SetLastError(code);
    return 0;
}

void PutUtf16(Sink<char16_t>& sink, char32_t ch) {
    std::u16string units;
    utf8::AppendUtf16(units, ch);
    for (char16_t unit : units) {
        sink.Put(unit);
    }
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR source, int source_length,
                        LPWSTR output, int output_size) {
    if (source == nullptr || source_length == 0 || source_length < -1 || output_size < 0 ||
        (output_size > 0 && output == nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const size_t length =
        source_length == -1 ? std::strlen(source) + 1 : static_cast<size_t>(source_length);
    const auto* bytes = reinterpret_cast<const unsigned char*>(source);
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    Sink<char16_t> sink(output, output_size);

    if (IsAnsi(code_page)) {
        constexpr DWORD kAllowed =
            MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
        if ((flags & ~kAllowed) != 0 || ((flags & MB_PRECOMPOSED) && (flags & MB_COMPOSITE))) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        for (size_t i = 0; i < length; ++i) {
            bool defined;
            char16_t ch = DecodeAnsi(bytes[i], &defined);
            if (!defined && strict) {
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
            }
            sink.Put(ch);
        }
        return sink.Finish();
    }
    if (code_page == CP_UTF8) {
        if ((flags & ~MB_ERR_INVALID_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        const std::string_view text(source, length);
        for (size_t i = 0; i < length;) {
            char32_t ch = 0xFFFD;
            size_t used = utf8::Decode(text, i, &ch);
            if (used == 0 && strict) {
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
            }
            i += used == 0 ? 1 : used;
            PutUtf16(sink, ch);
        }
        return sink.Finish();
    }
    return Fail(ERROR_INVALID_PARAMETER);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR source, int source_length,
                        LPSTR output, int output_size, LPCSTR default_char,
                        BOOL* used_default_char) {
    if (source == nullptr || source_length == 0 || source_length < -1 || output_size < 0 ||
        (output_size > 0 && output == nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    size_t length;
    if (source_length == -1) {
        length = std::char_traits<char16_t>::length(source) + 1;
    } else {
        length = static_cast<size_t>(source_length);
    }
    Sink<char> sink(output, output_size);

    if (code_page == CP_UTF8) {
        if ((flags & ~WC_ERR_INVALID_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        if (default_char != nullptr || used_default_char != nullptr) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        const std::u16string_view text(source, length);
        std::string encoded;
        for (size_t i = 0; i < length;) {
            char32_t ch = utf8::NextFromUtf16(text, &i);
            if (utf8::IsSurrogate(ch)) {
                if (flags & WC_ERR_INVALID_CHARS) {
                    return Fail(ERROR_NO_UNICODE_TRANSLATION);
                }
                ch = 0xFFFD;
            }
            utf8::Append(encoded, ch);
        }
        for (char byte : encoded) {
            sink.Put(byte);
        }
        return sink.Finish();
    }
    if (!IsAnsi(code_page)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    constexpr DWORD kCompositeModes = WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;
    constexpr DWORD kAllowed = kCompositeModes | WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS;
    const DWORD mode = flags & kCompositeModes;
    if ((flags & ~kAllowed) != 0 || (mode != 0 && (mode & (mode - 1)) != 0) ||
        (mode != 0 && !(flags & WC_COMPOSITECHECK))) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const char fallback = default_char != nullptr ? *default_char : '?';
    bool used_default = false;
    auto put_or_default = [&](char32_t ch) {
        if (std::optional<unsigned char> byte = EncodeAnsi(ch)) {
            sink.Put(static_cast<char>(*byte));
        } else {
            sink.Put(fallback);
            used_default = true;
        }
    };

    const std::u16string_view text(source, length);
    for (size_t i = 0; i < length;) {
        char32_t ch = utf8::NextFromUtf16(text, &i);
        if ((flags & WC_COMPOSITECHECK) && i < length && IsNonspacingMark(source[i])) {
            char32_t mark = source[i];
            if (std::optional<char16_t> composed = Compose(ch, mark)) {
                ++i;
                put_or_default(*composed);
                continue;
            }
            if (mode == WC_DEFAULTCHAR) {
                ++i;
                sink.Put(fallback);
                used_default = true;
                continue;
            }
            if (mode == WC_DISCARDNS) {
                ++i;
                put_or_default(ch);
                continue;
            }
            // WC_SEPCHARS, the default: base and mark are converted apart.
        }
        put_or_default(ch);
    }
    if (used_default_char != nullptr) {
        *used_default_char = used_default ? TRUE : FALSE;
    }
    return sink.Finish();
}

BOOL GetCPInfo(UINT code_page, CPINFO* info) {
    if (info == nullptr || (!IsAnsi(code_page) && code_page != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *info = CPINFO{};
    info->MaxCharSize = code_page == CP_UTF8 ? 4 : 1;
    info->DefaultChar[0] = '?';
    return TRUE;
}

std::u16string AnsiToWide(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (unsigned char byte : text) {
        bool defined;
        wide.push_back(DecodeAnsi(byte, &defined));
    }
    return wide;
}

std::string WideToAnsi(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                        nullptr, nullptr);
    return narrow;
}

}  // namespace win32
