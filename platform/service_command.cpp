#include "platform/service_command.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/debug_output.h"

extern char** environ;

namespace win32::service_detail {

namespace {

constexpr size_t kMaxOutput = 64 * 1024;

bool IsExecutable(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> SearchPath(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return IsExecutable(name) ? std::optional(name) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= rest.size()) {
        size_t colon = rest.find(':', start);
        std::string directory =
            rest.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        // An empty entry would be the current directory: never a place to
        // take the service manager's client from.
        if (!directory.empty() && IsExecutable(directory + "/" + name)) {
            return directory + "/" + name;
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return std::nullopt;
}

// Spawn attributes that give the child the default disposition and an empty
// mask for the signals a service dispatcher blocks and takes itself.
class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) {
            sigaddset(&defaults, signal_number);
        }
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

class SpawnActions {
public:
    explicit SpawnActions(int output_fd) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, output_fd, 1);
        posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
    }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

// Reads to the end, keeping the first kMaxOutput bytes: the child must never
// block on a full pipe.
std::string ReadAll(int fd) {
    std::string output;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return output;
        }
        size_t keep = std::min(static_cast<size_t>(got), kMaxOutput - output.size());
        output.append(buffer, keep);
    }
}

int WaitFor(pid_t pid) {
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

void Trace(const std::string& program, const std::vector<std::string>& arguments, int status) {
    std::string line = program;
    for (const std::string& argument : arguments) {
        line += " " + argument;
    }
    line += ": exit status " + std::to_string(status) + "\n";
    OutputDebugStringA(line.c_str());
}

}  // namespace

std::optional<std::string> FindSystemctl() {
    const char* configured = std::getenv("CVN_SYSTEMCTL");
    if (configured != nullptr && *configured != '\0') {
        return SearchPath(configured);
    }
    return SearchPath("systemctl");
}

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& arguments) {
    CommandResult result;
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return result;
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int failure;
    {
        SpawnActions actions(pipe_fds[1]);
        SpawnAttributes attributes;
        failure = ::posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(),
                                environ);
    }
    ::close(pipe_fds[1]);
    if (failure == 0) {
        result.output = ReadAll(pipe_fds[0]);
    }
    ::close(pipe_fds[0]);
    if (failure != 0) {
        return result;
    }
    result.exit_status = WaitFor(pid);
    result.ran = result.exit_status >= 0;
    Trace(program, arguments, result.exit_status);
    return result;
}

std::string FirstWord(const std::string& output) {
    std::string line = output.substr(0, output.find('\n'));
    const char* blanks = " \t\r";
    size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

}  // namespace win32::service_detail
