// Winsock 1.1: start-up and clean-up. The host's sockets need neither; the
// calls keep the counts the platform keeps, so that every start has its end.
#pragma once

#include "platform/types.h"

namespace win32 {

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};

inline constexpr int WSAVERNOTSUPPORTED = 10092;
inline constexpr int WSANOTINITIALISED = 10093;

constexpr WORD MakeWord(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (high << 8));
}

// 0, or WSAVERNOTSUPPORTED for a version below 1.1.
int WSAStartup(WORD version, WSADATA* data);
// 0, or SOCKET_ERROR (-1) when no start-up is outstanding.
int WSACleanup();

}  // namespace win32
