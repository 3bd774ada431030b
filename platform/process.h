// Starting programs: CreateProcess.
//
// A command line's program is searched, when given without a directory, in
// the calling program's directory, then in the current directory, then in
// PATH; a name ending in ".exe" that the host has without the extension is
// found too. DETACHED_PROCESS starts it in a session of its own,
// without a console: its standard streams are the null device.
#pragma once

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD DETACHED_PROCESS = 0x00000008;
inline constexpr DWORD CREATE_NEW_PROCESS_GROUP = 0x00000200;

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// FALSE with the last error: ERROR_FILE_NOT_FOUND when no program is found.
BOOL CreateProcessA(LPCSTR application, LPSTR command_line, void* process_security,
                    void* thread_security, BOOL inherit_handles, DWORD flags, void* environment,
                    LPCSTR directory, STARTUPINFOA* startup, PROCESS_INFORMATION* information);

// The exit code of a process, STILL_ACTIVE (259) while it runs.
inline constexpr DWORD STILL_ACTIVE = 259;
BOOL GetExitCodeProcess(HANDLE process, DWORD* exit_code);

}  // namespace win32
