// Modules: LoadLibrary, GetProcAddress, FreeLibrary.
//
// A module is an ELF shared object that keeps the system's file name
// (cvprov.dll, cvn3_enu.lrl). A bare name is searched in the program's own
// directory first, then in each directory of CVN_LIBPATH (separated by ':');
// a name with a directory part is loaded from that directory. Names match
// without regard to case, as on the target system. A name without an
// extension gets ".dll", as on the target system; a final "." keeps it bare.
#pragma once

#include <string>

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;

// Failures set the last error: ERROR_MOD_NOT_FOUND when no file is found,
// ERROR_BAD_EXE_FORMAT when a file is found but is not a loadable module,
// ERROR_DLL_INIT_FAILED when its entry point refuses the load. A module
// whose exports include `DllMain` (BOOL DllMain(HINSTANCE, DWORD, void*)) is
// told of the first load in the process (DLL_PROCESS_ATTACH) and of the free
// that lets go of the last (DLL_PROCESS_DETACH).
HMODULE LoadLibraryA(LPCSTR file_name);
HMODULE LoadLibraryW(LPCWSTR file_name);

// ERROR_PROC_NOT_FOUND for a missing export (what a library the module needs
// defines is not the module's export), ERROR_INVALID_HANDLE for a null module.
FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name);

BOOL FreeLibrary(HMODULE module);

// The symbol address of an export that is data rather than code; the layer's
// resource reader uses it for string tables.
const void* GetModuleDataExport(HMODULE module, const char* name);

// Host directory of the running program, without a trailing separator.
std::string ProgramDirectory();

}  // namespace win32
