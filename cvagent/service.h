// The helper's service object: one per process, made before anything else
// runs, with Winsock started for it. The service shell and the console mode
// drive it through its operations.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/services.h"
#include "platform/types.h"
#include "platform/winsock.h"

namespace cvagent {

class Service {
public:
    Service();
    virtual ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Fails when Winsock did not start; else the service counts as running.
    virtual bool Init(int argc, char** argv);
    // Registers with the redirector and serves it on three worker threads
    // until they end; a Win32 code.
    virtual win32::DWORD Run();
    // Suspending and resuming keep a flag only: host threads cannot be held
    // from outside, and no control of this service asks for it.
    virtual void Resume();
    virtual void Suspend();
    // Marks the service as stopping and ends the workers' waiting requests,
    // so that Run returns.
    virtual void Stop();

    bool running() const { return running_; }
    win32::DWORD exit_code() const { return exit_code_; }

    win32::SERVICE_STATUS_HANDLE status_handle = nullptr;

    // The control-device handles of the workers, so that Stop can end their
    // waits; each worker adds its own and takes it away when it ends.
    void AddWorkerHandle(win32::HANDLE handle);
    void RemoveWorkerHandle(win32::HANDLE handle);

private:
    std::atomic<bool> running_{false};
    std::atomic<bool> suspended_{false};
    win32::DWORD exit_code_ = 0;
    int winsock_result_ = 0;
    win32::WSADATA winsock_data_{};
    std::mutex handles_lock_;
    std::vector<win32::HANDLE> worker_handles_;
};

// The process's one service object.
Service& TheService();

}  // namespace cvagent
