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
#include "platform/redirector_files.h"

namespace win32 {

DWORD GetFileAttributesW(LPCWSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::optional<std::u16string> full = FullPathName(name);
    if (!full) {
        return INVALID_FILE_ATTRIBUTES;
    }
    if (IsRedirectorPath(*full)) {
        std::optional<FileFacts> facts = RedirectorFileFacts(*full);
        return facts ? facts->attributes : INVALID_FILE_ATTRIBUTES;
    }
    std::optional<std::string> path = HostPathOf(*full);
    if (!path) {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat info;
    if (::stat(path->c_str(), &info) != 0 && ::lstat(path->c_str(), &info) != 0) {
        SetLastError(Win32ErrorForPath(errno, *path));
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
