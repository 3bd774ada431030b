#include "platform/service_dispatcher.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/last_error.h"
#include "platform/service_names.h"
#include "platform/service_run.h"
#include "platform/service_signals.h"

namespace win32::service_detail {

namespace {

std::mutex g_running_lock;
std::shared_ptr<DispatcherRun> g_running;
// Handles are numbers that no other run of the dispatcher reuses, so a
// handle that outlived its run is refused instead of reaching another.
std::uintptr_t g_next_handle = 0x5E0001;

std::string NotifySocket() {
    const char* name = std::getenv("NOTIFY_SOCKET");
    return name != nullptr ? name : "";
}

// The services of a table ended by an entry without a name.
DWORD ReadTable(const SERVICE_TABLE_ENTRYA* table,
                std::vector<std::unique_ptr<Service>>* services) {
    if (table == nullptr || table->lpServiceName == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    for (const SERVICE_TABLE_ENTRYA* entry = table; entry->lpServiceName != nullptr; ++entry) {
        if (entry->lpServiceProc == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        if (!IsValidServiceName(entry->lpServiceName)) {
            return ERROR_INVALID_NAME;
        }
        auto service = std::make_unique<Service>();
        service->name = entry->lpServiceName;
        service->main = entry->lpServiceProc;
        services->push_back(std::move(service));
    }
    return 0;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Makes `dispatcher` the running one and numbers its services; false when
// another runs already (one dispatcher per process).
bool Install(const std::shared_ptr<DispatcherRun>& dispatcher) {
    std::lock_guard guard(g_running_lock);
    if (g_running) {
        return false;
    }
    dispatcher->Number(g_next_handle);
    g_running = dispatcher;
    return true;
}

// Ends the dispatcher's run: its handles are refused from here on.
void Uninstall() {
    std::lock_guard guard(g_running_lock);
    g_running.reset();
}

std::pair<std::shared_ptr<DispatcherRun>, Service*> FindHandle(SERVICE_STATUS_HANDLE handle) {
    std::lock_guard guard(g_running_lock);
    if (!g_running) {
        return {nullptr, nullptr};
    }
    Service* service = g_running->Find(reinterpret_cast<std::uintptr_t>(handle));
    return {service != nullptr ? g_running : nullptr, service};
}

}  // namespace

bool StartedByServiceManager() {
    const char* service = std::getenv("CVN_SERVICE");
    return !NotifySocket().empty() || (service != nullptr && std::string(service) == "1");
}

BOOL RunDispatcher(const SERVICE_TABLE_ENTRYA* table) {
    if (!StartedByServiceManager()) {
        return Fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
    }
    std::vector<std::unique_ptr<Service>> services;
    if (DWORD error = ReadTable(table, &services); error != 0) {
        return Fail(error);
    }
    auto dispatcher = std::make_shared<DispatcherRun>(std::move(services), NotifySocket());
    if (!dispatcher->usable()) {
        return Fail(Win32ErrorFromErrno(errno));
    }
    if (!Install(dispatcher)) {
        return Fail(ERROR_SERVICE_ALREADY_RUNNING);
    }
    DWORD error = 0;
    {
        // Blocked before the first service thread starts, so that all of
        // them inherit the mask.
        ControlSignals signals;
        if (signals.fd() < 0) {
            error = Win32ErrorFromErrno(errno);
        } else {
            dispatcher->Start();
            error = dispatcher->Serve(signals);
        }
        Uninstall();
    }
    dispatcher->Finish();
    if (error == 0) {
        error = dispatcher->start_error();
    }
    return error == 0 ? TRUE : Fail(error);
}

SERVICE_STATUS_HANDLE RegisterHandler(LPCSTR service_name, LPHANDLER_FUNCTION handler) {
    std::shared_ptr<DispatcherRun> dispatcher;
    {
        std::lock_guard guard(g_running_lock);
        dispatcher = g_running;
    }
    if (!dispatcher) {
        Fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return nullptr;
    }
    if (service_name == nullptr || handler == nullptr) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Service* service = dispatcher->FindByName(service_name);
    if (service == nullptr) {
        Fail(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    dispatcher->SetHandler(*service, handler);
    return reinterpret_cast<SERVICE_STATUS_HANDLE>(service->handle);
}

BOOL ReportStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) {
    auto [dispatcher, service] = FindHandle(handle);
    if (!dispatcher) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (status == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (status->dwCurrentState < SERVICE_STOPPED || status->dwCurrentState > SERVICE_PAUSED) {
        return Fail(ERROR_INVALID_DATA);
    }
    const DWORD error = dispatcher->Report(*service, *status);
    return error == 0 ? TRUE : Fail(error);
}

}  // namespace win32::service_detail
