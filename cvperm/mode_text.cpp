#include "cvperm/mode_text.h"

namespace cvperm {

namespace {

constexpr std::uint32_t kOwnerClass = 0700;
constexpr std::uint32_t kGroupClass = 0070;
constexpr std::uint32_t kOtherClass = 0007;
constexpr std::uint32_t kAllClasses = 0777;
constexpr std::uint32_t kSetUserId = 04000;
constexpr std::uint32_t kSetGroupId = 02000;
constexpr std::uint32_t kSticky = 01000;

// The runtime's lower-casing in the "C" locale: A to Z only.
char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
}

ModeResult Octal(std::u16string_view text) {
    std::uint32_t value = 0;
    for (char16_t digit : text) {
        // Once past the largest mode the value only has to stay past it, so
        // no digit string, however long, can wrap round to a small mode.
        if (value <= kModeBits) {
            value = value * 8 + static_cast<std::uint32_t>(digit - u'0');
        }
    }
    if (value > kModeBits) {
        return {0, ModeError::kTooLarge};
    }
    return {value, ModeError::kNone};
}

// The classes a class letter selects, or 0 for any other character.
std::uint32_t ClassOf(char16_t c, const ModeLetters& letters) {
    if (c == 0) {
        return 0;
    }
    if (c == letters.owner) {
        return kOwnerClass;
    }
    if (c == letters.group) {
        return kGroupClass;
    }
    if (c == letters.other) {
        return kOtherClass;
    }
    if (c == letters.all) {
        return kAllClasses;
    }
    return 0;
}

bool IsPermissionLetter(char16_t c, const ModeLetters& letters) {
    return c != 0 && (c == letters.read || c == letters.write || c == letters.execute ||
                      c == letters.set_id || c == letters.sticky);
}

// The bits of one permission letter within the selected classes. Set-id
// means set-user-id for the owner and set-group-id for the group; for the
// other class alone it has no bit.
std::uint32_t BitsOf(char16_t c, std::uint32_t classes, const ModeLetters& letters) {
    if (c == letters.read) {
        return 0444 & classes;
    }
    if (c == letters.write) {
        return 0222 & classes;
    }
    if (c == letters.execute) {
        return 0111 & classes;
    }
    if (c == letters.set_id) {
        return ((classes & kOwnerClass) ? kSetUserId : 0) |
               ((classes & kGroupClass) ? kSetGroupId : 0);
    }
    return kSticky;
}

ModeResult Symbolic(std::u16string_view text, std::uint32_t current, const ModeLetters& letters) {
    std::uint32_t mode = current & kModeBits;
    std::uint32_t classes = 0;
    char16_t op = 0;
    for (char16_t raw : text) {
        const char16_t c = Lower(raw);
        if (c == u',') {
            classes = 0;
            op = 0;
        } else if (std::uint32_t selected = ClassOf(c, letters)) {
            if (op != 0) {
                return {0, ModeError::kClassAfterOperator};
            }
            classes = selected == kAllClasses ? kAllClasses : classes | selected;
        } else if (c == u'+' || c == u'-' || c == u'=') {
            op = c;
        } else if (IsPermissionLetter(c, letters)) {
            if (op == 0) {
                return {0, ModeError::kLetterWithoutOperator};
            }
            // No class means all of them; the user's umask plays no part.
            if (classes == 0) {
                classes = kAllClasses;
            }
            const std::uint32_t bits = BitsOf(c, classes, letters);
            if (op == u'+') {
                mode |= bits;
            } else if (op == u'-') {
                mode &= ~bits;
            } else {
                // An assignment clears the classes once; the letters after
                // the first add to it ("u=rw" is read and write, not write).
                mode = (mode & ~classes) | bits;
                op = u'+';
            }
        } else {
            return {0, ModeError::kUnknownCharacter};
        }
    }
    return {mode, ModeError::kNone};
}

}  // namespace

bool IsOctalModeText(std::u16string_view text) {
    for (char16_t c : text) {
        if (c < u'0' || c > u'7') {
            return false;
        }
    }
    return true;
}

ModeResult ApplyModeText(std::u16string_view text, std::uint32_t current,
                         const ModeLetters& letters) {
    if (IsOctalModeText(text)) {
        return Octal(text);
    }
    return Symbolic(text, current, letters);
}

}  // namespace cvperm
