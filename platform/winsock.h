// Winsock 1.1: start-up and clean-up, and the name services over the host's
// resolver. The host's sockets need no start-up; the calls keep the counts
// the platform keeps, so that every start has its end.
//
// Name services: CVN_HOSTS names a hosts file (the host's /etc/hosts
// format) that is consulted first and alone answers for the names and
// addresses it lists, so tests resolve fixed names without touching the
// system; other names go to the host's resolver. The hostent answers live
// in per-thread storage, valid until the thread's next call, as Winsock's
// do. gethostname gives CVN_HOSTNAME when it is set, else the host's name.
#pragma once

#include <cstdint>

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

inline constexpr int WSAEFAULT = 10014;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAVERNOTSUPPORTED = 10092;
inline constexpr int WSANOTINITIALISED = 10093;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
inline constexpr int WSATRY_AGAIN = 11002;
inline constexpr int WSANO_RECOVERY = 11003;
inline constexpr int WSANO_DATA = 11004;

inline constexpr int SOCKET_ERROR = -1;
inline constexpr short AF_INET = 2;
inline constexpr std::uint32_t INADDR_NONE = 0xFFFFFFFF;

struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

constexpr WORD MakeWord(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (high << 8));
}

// 0, or WSAVERNOTSUPPORTED for a version below 1.1.
int WSAStartup(WORD version, WSADATA* data);
// 0, or SOCKET_ERROR (-1) when no start-up is outstanding.
int WSACleanup();

// The last Winsock error of the calling thread.
int WSAGetLastError();

// 0, or SOCKET_ERROR with WSAEFAULT when the name does not fit `length`.
int gethostname(char* name, int length);

// The address (network byte order) of a dotted IPv4 text, INADDR_NONE when
// it is not one.
std::uint32_t inet_addr(const char* text);

// Null with the thread's Winsock error set (WSAHOST_NOT_FOUND, WSANO_DATA,
// WSATRY_AGAIN) when the name or address has no answer. IPv4 only.
hostent* gethostbyname(const char* name);
hostent* gethostbyaddr(const char* address, int length, int type);

}  // namespace win32
