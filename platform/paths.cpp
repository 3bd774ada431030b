#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "platform/short_names.h"

namespace win32 {

namespace {

struct DriveMapping {
    char16_t letter;
    std::string root;  // host directory, without a trailing '/' except "/"
};

char16_t UpperLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - 32 : c;
}
bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::vector<DriveMapping> DriveTable() {
    const char* value = std::getenv("CVN_DRIVES");
    std::string_view table = value != nullptr ? value : "C=/";
    std::vector<DriveMapping> drives;
    while (!table.empty()) {
        size_t end = table.find(';');
        std::string_view entry = table.substr(0, end);
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
        if (entry.size() < 3 || entry[1] != '=' || !IsLetter(entry[0]) || entry[2] != '/') {
            continue;  // not "X=/absolute/directory"
        }
        std::string root(entry.substr(2));
        while (root.size() > 1 && root.back() == '/') {
            root.pop_back();
        }
        drives.push_back({UpperLetter(static_cast<char16_t>(entry[0])), std::move(root)});
    }
    return drives;
}

// A full path split into its root ("C:", "\\server\share" or "" for the
// host's root) and components.
struct SplitPath {
    std::u16string root;
    std::vector<std::u16string> components;
    bool trailing_separator = false;
};

std::vector<std::u16string> Components(std::u16string_view text) {
    std::vector<std::u16string> parts;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        if (end > pos) {
            parts.emplace_back(text.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return parts;
}

void AppendNormalized(SplitPath& path, std::u16string_view relative) {
    for (std::u16string& part : Components(relative)) {
        if (part == u".") {
            continue;
        }
        if (part == u"..") {
            if (!path.components.empty()) {
                path.components.pop_back();
            }
            continue;
        }
        path.components.push_back(std::move(part));
    }
}

SplitPath CurrentDirectory() {
    std::string cwd(4096, '\0');
    if (::getcwd(cwd.data(), cwd.size()) == nullptr) {
        cwd = "/";
    } else {
        cwd.resize(std::char_traits<char>::length(cwd.c_str()));
    }
    SplitPath path;
    const DriveMapping* best = nullptr;
    std::vector<DriveMapping> drives = DriveTable();
    for (const DriveMapping& drive : drives) {
        bool inside =
            drive.root == "/" || cwd == drive.root ||
            (cwd.compare(0, drive.root.size(), drive.root) == 0 && cwd[drive.root.size()] == '/');
        if (inside && (best == nullptr || drive.root.size() > best->root.size())) {
            best = &drive;
        }
    }
    std::string_view below = cwd;
    if (best != nullptr) {
        path.root = std::u16string{best->letter, u':'};
        below.remove_prefix(best->root == "/" ? 0 : best->root.size());
    }
    AppendNormalized(path, HostToWide(below));
    return path;
}

// Length of the "\\server\share" prefix of a network path.
size_t NetworkRootLength(std::u16string_view name) {
    size_t pos = 2;
    for (int separators = 0; pos < name.size(); ++pos) {
        if (IsSeparator(name[pos]) && ++separators == 2) {
            break;
        }
    }
    return pos;
}

std::optional<SplitPath> Split(std::u16string_view name) {
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    SplitPath path;
    std::u16string_view rest;
    if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) {
        size_t root_length = NetworkRootLength(name);
        path.root = u"\\\\";
        for (std::u16string& part : Components(name.substr(0, root_length))) {
            path.root += (path.root.size() > 2 ? u"\\" : u"") + part;
        }
        rest = name.substr(root_length);
    } else if (name.size() >= 2 && IsLetter(name[0]) && name[1] == u':') {
        SplitPath current = CurrentDirectory();
        path.root = std::u16string{name[0], u':'};
        if (!(name.size() > 2 && IsSeparator(name[2])) && !current.root.empty() &&
            UpperLetter(current.root[0]) == UpperLetter(name[0])) {
            path.components = current.components;
        }
        rest = name.substr(2);
    } else if (IsSeparator(name[0])) {
        path.root = CurrentDirectory().root;
        rest = name;
    } else {
        path = CurrentDirectory();
        rest = name;
    }
    AppendNormalized(path, rest);
    path.trailing_separator = IsSeparator(name.back()) && !path.components.empty();
    return path;
}

std::u16string Join(const SplitPath& path) {
    std::u16string full = path.root;
    for (const std::u16string& part : path.components) {
        full += u'\\';
        full += part;
    }
    if (path.components.empty() || path.trailing_separator) {
        full += u'\\';
    }
    return full;
}

}  // namespace

std::optional<std::u16string> FullPathName(std::u16string_view name) {
    std::optional<SplitPath> path = Split(name);
    if (!path) {
        return std::nullopt;
    }
    return Join(*path);
}

DWORD GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* file_part) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::optional<std::u16string> full = FullPathName(name);
    if (!full) {
        return 0;
    }
    if (buffer == nullptr || size < full->size() + 1) {
        return static_cast<DWORD>(full->size() + 1);
    }
    std::copy(full->begin(), full->end(), buffer);
    buffer[full->size()] = u'\0';
    if (file_part != nullptr) {
        *file_part = full->back() == u'\\' ? nullptr : buffer + full->rfind(u'\\') + 1;
    }
    return static_cast<DWORD>(full->size());
}

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::optional<std::u16string> full = FullPathName(AnsiToWide(name));
    if (!full) {
        return 0;
    }
    std::string narrow = WideToAnsi(*full);
    if (buffer == nullptr || size < narrow.size() + 1) {
        return static_cast<DWORD>(narrow.size() + 1);
    }
    std::copy(narrow.begin(), narrow.end(), buffer);
    buffer[narrow.size()] = '\0';
    if (file_part != nullptr) {
        *file_part = narrow.back() == '\\' ? nullptr : buffer + narrow.rfind('\\') + 1;
    }
    return static_cast<DWORD>(narrow.size());
}

