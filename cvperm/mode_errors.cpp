#include "cvperm/mode_errors.h"

#include <initializer_list>

#include "common/console.h"
#include "common/messages.h"
#include "cvperm/tool.h"

namespace cvperm {

namespace {

// The letters in quotes, "'u', 'g', 'o', 'a'", so the message names the
// letters of the user's own catalog.
void PrintLetters(std::initializer_list<win32::UINT> ids) {
    const char16_t* separator = u" '";
    for (win32::UINT id : ids) {
        cvn::PrintText(separator);
        cvn::PrintMessage(id, 0);
        separator = u"', '";
    }
    cvn::PrintText(u"' ");
}

}  // namespace

void PrintModeError(ModeError error) {
    if (error == ModeError::kNone) {
        return;
    }
    cvn::PrintText(u"\n   ");
    switch (error) {
        case ModeError::kTooLarge:
            cvn::PrintMessage(kMsgModeTooLarge, 0);
            cvn::PrintText(u"\n");
            break;
        case ModeError::kClassAfterOperator:
            cvn::PrintMessage(kMsgClassAfterOperator, 0);
            PrintLetters({kMsgOwnerLetter, kMsgGroupLetter, kMsgOtherLetter, kMsgAllClassesLetter});
            cvn::PrintMessage(kMsgClassAfterOperatorEnd, 0);
            cvn::PrintText(u"\n");
            break;
        case ModeError::kLetterWithoutOperator:
            cvn::PrintMessage(kMsgLetterWithoutOperator, 0);
            PrintLetters({kMsgReadLetter, kMsgWriteLetter, kMsgExecuteLetter});
            cvn::PrintMessage(kMsgLetterWithoutOperatorEnd, 0);
            cvn::PrintText(u".\n");
            break;
        case ModeError::kUnknownCharacter:
            cvn::PrintMessage(kMsgUnknownModeCharacter, 0);
            cvn::PrintText(u"\n");
            break;
        case ModeError::kNone:
            break;
    }
}

}  // namespace cvperm
