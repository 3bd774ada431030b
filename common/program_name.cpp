#include "common/program_name.h"

#include "common/file_wrappers.h"

namespace cvn {

char16_t* GetProgramName(std::u16string_view argv0, char16_t* buffer) {
    char16_t* file_part = nullptr;
    win32::DWORD count = CvnGetFullPathName(argv0, kProgramNameChars, buffer, &file_part);
    if (count == 0 || count >= static_cast<win32::DWORD>(kProgramNameChars)) {
        return nullptr;
    }
    return file_part;
}

}  // namespace cvn
