#include "platform/format.h"

#include <cstdio>

#include "platform/codepage.h"

namespace win32 {

namespace {

enum class Length { None, Short, Char, Long, LongLong, Wide, Int32, Int64, Size, LongDouble };

struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool left = false;
    Length length = Length::None;
    char conversion = 0;
};

// Walks the arguments; every fetch checks that one is left.
class ArgCursor {
public:
    ArgCursor(const FormatArg* begin, const FormatArg* end) : it_(begin), end_(end) {}
    const FormatArg* Next() { return it_ == end_ ? nullptr : &*it_++; }

private:
    const FormatArg* it_;
    const FormatArg* end_;
};

int BitsOf(Length length) {
    switch (length) {
        case Length::Char:
            return 8;
        case Length::Short:
            return 16;
        case Length::LongLong:
        case Length::Int64:
        case Length::Size:
            return 64;
        default:
            return 32;  // int and long are 32 bits on the target system
    }
}

// No field is wider or more precise than this; a format asking for more is a
// mistake, and honouring it would build a string of gigabytes.
constexpr int kMaxField = 100000;

template <typename Char>
bool ParseNumber(std::basic_string_view<Char> format, size_t* pos, int* value) {
    int number = 0;
    bool any = false;
    while (*pos < format.size() && format[*pos] >= '0' && format[*pos] <= '9') {
        if (number > kMaxField) {
            return false;  // no field is that wide
        }
        number = number * 10 + (format[(*pos)++] - '0');
        any = true;
    }
    *value = number;
    return any;
}

// Reads a '*' width or precision from the arguments.
bool TakeStar(ArgCursor& args, int* value) {
    const FormatArg* arg = args.Next();
    if (arg == nullptr || !arg->is_integer()) {
        return false;
    }
    // Checked before narrowing: a negative width is negated later, which must
    // not overflow, and an unsigned argument must not turn into a small one.
    if (arg->kind() == FormatArg::Kind::Unsigned
            ? arg->as_unsigned() > kMaxField
            : (arg->as_signed() < -kMaxField || arg->as_signed() > kMaxField)) {
        return false;
    }
    *value = static_cast<int>(arg->as_signed());
    return true;
}

template <typename Char>
bool ParseLength(std::basic_string_view<Char> format, size_t* pos, Length* length) {
    auto at = [&](size_t offset) -> Char {
        return *pos + offset < format.size() ? format[*pos + offset] : Char(0);
    };
    switch (at(0)) {
        case 'h':
            *length = at(1) == 'h' ? Length::Char : Length::Short;
            *pos += at(1) == 'h' ? 2 : 1;
            return true;
        case 'l':
            *length = at(1) == 'l' ? Length::LongLong : Length::Long;
            *pos += at(1) == 'l' ? 2 : 1;
            return true;
        case 'w':
            *length = Length::Wide;
            ++*pos;
            return true;
        case 'L':
            *length = Length::LongDouble;
            ++*pos;
            return true;
        case 'z':
        case 'j':
        case 't':
            *length = Length::Size;
            ++*pos;
            return true;
        case 'I':
            if (at(1) == '6' && at(2) == '4') {
                *length = Length::Int64, *pos += 3;
            } else if (at(1) == '3' && at(2) == '2') {
                *length = Length::Int32, *pos += 3;
            } else {
                *length = Length::Size, *pos += 1;
            }
            return true;
        default:
            return true;
    }
}

template <typename Char>
bool IsFlag(Char c) {
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}

template <typename Char>
bool ParseSpec(std::basic_string_view<Char> format, size_t* pos, ArgCursor& args, Spec* spec) {
    while (*pos < format.size() && IsFlag(format[*pos])) {
        char flag = static_cast<char>(format[(*pos)++]);
        spec->left |= flag == '-';
        spec->flags += flag;
    }
    if (*pos < format.size() && format[*pos] == '*') {
        ++*pos;
        if (!TakeStar(args, &spec->width)) {
            return false;
        }
        if (spec->width < 0) {
            spec->left = true;
            spec->flags += '-';
            spec->width = -spec->width;
        }
    } else if (int width; ParseNumber(format, pos, &width)) {
        spec->width = width;
    }
    if (*pos < format.size() && format[*pos] == '.') {
        ++*pos;
        if (*pos < format.size() && format[*pos] == '*') {
            ++*pos;
            if (!TakeStar(args, &spec->precision)) {
                return false;
            }
        } else {
            ParseNumber(format, pos, &spec->precision);  // "." alone is precision 0
        }
    }
    if (!ParseLength(format, pos, &spec->length) || *pos >= format.size()) {
        return false;
    }
    Char conversion = format[(*pos)++];
    if (conversion > 0x7F) {
        return false;
    }
    spec->conversion = static_cast<char>(conversion);
    return true;
}

std::string CSpec(const Spec& spec, const char* length, char conversion) {
    std::string out = "%" + spec.flags;
    if (spec.width >= 0) {
        out += std::to_string(spec.width);
    }
    if (spec.precision >= 0) {
        out += "." + std::to_string(spec.precision);
    }
    return out + length + conversion;
}

template <typename... T>
std::string CFormat(const std::string& spec, T... value) {
    int size = std::snprintf(nullptr, 0, spec.c_str(), value...);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, spec.c_str(), value...);
    return out;
}

