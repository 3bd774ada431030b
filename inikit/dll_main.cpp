// inikit.dll: the library's entry point. Its exports come from the core,
// linked in whole; it keeps no state between calls, so there is nothing to
// set up on load.
#include "platform/modules.h"

extern "C" __attribute__((visibility("default"))) win32::BOOL DllMain(win32::HINSTANCE,
                                                                      win32::DWORD, void*) {
    return win32::TRUE;
}
