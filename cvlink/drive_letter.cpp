#include "cvlink/drive_letter.h"

#include "platform/drives.h"

namespace cvlink {

char16_t ChooseDriveLetter(char16_t letter) {
    const win32::DWORD in_use = win32::GetLogicalDrives();
    auto is_free = [&](char16_t candidate) {
        return !(in_use & (win32::DWORD{1} << (candidate - u'A')));
    };
    if (letter == u'*') {
        for (char16_t candidate = u'C'; candidate <= u'Z'; ++candidate) {
            if (is_free(candidate)) {
                return candidate;
            }
        }
        return u'0';
    }
    if (letter < u'A' || letter > u'Z') {
        return u'0';
    }
    return is_free(letter) ? letter : u'0';
}

}  // namespace cvlink
