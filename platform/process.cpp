#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/crt_argv.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/host_errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "platform/modules.h"

extern char** environ;

namespace win32 {

namespace {

class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(pid_t pid) : pid_(pid) {}
    pid_t pid() const { return pid_; }
    DWORD ExitCode() {
        if (!exited_) {
            int status = 0;
            pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                exited_ = true;
                exit_code_ = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 1;
            } else if (done < 0) {
                exited_ = true;  // not our child any more (detached): nothing to tell
                exit_code_ = 0;
            }
        }
        return exited_ ? exit_code_ : STILL_ACTIVE;
    }

private:
    pid_t pid_;
    bool exited_ = false;
    DWORD exit_code_ = 0;
};

bool IsExecutable(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The host file of a program name, with or without its ".exe".
std::string ExecutableIn(const std::string& directory, const std::string& name) {
    std::string path = directory.empty() ? name : directory + "/" + name;
    if (IsExecutable(path)) {
        return path;
    }
    if (path.size() > 4 && (path.ends_with(".exe") || path.ends_with(".EXE"))) {
        std::string bare = path.substr(0, path.size() - 4);
        if (IsExecutable(bare)) {
            return bare;
        }
    }
    return {};
}

// A program found relative to the caller's current directory, made
// absolute: the new process may start in another directory, and its program
// is still the one the caller found.
std::string Absolute(std::string path) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    std::string current(4096, '\0');
    if (::getcwd(current.data(), current.size()) == nullptr) {
        return path;
    }
    current.resize(std::char_traits<char>::length(current.c_str()));
    return current + (current.ends_with('/') ? "" : "/") + path;
}

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return Absolute(ExecutableIn("", name));
    }
    std::vector<std::string> directories{ProgramDirectory(), "."};
    if (const char* path = std::getenv("PATH")) {
        std::string rest = path;
        size_t pos = 0;
        while (pos <= rest.size()) {
            size_t colon = rest.find(':', pos);
            directories.push_back(
                rest.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos));
            if (colon == std::string::npos) {
                break;
            }
            pos = colon + 1;
        }
    }
    for (const std::string& directory : directories) {
        if (std::string found = ExecutableIn(directory, name); !found.empty()) {
            return Absolute(std::move(found));
        }
    }
    return {};
}

}  // namespace

BOOL CreateProcessA(LPCSTR application, LPSTR command_line, void*, void*, BOOL, DWORD flags, void*,
                    LPCSTR directory, STARTUPINFOA*, PROCESS_INFORMATION* information) {
    std::vector<std::u16string> words;
    if (command_line != nullptr) {
        words = SplitCommandLine(AnsiToWide(command_line));
    }
    std::string program = application != nullptr
                              ? WideToHost(AnsiToWide(application))
                              : (words.empty() ? std::string() : WideToHost(words[0]));
    for (char& c : program) {
        if (c == '\\') {
            c = '/';
        }
    }
    std::string path = program.empty() ? std::string() : FindProgram(program);
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::vector<std::string> arguments;
    for (const std::u16string& word : words) {
        arguments.push_back(WideToHost(word));
    }
    if (arguments.empty()) {
        arguments.push_back(path);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (flags & DETACHED_PROCESS) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (flags & DETACHED_PROCESS) {
        // A detached process has no console: what it reads finds nothing,
        // what it writes goes nowhere, never onto its parent's console.
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    if (directory != nullptr) {
        posix_spawn_file_actions_addchdir_np(&actions, WideToHost(AnsiToWide(directory)).c_str());
    }
    pid_t pid = 0;
    int failure = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        SetLastError(Win32ErrorFromErrno(failure));
        return FALSE;
    }
    auto process = std::make_shared<ProcessObject>(pid);
    if (information != nullptr) {
        information->hProcess = InsertHandle(process);
        information->hThread = InsertHandle(process);
        information->dwProcessId = static_cast<DWORD>(pid);
        information->dwThreadId = static_cast<DWORD>(pid);
    }
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exit_code) {
    std::shared_ptr<ProcessObject> object = ReferenceHandleAs<ProcessObject>(process);
    if (!object || exit_code == nullptr) {
        SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exit_code = object->ExitCode();
    return TRUE;
}

}  // namespace win32
