#include "cvagent/service.h"

#include <algorithm>
#include <thread>

#include "cvagent/registration.h"
#include "cvagent/worker.h"
#include "platform/device.h"

namespace cvagent {

namespace {
constexpr int kWorkerThreads = 3;
}

Service::Service() {
    winsock_result_ = win32::WSAStartup(win32::MakeWord(1, 1), &winsock_data_);
}

Service::~Service() {
    if (winsock_result_ == 0) {
        win32::WSACleanup();
    }
}

bool Service::Init(int, char**) {
    if (winsock_result_ != 0) {
        return false;
    }
    running_ = true;
    return true;
}

win32::DWORD Service::Run() {
    if (win32::DWORD error = RegisterWithRedirector()) {
        return error;
    }
    std::vector<win32::DWORD> results(kWorkerThreads, 0);
    std::vector<std::thread> workers;
    for (int i = 0; i < kWorkerThreads; ++i) {
        workers.emplace_back([this, &results, i] { results[i] = ServeRedirector(*this); });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    // Workers ended by a stop end the service cleanly; otherwise the first
    // one's reason is the service's.
    return running_ ? results[0] : 0;
}

void Service::Resume() {
    suspended_ = false;
}

void Service::Suspend() {
    suspended_ = true;
}

void Service::Stop() {
    running_ = false;
    std::lock_guard guard(handles_lock_);
    for (win32::HANDLE handle : worker_handles_) {
        win32::CancelIoEx(handle, nullptr);
    }
}

void Service::AddWorkerHandle(win32::HANDLE handle) {
    std::lock_guard guard(handles_lock_);
    worker_handles_.push_back(handle);
    // A stop that came first ends this worker's first wait as well.
    if (!running_) {
        win32::CancelIoEx(handle, nullptr);
    }
}

void Service::RemoveWorkerHandle(win32::HANDLE handle) {
    std::lock_guard guard(handles_lock_);
    std::erase(worker_handles_, handle);
}

Service& TheService() {
    static Service service;
    return service;
}

}  // namespace cvagent
