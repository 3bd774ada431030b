#include "platform/winsock.h"

#include <atomic>
#include <cstring>

namespace win32 {

namespace {
std::atomic<int> g_startups{0};
}

int WSAStartup(WORD version, WSADATA* data) {
    const BYTE major = static_cast<BYTE>(version);
    const BYTE minor = static_cast<BYTE>(version >> 8);
    if (major < 1 || (major == 1 && minor < 1)) {
        return WSAVERNOTSUPPORTED;
    }
    if (data != nullptr) {
        std::memset(data, 0, sizeof *data);
        data->wVersion = MakeWord(1, 1);
        data->wHighVersion = MakeWord(2, 2);
        std::strcpy(data->szDescription, "Host sockets");
        std::strcpy(data->szSystemStatus, "Running");
        data->iMaxSockets = 1024;
        data->iMaxUdpDg = 65467;
    }
    ++g_startups;
    return 0;
}

int WSACleanup() {
    int outstanding = g_startups.load();
    while (outstanding > 0 && !g_startups.compare_exchange_weak(outstanding, outstanding - 1)) {
    }
    return outstanding > 0 ? 0 : -1;
}

// Not yet served by the host's resolver.
int WSAGetLastError() {
    return WSANO_RECOVERY;
}

int gethostname(char*, int) {
    return SOCKET_ERROR;
}

std::uint32_t inet_addr(const char*) {
    return INADDR_NONE;
}

hostent* gethostbyname(const char*) {
    return nullptr;
}

hostent* gethostbyaddr(const char*, int, int) {
    return nullptr;
}

}  // namespace win32
