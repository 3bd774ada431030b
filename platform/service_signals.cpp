#include "platform/service_signals.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace win32::service_detail {

namespace {

sigset_t ControlSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

ControlSignals::ControlSignals() {
    const sigset_t set = ControlSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_mask_);
    fd_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

ControlSignals::~ControlSignals() {
    if (fd_ >= 0) {
        Take();
        ::close(fd_);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
}

std::vector<int> ControlSignals::Take() {
    std::vector<int> signals;
    signalfd_siginfo information;
    for (;;) {
        ssize_t got = ::read(fd_, &information, sizeof information);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got != static_cast<ssize_t>(sizeof information)) {
            return signals;
        }
        signals.push_back(static_cast<int>(information.ssi_signo));
    }
}

}  // namespace win32::service_detail
