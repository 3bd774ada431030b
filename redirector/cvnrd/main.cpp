// cvnrd: the host redirector daemon.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/device_transport.h"
#include "redirector/core/redirector.h"
#include "redirector/cvnrd/ctl.h"
#include "redirector/cvnrd/log.h"
#include "redirector/cvnrd/options.h"
#include "redirector/cvnrd/server.h"

namespace {

using cvnrd::Log;

cvnrd::Server* g_server = nullptr;

void OnStopSignal(int) {
    if (g_server != nullptr) {
        g_server->Stop();
    }
}

void InstallSignalHandlers() {
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal_number, &stop, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

bool MakeDirectories(const std::string& path, mode_t mode) {
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

std::string PidFile(const cvnrd::Options& options) {
    return options.pid_file.empty() ? win32::RedirectorRuntimeDirectory() + "/cvnrd.pid"
                                    : options.pid_file;
}

// The embedded default's export directory, with a sample file on first use.
std::optional<cvnrd::ExportTable> DemoExports(const cvnrd::Options& options) {
    std::string directory =
        options.demo_dir.empty() ? win32::RedirectorRuntimeDirectory() + "/demo" : options.demo_dir;
    if (!MakeDirectories(directory, 0755)) {
        Log("cannot make the demo directory " + directory + ": " + std::strerror(errno));
        return std::nullopt;
    }
    std::string sample = directory + "/README.TXT";
    if (::access(sample.c_str(), F_OK) != 0) {
        std::ofstream(sample, std::ios::binary)
            << "This directory is exported as \\\\localhost\\demo by the host redirector.\r\n"
               "Its lines end in CR LF, as DOS text does.\r\n";
    }
    return cvnrd::ExportTable::Demo(directory);
}

bool WritePidFile(const std::string& path) {
    std::unique_ptr<win32::AtomicFileWriter> writer =
        win32::AtomicFileWriter::CreateForHostPath(path);
    std::string pid = std::to_string(::getpid()) + "\n";
    return writer && writer->Write(pid.data(), pid.size()) && writer->Commit();
}

void RemovePidFile(const std::string& path) {
    std::ifstream in(path);
    pid_t pid = 0;
    if (in >> pid && pid == ::getpid()) {
        ::unlink(path.c_str());
    }
}

// Detaches from the terminal. The parent waits until the child serves
// requests (or fails) and exits with the matching status, so a script that
// starts the daemon can use it at once.
int Detach(int* ready_fd) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        return -1;
    }
    pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child > 0) {
        ::close(ready[1]);
        char byte = 0;
        ssize_t got;
        do {
            got = ::read(ready[0], &byte, 1);
        } while (got < 0 && errno == EINTR);
        std::_Exit(got == 1 ? 0 : 1);
    }
    ::close(ready[0]);
    ::setsid();
    *ready_fd = ready[1];
    return 0;
}

void SignalReady(int ready_fd) {
    int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(ready_fd, &byte, 1);
    ::close(ready_fd);
}

int Serve(const cvnrd::Options& options) {
    const std::string runtime_dir = win32::RedirectorRuntimeDirectory();
    if (!MakeDirectories(runtime_dir, 0755)) {
        std::cerr << "cvnrd: cannot make the runtime directory " << runtime_dir << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }
    // Detached, the daemon has no terminal to talk to: it logs to a file.
    const std::string log_file =
        options.log_file.empty() && options.detach ? runtime_dir + "/cvnrd.log" : options.log_file;
    if (!cvnrd::OpenLog(log_file)) {
        std::cerr << "cvnrd: cannot open the log " << log_file << ": " << std::strerror(errno)
                  << "\n";
        return 1;
    }
    cvnrd::AlsoLogToStandardError(true);
    std::string error;
    std::optional<cvnrd::ExportTable> exports =
        options.exports_file.empty() ? DemoExports(options)
                                     : cvnrd::ExportTable::Load(options.exports_file, &error);
    if (!exports) {
        if (!error.empty()) {
            Log(error);
        }
        return 1;
    }
    int ready_fd = -1;
    if (options.detach && Detach(&ready_fd) != 0) {
        Log(std::string("cannot detach: ") + std::strerror(errno));
        return 1;
    }
    auto redirector = std::make_shared<cvnrd::Redirector>(std::move(*exports));
    redirector->SetHelperLimit(std::chrono::milliseconds(options.helper_timeout_ms));
    cvnrd::Server server(redirector, win32::RedirectorSocketPath());
    // From here a stop signal is kept by the server until Run() sees it, so
    // one that arrives while the daemon is still starting is not lost.
    struct ForgetServer {
        ~ForgetServer() { g_server = nullptr; }
    } forget_server;
    g_server = &server;
    InstallSignalHandlers();
    if (!server.Listen()) {
        return 1;
    }
    const std::string pid_file = PidFile(options);
    if (!WritePidFile(pid_file)) {
        Log("cannot write the pid file " + pid_file);
        return 1;
    }
    cvnrd::AlsoLogToStandardError(false);
    Log("serving " + win32::RedirectorSocketPath());
    if (ready_fd >= 0) {
        SignalReady(ready_fd);
    }
    server.Run();
    RemovePidFile(pid_file);
    Log("stopped");
    return 0;
}

// The command name of a process, "" when there is none.
std::string ProcessName(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// A process that has ended but is not yet reaped by its parent (the daemon's
// parent is whatever adopted it) no longer runs.
bool IsRunning(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z' &&
           line[close + 2] != 'X';
}

int Stop(const cvnrd::Options& options) {
    const std::string pid_file = PidFile(options);
    std::ifstream in(pid_file);
    pid_t pid = 0;
    if (!(in >> pid) || pid <= 0) {
        std::cerr << "cvnrd: no redirector is running (no pid in " << pid_file << ")\n";
        return 1;
    }
    // A pid file left behind by a redirector that died may name a process
    // that has nothing to do with it now.
    if (ProcessName(pid) != "cvnrd") {
        std::cerr << "cvnrd: no redirector is running (process " << pid << " named in " << pid_file
                  << " is not one)\n";
        return 1;
    }
    if (::kill(pid, SIGTERM) != 0) {
        std::cerr << "cvnrd: process " << pid << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    // Waits for the process to finish its connections and go.
    for (int i = 0; i < 200 && IsRunning(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return IsRunning(pid) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<cvnrd::Options> options = cvnrd::ParseOptions(argc, argv, &error);
    if (!options) {
        std::cerr << "cvnrd: " << error << "\nTry 'cvnrd --help'.\n";
        return 2;
    }
    if (options->help) {
        std::cout << cvnrd::kUsage;
        return 0;
    }
    if (!options->runtime_dir.empty()) {
        ::setenv("CVN_RUNTIME_DIR", options->runtime_dir.c_str(), 1);
    }
    if (options->command == "ctl") {
        return cvnrd::RunControlCommand(options->command_arguments);
    }
    if (options->command == "stop") {
        // Options belong before the command; ignoring them here would stop
        // another redirector than the one they name.
        if (!options->command_arguments.empty()) {
            std::cerr << "cvnrd: usage: cvnrd [options] stop\n";
            return 2;
        }
        return Stop(*options);
    }
    return Serve(*options);
}
