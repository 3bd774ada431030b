#include "platform/file_attributes.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace win32 {

namespace {

bool ParentExists(const std::string& path) {
    size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
    std::string parent = slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

DWORD GetFileAttributesW(LPCWSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::optional<std::string> path = HostPathOf(name);
    if (!path) {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat info;
    if (::stat(path->c_str(), &info) != 0 && ::lstat(path->c_str(), &info) != 0) {
        if (errno == ENOENT && !ParentExists(*path)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
        } else {
            SetLastErrorFromErrno();
        }
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(info);
}

DWORD GetFileAttributesA(LPCSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesW(AnsiToWide(name).c_str());
}

}  // namespace win32
