// cvprov.dll: the library's entry point. Its exports come from the
// provider's core, linked in whole.
#include "cvprov/provider_state.h"
#include "platform/modules.h"

extern "C" __attribute__((visibility("default"))) win32::BOOL DllMain(win32::HINSTANCE module,
                                                                      win32::DWORD reason, void*) {
    switch (reason) {
        case win32::DLL_PROCESS_ATTACH:
            return cvprov::ProcessAttach(module) ? win32::TRUE : win32::FALSE;
        case win32::DLL_PROCESS_DETACH:
            cvprov::ProcessDetach();
            return win32::TRUE;
        default:
            return win32::TRUE;
    }
}
