#include "platform/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/case_fold.h"
#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"

namespace win32 {

std::optional<std::vector<DirectoryEntry>> ListHostDirectory(const std::string& directory,
                                                             bool is_root) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno));
        return std::nullopt;
    }
    std::vector<std::u16string> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(HostToWide(name));
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        return CompareFileNames(a, b) < 0;
    });
    if (!is_root) {
        names.insert(names.begin(), {u".", u".."});
    }
    std::vector<DirectoryEntry> listing;
    for (std::u16string& name : names) {
        std::string host = directory + WideToHost(name);
        struct stat info;
        if (::stat(host.c_str(), &info) != 0 && ::lstat(host.c_str(), &info) != 0) {
            continue;
        }
        listing.push_back({std::move(name), FactsOf(info)});
    }
    return listing;
}

}  // namespace win32