std::optional<std::string> DriveRoot(char16_t letter) {
    for (const DriveMapping& drive : DriveTable()) {
        if (drive.letter == UpperLetter(letter)) {
            return drive.root;
        }
    }
    return std::nullopt;
}

std::string HostNameIn(const std::string& directory, std::u16string_view component) {
    std::string written = WideToHost(component);
    struct stat info;
    if (::lstat((directory + "/" + written).c_str(), &info) == 0) {
        return written;
    }
    DIR* dir = ::opendir(directory.empty() ? "/" : directory.c_str());
    if (dir == nullptr) {
        return written;
    }
    std::vector<std::string> entries;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            entries.emplace_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& entry : entries) {
        if (FileNamesEqual(HostToWide(entry), component)) {
            return entry;
        }
    }
    // The 8.3 name a directory search made up for a file names that file:
    // the names are made again, in the order a search lists them.
    if (IsValidShortName(component)) {
        std::vector<std::u16string> names;
        for (const std::string& entry : entries) {
            names.push_back(HostToWide(entry));
        }
        std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
            return CompareFileNames(a, b) < 0;
        });
        std::vector<std::u16string> short_names = MakeShortNames(names);
        for (size_t i = 0; i < names.size(); ++i) {
            if (!short_names[i].empty() && FileNamesEqual(short_names[i], component)) {
                return WideToHost(names[i]);
            }
        }
    }
    return written;
}

bool IsRedirectorPath(std::u16string_view full) {
    if (full.starts_with(u"\\\\")) {
        return true;
    }
    return full.size() >= 2 && full[1] == u':' && !DriveRoot(full[0]);
}

std::optional<std::string> HostPathOf(std::u16string_view name) {
    std::optional<SplitPath> path = Split(name);
    if (!path) {
        return std::nullopt;
    }
    std::string host;
    if (path->root.size() == 2 && path->root[1] == u':') {
        std::optional<std::string> root = DriveRoot(path->root[0]);
        if (!root) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return std::nullopt;
        }
        host = *root == "/" ? "" : *root;
    } else if (!path->root.empty()) {
        SetLastError(ERROR_BAD_NETPATH);
        return std::nullopt;
    }
    for (const std::u16string& part : path->components) {
        std::string component = HostNameIn(host, part);
        host += '/';
        host += component;
    }
    if (path->components.empty() || path->trailing_separator) {
        host += '/';
    }
    return host;
}

}  // namespace win32
