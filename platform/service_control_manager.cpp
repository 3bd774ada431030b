#include "platform/service_control_manager.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/service_command.h"
#include "platform/service_names.h"

namespace win32::service_detail {

namespace {

// What a handle stands for: the manager (a service name empty) or one of
// its services. Each keeps the systemctl it was opened with.
struct ScObject {
    std::string systemctl;
    std::string service_name;
    std::string unit;
    bool IsService() const { return !unit.empty(); }
};

class HandleTable {
public:
    SC_HANDLE Insert(ScObject object) {
        std::lock_guard guard(lock_);
        const std::uintptr_t id = next_id_++;
        objects_.emplace(id, std::make_shared<const ScObject>(std::move(object)));
        return reinterpret_cast<SC_HANDLE>(id);
    }

    std::shared_ptr<const ScObject> Find(SC_HANDLE handle) {
        std::lock_guard guard(lock_);
        auto found = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        return found == objects_.end() ? nullptr : found->second;
    }

    bool Erase(SC_HANDLE handle) {
        std::lock_guard guard(lock_);
        return objects_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1;
    }

private:
    std::mutex lock_;
    // Handle values are small numbers, never addresses: a stale or made-up
    // handle is found missing instead of being followed.
    std::uintptr_t next_id_ = 0x5C0001;
    std::map<std::uintptr_t, std::shared_ptr<const ScObject>> objects_;
};

HandleTable& Handles() {
    static HandleTable* table = new HandleTable;  // lives to the process's end
    return *table;
}

// The states in which systemd's manager answers requests.
bool ManagerAnswers(const std::string& state) {
    for (const char* answering :
         {"initializing", "starting", "running", "degraded", "maintenance", "stopping"}) {
        if (state == answering) {
            return true;
        }
    }
    return false;
}

std::string Systemctl(const ScObject& object, std::vector<std::string> arguments, bool* succeeded) {
    CommandResult result = RunCommand(object.systemctl, arguments);
    *succeeded = result.ran && result.exit_status == 0;
    return result.ran ? FirstWord(result.output) : std::string();
}

// The unit's state as a service state; 0 when systemctl could not tell.
DWORD StateOfUnit(const ScObject& service) {
    bool succeeded = false;
    const std::string active = Systemctl(service, {"is-active", service.unit}, &succeeded);
    if (active == "active" || active == "reloading") {
        return SERVICE_RUNNING;
    }
    if (active == "activating") {
        return SERVICE_START_PENDING;
    }
    if (active == "deactivating") {
        return SERVICE_STOP_PENDING;
    }
    if (active == "inactive" || active == "failed") {
        return SERVICE_STOPPED;
    }
    return 0;
}

void FillStatus(SERVICE_STATUS* status, DWORD state) {
    *status = SERVICE_STATUS{};
    status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status->dwCurrentState = state;
    // A unit of systemd can always be asked to stop, once it has started.
    if (state == SERVICE_RUNNING) {
        status->dwControlsAccepted = SERVICE_ACCEPT_STOP;
    }
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

std::shared_ptr<const ScObject> FindService(SC_HANDLE handle) {
    std::shared_ptr<const ScObject> object = Handles().Find(handle);
    return object && object->IsService() ? object : nullptr;
}

bool IsLocalDatabase(LPCSTR database_name) {
    return database_name == nullptr || *database_name == '\0' ||
           ServiceNamesEqual(database_name, "ServicesActive");
}

}  // namespace

SC_HANDLE ScOpenManager(LPCSTR machine_name, LPCSTR database_name) {
    // Only this host's manager is reachable; another machine's never is.
    std::optional<std::string> systemctl = FindSystemctl();
    if ((machine_name != nullptr && *machine_name != '\0') || !systemctl) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    if (!IsLocalDatabase(database_name)) {
        SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
        return nullptr;
    }
    ScObject manager{*systemctl, {}, {}};
    bool succeeded = false;
    // is-system-running also exits non-zero for a degraded system, which
    // still serves requests: its word tells whether the manager answered.
    if (!ManagerAnswers(Systemctl(manager, {"is-system-running"}, &succeeded))) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    return Handles().Insert(std::move(manager));
}

SC_HANDLE ScOpenService(SC_HANDLE manager_handle, LPCSTR service_name) {
    std::shared_ptr<const ScObject> manager = Handles().Find(manager_handle);
    if (!manager || manager->IsService()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (service_name == nullptr || !IsValidServiceName(service_name)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    ScObject service{manager->systemctl, service_name, UnitForService(service_name)};
    bool known = false;
    if (!service.unit.empty()) {
        Systemctl(service, {"cat", service.unit}, &known);
    }
    if (!known) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    return Handles().Insert(std::move(service));
}

BOOL ScStartService(SC_HANDLE handle) {
    std::shared_ptr<const ScObject> service = FindService(handle);
    if (!service) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    // systemctl start succeeds on a unit that runs already; the platform
    // tells the caller instead.
    const DWORD state = StateOfUnit(*service);
    if (state == SERVICE_RUNNING || state == SERVICE_START_PENDING) {
        return Fail(ERROR_SERVICE_ALREADY_RUNNING);
    }
    bool succeeded = false;
    Systemctl(*service, {"start", "--no-block", service->unit}, &succeeded);
    return succeeded ? TRUE : Fail(ERROR_SERVICE_REQUEST_TIMEOUT);
}

BOOL ScControlService(SC_HANDLE handle, DWORD control, SERVICE_STATUS* status) {
    std::shared_ptr<const ScObject> service = FindService(handle);
    if (!service) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (status == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (control == SERVICE_CONTROL_STOP) {
        // Without waiting: a start just asked for may still be queued, and
        // this stop cancels it.
        bool succeeded = false;
        Systemctl(*service, {"stop", "--no-block", service->unit}, &succeeded);
        if (!succeeded) {
            return Fail(ERROR_SERVICE_REQUEST_TIMEOUT);
        }
        FillStatus(status, SERVICE_STOP_PENDING);
        return TRUE;
    }
    if (control == SERVICE_CONTROL_INTERROGATE) {
        const DWORD state = StateOfUnit(*service);
        if (state == 0) {
            return Fail(ERROR_SERVICE_REQUEST_TIMEOUT);
        }
        FillStatus(status, state);
        return state == SERVICE_STOPPED ? Fail(ERROR_SERVICE_NOT_ACTIVE) : TRUE;
    }
    // systemd has no pause, continue or other controls for a unit.
    return Fail(ERROR_INVALID_SERVICE_CONTROL);
}

BOOL ScCloseHandle(SC_HANDLE handle) {
    return Handles().Erase(handle) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

}  // namespace win32::service_detail
