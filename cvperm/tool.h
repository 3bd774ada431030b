// What cvperm keeps for its whole run, and the catalog texts it prints.
#pragma once

#include <string>

#include "cvperm/mode_text.h"
#include "platform/types.h"

namespace cvperm {

// Usage text.
inline constexpr win32::UINT kMsgUsageOptions = 125;
inline constexpr win32::UINT kMsgUsageAsk = 126;
inline constexpr win32::UINT kMsgUsageList = 127;
inline constexpr win32::UINT kMsgUsageMode = 128;
inline constexpr win32::UINT kMsgUsageName = 129;
inline constexpr win32::UINT kMsgUsageHelp = 130;
inline constexpr win32::UINT kMsgUsageVersion = 131;
inline constexpr win32::UINT kMsgUsageArguments = 159;

// Mode-text errors.
inline constexpr win32::UINT kMsgModeTooLarge = 132;
inline constexpr win32::UINT kMsgClassAfterOperator = 133;
inline constexpr win32::UINT kMsgClassAfterOperatorEnd = 160;
inline constexpr win32::UINT kMsgLetterWithoutOperator = 134;
inline constexpr win32::UINT kMsgLetterWithoutOperatorEnd = 161;
inline constexpr win32::UINT kMsgUnknownModeCharacter = 135;

// The question before a file: its label, the keys shown and what they mean.
inline constexpr win32::UINT kMsgAskLabel = 136;
inline constexpr win32::UINT kMsgAllDescription = 165;
inline constexpr win32::UINT kMsgQuitDescription = 169;
inline constexpr win32::UINT kMsgAllKey = 214;
inline constexpr win32::UINT kMsgQuitKey = 215;
inline constexpr win32::UINT kMsgAnswerQuit = 227;

// Mode letters; the read and list letters are also the option letters.
inline constexpr win32::UINT kMsgReadLetter = 216;
inline constexpr win32::UINT kMsgWriteLetter = 217;
inline constexpr win32::UINT kMsgExecuteLetter = 218;
inline constexpr win32::UINT kMsgSetIdLetter = 219;
inline constexpr win32::UINT kMsgStickyLetter = 220;
inline constexpr win32::UINT kMsgAllClassesLetter = 221;  // also the answer "all"
inline constexpr win32::UINT kMsgOwnerLetter = 222;
inline constexpr win32::UINT kMsgGroupLetter = 223;
inline constexpr win32::UINT kMsgOtherLetter = 224;
inline constexpr win32::UINT kMsgListLetter = 228;

// What is done for each file. The answer "all" changes it for the rest of
// the run: asking becomes none, both becomes listing.
enum class Option { kNone, kAsk, kList, kAskAndList, kUnknown };

struct Tool {
    std::u16string program_name;
    std::u16string banner_keyword;   // 158
    std::u16string banner_keyword2;  // 173
    ModeLetters letters;
    std::u16string ask_letter;   // 216
    std::u16string list_letter;  // 228
    Option option = Option::kNone;
    std::u16string mode_text;
};

}  // namespace cvperm
