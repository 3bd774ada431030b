// The signals by which the host's service manager controls a service:
// SIGTERM (stop) and SIGHUP (interrogate), taken synchronously.
#pragma once

#include <signal.h>

#include <vector>

namespace win32::service_detail {

class ControlSignals {
public:
    // Blocks the two signals in the calling thread (threads it starts later
    // inherit the mask) and opens a descriptor that reads them.
    ControlSignals();
    // Discards the signals still pending (their service has ended), then
    // gives the thread its former mask again.
    ~ControlSignals();
    ControlSignals(const ControlSignals&) = delete;
    ControlSignals& operator=(const ControlSignals&) = delete;

    // -1 when the descriptor could not be opened (errno tells why).
    int fd() const { return fd_; }

    // The signals that arrived since the last call, in arrival order as the
    // host hands them out; never blocks.
    std::vector<int> Take();

private:
    sigset_t previous_mask_;
    int fd_ = -1;
};

}  // namespace win32::service_detail
