#include "platform/debug_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/host_text.h"

namespace win32 {

namespace {

void AppendToDebugLog(const std::string& text) {
    const char* path = std::getenv("CVN_DEBUG_LOG");
    if (path == nullptr || *path == '\0' || text.empty()) {
        return;
    }
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;  // debugger output never fails its caller
    }
    // O_APPEND makes each write land whole at the end of the file.
    [[maybe_unused]] ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

}  // namespace

void OutputDebugStringA(LPCSTR text) {
    if (text != nullptr) {
        AppendToDebugLog(AnsiToDisplay(text));
    }
}

void OutputDebugStringW(LPCWSTR text) {
    if (text != nullptr) {
        AppendToDebugLog(WideToDisplay(text));
    }
}

}  // namespace win32
