#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace cvn_test {

namespace {

std::vector<std::string> CleanEnvironment(const ProcessOptions& options) {
    std::map<std::string, std::optional<std::string>> variables;
    for (const char* name : {"PATH", "HOME", "TMPDIR", "ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            variables[name] = value;
        }
    }
    variables["LANG"] = "C";
    for (const auto& [name, value] : options.environment) {
        variables[name] = value;
    }
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables) {
        if (value) {
            entries.push_back(name + "=" + *value);
        }
    }
    return entries;
}

void Pump(int in_fd, const std::string& input, int out_fd, int err_fd, ProcessResult& result) {
    size_t written = 0;
    if (in_fd >= 0 && input.empty()) {
        ::close(in_fd);
        in_fd = -1;
    }
    while (out_fd >= 0 || err_fd >= 0) {
        pollfd fds[3];
        int count = 0;
        if (in_fd >= 0)
            fds[count++] = {in_fd, POLLOUT, 0};
        if (out_fd >= 0)
            fds[count++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0)
            fds[count++] = {err_fd, POLLIN, 0};
        if (::poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == in_fd) {
                ssize_t n = ::write(in_fd, input.data() + written,
                                    std::min<size_t>(input.size() - written, 65536));
                if (n > 0)
                    written += static_cast<size_t>(n);
                if (n < 0 || written == input.size()) {
                    ::close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            char buffer[65536];
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            std::string& sink = fds[i].fd == out_fd ? result.out : result.err;
            if (n > 0) {
                sink.append(buffer, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                (fds[i].fd == out_fd ? out_fd : err_fd) = -1;
            }
        }
    }
    if (in_fd >= 0)
        ::close(in_fd);
}

}  // namespace

std::string BinPath(const std::string& name) {
    return std::string(CVN_BIN_DIR) + "/" + name;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) || ::pipe2(out_pipe, O_CLOEXEC) ||
        ::pipe2(err_pipe, O_CLOEXEC)) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.close_input) {
        posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
    } else {
        posix_spawn_file_actions_adddup2(&actions, in_pipe[0], STDIN_FILENO);
    }
    if (options.stdout_path.empty()) {
        posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.stdout_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
    if (!options.working_directory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, options.working_directory.c_str());
    }
    std::vector<std::string> env = CleanEnvironment(options);
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid;
    int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (spawned != 0) {
        ::close(in_pipe[1]);
        ::close(out_pipe[0]);
        ::close(err_pipe[0]);
        throw std::runtime_error("cannot start " + program);
    }
    ProcessResult result;
    if (options.stdout_closed_pipe) {
        ::close(out_pipe[0]);  // the program's writes now find no reader
        out_pipe[0] = -1;
    }
    // The parent must not die of SIGPIPE while feeding a program that quit.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    Pump(in_pipe[1], options.input, out_pipe[0], err_pipe[0], result);
    ::sigaction(SIGPIPE, &previous, nullptr);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

}  // namespace cvn_test
