// Services under the host's service manager: the dispatcher, status reports
// as notification messages and status file, the manager's signals as
// controls, and the control manager calls over systemctl.
#include "platform/services.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/service_control_manager.h"
#include "tests/support/files.h"
#include "tests/support/notify_listener.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

using cvn_test::NotifyListener;
using cvn_test::ScopedEnv;
using cvn_test::TempDir;
using win32::DWORD;

constexpr auto kPatience = std::chrono::seconds(20);

std::string AbstractName() {
    static int count = 0;
    return "@cvn-services-test-" + std::to_string(::getpid()) + "-" + std::to_string(++count);
}

// What the service main of the in-process tests does.
std::function<void(DWORD, win32::LPSTR*)> g_service_body;
void ServiceMain(DWORD argc, win32::LPSTR* argv) {
    g_service_body(argc, argv);
}
void IgnoreControl(DWORD) {}

win32::BOOL RunService(const char* name) {
    std::string copy = name;
    const win32::SERVICE_TABLE_ENTRYA table[] = {{copy.data(), ServiceMain}, {nullptr, nullptr}};
    return win32::StartServiceCtrlDispatcherA(table);
}

win32::SERVICE_STATUS Status(DWORD state, DWORD controls, DWORD check_point, DWORD wait_hint,
                             DWORD win32_exit_code = 0, DWORD specific_exit_code = 0) {
    return {win32::SERVICE_WIN32_OWN_PROCESS,
            state,
            controls,
            win32_exit_code,
            specific_exit_code,
            check_point,
            wait_hint};
}

// Reports the status and returns the last error, 0 on success.
DWORD Report(win32::SERVICE_STATUS_HANDLE handle, win32::SERVICE_STATUS status) {
    win32::SetLastError(0);
    return win32::SetServiceStatus(handle, &status) ? 0 : win32::GetLastError();
}

