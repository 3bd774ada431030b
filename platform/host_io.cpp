#include "platform/host_io.h"

#include <unistd.h>

#include <cerrno>

namespace win32 {

int WriteAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t wrote = ::write(fd, data + done, size - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote < 0) {
            return errno;
        }
        if (wrote == 0) {
            return ENOSPC;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return 0;
}

}  // namespace win32
