// The exported code-page conversions, on the ANSI code page.
#include "inikit/inikit.h"
#include "platform/codepage.h"

extern "C" {

int NCWideToMB(const char16_t* wide, int, char* buffer, int size) {
    if (wide == nullptr || buffer == nullptr) {
        return 0;
    }
    return win32::WideCharToMultiByte(win32::CP_ACP, 0, wide, -1, buffer, size, nullptr, nullptr);
}

int NCMBToWide(const char* narrow, int length, char16_t* buffer, int size) {
    if (narrow == nullptr || buffer == nullptr) {
        return 0;
    }
    return win32::MultiByteToWideChar(win32::CP_ACP, 0, narrow, length, buffer, size);
}

}  // extern "C"
