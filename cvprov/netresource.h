// The network provider's records as the platform defines them. Records that
// hold pointers have the host's native layout (pointers of 8 bytes); every
// size rule is computed from these definitions.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace cvprov {

inline constexpr win32::DWORD RESOURCE_CONNECTED = 1;
inline constexpr win32::DWORD RESOURCE_GLOBALNET = 2;
inline constexpr win32::DWORD RESOURCE_CONTEXT = 5;

inline constexpr win32::DWORD RESOURCETYPE_ANY = 0;
inline constexpr win32::DWORD RESOURCETYPE_DISK = 1;
inline constexpr win32::DWORD RESOURCETYPE_PRINT = 2;

inline constexpr win32::DWORD RESOURCEDISPLAYTYPE_GENERIC = 0;
inline constexpr win32::DWORD RESOURCEDISPLAYTYPE_DOMAIN = 1;
inline constexpr win32::DWORD RESOURCEDISPLAYTYPE_SERVER = 2;
inline constexpr win32::DWORD RESOURCEDISPLAYTYPE_SHARE = 3;
inline constexpr win32::DWORD RESOURCEDISPLAYTYPE_NETWORK = 6;

inline constexpr win32::DWORD RESOURCEUSAGE_CONNECTABLE = 1;
inline constexpr win32::DWORD RESOURCEUSAGE_CONTAINER = 2;
inline constexpr win32::DWORD RESOURCEUSAGE_ATTACHED = 0x10;

inline constexpr win32::DWORD CONNECT_UPDATE_PROFILE = 0x1;
inline constexpr win32::DWORD CONNECT_TEMPORARY = 0x4;
inline constexpr win32::DWORD CONNECT_INTERACTIVE = 0x8;

inline constexpr win32::DWORD UNIVERSAL_NAME_INFO_LEVEL = 1;
inline constexpr win32::DWORD REMOTE_NAME_INFO_LEVEL = 2;

struct NETRESOURCEA {
    win32::DWORD dwScope;
    win32::DWORD dwType;
    win32::DWORD dwDisplayType;
    win32::DWORD dwUsage;
    char* lpLocalName;
    char* lpRemoteName;
    char* lpComment;
    char* lpProvider;
};

struct NETRESOURCEW {
    win32::DWORD dwScope;
    win32::DWORD dwType;
    win32::DWORD dwDisplayType;
    win32::DWORD dwUsage;
    char16_t* lpLocalName;
    char16_t* lpRemoteName;
    char16_t* lpComment;
    char16_t* lpProvider;
};

struct UNIVERSAL_NAME_INFOA {
    char* lpUniversalName;
};

struct REMOTE_NAME_INFOA {
    char* lpUniversalName;
    char* lpConnectionName;
    char* lpRemainingPath;
};

}  // namespace cvprov
