#include "platform/modules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string WithDefaultExtension(std::string name) {
    size_t slash = name.find_last_of('/');
    std::string_view file = slash == std::string::npos ? std::string_view(name)
                                                       : std::string_view(name).substr(slash + 1);
    if (!file.empty() && file.back() == '.') {
        name.pop_back();
    } else if (file.find('.') == std::string_view::npos) {
        name += ".dll";
    }
    return name;
}

std::vector<std::string> SearchDirectories() {
    std::vector<std::string> directories{ProgramDirectory()};
    if (const char* path = std::getenv("CVN_LIBPATH"); path != nullptr) {
        std::string_view rest(path);
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            if (std::string_view dir = rest.substr(0, colon); !dir.empty()) {
                directories.emplace_back(dir);
            }
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return directories;
}

// Module names compare without regard to case on the target system, and the
// system relies on it (a locale abbreviation comes back in capitals).
std::string FindInDirectory(const std::string& directory, const std::string& name) {
    std::string exact = directory + "/" + name;
    if (IsRegularFile(exact)) {
        return exact;
    }
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string found;
    const std::u16string wanted = HostToWide(name);
    while (dirent* entry = ::readdir(dir)) {
        if (FileNamesEqual(HostToWide(entry->d_name), wanted) &&
            IsRegularFile(directory + "/" + entry->d_name)) {
            found = directory + "/" + entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string FindModuleFile(const std::string& name) {
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) {
        return FindInDirectory(slash == 0 ? "/" : name.substr(0, slash), name.substr(slash + 1));
    }
    for (const std::string& directory : SearchDirectories()) {
        if (std::string found = FindInDirectory(directory, name); !found.empty()) {
            return found;
        }
    }
    return {};
}

// The host name of a module argument: separators of either kind, host text.
std::string HostModuleName(std::u16string_view name) {
    std::string host = WideToHost(name);
    for (char& c : host) {
        if (c == '\\') {
            c = '/';
        }
    }
    return WithDefaultExtension(std::move(host));
}

// Modules loaded through the layer, with the count of loads not yet freed:
// the module's entry point hears of the first load and the last free only.
std::mutex g_modules_lock;
std::map<void*, int> g_module_loads;

using DllEntryPoint = BOOL (*)(HINSTANCE, DWORD, void*);

// A symbol the module itself defines, or null. The host's lookup on a module
// also searches the libraries it needs; their symbols are not the module's
// exports (an entry point found there would hear of a load not its own).
void* OwnSymbol(void* handle, const char* name) {
    void* symbol = ::dlsym(handle, name);
    if (symbol == nullptr) {
        return nullptr;
    }
    link_map* module = nullptr;
    link_map* holder = nullptr;
    Dl_info info;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &module) != 0 ||
        ::dladdr1(symbol, &info, reinterpret_cast<void**>(&holder), RTLD_DL_LINKMAP) == 0 ||
        holder != module) {
        return nullptr;
    }
    return symbol;
}

DllEntryPoint EntryPointOf(void* handle) {
    return reinterpret_cast<DllEntryPoint>(OwnSymbol(handle, "DllMain"));
}

HMODULE LoadHostModule(const std::string& name) {
    if (name.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::string path = FindModuleFile(name);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    std::unique_lock guard(g_modules_lock);
    if (++g_module_loads[handle] == 1) {
        if (DllEntryPoint entry = EntryPointOf(handle)) {
            guard.unlock();  // the entry point may load modules itself
            const BOOL attached = entry(static_cast<HMODULE>(handle), DLL_PROCESS_ATTACH, nullptr);
            guard.lock();
            if (!attached) {
                g_module_loads.erase(handle);
                ::dlclose(handle);
                SetLastError(ERROR_DLL_INIT_FAILED);
                return nullptr;
            }
        }
    }
    return static_cast<HMODULE>(handle);
}

}  // namespace

std::string ProgramDirectory() {
    std::string path(4096, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) {
        return ".";
    }
    path.resize(static_cast<size_t>(length));
    size_t slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

HMODULE LoadLibraryA(LPCSTR file_name) {
    if (file_name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadHostModule(HostModuleName(AnsiToWide(file_name)));
}

HMODULE LoadLibraryW(LPCWSTR file_name) {
    if (file_name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadHostModule(HostModuleName(file_name));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name) {
    const void* symbol = GetModuleDataExport(module, proc_name);
    // Function and data addresses share one representation on the host.
    return reinterpret_cast<FARPROC>(const_cast<void*>(symbol));
}

const void* GetModuleDataExport(HMODULE module, const char* name) {
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (name == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = OwnSymbol(module, name);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return symbol;
}

BOOL FreeLibrary(HMODULE module) {
    std::unique_lock guard(g_modules_lock);
    auto found = g_module_loads.find(module);
    if (module == nullptr || found == g_module_loads.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--found->second == 0) {
        g_module_loads.erase(found);
        if (DllEntryPoint entry = EntryPointOf(module)) {
            guard.unlock();
            entry(module, DLL_PROCESS_DETACH, nullptr);
            guard.lock();
        }
    }
    ::dlclose(module);
    return TRUE;
}

}  // namespace win32