std::optional<std::string> FormatInteger(const Spec& spec, const FormatArg& arg) {
    if (!arg.is_integer()) {
        return std::nullopt;
    }
    const int bits = BitsOf(spec.length);
    const bool is_signed = spec.conversion == 'd' || spec.conversion == 'i';
    if (is_signed) {
        std::int64_t value = arg.as_signed();
        if (bits == 8)
            value = static_cast<std::int8_t>(value);
        if (bits == 16)
            value = static_cast<std::int16_t>(value);
        if (bits == 32)
            value = static_cast<std::int32_t>(value);
        return CFormat(CSpec(spec, "ll", spec.conversion), static_cast<long long>(value));
    }
    std::uint64_t value = arg.as_unsigned();
    if (bits < 64) {
        value &= (std::uint64_t{1} << bits) - 1;
    }
    return CFormat(CSpec(spec, "ll", spec.conversion), static_cast<unsigned long long>(value));
}

std::optional<std::string> FormatReal(const Spec& spec, const FormatArg& arg) {
    if (arg.kind() != FormatArg::Kind::Real) {
        return std::nullopt;
    }
    return CFormat(CSpec(spec, "", spec.conversion), arg.real());
}

std::optional<std::string> FormatPointer(const Spec& spec, const FormatArg& arg) {
    std::uint64_t value;
    if (arg.kind() == FormatArg::Kind::Pointer) {
        value = reinterpret_cast<std::uintptr_t>(arg.pointer());
    } else if (arg.is_integer()) {
        value = arg.as_unsigned();
    } else {
        return std::nullopt;
    }
    // The runtime prints a pointer as upper-case hex digits, full width.
    Spec digits = spec;
    digits.precision = static_cast<int>(sizeof(void*) * 2);
    return CFormat(CSpec(digits, "ll", 'X'), static_cast<unsigned long long>(value));
}

template <typename Char>
std::basic_string<Char> ToOutput(std::u16string_view wide);
template <>
std::u16string ToOutput<char16_t>(std::u16string_view wide) {
    return std::u16string(wide);
}
template <>
std::string ToOutput<char>(std::u16string_view wide) {
    return WideToAnsi(wide);
}

// The text of one string or character conversion, in the output's width.
template <typename Char>
std::optional<std::basic_string<Char>> TextOf(const Spec& spec, const FormatArg& arg, bool wide_arg,
                                              bool is_char) {
    std::u16string text;
    if (is_char) {
        if (!arg.is_integer()) {
            return std::nullopt;
        }
        if (wide_arg) {
            text.assign(1, static_cast<char16_t>(arg.as_unsigned()));
        } else {
            char byte = static_cast<char>(arg.as_unsigned());
            text = AnsiToWide(std::string_view(&byte, 1));
        }
    } else if (wide_arg && arg.kind() == FormatArg::Kind::WideText) {
        text = arg.wide() != nullptr ? std::u16string(arg.wide()) : u"(null)";
    } else if (!wide_arg && arg.kind() == FormatArg::Kind::NarrowText) {
        text = arg.narrow() != nullptr ? AnsiToWide(arg.narrow()) : u"(null)";
    } else {
        return std::nullopt;
    }
    if (!is_char && spec.precision >= 0 && static_cast<size_t>(spec.precision) < text.size()) {
        text.resize(static_cast<size_t>(spec.precision));
    }
    return ToOutput<Char>(text);
}

template <typename Char>
void Pad(std::basic_string<Char>& out, const std::basic_string<Char>& field, const Spec& spec) {
    size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    size_t fill = width > field.size() ? width - field.size() : 0;
    if (!spec.left) {
        out.append(fill, Char(' '));
    }
    out += field;
    if (spec.left) {
        out.append(fill, Char(' '));
    }
}

template <typename Char>
std::basic_string<Char> Widen(const std::string& ascii) {
    return std::basic_string<Char>(ascii.begin(), ascii.end());
}

template <typename Char>
std::optional<std::basic_string<Char>> Format(std::basic_string_view<Char> format,
                                              FormatArgs list) {
    constexpr bool kWideFormat = sizeof(Char) == 2;
    std::basic_string<Char> out;
    ArgCursor args(list.begin(), list.end());
    for (size_t pos = 0; pos < format.size();) {
        if (format[pos] != '%') {
            out += format[pos++];
            continue;
        }
        ++pos;
        Spec spec;
        if (!ParseSpec(format, &pos, args, &spec)) {
            return std::nullopt;
        }
        if (spec.conversion == '%') {
            out += Char('%');
            continue;
        }
        const FormatArg* arg = args.Next();
        if (arg == nullptr) {
            return std::nullopt;
        }
        std::optional<std::string> ascii;
        switch (spec.conversion) {
            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                ascii = FormatInteger(spec, *arg);
                break;
            case 'e':
            case 'E':
            case 'f':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                ascii = FormatReal(spec, *arg);
                break;
            case 'p':
                ascii = FormatPointer(spec, *arg);
                break;
            case 's':
            case 'S':
            case 'c':
            case 'C': {
                const bool upper = spec.conversion == 'S' || spec.conversion == 'C';
                bool wide_arg = kWideFormat != upper;
                if (spec.length == Length::Short)
                    wide_arg = false;
                if (spec.length == Length::Long || spec.length == Length::Wide)
                    wide_arg = true;
                const bool is_char = spec.conversion == 'c' || spec.conversion == 'C';
                std::optional<std::basic_string<Char>> text =
                    TextOf<Char>(spec, *arg, wide_arg, is_char);
                if (!text) {
                    return std::nullopt;
                }
                Pad(out, *text, spec);
                continue;
            }
            default:
                return std::nullopt;  // %n and unknown conversions
        }
        if (!ascii) {
            return std::nullopt;
        }
        out += Widen<Char>(*ascii);
    }
    return out;
}

}  // namespace

std::optional<std::u16string> FormatWide(std::u16string_view format, FormatArgs args) {
    return Format<char16_t>(format, args);
}

std::optional<std::string> FormatNarrow(std::string_view format, FormatArgs args) {
    return Format<char>(format, args);
}

}  // namespace win32
