#include "cvperm/set_mode.h"

#include <string>

#include "common/console.h"
#include "common/control_client.h"
#include "common/messages.h"
#include "common/records.h"
#include "cvperm/mode_errors.h"

namespace cvperm {

void SetModeOfFile(std::u16string_view path, std::u16string_view mode_text,
                   const ModeLetters& letters) {
    const std::u16string file(path);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    std::uint32_t current = 0;
    if (win32::DWORD error = cvn::CvnGetNfsAttr(attributes, file.c_str())) {
        cvn::PrintSystemMessage(error);
        // A symbolic mode computed from no mode at all would wipe every bit
        // the text does not name.
        if (!IsOctalModeText(mode_text)) {
            return;
        }
    } else {
        current = attributes.mode();
    }
    ModeResult result = ApplyModeText(mode_text, current, letters);
    if (result.error != ModeError::kNone) {
        PrintModeError(result.error);
        return;
    }
    cvn::SetAttributes change;
    change.Initialize();
    change.SetMode(result.mode);
    if (win32::DWORD error = cvn::CvnSetNfsAttr(change, file.c_str())) {
        cvn::PrintFormat(u"\n%s - ", {file});
        cvn::PrintSystemMessage(error);
    }
}

}  // namespace cvperm
