// Starting programs: where CreateProcessA finds them, what it starts them
// with, and the exit codes GetExitCodeProcess reports.
#include "platform/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/modules.h"
#include "platform/synch.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ScopedEnv;
using cvn_test::TempDir;

struct Started {
    bool ok = false;
    win32::DWORD error = 0;
    win32::PROCESS_INFORMATION information{};
};

Started Start(const std::string& command_line, win32::DWORD flags = 0,
              const char* directory = nullptr, const char* application = nullptr) {
    std::string line = command_line;
    win32::STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Started started;
    win32::SetLastError(0xDEAD);
    started.ok =
        win32::CreateProcessA(application, line.data(), nullptr, nullptr, win32::FALSE, flags,
                              nullptr, directory, &startup, &started.information) == win32::TRUE;
    started.error = win32::GetLastError();
    return started;
}

// The exit code once the process has ended; the test fails rather than hangs
// when it does not end.
win32::DWORD ExitCodeAfterEnd(win32::HANDLE process) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    win32::DWORD code = win32::STILL_ACTIVE;
    while (win32::GetExitCodeProcess(process, &code) && code == win32::STILL_ACTIVE &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return code;
}

// Runs the command line to its end: the exit code, or ~0 when it did not
// start (the last error is then in `error`).
win32::DWORD RunToEnd(const std::string& command_line, win32::DWORD* error = nullptr,
                      const char* directory = nullptr, const char* application = nullptr) {
    Started started = Start(command_line, 0, directory, application);
    if (error != nullptr) {
        *error = started.error;
    }
    if (!started.ok) {
        return ~win32::DWORD{0};
    }
    win32::DWORD code = ExitCodeAfterEnd(started.information.hProcess);
    EXPECT_EQ(win32::CloseHandle(started.information.hThread), win32::TRUE);
    EXPECT_EQ(win32::CloseHandle(started.information.hProcess), win32::TRUE);
    return code;
}

void WriteScript(const std::string& path, const std::string& body) {
    cvn_test::WriteFile(path, "#!/bin/sh\n" + body + "\n");
    ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
}

TEST(CreateProcess, StartsAProgramAndReportsItsExitCode) {
    Started started = Start("/bin/true");
    ASSERT_TRUE(started.ok) << started.error;
    EXPECT_NE(started.information.hProcess, nullptr);
    EXPECT_NE(started.information.hThread, nullptr);
    EXPECT_GT(started.information.dwProcessId, 0u);
    EXPECT_EQ(ExitCodeAfterEnd(started.information.hProcess), 0u);
    // The code stays readable once the process has gone.
    EXPECT_EQ(ExitCodeAfterEnd(started.information.hProcess), 0u);
    win32::CloseHandle(started.information.hThread);
    win32::CloseHandle(started.information.hProcess);

    EXPECT_EQ(RunToEnd("/bin/false"), 1u);
    EXPECT_EQ(RunToEnd("/bin/sh -c \"exit 7\""), 7u);
    // The application name alone, without a command line.
    Started alone = Start("", 0, nullptr, "/bin/false");
    ASSERT_TRUE(alone.ok) << alone.error;
    EXPECT_EQ(ExitCodeAfterEnd(alone.information.hProcess), 1u);
    win32::CloseHandle(alone.information.hThread);
    win32::CloseHandle(alone.information.hProcess);
}

TEST(CreateProcess, ArgumentsFollowTheCommandLineRules) {
    TempDir dir;
    ASSERT_EQ(
        RunToEnd("sh -c \"printf '[%s]' \\\"$0\\\" \\\"$1\\\" > args.txt\" \"one two\" three\\x",
                 nullptr, dir.path().c_str()),
        0u);
    EXPECT_EQ(cvn_test::ReadFile(dir / "args.txt"), "[one two][three\\x]");
}

TEST(CreateProcess, StartsInTheDirectoryGiven) {
    TempDir dir;
    ASSERT_EQ(RunToEnd("sh -c \"pwd -P > here.txt\"", nullptr, dir.path().c_str()), 0u);
    EXPECT_EQ(cvn_test::ReadFile(dir / "here.txt"),
              std::filesystem::canonical(dir.path()).string() + "\n");
}

TEST(CreateProcess, ExeNameIsFoundWithoutItsExtensionOnThePath) {
    TempDir bin;
    WriteScript(bin / "probe", "exit 4");
    ScopedEnv path("PATH", bin / "missing" + ":" + bin.path() + ":/usr/bin:/bin");
    EXPECT_EQ(RunToEnd("probe.exe"), 4u);
    EXPECT_EQ(RunToEnd("probe"), 4u);
    EXPECT_EQ(RunToEnd("false.exe"), 1u);
    EXPECT_EQ(RunToEnd(bin / "probe.exe"), 4u);
}

