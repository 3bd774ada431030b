#include "common/ansi_names.h"

#include <string>

#include "platform/codepage.h"

namespace cvn {

bool ToAnsiName(std::u16string_view name, char (&buffer)[kNameBufferSize]) {
    std::u16string terminated(name);
    int stored = win32::WideCharToMultiByte(
        win32::CP_ACP, win32::WC_COMPOSITECHECK | win32::WC_SEPCHARS, terminated.c_str(), -1,
        buffer, static_cast<int>(kNameBufferSize), nullptr, nullptr);
    if (stored == 0) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

int FromAnsiText(const char* text, char16_t* buffer, int size) {
    return win32::MultiByteToWideChar(
        win32::CP_ACP, win32::MB_PRECOMPOSED | win32::MB_ERR_INVALID_CHARS, text, -1, buffer, size);
}

}  // namespace cvn
