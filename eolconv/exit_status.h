// Exit statuses of eolconv. 0 is left to the start-up failures every tool
// shares (platform not served, no message library).
#pragma once

namespace eolconv {

enum ExitStatus : int {
    kExitUsage = 1,
    kExitBanner = 2,
    kExitBadOption = 3,
    kExitFileNotOpened = 4,  // the one input file of "eolconv name"
    kExitTooManyArguments = 5,
    kExitInputNotOpened = 6,  // "eolconv input output"
    kExitOutputNotOpened = 7,
    kExitConverted = 8,
    kExitWriteFailed = 9,  // disk full, closed pipe: the output is not replaced
    kExitReadFailed = 10,
};

}  // namespace eolconv
