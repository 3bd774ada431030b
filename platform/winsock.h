// Winsock 1.1: start-up and clean-up, and the name services over the host's
// resolver. The host's sockets need no start-up; the calls keep the counts
// the platform keeps, so that every start has its end.
//
// Name services: CVN_HOSTS names a hosts file (the host's /etc/hosts
// format); when it is set, it alone answers, and a name or address it does
// not list is not found, so tests resolve fixed names without touching the
// system and get the same answers with or without a network. When it is not
// set, the host's resolver answers. The hostent answers live in per-thread
// storage, valid until the thread's next call, as Winsock's do. gethostname
// gives CVN_HOSTNAME when it is set, else the host's name. An empty variable
// counts as unset.
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
inline constexpr int WSAEAFNOSUPPORT = 10047;
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

// 0, or SOCKET_ERROR with WSAEFAULT when `name` is null or the name and its
// terminator do not fit `length` (the buffer is then left as it was).
int gethostname(char* name, int length);

// The address (network byte order) of a dotted IPv4 text: a.b.c.d, or the
// shorter a.b.c, a.b and a forms whose last part fills the remaining bytes;
// parts in decimal, octal (leading 0) or hexadecimal (0x). A blank ends the
// text and what follows it is ignored. INADDR_NONE for null, an empty text,
// a leading blank or anything else that is not an address; note that
// "255.255.255.255" gives the same value.
std::uint32_t inet_addr(const char* text);

// Null with the thread's Winsock error set when the name or address has no
// answer: WSAHOST_NOT_FOUND (unknown), WSANO_DATA (no IPv4 address),
// WSATRY_AGAIN (the resolver may answer later), WSANO_RECOVERY (the resolver
// failed, or the hosts file cannot be read). IPv4 only.
//
// gethostbyname: WSAEFAULT for null. A dotted address answers itself, named
// by its text; an empty name is the local host (gethostname's name).
hostent* gethostbyname(const char* name);
// gethostbyaddr: WSAEFAULT for a null address or a length below 4 (the
// first 4 bytes of a longer one are used), WSAEAFNOSUPPORT for a type other
// than AF_INET.
hostent* gethostbyaddr(const char* address, int length, int type);

}  // namespace win32
