// Helpers of the end-to-end tests of cvnrd: bounded waits, the daemon's pid,
// a raw connection to its socket, and a daemon run in the foreground as a
// child of the test.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/bytes.h"
#include "platform/device_protocol.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace redirector_test {

inline ::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in \"" << text << "\"";
}

// Waits until `done` holds, at most `limit`; the test fails rather than
// hangs when the daemon does not do what it should.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline pid_t PidIn(const std::string& pid_file) {
    try {
        return static_cast<pid_t>(std::stol(cvn_test::ReadFile(pid_file)));
    } catch (...) {
        return -1;
    }
}

inline bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// One stream connection to a redirector's socket, frames sent and received
// by hand so that the test can also send what no client would.
class RawConnection {
public:
    explicit RawConnection(const std::string& socket_path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
        if (fd_ >= 0 &&
            ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawConnection() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return fd_ >= 0; }

    bool SendRaw(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t sent = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) {
                continue;
            }
            if (sent <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(sent);
        }
        return true;
    }
    bool SendFrame(const std::vector<std::uint8_t>& payload) {
        return win32::device_protocol::WriteFrame(fd_, payload);
    }
    // No more requests on this connection.
    void EndRequests() { ::shutdown(fd_, SHUT_WR); }

    // Exactly `size` bytes; nullopt at the end of the stream, on an error or
    // when nothing comes within the limit.
    std::optional<std::vector<std::uint8_t>> Receive(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        std::size_t done = 0;
        while (done < size) {
            pollfd ready{fd_, POLLIN, 0};
            int polled = ::poll(&ready, 1, 30000);
            if (polled < 0 && errno == EINTR) {
                continue;
            }
            if (polled <= 0) {
                timed_out_ = polled == 0;
                return std::nullopt;
            }
            ssize_t got = ::recv(fd_, bytes.data() + done, size - done, 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return std::nullopt;
            }
            done += static_cast<std::size_t>(got);
        }
        return bytes;
    }
    std::optional<std::vector<std::uint8_t>> ReceiveFrame() {
        std::optional<std::vector<std::uint8_t>> header = Receive(4);
        if (!header) {
            return std::nullopt;
        }
        std::uint32_t size = win32::ByteReader(*header).U32();
        if (size > (1u << 20)) {
            return std::nullopt;
        }
        return Receive(size);
    }
    // True when the daemon closes the connection (rather than letting it
    // hang) once it has answered what it will.
    bool ClosedByPeer() {
        while (true) {
            std::optional<std::vector<std::uint8_t>> more = Receive(1);
            if (!more) {
                return !timed_out_;
            }
        }
    }
    bool timed_out() const { return timed_out_; }

private:
    int fd_ = -1;
    bool timed_out_ = false;
};

// cvnrd in the foreground as a child of the test, its output in files.
class ForegroundDaemon {
public:
    ForegroundDaemon(const std::string& runtime_dir, std::vector<std::string> arguments = {})
        : runtime_dir_(runtime_dir) {
        std::vector<std::string> all{cvn_test::BinPath("cvnrd"), "--runtime-dir", runtime_dir};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (output_ / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (output_ / "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ForegroundDaemon() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ForegroundDaemon(const ForegroundDaemon&) = delete;
    ForegroundDaemon& operator=(const ForegroundDaemon&) = delete;

    pid_t pid() const { return pid_; }
    std::string socket_path() const { return runtime_dir_ + "/cvnrd.sock"; }

    // Serving: its socket accepts a connection and its pid file is written
    // (or it has exited).
    bool WaitServing() {
        return WaitFor([&] {
                   return (RawConnection(socket_path()).connected() &&
                           cvn_test::FileExists(runtime_dir_ + "/cvnrd.pid")) ||
                          Exited();
               }) &&
               !Exited();
    }
    bool Exited() {
        if (!exited_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return exited_;
    }
    // The exit status; -1 when killed by a signal or not gone in time.
    int Wait() {
        WaitFor([&] { return Exited(); });
        return exited_ ? exit_status_ : -1;
    }
    std::string err() const { return cvn_test::ReadFile(output_ / "err"); }

private:
    std::string runtime_dir_;
    cvn_test::TempDir output_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int exit_status_ = -1;
};

}  // namespace redirector_test
