// printf-style formatting with the platform runtime's semantics.
//
// In a wide format %s, %ls and %ws take a UTF-16 string and %S and %hs a
// narrow one (ANSI code page); %c takes a UTF-16 character and %C and %hc a
// narrow one. In a narrow format the roles are swapped. "long" is 32 bits, as
// on the target system; %lld, %I64d and %I64u are 64 bits. A null string
// prints "(null)".
//
// Formats often come from message catalogs, written by translators, so the
// format is checked against the arguments before anything is produced: an
// unknown conversion, a conversion without an argument, an argument of the
// wrong kind, or %n make the call return nothing, and the caller prints the
// text unformatted instead. Extra arguments are ignored, as printf does.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace win32 {

class FormatArg {
public:
    enum class Kind { Signed, Unsigned, WideText, NarrowText, Real, Pointer };

    template <typename T>
    requires std::is_integral_v<T> FormatArg(T value) {  // NOLINT(google-explicit-constructor)
        if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Signed;
            signed_ = value;
        } else {
            kind_ = Kind::Unsigned;
            unsigned_ = value;
        }
    }
    FormatArg(double value) : kind_(Kind::Real), real_(value) {}
    FormatArg(const char16_t* text) : kind_(Kind::WideText), wide_(text) {}
    FormatArg(const std::u16string& text) : kind_(Kind::WideText), wide_(text.c_str()) {}
    FormatArg(const char* text) : kind_(Kind::NarrowText), narrow_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::NarrowText), narrow_(text.c_str()) {}
    FormatArg(const void* pointer) : kind_(Kind::Pointer), pointer_(pointer) {}

    Kind kind() const { return kind_; }
    bool is_integer() const { return kind_ == Kind::Signed || kind_ == Kind::Unsigned; }
    std::int64_t as_signed() const {
        return kind_ == Kind::Signed ? signed_ : static_cast<std::int64_t>(unsigned_);
    }
    std::uint64_t as_unsigned() const {
        return kind_ == Kind::Unsigned ? unsigned_ : static_cast<std::uint64_t>(signed_);
    }
    double real() const { return real_; }
    const char16_t* wide() const { return wide_; }
    const char* narrow() const { return narrow_; }
    const void* pointer() const { return pointer_; }

private:
    Kind kind_;
    union {
        std::int64_t signed_;
        std::uint64_t unsigned_;
        double real_;
        const char16_t* wide_;
        const char* narrow_;
        const void* pointer_;
    };
};

using FormatArgs = std::initializer_list<FormatArg>;

std::optional<std::u16string> FormatWide(std::u16string_view format, FormatArgs args);
std::optional<std::string> FormatNarrow(std::string_view format, FormatArgs args);

}  // namespace win32
