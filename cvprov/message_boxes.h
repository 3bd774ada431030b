// The provider's message boxes.
#pragma once

#include "platform/format.h"
#include "platform/types.h"
#include "platform/ui.h"

namespace cvprov {

// Catalog text `id` formatted with the arguments, titled with the caption;
// "String resource (<id>) is missing" when the text is not there. The text
// also goes to the debugger.
void WideBox(win32::UINT id, win32::FormatArgs args);

// A narrow format with one argument, titled with message 143 formatted with
// the product name; the text goes to the debugger twice.
void NarrowBox(const char* format, win32::FormatArg argument);

// A question shown through the narrow interface; returns the button pressed.
int QuestionBox(win32::HWND owner, win32::UINT id, win32::FormatArgs args, win32::UINT buttons);

// The system's own text for a Win32 code, owned by the active window.
void SystemErrorBox(win32::DWORD code);

// Catalog text `id`, or a general text when it is missing, in a narrow box.
void ErrorBoxWithFallback(win32::UINT id);

}  // namespace cvprov
