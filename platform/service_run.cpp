#include "platform/service_run.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

#include "platform/debug_output.h"
#include "platform/device_transport.h"
#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/last_error.h"
#include "platform/service_names.h"
#include "platform/service_notify.h"
#include "platform/service_status_file.h"

namespace win32::service_detail {

namespace {

constexpr auto kMainGracePeriod = std::chrono::seconds(2);

}  // namespace

DispatcherRun::DispatcherRun(std::vector<std::unique_ptr<Service>> services,
                             std::string notify_socket)
    : services_(std::move(services)),
      notify_socket_(std::move(notify_socket)),
      runtime_directory_(RedirectorRuntimeDirectory()),
      wake_fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

DispatcherRun::~DispatcherRun() {
    if (wake_fd_ >= 0) {
        ::close(wake_fd_);
    }
}

Service* DispatcherRun::Find(std::uintptr_t handle) {
    for (auto& service : services_) {
        if (service->handle == handle) {
            return service.get();
        }
    }
    return nullptr;
}

Service* DispatcherRun::FindByName(std::string_view name) {
    for (auto& service : services_) {
        if (ServiceNamesEqual(service->name, name)) {
            return service.get();
        }
    }
    return nullptr;
}

void DispatcherRun::Start() {
    for (auto& service : services_) {
        Service* started = service.get();
        try {
            started->thread =
                std::thread([self = shared_from_this(), started] { self->RunMain(*started); });
        } catch (const std::system_error&) {
            std::lock_guard guard(lock_);
            started->main_returned = true;
            start_error_ = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
}

void DispatcherRun::RunMain(Service& service) {
    // The main may write into its arguments: it gets a copy of the name.
    std::string name = service.name;
    char* argv[] = {name.data(), nullptr};
    service.main(1, argv);
    {
        std::lock_guard guard(lock_);
        service.main_returned = true;
    }
    Wake();
}

void DispatcherRun::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wake_fd_, &one, sizeof one);
}

DWORD DispatcherRun::Serve(ControlSignals& signals) {
    pollfd watched[2] = {{signals.fd(), POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    for (;;) {
        for (const Control& due : DueControls()) {
            due.handler(due.control);
        }
        if (AllDone()) {
            AwaitMains();
            return 0;
        }
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Win32ErrorFromErrno(errno);
        }
        if (watched[0].revents != 0) {
            TakeSignals(signals);
        }
        if (watched[1].revents != 0) {
            std::uint64_t count;
            [[maybe_unused]] ssize_t got = ::read(wake_fd_, &count, sizeof count);
        }
    }
}

void DispatcherRun::TakeSignals(ControlSignals& signals) {
    std::lock_guard guard(lock_);
    for (int signal_number : signals.Take()) {
        for (auto& service : services_) {
            if (service->Done()) {
                continue;
            }
            // A stop is kept until the service accepts it (a service that
            // is still starting does not); an interrogation is only for a
            // service that can answer it now.
            if (signal_number == SIGTERM) {
                service->stop_kept = true;
            } else if (signal_number == SIGHUP && service->handler != nullptr) {
                service->interrogate_due = true;
            }
        }
    }
}

std::vector<Control> DispatcherRun::DueControls() {
    std::vector<Control> due;
    std::lock_guard guard(lock_);
    for (auto& service : services_) {
        if (service->Done() || service->handler == nullptr) {
            continue;
        }
        if (service->interrogate_due) {
            service->interrogate_due = false;
            due.push_back({service->handler, SERVICE_CONTROL_INTERROGATE});
        }
        if (service->stop_kept && (service->status.dwControlsAccepted & SERVICE_ACCEPT_STOP)) {
            service->stop_kept = false;
            due.push_back({service->handler, SERVICE_CONTROL_STOP});
        }
    }
    return due;
}

bool DispatcherRun::AllDone() {
    std::lock_guard guard(lock_);
    for (auto& service : services_) {
        if (!service->Done()) {
            return false;
        }
    }
    return true;
}

bool DispatcherRun::AllMainsReturned() {
    std::lock_guard guard(lock_);
    for (auto& service : services_) {
        if (!service->main_returned) {
            return false;
        }
    }
    return true;
}

// A main reports its stop as its last act and returns: the dispatcher's
// caller, which usually ends the process next, should not race it. A main
// that goes on after its stop is not waited for beyond a grace period.
void DispatcherRun::AwaitMains() {
    const auto limit = std::chrono::steady_clock::now() + kMainGracePeriod;
    pollfd wake{wake_fd_, POLLIN, 0};
    while (!AllMainsReturned()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            limit - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return;
        }
        if (::poll(&wake, 1, static_cast<int>(left.count())) > 0) {
            std::uint64_t count;
            [[maybe_unused]] ssize_t got = ::read(wake_fd_, &count, sizeof count);
        }
    }
}

void DispatcherRun::Finish() {
    for (auto& service : services_) {
        bool returned;
        {
            std::lock_guard guard(lock_);
            returned = service->main_returned;
        }
        if (!service->thread.joinable()) {
            continue;
        }
        // A main still busy after its grace period is left to end on its
        // own; it shares this object until then.
        if (returned) {
            service->thread.join();
        } else {
            service->thread.detach();
        }
    }
}

void DispatcherRun::SetHandler(Service& service, LPHANDLER_FUNCTION handler) {
    {
        std::lock_guard guard(lock_);
        service.handler = handler;
    }
    Wake();  // a stop kept for it may be due now
}

DWORD DispatcherRun::Report(Service& service, const SERVICE_STATUS& status) {
    std::lock_guard report(report_lock_);
    bool first_running = false;
    {
        std::lock_guard guard(lock_);
        service.status = status;
        if (status.dwCurrentState == SERVICE_RUNNING && !ready_sent_) {
            ready_sent_ = first_running = true;
        }
    }
    const DWORD error = Deliver(service, status, first_running);
    // Only once the report has gone out may the dispatcher end with it.
    if (status.dwCurrentState == SERVICE_STOPPED) {
        std::lock_guard guard(lock_);
        service.stopped = true;
    }
    Wake();
    return error;
}

// Under systemd the notification is what the manager reads and the status
// file a view for people; with a manager that reads only the file, the file
// has to be written.
DWORD DispatcherRun::Deliver(const Service& service, const SERVICE_STATUS& status,
                             bool first_running) {
    const DWORD saved_error = GetLastError();
    DWORD error = 0;
    if (!notify_socket_.empty()) {
        error = SendNotification(notify_socket_, NotificationFor(status, first_running));
    }
    const DWORD file_error = WriteStatusFile(runtime_directory_, service.name, status);
    if (notify_socket_.empty()) {
        error = file_error;
    } else if (file_error != 0) {
        const std::string trace = "status file of " + service.name + " not written: error " +
                                  std::to_string(file_error) + "\n";
        OutputDebugStringA(trace.c_str());
    }
    SetLastError(saved_error);
    return error;
}

}  // namespace win32::service_detail
