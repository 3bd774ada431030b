#include "redirector/cvnrd/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>
#include <mutex>

namespace cvnrd {

namespace {
std::mutex g_log_lock;
int g_log_fd = STDERR_FILENO;
bool g_also_stderr = false;
}  // namespace

void AlsoLogToStandardError(bool also) {
    std::lock_guard guard(g_log_lock);
    g_also_stderr = also;
}

bool OpenLog(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::lock_guard guard(g_log_lock);
    g_log_fd = fd;
    return true;
}

void Log(const std::string& line) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string text =
        std::string(stamp) + " cvnrd[" + std::to_string(::getpid()) + "]: " + line + "\n";
    std::lock_guard guard(g_log_lock);
    [[maybe_unused]] ssize_t written = ::write(g_log_fd, text.data(), text.size());
    if (g_also_stderr && g_log_fd != STDERR_FILENO) {
        written = ::write(STDERR_FILENO, text.data(), text.size());
    }
}

}  // namespace cvnrd
