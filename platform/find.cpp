#include "platform/find.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/directory_listing.h"
#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/redirector_files.h"
#include "platform/short_names.h"
#include "platform/wildcard.h"

namespace win32 {

namespace {

struct FoundFile {
    std::u16string name;
    std::u16string short_name;
    FileFacts facts;
};

using Listing = std::vector<DirectoryEntry>;

struct Search {
    std::vector<FoundFile> matches;
    size_t next = 0;
};

// Live searches, so a stale or foreign handle is refused instead of followed.
std::mutex g_searches_lock;
std::set<Search*> g_searches;

HANDLE Register(std::unique_ptr<Search> search) {
    std::lock_guard lock(g_searches_lock);
    Search* raw = search.release();
    g_searches.insert(raw);
    return raw;
}

Search* Lookup(HANDLE handle) {
    std::lock_guard lock(g_searches_lock);
    auto found = g_searches.find(static_cast<Search*>(handle));
    return found == g_searches.end() ? nullptr : *found;
}

// The listing of the directory of a full Windows path (ending with '').
std::optional<Listing> ListDirectory(const std::u16string& directory) {
    if (IsRedirectorPath(directory)) {
        std::optional<RedirectorListing> served = ListRedirectorDirectory(directory);
        if (!served) {
            return std::nullopt;
        }
        return std::move(served->entries);
    }
    std::optional<std::string> host_directory = HostPathOf(directory);
    if (!host_directory) {
        return std::nullopt;
    }
    // A drive's root, or the host's, lists no "." or "..".
    const bool is_root = std::count(directory.begin(), directory.end(), u'\\') <= 1;
    return ListHostDirectory(*host_directory, is_root);
}

std::unique_ptr<Search> StartSearch(std::u16string_view pattern) {
    std::optional<std::u16string> full = FullPathName(pattern);
    if (!full) {
        return nullptr;
    }
    size_t separator = full->rfind(u'\\');
    std::u16string file_pattern = full->substr(separator + 1);
    std::u16string directory = full->substr(0, separator + 1);
    if (file_pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::optional<Listing> listing = ListDirectory(directory);
    if (!listing) {
        return nullptr;
    }
    std::vector<std::u16string> names;
    for (const DirectoryEntry& entry : *listing) {
        names.push_back(entry.name);
    }
    std::vector<std::u16string> short_names = MakeShortNames(names);
    auto search = std::make_unique<Search>();
    for (size_t i = 0; i < names.size(); ++i) {
        const std::u16string& name = names[i];
        if (MatchesFilePattern(file_pattern, name) ||
            (!short_names[i].empty() && MatchesFilePattern(file_pattern, short_names[i]))) {
            search->matches.push_back({name, short_names[i], (*listing)[i].facts});
        }
    }
    if (search->matches.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return search;
}

template <typename FindData>
void FillCommon(const FoundFile& file, FindData* data) {
    data->dwFileAttributes = file.facts.attributes;
    data->ftCreationTime = file.facts.creation;
    data->ftLastAccessTime = file.facts.last_access;
    data->ftLastWriteTime = file.facts.last_write;
    data->nFileSizeHigh = static_cast<DWORD>(file.facts.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(file.facts.size);
    data->dwReserved0 = 0;
    data->dwReserved1 = 0;
}

template <typename Char, size_t N>
void CopyName(std::basic_string_view<Char> name, Char (&field)[N]) {
    std::fill(std::begin(field), std::end(field), Char());
    std::copy_n(name.begin(), std::min(name.size(), N - 1), field);
}

void Fill(const FoundFile& file, WIN32_FIND_DATAW* data) {
    FillCommon(file, data);
    CopyName<char16_t>(file.name, data->cFileName);
    CopyName<char16_t>(file.short_name, data->cAlternateFileName);
}

void Fill(const FoundFile& file, WIN32_FIND_DATAA* data) {
    FillCommon(file, data);
    CopyName<char>(WideToAnsi(file.name), data->cFileName);
    CopyName<char>(WideToAnsi(file.short_name), data->cAlternateFileName);
}

template <typename FindData>
HANDLE First(std::u16string_view pattern, FindData* data) {
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::unique_ptr<Search> search = StartSearch(pattern);
    if (!search) {
        return INVALID_HANDLE_VALUE;
    }
    Fill(search->matches[search->next++], data);
    return Register(std::move(search));
}

template <typename FindData>
BOOL Next(HANDLE handle, FindData* data) {
    Search* search = Lookup(handle);
    if (search == nullptr || data == nullptr) {
        SetLastError(search == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (search->next >= search->matches.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(search->matches[search->next++], data);
    return TRUE;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
    if (pattern == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return First(pattern, data);
}

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
    if (pattern == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return First(AnsiToWide(pattern), data);
}

BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data) {
    return Next(search, data);
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) {
    return Next(search, data);
}

BOOL FindClose(HANDLE handle) {
    std::lock_guard lock(g_searches_lock);
    auto found = g_searches.find(static_cast<Search*>(handle));
    if (found == g_searches.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete *found;
    g_searches.erase(found);
    return TRUE;
}

}  // namespace win32
