// How the redirector refuses a request: its own status word, written into
// the record, and the Win32 error the caller's DeviceIoControl then reports.
// Each pair agrees with the client's translation of status words.
#pragma once

#include <cstdint>

#include "platform/errors.h"

namespace cvnrd {

struct Failure {
    std::uint16_t status;
    win32::DWORD error;
};

inline constexpr Failure kAccessDenied{1, win32::ERROR_ACCESS_DENIED};
inline constexpr Failure kNotFound{2, win32::ERROR_FILE_NOT_FOUND};
inline constexpr Failure kUnknownRequest{20, win32::ERROR_INVALID_FUNCTION};
inline constexpr Failure kInvalidParameter{22, win32::ERROR_INVALID_PARAMETER};
inline constexpr Failure kNoSpace{28, win32::ERROR_DISK_FULL};
inline constexpr Failure kReadOnly{30, win32::ERROR_ACCESS_DENIED};
inline constexpr Failure kNameTooLong{63, win32::ERROR_FILENAME_EXCED_RANGE};
inline constexpr Failure kConnectionGone{70, win32::ERROR_NETNAME_DELETED};
inline constexpr Failure kNoMoreEntries{507, win32::ERROR_NO_MORE_ITEMS};
inline constexpr Failure kNoSuchMount{532, win32::ERROR_NOT_CONNECTED};
inline constexpr Failure kNoSuchExport{537, win32::ERROR_BAD_NET_NAME};
inline constexpr Failure kOpenFiles{545, win32::ERROR_OPEN_FILES};
inline constexpr Failure kNoSuchHost{553, win32::ERROR_BAD_NET_NAME};
inline constexpr Failure kDeviceInUse{555, win32::ERROR_ALREADY_EXISTS};
inline constexpr Failure kBadPassword{1001, win32::ERROR_INVALID_PASSWORD};
inline constexpr Failure kBadDevice{1102, win32::ERROR_BAD_DEVICE};
inline constexpr Failure kIoError{2005, win32::ERROR_IO_DEVICE};

// The failure for an errno of the host file system.
Failure FailureFromErrno(int error_number);

}  // namespace cvnrd