TEST(ServiceDispatcher, FailsWithoutAServiceManager) {
    struct Case {
        std::optional<std::string> notify_socket;
        std::optional<std::string> cvn_service;
    };
    for (const Case& c :
         {Case{std::nullopt, std::nullopt}, Case{"", "0"}, Case{std::nullopt, "yes"}}) {
        ScopedEnv env("NOTIFY_SOCKET", c.notify_socket);
        env.Set("CVN_SERVICE", c.cvn_service);
        bool ran = false;
        g_service_body = [&](DWORD, win32::LPSTR*) { ran = true; };
        win32::SetLastError(0);
        EXPECT_EQ(RunService("Corvane"), win32::FALSE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        EXPECT_FALSE(ran);
    }
    win32::SetLastError(0);
    EXPECT_EQ(win32::RegisterServiceCtrlHandlerA("Corvane", IgnoreControl), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
    EXPECT_EQ(Report(nullptr, Status(win32::SERVICE_STOPPED, 0, 1, 10)),
              win32::ERROR_INVALID_HANDLE);
}

TEST(ServiceDispatcher, ReportsReachTheManagerAndTheStatusFile) {
    // The reports of a service's life, from start to stop; the exit code
    // the manager is told is the service-specific one when there is one.
    struct Case {
        const char* socket;  // "path", "abstract", or "none" (a manager that reads the file)
        DWORD win32_exit_code;
        DWORD specific_exit_code;
        const char* exit_status;
    };
    for (const Case& c :
         {Case{"path", 0, 0, "0"}, Case{"abstract", 5, 9, "5"},
          Case{"path", win32::ERROR_SERVICE_SPECIFIC_ERROR, 42, "42"}, Case{"none", 0, 0, "0"}}) {
        SCOPED_TRACE(c.socket);
        TempDir dir;
        const std::string socket_kind = c.socket;
        std::optional<NotifyListener> listener;
        if (socket_kind != "none") {
            listener.emplace(socket_kind == "path" ? dir / "notify" : AbstractName());
        }
        ScopedEnv env("NOTIFY_SOCKET", listener ? std::optional(listener->name()) : std::nullopt);
        env.Set("CVN_SERVICE", listener ? std::nullopt : std::optional<std::string>("1"));
        // A runtime directory that does not exist yet.
        env.Set("CVN_RUNTIME_DIR", dir / "run");

        std::vector<std::string> arguments;
        std::vector<DWORD> results;
        win32::SERVICE_STATUS_HANDLE handle = nullptr;
        g_service_body = [&](DWORD argc, win32::LPSTR* argv) {
            arguments.assign(argv, argv + argc);
            // The name is matched without regard to case.
            handle = win32::RegisterServiceCtrlHandlerA("CORVANE", IgnoreControl);
            results = {
                Report(handle, Status(win32::SERVICE_START_PENDING, 0, 1, 5000)),
                Report(handle,
                       Status(win32::SERVICE_RUNNING,
                              win32::SERVICE_ACCEPT_STOP | win32::SERVICE_ACCEPT_SHUTDOWN, 0, 0)),
                Report(handle, Status(win32::SERVICE_STOP_PENDING, 0, 1, 1000)),
                Report(handle, Status(win32::SERVICE_STOPPED, 0, 1, 10, c.win32_exit_code,
                                      c.specific_exit_code)),
            };
        };
        ASSERT_EQ(RunService("Corvane"), win32::TRUE) << win32::GetLastError();
        EXPECT_EQ(arguments, std::vector<std::string>{"Corvane"});
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(results, (std::vector<DWORD>{0, 0, 0, 0}));
        if (listener) {
            EXPECT_EQ(listener->Pending(),
                      (std::vector<std::string>{
                          "STATUS=start pending\n", "READY=1\nSTATUS=running\n",
                          "STOPPING=1\nSTATUS=stop pending\n",
                          "STATUS=stopped\nEXIT_STATUS=" + std::string(c.exit_status) + "\n"}));
        }
        EXPECT_EQ(
            cvn_test::ReadFile(dir / "run/corvane.status"),
            "type=16\nstate=1\ncontrols=0\nwin32_exit_code=" + std::to_string(c.win32_exit_code) +
                "\nservice_specific_exit_code=" + std::to_string(c.specific_exit_code) +
                "\ncheck_point=1\nwait_hint=10\npid=" + std::to_string(::getpid()) + "\n");
        // The handle ends with the dispatcher's run.
        EXPECT_EQ(Report(handle, Status(win32::SERVICE_STOPPED, 0, 0, 0)),
                  win32::ERROR_INVALID_HANDLE);
    }
}

TEST(ServiceDispatcher, RefusesBadTablesHandlesStatesAndNames) {
    TempDir dir;
    ScopedEnv env("CVN_SERVICE", "1");
    env.Set("NOTIFY_SOCKET", std::nullopt);
    env.Set("CVN_RUNTIME_DIR", dir.path());

    char good[] = "Corvane";
    char slash[] = "cv/agent";
    const win32::SERVICE_TABLE_ENTRYA empty[] = {{nullptr, nullptr}};
    const win32::SERVICE_TABLE_ENTRYA no_main[] = {{good, nullptr}, {nullptr, nullptr}};
    const win32::SERVICE_TABLE_ENTRYA bad_name[] = {{slash, ServiceMain}, {nullptr, nullptr}};
    struct TableCase {
        const win32::SERVICE_TABLE_ENTRYA* table;
        DWORD error;
    };
    for (const TableCase& c : {TableCase{nullptr, win32::ERROR_INVALID_PARAMETER},
                               TableCase{empty, win32::ERROR_INVALID_PARAMETER},
                               TableCase{no_main, win32::ERROR_INVALID_PARAMETER},
                               TableCase{bad_name, win32::ERROR_INVALID_NAME}}) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::StartServiceCtrlDispatcherA(c.table), win32::FALSE);
        EXPECT_EQ(win32::GetLastError(), c.error);
    }

    std::map<std::string, DWORD> errors;
    g_service_body = [&](DWORD, win32::LPSTR*) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::RegisterServiceCtrlHandlerA("Other", IgnoreControl), nullptr);
        errors["unknown name"] = win32::GetLastError();
        EXPECT_EQ(win32::RegisterServiceCtrlHandlerA("Corvane", nullptr), nullptr);
        errors["no handler"] = win32::GetLastError();
        win32::SERVICE_STATUS_HANDLE handle =
            win32::RegisterServiceCtrlHandlerA("Corvane", IgnoreControl);
        ASSERT_NE(handle, nullptr);
        auto other = reinterpret_cast<win32::SERVICE_STATUS_HANDLE>(
            reinterpret_cast<std::uintptr_t>(handle) + 1);
        errors["made-up handle"] = Report(other, Status(win32::SERVICE_RUNNING, 0, 0, 0));
        errors["state 0"] = Report(handle, Status(0, 0, 0, 0));
        errors["state 8"] = Report(handle, Status(8, 0, 0, 0));
        EXPECT_EQ(win32::SetServiceStatus(handle, nullptr), win32::FALSE);
        errors["no status"] = win32::GetLastError();
        EXPECT_EQ(RunService("Corvane"), win32::FALSE);
        errors["second dispatcher"] = win32::GetLastError();
        // Returning without a stopped report ends the service all the same.
    };
    ASSERT_EQ(RunService("Corvane"), win32::TRUE) << win32::GetLastError();
    EXPECT_EQ(errors, (std::map<std::string, DWORD>{
                          {"unknown name", win32::ERROR_SERVICE_DOES_NOT_EXIST},
                          {"no handler", win32::ERROR_INVALID_PARAMETER},
                          {"made-up handle", win32::ERROR_INVALID_HANDLE},
                          {"state 0", win32::ERROR_INVALID_DATA},
                          {"state 8", win32::ERROR_INVALID_DATA},
                          {"no status", win32::ERROR_INVALID_PARAMETER},
                          {"second dispatcher", win32::ERROR_SERVICE_ALREADY_RUNNING},
                      }));
    EXPECT_FALSE(cvn_test::FileExists(dir / "corvane.status"));
}

