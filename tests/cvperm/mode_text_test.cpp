// The mode text turned into a new mode: octal and symbolic forms, the
// classes, the operators, assignment turning into addition, the set-id
// rules, and which error the first bad character gives.
#include <gtest/gtest.h>

#include <string>

#include "cvperm/mode_text.h"

namespace {

using cvperm::ModeError;

// The English catalog's letters.
const cvperm::ModeLetters kLetters{u'r', u'w', u'x', u's', u't', u'a', u'u', u'g', u'o'};

struct ModeCase {
    std::u16string text;
    std::uint32_t current;
    std::uint32_t mode;  // expected when there is no error
    ModeError error;
};

std::string Name(const ModeCase& c) {
    std::string name(c.text.begin(), c.text.end());
    return "\"" + name + "\" on 0" + std::to_string(c.current);
}

TEST(CvpermModeText, OctalForm) {
    const ModeCase cases[] = {
        {u"755", 0640, 0755, ModeError::kNone},
        {u"0644", 04777, 0644, ModeError::kNone},
        {u"7777", 0, 07777, ModeError::kNone},
        {u"", 0755, 0, ModeError::kNone},  // an empty text is 0
        {u"10000", 0644, 0, ModeError::kTooLarge},
        {u"77777", 0644, 0, ModeError::kTooLarge},
        // 8^11 and 8^22 wrap a 32-bit value round to 0: still too large.
        {u"100000000000", 0644, 0, ModeError::kTooLarge},
        {u"1000000000000000000000000", 0644, 0, ModeError::kTooLarge},
        {u"00000000000000000000000000000000000644", 0, 0644, ModeError::kNone},
        {u"8", 0644, 0, ModeError::kUnknownCharacter},    // not octal, not a letter
        {u"64a", 0644, 0, ModeError::kUnknownCharacter},  // a digit in the symbolic form
    };
    for (const ModeCase& c : cases) {
        cvperm::ModeResult result = cvperm::ApplyModeText(c.text, c.current, kLetters);
        EXPECT_EQ(result.error, c.error) << Name(c);
        if (c.error == ModeError::kNone) {
            EXPECT_EQ(result.mode, c.mode) << Name(c);
        }
    }
}

TEST(CvpermModeText, SymbolicForm) {
    const ModeCase cases[] = {
        // Classes.
        {u"u+x", 0644, 0744, ModeError::kNone},
        {u"g+w", 0644, 0664, ModeError::kNone},
        {u"o-r", 0644, 0640, ModeError::kNone},
        {u"go-w", 0666, 0644, ModeError::kNone},
        {u"ug+x", 0644, 0754, ModeError::kNone},
        {u"a+x", 0644, 0755, ModeError::kNone},
        {u"ua-w", 0666, 0444, ModeError::kNone},  // 'a' after 'u' is all
        {u"+x", 0644, 0755, ModeError::kNone},    // no class: all, whatever the umask
        {u"-rwx", 07777, 07000, ModeError::kNone},
        // Assignment clears the classes once, then adds.
        {u"u=rw", 0755, 0655, ModeError::kNone},
        {u"go=r", 0777, 0744, ModeError::kNone},
        {u"=r", 0777, 0444, ModeError::kNone},
        {u"u=rwx,g=rx,o=", 0000, 0750, ModeError::kNone},
        {u"a=", 0644, 0644, ModeError::kNone},  // no letter: nothing cleared
        {u"u+x,go=", 0644, 0744, ModeError::kNone},
        {u"u=s", 0755, 04055, ModeError::kNone},  // special bits stay outside the classes
        // Clauses, upper case, the operator changing within a clause.
        {u"u+x,g-r,o+w", 0644, 0706, ModeError::kNone},
        {u"U+X", 0644, 0744, ModeError::kNone},
        {u"u+r-w", 0644, 0444, ModeError::kNone},
        {u",,u+x,", 0644, 0744, ModeError::kNone},
        // Set id: user and group by class, nothing for other alone.
        {u"u+s", 0755, 04755, ModeError::kNone},
        {u"g+s", 0755, 02755, ModeError::kNone},
        {u"ug+s", 0755, 06755, ModeError::kNone},
        {u"+s", 0755, 06755, ModeError::kNone},
        {u"o+s", 0755, 0755, ModeError::kNone},
        {u"a-s", 06755, 0755, ModeError::kNone},
        // Sticky whatever the class.
        {u"+t", 0755, 01755, ModeError::kNone},
        {u"o-t", 01777, 0777, ModeError::kNone},
        {u"u+t", 0755, 01755, ModeError::kNone},
        // The current mode's file-type bits never come back.
        {u"u+x", 0100644, 0744, ModeError::kNone},
    };
    for (const ModeCase& c : cases) {
        cvperm::ModeResult result = cvperm::ApplyModeText(c.text, c.current, kLetters);
        EXPECT_EQ(result.error, ModeError::kNone) << Name(c);
        EXPECT_EQ(result.mode, c.mode) << Name(c);
    }
}

// The first offending character decides, and the mode is left alone.
TEST(CvpermModeText, ErrorsInTheirOrder) {
    const ModeCase cases[] = {
        {u"+u", 0644, 0, ModeError::kClassAfterOperator},
        {u"u+rg", 0644, 0, ModeError::kClassAfterOperator},
        {u"u+r,+a", 0644, 0, ModeError::kClassAfterOperator},
        {u"r+w", 0644, 0, ModeError::kLetterWithoutOperator},
        {u"u+x,r", 0644, 0, ModeError::kLetterWithoutOperator},  // ',' ends the operator
        {u"ur", 0644, 0, ModeError::kLetterWithoutOperator},
        {u"u+z", 0644, 0, ModeError::kUnknownCharacter},
        {u"u+x ", 0644, 0, ModeError::kUnknownCharacter},
        {u"z+u", 0644, 0, ModeError::kUnknownCharacter},  // before the class error
        {u"+uz", 0644, 0, ModeError::kClassAfterOperator},
        {u"r+z", 0644, 0, ModeError::kLetterWithoutOperator},
        {u"u+\u00e4", 0644, 0, ModeError::kUnknownCharacter},
    };
    for (const ModeCase& c : cases) {
        cvperm::ModeResult result = cvperm::ApplyModeText(c.text, c.current, kLetters);
        EXPECT_EQ(result.error, c.error) << Name(c);
    }
}

// The letters are the catalog's: another language's letters work, and
// letters it lacks match nothing.
TEST(CvpermModeText, LettersComeFromTheCatalog) {
    cvperm::ModeLetters letters = kLetters;
    letters.owner = u'b';
    letters.sticky = 0;
    EXPECT_EQ(cvperm::ApplyModeText(u"b+x", 0644, letters).mode, 0744u);
    EXPECT_EQ(cvperm::ApplyModeText(u"u+x", 0644, letters).error, ModeError::kUnknownCharacter);
    EXPECT_EQ(cvperm::ApplyModeText(u"+t", 0644, letters).error, ModeError::kUnknownCharacter);
}

TEST(CvpermModeText, OctalTextsAreRecognised) {
    EXPECT_TRUE(cvperm::IsOctalModeText(u""));
    EXPECT_TRUE(cvperm::IsOctalModeText(u"0755"));
    EXPECT_FALSE(cvperm::IsOctalModeText(u"758"));
    EXPECT_FALSE(cvperm::IsOctalModeText(u"u+x"));
}

}  // namespace
