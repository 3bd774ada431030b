#include "common/debug_report.h"

#include "common/debug_print.h"
#include "common/platform_kind.h"

namespace cvn {

void DebugReport(const char16_t* nt_format, const char* win95_format, int value) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            DebugPrintW(nt_format, value);
            break;
        case PLATFORM_WIN95:
            DebugPrintA(win95_format, value);
            break;
        default:
            break;
    }
}

}  // namespace cvn
