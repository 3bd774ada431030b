// Developers' messages of the redirector client: wide on Windows NT, narrow
// on Windows 95 (whose texts differ in places), never on the console.
#pragma once

namespace cvn {

void DebugReport(const char16_t* nt_format, const char* win95_format, int value);

}  // namespace cvn
