// Debugger output: OutputDebugString.
//
// Without a debugger on the host, the texts go to the file named by
// CVN_DEBUG_LOG (appended, as given, each call in one write so that the lines
// of several threads and processes do not mix) and are dropped when it is not
// set. They never reach the console.
#pragma once

#include "platform/types.h"

namespace win32 {

void OutputDebugStringA(LPCSTR text);
void OutputDebugStringW(LPCWSTR text);

}  // namespace win32
