// Services: the service control dispatcher, status reports and the service
// control manager, mapped onto the host's service manager.
//
// A program runs as a service when the host's service manager started it:
// NOTIFY_SOCKET is set (systemd, Type=notify), or CVN_SERVICE=1 for a
// manager that only reads the status file. Its status reports then go out as
// notification messages (READY=1 when running, STOPPING=1, STATUS=<state>,
// EXIT_STATUS=<code>) and into the status file <runtime dir>/<service>.status;
// SIGTERM delivers the stop control, SIGHUP the interrogate control. Without
// a service manager the dispatcher fails with 1063, as on Windows when a
// service program is started from a console.
//
// The control manager calls act on the host's systemd (systemctl) when it is
// there: the service "Corvane" is the unit named by CVN_SERVICE_UNIT_CORVANE,
// else cvagent.service (a table maps service names to units). Without a
// reachable systemd OpenSCManagerA fails with 1722 (the manager cannot be
// reached); a service the manager does not know fails OpenServiceA with
// 1060.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace win32 {

struct ServiceStatusTag;
using SERVICE_STATUS_HANDLE = ServiceStatusTag*;
struct ServiceManagerTag;
using SC_HANDLE = ServiceManagerTag*;

struct SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
};

using LPSERVICE_MAIN_FUNCTIONA = void (*)(DWORD argc, LPSTR* argv);
using LPHANDLER_FUNCTION = void (*)(DWORD control);

struct SERVICE_TABLE_ENTRYA {
    LPSTR lpServiceName;
    LPSERVICE_MAIN_FUNCTIONA lpServiceProc;
};

inline constexpr DWORD SERVICE_WIN32_OWN_PROCESS = 0x00000010;

inline constexpr DWORD SERVICE_STOPPED = 1;
inline constexpr DWORD SERVICE_START_PENDING = 2;
inline constexpr DWORD SERVICE_STOP_PENDING = 3;
inline constexpr DWORD SERVICE_RUNNING = 4;
inline constexpr DWORD SERVICE_CONTINUE_PENDING = 5;
inline constexpr DWORD SERVICE_PAUSE_PENDING = 6;
inline constexpr DWORD SERVICE_PAUSED = 7;

inline constexpr DWORD SERVICE_ACCEPT_STOP = 0x00000001;
inline constexpr DWORD SERVICE_ACCEPT_PAUSE_CONTINUE = 0x00000002;
inline constexpr DWORD SERVICE_ACCEPT_SHUTDOWN = 0x00000004;

inline constexpr DWORD SERVICE_CONTROL_STOP = 1;
inline constexpr DWORD SERVICE_CONTROL_PAUSE = 2;
inline constexpr DWORD SERVICE_CONTROL_CONTINUE = 3;
inline constexpr DWORD SERVICE_CONTROL_INTERROGATE = 4;
inline constexpr DWORD SERVICE_CONTROL_SHUTDOWN = 5;

inline constexpr DWORD SC_MANAGER_ALL_ACCESS = 0x000F003F;
inline constexpr DWORD SERVICE_ALL_ACCESS = 0x000F01FF;
inline constexpr DWORD GENERIC_EXECUTE = 0x20000000;

// Runs each service's main on a thread of its own and returns when all have
// reported SERVICE_STOPPED; FALSE with 1063 when no service manager started
// the program.
BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* table);

// Null with the last error set when the name is not a service of the
// running dispatcher.
SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(LPCSTR service_name, LPHANDLER_FUNCTION handler);

// FALSE with ERROR_INVALID_HANDLE for a handle the dispatcher did not give,
// ERROR_INVALID_DATA for a state outside 1..7.
BOOL SetServiceStatus(SERVICE_STATUS_HANDLE handle, SERVICE_STATUS* status);

SC_HANDLE OpenSCManagerA(LPCSTR machine_name, LPCSTR database_name, DWORD access);
SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR service_name, DWORD access);
BOOL StartServiceA(SC_HANDLE service, DWORD argc, LPCSTR* argv);
BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status);
BOOL CloseServiceHandle(SC_HANDLE handle);

}  // namespace win32
