#include "platform/host_errors.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

struct ErrnoMapping {
    int error_number;
    DWORD win32_code;
};

// ENOENT is "file not found"; a missing directory on the way shows up as
// ENOTDIR or is told apart by the callers that need to (GetFileAttributes).
constexpr ErrnoMapping kErrnoMap[] = {
    {0, ERROR_SUCCESS},
    {EPERM, ERROR_ACCESS_DENIED},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {EIO, ERROR_IO_DEVICE},
    {ENXIO, ERROR_FILE_NOT_FOUND},
    {E2BIG, ERROR_INVALID_PARAMETER},
    {EBADF, ERROR_INVALID_HANDLE},
    {EAGAIN, ERROR_NOT_READY},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EACCES, ERROR_ACCESS_DENIED},
    {EFAULT, ERROR_INVALID_PARAMETER},
    {EBUSY, ERROR_BUSY},
    {EEXIST, ERROR_FILE_EXISTS},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ENODEV, ERROR_BAD_UNIT},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {ENOSPC, ERROR_DISK_FULL},
    {ESPIPE, ERROR_NEGATIVE_SEEK},
    {EROFS, ERROR_WRITE_PROTECT},
    {EPIPE, ERROR_NO_DATA},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
    {EDQUOT, ERROR_DISK_QUOTA_EXCEEDED},
    {ECONNREFUSED, ERROR_CONNECTION_REFUSED},
    {ENOTSUP, ERROR_NOT_SUPPORTED},
    {ETIMEDOUT, ERROR_SEM_TIMEOUT},
    {ECANCELED, ERROR_OPERATION_ABORTED},
};

}  // namespace

DWORD Win32ErrorFromErrno(int error_number) {
    for (const auto& mapping : kErrnoMap) {
        if (mapping.error_number == error_number) {
            return mapping.win32_code;
        }
    }
    return ERROR_GEN_FAILURE;
}

DWORD Win32ErrorForPath(int error_number, const std::string& host_path) {
    if (error_number != ENOENT) {
        return Win32ErrorFromErrno(error_number);
    }
    size_t slash = host_path.find_last_of('/', host_path.size() > 1 ? host_path.size() - 2 : 0);
    std::string parent =
        slash == std::string::npos || slash == 0 ? "/" : host_path.substr(0, slash);
    struct stat info;
    bool parent_is_directory = ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return parent_is_directory ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD SetLastErrorFromErrno() {
    DWORD code = Win32ErrorFromErrno(errno);
    SetLastError(code);
    return code;
}

}  // namespace win32