TEST(CreateProcess, ProgramDirectoryComesBeforeThePath) {
    TempDir bin;
    // A name no other test uses, removed again whatever happens.
    const std::string name = "probe_" + std::filesystem::path(bin.path()).filename().string();
    const std::string beside_program = win32::ProgramDirectory() + "/" + name;
    struct Remove {
        std::string path;
        ~Remove() { std::filesystem::remove(path); }
    } remove{beside_program};
    WriteScript(beside_program, "exit 5");
    WriteScript(bin / name, "exit 6");
    ScopedEnv path("PATH", bin.path());
    EXPECT_EQ(RunToEnd(name + ".exe"), 5u);
    std::filesystem::remove(beside_program);
    EXPECT_EQ(RunToEnd(name + ".exe"), 6u);
}

TEST(CreateProcess, RelativeProgramIsTheCallersNotTheNewDirectorysOwn) {
    // The program is looked up where the caller stands; the directory given
    // is only where the new process starts.
    TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    std::filesystem::create_directories(dir / "work");
    WriteScript(dir / "bin/probe", "pwd -P > where.txt");
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    win32::DWORD error = 0;
    const win32::DWORD code = RunToEnd("bin\\probe.exe", &error, (dir / "work").c_str());
    std::filesystem::current_path(saved);
    ASSERT_EQ(code, 0u) << "error " << error;
    EXPECT_EQ(cvn_test::ReadFile(dir / "work/where.txt"),
              std::filesystem::canonical(dir / "work").string() + "\n");
}

TEST(CreateProcess, ProgramNotFound) {
    TempDir dir;
    cvn_test::WriteFile(dir / "plain", "#!/bin/sh\nexit 0\n");  // not executable
    ScopedEnv path("PATH", dir.path());
    for (std::string line :
         {std::string("no_such_program_here"), std::string("no_such.exe"), dir / "missing/probe",
          dir / "plain", std::string("plain.exe"), dir.path(), std::string("")}) {
        win32::DWORD error = 0;
        EXPECT_EQ(RunToEnd(line, &error), ~win32::DWORD{0}) << line;
        EXPECT_EQ(error, win32::ERROR_FILE_NOT_FOUND) << line;
    }
    win32::STARTUPINFOA startup{};
    win32::PROCESS_INFORMATION information{};
    win32::SetLastError(0);
    EXPECT_EQ(win32::CreateProcessA(nullptr, nullptr, nullptr, nullptr, win32::FALSE, 0, nullptr,
                                    nullptr, &startup, &information),
              win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND);
}

TEST(CreateProcess, DetachedProcessRunsInASessionOfItsOwn) {
    for (bool detached : {false, true}) {
        Started started = Start("sleep 60", detached ? win32::DETACHED_PROCESS : 0);
        ASSERT_TRUE(started.ok) << started.error;
        const pid_t pid = static_cast<pid_t>(started.information.dwProcessId);
        win32::DWORD code = 0;
        EXPECT_EQ(win32::GetExitCodeProcess(started.information.hProcess, &code), win32::TRUE);
        EXPECT_EQ(code, win32::STILL_ACTIVE);
        if (detached) {
            EXPECT_EQ(::getsid(pid), pid);
        } else {
            EXPECT_EQ(::getsid(pid), ::getsid(0));
        }
        ::kill(pid, SIGKILL);
        EXPECT_NE(ExitCodeAfterEnd(started.information.hProcess), win32::STILL_ACTIVE);
        win32::CloseHandle(started.information.hThread);
        win32::CloseHandle(started.information.hProcess);
    }
}

TEST(GetExitCodeProcess, RefusesWhatIsNotAProcess) {
    win32::HANDLE semaphore = win32::CreateSemaphoreA(nullptr, 0, 1, nullptr);
    ASSERT_NE(semaphore, nullptr);
    win32::UniqueHandle owner(semaphore);
    for (win32::HANDLE handle : {static_cast<win32::HANDLE>(nullptr), win32::INVALID_HANDLE_VALUE,
                                 reinterpret_cast<win32::HANDLE>(0x7FFFFF00), semaphore}) {
        win32::DWORD code = 0xDEAD;
        win32::SetLastError(0);
        EXPECT_EQ(win32::GetExitCodeProcess(handle, &code), win32::FALSE) << handle;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE) << handle;
        EXPECT_EQ(code, 0xDEADu) << handle;
    }

    Started started = Start("/bin/true");
    ASSERT_TRUE(started.ok);
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetExitCodeProcess(started.information.hProcess, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
    ExitCodeAfterEnd(started.information.hProcess);
    win32::CloseHandle(started.information.hThread);
    win32::CloseHandle(started.information.hProcess);
    win32::DWORD code = 0;
    win32::SetLastError(0);
    EXPECT_EQ(win32::GetExitCodeProcess(started.information.hProcess, &code), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
}

}  // namespace
