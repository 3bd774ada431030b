// The message catalog: the per-language message library cvn3_<lang>.lrl,
// whose string table holds every text of the tools by identifier.
#pragma once

#include "platform/types.h"

namespace cvn {

// Every catalog text is read into a buffer of this many UTF-16 characters.
inline constexpr int kMessageBufferChars = 260;

// Finds and loads the message library for the user's locale: its language,
// then its primary language, then (Windows NT only) English. Null when none
// could be loaded, with the last error of the last attempt.
win32::HMODULE LoadMessageCatalog();

// Prints the library name for the user's locale ("%s - ") and the system
// text of the last error, which is kept as it was when the call began.
void ReportCatalogFailure();

// Reads text `id` into `buffer` (kMessageBufferChars characters). Returns its
// length; 0 for a missing text, a null catalog (the buffer is then not
// touched), an unserved platform, or a text the ANSI code page cannot give.
int LoadMessageText(win32::HMODULE catalog, win32::UINT id, char16_t* buffer);

// The process-wide catalog handle the print routines use.
win32::HMODULE CatalogHandle();
void SetCatalogHandle(win32::HMODULE catalog);

}  // namespace cvn
