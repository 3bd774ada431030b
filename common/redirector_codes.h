// Control codes of the redirector. Each is built from one small number n:
// device type and function both 0xC00 + n, buffered transfer, any access.
#pragma once

#include "platform/types.h"

namespace cvn {

constexpr win32::DWORD RedirectorControlCode(win32::DWORD n) {
    return ((0xC00 + n) << 16) | ((0xC00 + n) << 2);
}

inline constexpr win32::DWORD FSCTL_SERVER_ADD_DISK = RedirectorControlCode(0);
inline constexpr win32::DWORD FSCTL_SERVER_DEL_FORCE = RedirectorControlCode(1);
inline constexpr win32::DWORD FSCTL_SERVER_DEL = RedirectorControlCode(2);
inline constexpr win32::DWORD FSCTL_SERVER_GETMNT = RedirectorControlCode(3);
inline constexpr win32::DWORD FSCTL_SERVER_GETIDSTAT = RedirectorControlCode(4);
inline constexpr win32::DWORD FSCTL_SERVER_HELPER_EXCHANGE = RedirectorControlCode(6);
inline constexpr win32::DWORD FSCTL_SERVER_SET_NFSATR = RedirectorControlCode(7);
inline constexpr win32::DWORD FSCTL_SERVER_GET_NFSATR = RedirectorControlCode(8);
inline constexpr win32::DWORD FSCTL_SERVER_SETMNT = RedirectorControlCode(9);
inline constexpr win32::DWORD FSCTL_SERVER_GET_USER = RedirectorControlCode(10);
inline constexpr win32::DWORD FSCTL_SERVER_SET_USER = RedirectorControlCode(11);
inline constexpr win32::DWORD FSCTL_SERVER_OPEN_EXPORTS = RedirectorControlCode(12);
inline constexpr win32::DWORD FSCTL_SERVER_NEXT_ENTRY = RedirectorControlCode(13);
inline constexpr win32::DWORD FSCTL_SERVER_NEXT_MOUNT = RedirectorControlCode(14);
inline constexpr win32::DWORD FSCTL_SERVER_NEXT_PENDING_ADDRESS = RedirectorControlCode(15);
inline constexpr win32::DWORD FSCTL_SERVER_ADD_PRINTER = RedirectorControlCode(16);
inline constexpr win32::DWORD FSCTL_SERVER_OPEN_PRINTERS = RedirectorControlCode(17);
inline constexpr win32::DWORD FSCTL_SERVER_SET_NFSATR_95 = RedirectorControlCode(19);
inline constexpr win32::DWORD FSCTL_SERVER_GET_NFSATR_95 = RedirectorControlCode(20);
inline constexpr win32::DWORD FSCTL_SERVER_HELPER_REGISTER = RedirectorControlCode(22);

static_assert(FSCTL_SERVER_GETMNT == 0x0C03300C);
static_assert(FSCTL_SERVER_GETIDSTAT == 0x0C043010);
static_assert(FSCTL_SERVER_HELPER_EXCHANGE == 0x0C063018);
static_assert(FSCTL_SERVER_SET_NFSATR == 0x0C07301C);
static_assert(FSCTL_SERVER_GET_NFSATR == 0x0C083020);
static_assert(FSCTL_SERVER_NEXT_MOUNT == 0x0C0E3038);
static_assert(FSCTL_SERVER_NEXT_PENDING_ADDRESS == 0x0C0F303C);
static_assert(FSCTL_SERVER_SET_NFSATR_95 == 0x0C13304C);
static_assert(FSCTL_SERVER_GET_NFSATR_95 == 0x0C143050);
static_assert(FSCTL_SERVER_HELPER_REGISTER == 0x0C163058);
static_assert(FSCTL_SERVER_ADD_DISK == 0x0C003000);
static_assert(FSCTL_SERVER_ADD_PRINTER == 0x0C103040);
static_assert(FSCTL_SERVER_DEL_FORCE == 0x0C013004);
static_assert(FSCTL_SERVER_DEL == 0x0C023008);
static_assert(FSCTL_SERVER_SETMNT == 0x0C093024);
static_assert(FSCTL_SERVER_GET_USER == 0x0C0A3028);
static_assert(FSCTL_SERVER_SET_USER == 0x0C0B302C);
static_assert(FSCTL_SERVER_OPEN_EXPORTS == 0x0C0C3030);
static_assert(FSCTL_SERVER_NEXT_ENTRY == 0x0C0D3034);
static_assert(FSCTL_SERVER_OPEN_PRINTERS == 0x0C113044);

// The tag the sender puts at offset 0 of every record.
inline constexpr win32::WORD kRecordTag = 326;

// Status words of the redirector that the client reads itself.
inline constexpr win32::WORD kStatusNoSuchMount = 532;
inline constexpr win32::WORD kStatusOpenFiles = 545;

}  // namespace cvn