// The service probe as a child process under a test-owned notification
// socket; its standard input tells its service when starting is over.
class ProbeProcess {
public:
    ProbeProcess(const NotifyListener& listener, const TempDir& dir) : output_(dir / "out.txt") {
        int input[2];
        EXPECT_EQ(::pipe2(input, O_CLOEXEC), 0);
        input_ = input[1];
        std::vector<std::string> environment{"NOTIFY_SOCKET=" + listener.name(),
                                             "CVN_RUNTIME_DIR=" + dir / "run"};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (std::strncmp(*variable, "NOTIFY_SOCKET=", 14) != 0 &&
                std::strncmp(*variable, "CVN_RUNTIME_DIR=", 16) != 0) {
                environment.emplace_back(*variable);
            }
        }
        std::vector<char*> envp;
        for (std::string& variable : environment) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_addopen(&actions, 1, output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::string program = CVN_SERVICE_PROBE;
        char* argv[] = {program.data(), nullptr};
        EXPECT_EQ(::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
    }
    ~ProbeProcess() {
        ::close(input_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    pid_t pid() const { return pid_; }
    void FinishStarting() { EXPECT_EQ(::write(input_, "go\n", 3), 3); }
    void Signal(int signal_number) { EXPECT_EQ(::kill(pid_, signal_number), 0); }

    // True once the process has no `signal_number` pending any more: its
    // dispatcher has taken it.
    bool SignalTaken(int signal_number) {
        const auto limit = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < limit) {
            std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
            std::string line;
            while (std::getline(status, line)) {
                if (line.rfind("ShdPnd:", 0) == 0) {
                    const unsigned long long pending = std::stoull(line.substr(7), nullptr, 16);
                    if ((pending & (1ULL << (signal_number - 1))) == 0) {
                        return true;
                    }
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    // Its exit status (-1 when a signal ended it) and what it printed.
    std::pair<int, std::string> Finish() {
        int status = 0;
        const auto limit = std::chrono::steady_clock::now() + kPatience;
        pid_t done = 0;
        while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (done == pid_) {
            pid_ = 0;
        }
        const int exit_status = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return {exit_status, cvn_test::ReadFile(output_)};
    }

private:
    std::string output_;
    int input_ = -1;
    pid_t pid_ = 0;
};

TEST(ServiceDispatcher, ManagerSignalsArriveAsControlsOnTheDispatcherThread) {
    TempDir dir;
    NotifyListener listener(dir / "notify");
    ProbeProcess probe(listener, dir);
    EXPECT_EQ(listener.Next(), "STATUS=start pending\n");
    probe.FinishStarting();
    EXPECT_EQ(listener.Next(), "READY=1\nSTATUS=running\n");
    probe.Signal(SIGHUP);
    EXPECT_EQ(listener.Next(), "STATUS=running\n");  // the interrogation's answer
    probe.Signal(SIGTERM);
    EXPECT_EQ(listener.Next(), "STOPPING=1\nSTATUS=stop pending\n");
    EXPECT_EQ(listener.Next(), "STATUS=stopped\nEXIT_STATUS=3\n");
    EXPECT_EQ(probe.Finish(), std::make_pair(0, std::string("argc 1, argv[0] Probe\n"
                                                            "control signals blocked\n"
                                                            "control 4 on the dispatcher thread, "
                                                            "state 4\n"
                                                            "control 1 on the dispatcher thread, "
                                                            "state 4\n"
                                                            "dispatcher returned\n")));
}

TEST(ServiceDispatcher, StopWhileStartIsPendingWaitsUntilTheServiceAcceptsIt) {
    TempDir dir;
    NotifyListener listener(dir / "notify");
    ProbeProcess probe(listener, dir);
    EXPECT_EQ(listener.Next(), "STATUS=start pending\n");
    probe.Signal(SIGTERM);
    ASSERT_TRUE(probe.SignalTaken(SIGTERM));
    // The stop is kept, not delivered and not lost: the service is still
    // starting, and accepts no control yet.
    probe.FinishStarting();
    EXPECT_EQ(listener.Next(), "READY=1\nSTATUS=running\n");
    EXPECT_EQ(listener.Next(), "STOPPING=1\nSTATUS=stop pending\n");
    EXPECT_EQ(listener.Next(), "STATUS=stopped\nEXIT_STATUS=3\n");
    EXPECT_EQ(probe.Finish(), std::make_pair(0, std::string("argc 1, argv[0] Probe\n"
                                                            "control signals blocked\n"
                                                            "control 1 on the dispatcher thread, "
                                                            "state 4\n"
                                                            "dispatcher returned\n")));
}

// A stand-in for systemctl that records its arguments, one call a line, and
// answers from files beside it: "system" (the manager's state, default
// running), "active" (every unit's state, default inactive), "fail-start"
// and "fail-stop". The unit nosuch.service does not exist.
class FakeSystemctl {
public:
    FakeSystemctl() : env_("CVN_SYSTEMCTL", dir_ / "systemctl") {
        // Shell built-ins only: some tests run it with an empty PATH.
        cvn_test::WriteFile(dir_ / "systemctl", R"(#!/bin/sh
dir=${0%/*}
echo "$*" >> "$dir/calls"
answer() {
    state=$2
    [ -e "$dir/$1" ] && read -r state < "$dir/$1"
    echo "$state"
    [ "$state" = "$3" ]
}
case "$1" in
is-system-running) answer system running running ;;
cat) [ "$2" != nosuch.service ] && echo "[Unit]" ;;
is-active) answer active inactive active ;;
start|stop) [ ! -e "$dir/fail-$1" ] ;;
*) exit 1 ;;
esac
)");
        EXPECT_EQ(::chmod((dir_ / "systemctl").c_str(), 0755), 0);
    }

    void Set(const std::string& file, const std::string& contents) {
        cvn_test::WriteFile(dir_ / file, contents + "\n");
    }
    std::string TakeCalls() {
        std::string calls =
            cvn_test::FileExists(dir_ / "calls") ? cvn_test::ReadFile(dir_ / "calls") : "";
        std::filesystem::remove(dir_ / "calls");
        return calls;
    }

private:
    TempDir dir_;
    ScopedEnv env_;
};

TEST(ServiceControlManager, StartsThenStopsTheServiceThroughSystemctl) {
    FakeSystemctl systemctl;
    ScopedEnv unit("CVN_SERVICE_UNIT_CORVANE", std::nullopt);
    win32::SC_HANDLE manager =
        win32::OpenSCManagerA(nullptr, nullptr, win32::SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr) << win32::GetLastError();
    win32::SC_HANDLE service = win32::OpenServiceA(manager, "Corvane", win32::GENERIC_EXECUTE);
    ASSERT_NE(service, nullptr) << win32::GetLastError();
    EXPECT_EQ(win32::StartServiceA(service, 0, nullptr), win32::TRUE) << win32::GetLastError();
    win32::SERVICE_STATUS status{};
    EXPECT_EQ(win32::ControlService(service, win32::SERVICE_CONTROL_STOP, &status), win32::TRUE);
    EXPECT_EQ(status.dwServiceType, win32::SERVICE_WIN32_OWN_PROCESS);
    EXPECT_EQ(status.dwCurrentState, win32::SERVICE_STOP_PENDING);
    EXPECT_EQ(win32::CloseServiceHandle(service), win32::TRUE);
    EXPECT_EQ(win32::CloseServiceHandle(manager), win32::TRUE);
    EXPECT_EQ(systemctl.TakeCalls(),
              "is-system-running\n"
              "cat cvagent.service\n"
              "is-active cvagent.service\n"
              "start --no-block cvagent.service\n"
              "stop --no-block cvagent.service\n");
    // A handle closed is gone.
    win32::SetLastError(0);
    EXPECT_EQ(win32::CloseServiceHandle(service), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    EXPECT_EQ(win32::StartServiceA(service, 0, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
}

TEST(ServiceControlManager, ServiceNamesMapToUnits) {
    FakeSystemctl systemctl;
    struct Case {
        const char* name;
        std::optional<std::string> configured;  // CVN_SERVICE_UNIT_<NAME>
        const char* unit;                       // empty: refused before systemctl runs
    };
    for (const Case& c : {Case{"Corvane", std::nullopt, "cvagent.service"},
                          Case{"corVANE", std::nullopt, "cvagent.service"},
                          Case{"Corvane", "cvagent-test.service", "cvagent-test.service"},
                          Case{"MyHelper", std::nullopt, "myhelper.service"},
                          Case{"Corvane", "--force", ""}, Case{"two words", std::nullopt, ""}}) {
        SCOPED_TRACE(c.name);
        std::string upper = c.name;
        for (char& ch : upper) {
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        ScopedEnv unit("CVN_SERVICE_UNIT_" + upper, c.configured);
        win32::SC_HANDLE manager = win32::OpenSCManagerA(nullptr, nullptr, 0);
        ASSERT_NE(manager, nullptr);
        systemctl.TakeCalls();
        win32::SC_HANDLE service = win32::OpenServiceA(manager, c.name, 0);
        if (*c.unit != '\0') {
            EXPECT_NE(service, nullptr);
            EXPECT_EQ(systemctl.TakeCalls(), "cat " + std::string(c.unit) + "\n");
        } else {
            EXPECT_EQ(service, nullptr);
            EXPECT_EQ(win32::GetLastError(), win32::ERROR_SERVICE_DOES_NOT_EXIST);
            EXPECT_EQ(systemctl.TakeCalls(), "");
        }
        win32::CloseServiceHandle(service);
        win32::CloseServiceHandle(manager);
    }
}

TEST(ServiceControlManager, ErrorsAndStatesFromSystemctl) {
    FakeSystemctl systemctl;
    win32::SC_HANDLE manager = win32::OpenSCManagerA(nullptr, nullptr, 0);
    ASSERT_NE(manager, nullptr);
    win32::SetLastError(0);
    EXPECT_EQ(win32::OpenServiceA(manager, "NoSuch", 0), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_EQ(win32::OpenServiceA(manager, "a\\b", 0), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_NAME);
    win32::SC_HANDLE service = win32::OpenServiceA(manager, "Corvane", 0);
    ASSERT_NE(service, nullptr);
    // A service handle is no manager handle, nor the reverse.
    EXPECT_EQ(win32::OpenServiceA(service, "Corvane", 0), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    EXPECT_EQ(win32::StartServiceA(manager, 0, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);

    // Starting: a unit that runs or starts already, and a start that fails.
    for (const char* active : {"active", "activating"}) {
        systemctl.Set("active", active);
        EXPECT_EQ(win32::StartServiceA(service, 0, nullptr), win32::FALSE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_SERVICE_ALREADY_RUNNING) << active;
    }
    systemctl.Set("active", "inactive");
    systemctl.Set("fail-start", "");
    EXPECT_EQ(win32::StartServiceA(service, 0, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_SERVICE_REQUEST_TIMEOUT);

    // Interrogating: the unit's state as a service state.
    struct StateCase {
        const char* active;
        DWORD state;
        DWORD error;  // 0: succeeds
    };
    for (const StateCase& c :
         {StateCase{"active", win32::SERVICE_RUNNING, 0},
          StateCase{"reloading", win32::SERVICE_RUNNING, 0},
          StateCase{"activating", win32::SERVICE_START_PENDING, 0},
          StateCase{"deactivating", win32::SERVICE_STOP_PENDING, 0},
          StateCase{"failed", win32::SERVICE_STOPPED, win32::ERROR_SERVICE_NOT_ACTIVE},
          StateCase{"inactive", win32::SERVICE_STOPPED, win32::ERROR_SERVICE_NOT_ACTIVE}}) {
        systemctl.Set("active", c.active);
        win32::SERVICE_STATUS status{};
        win32::SetLastError(0);
        const win32::BOOL ok =
            win32::ControlService(service, win32::SERVICE_CONTROL_INTERROGATE, &status);
        EXPECT_EQ(ok, c.error == 0 ? win32::TRUE : win32::FALSE) << c.active;
        EXPECT_EQ(win32::GetLastError(), c.error) << c.active;
        EXPECT_EQ(status.dwCurrentState, c.state) << c.active;
    }

    // Stopping that fails, and controls systemd has no counterpart for.
    systemctl.Set("fail-stop", "");
    win32::SERVICE_STATUS status{};
    EXPECT_EQ(win32::ControlService(service, win32::SERVICE_CONTROL_STOP, &status), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_SERVICE_REQUEST_TIMEOUT);
    EXPECT_EQ(win32::ControlService(service, win32::SERVICE_CONTROL_PAUSE, &status), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_SERVICE_CONTROL);
    EXPECT_EQ(win32::ControlService(service, win32::SERVICE_CONTROL_STOP, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(win32::CloseServiceHandle(service), win32::TRUE);
    EXPECT_EQ(win32::CloseServiceHandle(manager), win32::TRUE);
    EXPECT_EQ(win32::CloseServiceHandle(nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
}

TEST(ServiceControlManager, UnreachableWithoutSystemctlOrItsManager) {
    TempDir empty;
    FakeSystemctl fake;
    struct Case {
        const char* what;
        std::optional<std::string> systemctl;  // CVN_SYSTEMCTL
        std::string system_state;              // the fake's manager state
        const char* machine;
        bool reachable;
    };
    const std::string fake_path = std::string(std::getenv("CVN_SYSTEMCTL"));
    for (const Case& c : {
             Case{"none on the path", std::nullopt, "running", nullptr, false},
             Case{"a missing program", empty / "systemctl", "running", nullptr, false},
             Case{"a manager that is not running", fake_path, "offline", nullptr, false},
             Case{"a degraded system still answers", fake_path, "degraded", nullptr, true},
             Case{"another machine", fake_path, "running", "\\\\elsewhere", false},
         }) {
        SCOPED_TRACE(c.what);
        ScopedEnv env("CVN_SYSTEMCTL", c.systemctl);
        env.Set("PATH", empty.path());
        fake.Set("system", c.system_state);
        win32::SetLastError(0);
        win32::SC_HANDLE manager = win32::OpenSCManagerA(c.machine, nullptr, 0);
        if (c.reachable) {
            EXPECT_NE(manager, nullptr);
            EXPECT_EQ(win32::CloseServiceHandle(manager), win32::TRUE);
        } else {
            EXPECT_EQ(manager, nullptr);
            EXPECT_EQ(win32::GetLastError(), win32::RPC_S_SERVER_UNAVAILABLE);
        }
    }
}

}  // namespace
