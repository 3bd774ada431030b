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

}  // namespace win32
