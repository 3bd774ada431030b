// The mode text of the command line, octal ("644") or symbolic ("u+x,go-w"),
// turned into the new mode of one file. Pure: no output, no catalog access;
// the letters of the symbolic form are handed in.
#pragma once

#include <cstdint>
#include <string_view>

namespace cvperm {

// The permission bits, sticky, set-group-id and set-user-id.
inline constexpr std::uint32_t kModeBits = 07777;

// The letters of the symbolic form, in lower case (0 when the catalog has
// none, which no character of a mode text can match).
struct ModeLetters {
    char16_t read = 0;
    char16_t write = 0;
    char16_t execute = 0;
    char16_t set_id = 0;
    char16_t sticky = 0;
    char16_t all = 0;
    char16_t owner = 0;
    char16_t group = 0;
    char16_t other = 0;
};

// The numbers are those the messages are known by.
enum class ModeError {
    kNone = 0,
    kTooLarge = 1,               // an octal value above 07777
    kClassAfterOperator = 2,     // "+u"
    kLetterWithoutOperator = 3,  // "r+w"
    kUnknownCharacter = 4,       // "8", "u+z"
};

struct ModeResult {
    std::uint32_t mode = 0;
    ModeError error = ModeError::kNone;
};

// True when every character is an octal digit (also for an empty text): the
// new mode then does not depend on the current one.
bool IsOctalModeText(std::u16string_view text);

// The new mode of a file whose mode is `current`. The first character in
// error decides the error; the mode is then 0.
ModeResult ApplyModeText(std::u16string_view text, std::uint32_t current,
                         const ModeLetters& letters);

}  // namespace cvperm
