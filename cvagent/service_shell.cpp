#include "cvagent/service_shell.h"

#include <iostream>
#include <string>
#include <thread>

#include "cvagent/service.h"
#include "platform/console_input.h"
#include "platform/crt_stdio.h"
#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/services.h"

namespace cvagent {

namespace {

constexpr win32::DWORD kStartWaitHint = 5000;
constexpr win32::DWORD kControlWaitHint = 1000;
constexpr win32::DWORD kStoppedWaitHint = 10;

// One status report. A service-specific code reports 1066 as the Win32 code.
// A report that does not reach the manager stops the service.
void Report(win32::DWORD state, win32::DWORD win32_code = 0, win32::DWORD specific_code = 0,
            win32::DWORD check_point = 0, win32::DWORD wait_hint = 0) {
    Service& service = TheService();
    win32::SERVICE_STATUS status{};
    status.dwServiceType = win32::SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == win32::SERVICE_START_PENDING
                                    ? 0
                                    : win32::SERVICE_ACCEPT_STOP | win32::SERVICE_ACCEPT_SHUTDOWN;
    status.dwWin32ExitCode = specific_code != 0 ? win32::ERROR_SERVICE_SPECIFIC_ERROR : win32_code;
    status.dwServiceSpecificExitCode = specific_code;
    status.dwCheckPoint = state == win32::SERVICE_STOPPED ? 1 : check_point;
    status.dwWaitHint = state == win32::SERVICE_STOPPED ? kStoppedWaitHint : wait_hint;
    if (!win32::SetServiceStatus(service.status_handle, &status)) {
        service.Stop();
    }
}

void ControlHandler(win32::DWORD control) {
    Service& service = TheService();
    switch (control) {
        case win32::SERVICE_CONTROL_STOP:
            Report(win32::SERVICE_STOP_PENDING, 0, 0, 1, kControlWaitHint);
            service.Stop();
            break;
        case win32::SERVICE_CONTROL_SHUTDOWN:
            break;
        case win32::SERVICE_CONTROL_INTERROGATE:
            Report(service.running() ? win32::SERVICE_RUNNING : win32::SERVICE_STOP_PENDING);
            break;
        default:
            if (service.running()) {
                Report(win32::SERVICE_CONTINUE_PENDING, 0, 0, 1, kControlWaitHint);
                Report(win32::SERVICE_RUNNING);
            } else {
                Report(win32::SERVICE_STOP_PENDING);
            }
            break;
    }
}

win32::DWORD g_service_result = 0;

void ServiceMain(win32::DWORD argc, win32::LPSTR* argv) {
    Service& service = TheService();
    service.status_handle = win32::RegisterServiceCtrlHandlerA(kServiceName, ControlHandler);
    if (service.status_handle == nullptr) {
        g_service_result = win32::GetLastError();
        Report(win32::SERVICE_STOPPED, g_service_result);
        return;
    }
    Report(win32::SERVICE_START_PENDING, 0, 0, 1, kStartWaitHint);
    if (!service.Init(static_cast<int>(argc), argv)) {
        g_service_result = win32::ERROR_SERVICE_SPECIFIC_ERROR;
        Report(win32::SERVICE_STOPPED, win32::ERROR_SERVICE_SPECIFIC_ERROR);
        return;
    }
    Report(win32::SERVICE_RUNNING);
    g_service_result = service.Run();
    Report(win32::SERVICE_STOPPED, g_service_result);
}

// The console's stand-in for the stop control: "s" stops, anything else
// asks again; the end of the input ends the prompt, not the service.
void ConsolePrompt() {
    for (;;) {
        std::cout << "Reload - r, Stop - s :" << std::flush;
        const int key = win32::crt::Stream::In().GetChar();
        if (key == 's') {
            TheService().Stop();
            return;
        }
        if (key < 0) {
            std::cout << "\n" << std::flush;
            return;
        }
    }
}

}  // namespace

win32::DWORD RunAsService() {
    char name[] = "Corvane";
    const win32::SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (!win32::StartServiceCtrlDispatcherA(table)) {
        const win32::DWORD error = win32::GetLastError();
        std::cout << "In StartServiceCtrlDispatcher\n"
                  << "Error number: " << error << "\n"
                  << std::flush;
        return error;
    }
    return g_service_result;
}

win32::DWORD RunInConsole(int argc, char** argv) {
    Service& service = TheService();
    if (!service.Init(argc, argv)) {
        const win32::DWORD error = win32::GetLastError();
        Report(win32::SERVICE_STOPPED, error);
        return error;
    }
    std::thread prompt(ConsolePrompt);
    const win32::DWORD result = service.Run();
    Report(win32::SERVICE_STOPPED, result);
    // The prompt is left to end with the process when the workers ended by
    // themselves (it waits for a key nobody may type).
    prompt.detach();
    return result;
}

void StartThenStop() {
    win32::SC_HANDLE manager = win32::OpenSCManagerA(nullptr, nullptr, win32::GENERIC_EXECUTE);
    if (manager == nullptr) {
        return;
    }
    if (win32::SC_HANDLE service =
            win32::OpenServiceA(manager, kServiceName, win32::GENERIC_EXECUTE)) {
        win32::StartServiceA(service, 0, nullptr);
        win32::SERVICE_STATUS status{};
        win32::ControlService(service, win32::SERVICE_CONTROL_STOP, &status);
        win32::CloseServiceHandle(service);
    }
    win32::CloseServiceHandle(manager);
}

}  // namespace cvagent
