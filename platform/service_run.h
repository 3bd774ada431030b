// One run of the service control dispatcher: the services of the table,
// their threads, the controls due to them and their status reports.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/service_signals.h"
#include "platform/services.h"

namespace win32::service_detail {

// One service of the table and what the run knows of it.
struct Service {
    std::string name;
    LPSERVICE_MAIN_FUNCTIONA main = nullptr;
    std::uintptr_t handle = 0;
    std::thread thread;
    // The fields below are guarded by the run's lock.
    LPHANDLER_FUNCTION handler = nullptr;
    SERVICE_STATUS status{};
    bool stopped = false;  // it reported SERVICE_STOPPED
    bool main_returned = false;
    bool stop_kept = false;  // a stop it did not accept yet
    bool interrogate_due = false;

    bool Done() const { return stopped || main_returned; }
};

// A control due to a service: its handler and the control code.
struct Control {
    LPHANDLER_FUNCTION handler;
    DWORD control;
};

class DispatcherRun : public std::enable_shared_from_this<DispatcherRun> {
public:
    DispatcherRun(std::vector<std::unique_ptr<Service>> services, std::string notify_socket);
    ~DispatcherRun();
    DispatcherRun(const DispatcherRun&) = delete;
    DispatcherRun& operator=(const DispatcherRun&) = delete;

    bool usable() const { return wake_fd_ >= 0; }
    // Gives each service its handle, counting on from `next_handle`.
    void Number(std::uintptr_t& next_handle) {
        for (auto& service : services_) {
            service->handle = next_handle++;
        }
    }
    Service* Find(std::uintptr_t handle);
    Service* FindByName(std::string_view name);

    // Starts each service's main on a thread of its own.
    void Start();
    // Takes signals and runs handlers until every service is done; 0 or the
    // Win32 code of a failure that ended the wait early.
    DWORD Serve(ControlSignals& signals);
    // Joins the threads whose mains have returned and lets go of the rest.
    void Finish();
    DWORD start_error() const { return start_error_; }

    void SetHandler(Service& service, LPHANDLER_FUNCTION handler);
    // Sends the report to the manager and keeps it: its accepted controls
    // decide whether a stop is due. 0 or the Win32 code of the failure.
    DWORD Report(Service& service, const SERVICE_STATUS& status);

private:
    void RunMain(Service& service);
    void Wake();
    void TakeSignals(ControlSignals& signals);
    std::vector<Control> DueControls();
    bool AllDone();
    bool AllMainsReturned();
    void AwaitMains();
    DWORD Deliver(const Service& service, const SERVICE_STATUS& status, bool first_running);

    std::vector<std::unique_ptr<Service>> services_;
    const std::string notify_socket_;
    const std::string runtime_directory_;
    const int wake_fd_;
    std::mutex lock_;
    std::mutex report_lock_;  // keeps the messages of reports in their order
    bool ready_sent_ = false;
    DWORD start_error_ = 0;
};

}  // namespace win32::service_detail
