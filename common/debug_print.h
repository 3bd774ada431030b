// Developers' messages to the debugger. Nothing of them reaches the console.
#pragma once

namespace cvn {

// Formats with one integer into 1024 bytes and passes the text on. Return 0.
int DebugPrintA(const char* format, int value);
// Formats into 2048 UTF-16 characters; on Windows 95 the text is passed on
// narrow (at most 1024 bytes).
int DebugPrintW(const char16_t* format, int value);

}  // namespace cvn
