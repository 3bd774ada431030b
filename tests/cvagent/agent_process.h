// cvagent running beside a test (in the console with -D, or as a service):
// its standard input is a pipe the test types into, its output goes to files
// the test reads once it has ended.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace cvagent_test {

class AgentProcess {
public:
    AgentProcess(const std::map<std::string, std::string>& environment, const std::string& out_path,
                 const std::string& err_path, bool console = true)
        : out_path_(out_path), err_path_(err_path) {
        int input[2];
        if (::pipe2(input, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> variables{"LANG=C"};
        for (const char* name : {"PATH", "HOME", "ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) {
                variables.push_back(std::string(name) + "=" + value);
            }
        }
        for (const auto& [name, value] : environment) {
            variables.push_back(name + "=" + value);
        }
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        std::string program = cvn_test::BinPath("cvagent");
        std::string console_switch = "-D";
        char* argv[] = {program.data(), console ? console_switch.data() : nullptr, nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        input_ = input[1];
    }

    ~AgentProcess() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (input_ >= 0) {
            ::close(input_);
        }
    }
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    bool started() const { return pid_ > 0; }
    void Signal(int signal) { ::kill(pid_, signal); }

    void Type(const std::string& keys) {
        if (input_ >= 0 && ::write(input_, keys.data(), keys.size()) < 0) {
            ADD_FAILURE() << "cannot type into cvagent";
        }
    }
    void CloseInput() {
        ::close(input_);
        input_ = -1;
    }

    // Its exit status once it has ended within `limit`; -1 when it did not
    // (it is then killed), -2 when a signal ended it.
    int WaitForEnd(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    bool Running() {
        int status = 0;
        return !ended_ && ::waitpid(pid_, &status, WNOHANG) == 0;
    }

    std::string Out() const { return cvn_test::ReadFile(out_path_); }
    std::string Err() const { return cvn_test::ReadFile(err_path_); }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    bool ended_ = false;
    std::string out_path_;
    std::string err_path_;
};

}  // namespace cvagent_test
