// cvnrd run as a daemon: started, used through its admin commands, stopped.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "tests/redirector/daemon_support.h"
#include "tests/support/files.h"
#include "tests/support/redirector_daemon.h"

namespace redirector_test {
namespace {

using cvn_test::FileExists;
using cvn_test::ProcessResult;
using cvn_test::RedirectorDaemon;
using cvn_test::RunProcess;

std::string Cvnrd() {
    return cvn_test::BinPath("cvnrd");
}

TEST(Daemon, StartsServesAndStops) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    EXPECT_TRUE(FileExists(daemon.runtime_dir() + "/cvnrd.sock"));
    EXPECT_EQ(daemon.Control({"mount", "F:", "\\\\localhost\\demo"}).exit_status, 0);
    ProcessResult list = daemon.Control({"list"});
    EXPECT_EQ(list.out, "F: \\\\localhost\\demo\n");
    EXPECT_TRUE(daemon.Stop());
    EXPECT_FALSE(FileExists(daemon.runtime_dir() + "/cvnrd.sock"));
    EXPECT_FALSE(FileExists(daemon.runtime_dir() + "/cvnrd.pid"));
}

TEST(Daemon, Help) {
    ProcessResult help = RunProcess(Cvnrd(), {"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_EQ(help.out.rfind("Usage: cvnrd", 0), 0u) << help.out;
    EXPECT_TRUE(Contains(help.out, "--runtime-dir DIR"));
    EXPECT_EQ(help.err, "");

    ProcessResult wrong = RunProcess(Cvnrd(), {"--frobnicate"});
    EXPECT_EQ(wrong.exit_status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_TRUE(Contains(wrong.err, "unknown argument: --frobnicate"));
    EXPECT_TRUE(Contains(wrong.err, "cvnrd --help"));

    ProcessResult no_value = RunProcess(Cvnrd(), {"--exports"});
    EXPECT_EQ(no_value.exit_status, 2);
    EXPECT_TRUE(Contains(no_value.err, "--exports needs a value"));
}

TEST(Daemon, PidFileHoldsTheServingProcessAndGoesWithIt) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    const std::string pid_file = daemon.runtime_dir() + "/cvnrd.pid";
    const pid_t pid = PidIn(pid_file);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(cvn_test::ReadFile(pid_file), std::to_string(pid) + "\n");
    EXPECT_EQ(::kill(pid, 0), 0);
    EXPECT_TRUE(daemon.Stop());
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
    EXPECT_FALSE(FileExists(pid_file));
}

TEST(Daemon, SecondDaemonOnTheSameRuntimeDirectoryIsRefused) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    const std::string pid_file = daemon.runtime_dir() + "/cvnrd.pid";
    const std::string first_pid = cvn_test::ReadFile(pid_file);
    ASSERT_EQ(daemon.Control({"mount", "F:", "\\\\localhost\\demo"}).exit_status, 0);

    for (bool detached : {true, false}) {
        std::vector<std::string> arguments{"--runtime-dir", daemon.runtime_dir()};
        if (detached) {
            arguments.push_back("--daemon");
        }
        ProcessResult second = RunProcess(Cvnrd(), arguments);
        EXPECT_NE(second.exit_status, 0) << detached;
        EXPECT_TRUE(Contains(second.err, "another redirector already serves")) << detached;
    }
    // The first one is untouched: its pid file, its socket, its mounts.
    EXPECT_EQ(cvn_test::ReadFile(pid_file), first_pid);
    EXPECT_EQ(daemon.Control({"list"}).out, "F: \\\\localhost\\demo\n");
    EXPECT_TRUE(daemon.Stop());
}

TEST(Daemon, SigtermStopsTheDetachedDaemonCleanly) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    const pid_t pid = PidIn(daemon.runtime_dir() + "/cvnrd.pid");
    ASSERT_GT(pid, 0);
    // An open handle does not keep it from stopping; its connection ends.
    RawConnection client(daemon.runtime_dir() + "/cvnrd.sock");
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.SendFrame({1, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(client.ReceiveFrame().has_value());

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    ASSERT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
    EXPECT_TRUE(client.ClosedByPeer());
    EXPECT_FALSE(FileExists(daemon.runtime_dir() + "/cvnrd.sock"));
    EXPECT_FALSE(FileExists(daemon.runtime_dir() + "/cvnrd.pid"));
    EXPECT_TRUE(Contains(cvn_test::ReadFile(daemon.runtime_dir() + "/cvnrd.log"), "stopped"));
    // Nothing left to stop.
    EXPECT_FALSE(daemon.Stop());
}

TEST(Daemon, ForegroundStopsOnSigtermAndOnStop) {
    for (bool by_signal : {true, false}) {
        cvn_test::TempDir runtime;
        ForegroundDaemon daemon(runtime.path());
        ASSERT_TRUE(daemon.WaitServing()) << daemon.err();
        EXPECT_EQ(PidIn(runtime / "cvnrd.pid"), daemon.pid());
        if (by_signal) {
            ASSERT_EQ(::kill(daemon.pid(), SIGTERM), 0);
        } else {
            // "stop" waits for the process to go; the test reaps it meanwhile.
            std::thread stop([&] {
                ProcessResult result =
                    RunProcess(Cvnrd(), {"--runtime-dir", runtime.path(), "stop"});
                EXPECT_EQ(result.exit_status, 0) << result.err;
            });
            EXPECT_EQ(daemon.Wait(), 0);
            stop.join();
        }
        EXPECT_EQ(daemon.Wait(), 0) << daemon.err();
        EXPECT_FALSE(FileExists(runtime / "cvnrd.sock"));
        EXPECT_FALSE(FileExists(runtime / "cvnrd.pid"));
        EXPECT_TRUE(Contains(daemon.err(), "serving " + runtime / "cvnrd.sock"));
        EXPECT_TRUE(Contains(daemon.err(), "stopped"));
    }
}

TEST(Daemon, StopWithoutADaemon) {
    cvn_test::TempDir runtime;
    ProcessResult result = RunProcess(Cvnrd(), {"--runtime-dir", runtime.path(), "stop"});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_TRUE(Contains(result.err, "no redirector is running"));
}

TEST(Daemon, StopTakesNoArgumentsOfItsOwn) {
    // Options written after "stop" must not be dropped: the daemon stopped
    // would be another one than the one named.
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    cvn_test::TempDir elsewhere;
    cvn_test::ProcessOptions options;
    options.environment["CVN_RUNTIME_DIR"] = elsewhere.path();
    ProcessResult result =
        RunProcess(Cvnrd(), {"stop", "--runtime-dir", daemon.runtime_dir()}, options);
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_TRUE(Contains(result.err, "usage"));
    EXPECT_TRUE(FileExists(daemon.runtime_dir() + "/cvnrd.pid"));
    EXPECT_TRUE(daemon.Stop());
}

TEST(Daemon, StaleSocketIsReplacedAtStart) {
    RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    const std::string socket = daemon.runtime_dir() + "/cvnrd.sock";
    const pid_t pid = PidIn(daemon.runtime_dir() + "/cvnrd.pid");
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGKILL), 0);  // leaves its socket and pid file behind
    ASSERT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
    ASSERT_TRUE(FileExists(socket));
    ASSERT_FALSE(RawConnection(socket).connected());

    ProcessResult restart =
        RunProcess(Cvnrd(), {"--runtime-dir", daemon.runtime_dir(), "--daemon"});
    ASSERT_EQ(restart.exit_status, 0) << restart.err;
    EXPECT_NE(PidIn(daemon.runtime_dir() + "/cvnrd.pid"), pid);
    EXPECT_EQ(daemon.Control({"mount", "\\\\localhost\\demo"}).exit_status, 0);
    EXPECT_EQ(daemon.Control({"list"}).out, "- \\\\localhost\\demo\n");
    EXPECT_TRUE(daemon.Stop());
    EXPECT_FALSE(FileExists(socket));
}

TEST(Daemon, BadExportsFileRefusedAtStartWithItsLine) {
    RedirectorDaemon daemon("# exports\n\\\\localhost\\demo /tmp\n\\\\localhost\n");
    EXPECT_FALSE(daemon.started());
    EXPECT_TRUE(Contains(daemon.start_error(), "exports: line 3: "));
    EXPECT_FALSE(FileExists(daemon.runtime_dir() + "/cvnrd.sock"));
    EXPECT_FALSE(FileExists(daemon.runtime_dir() + "/cvnrd.pid"));

    cvn_test::TempDir runtime;
    ProcessResult missing = RunProcess(
        Cvnrd(), {"--runtime-dir", runtime.path(), "--exports", runtime / "none", "--daemon"});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_TRUE(Contains(missing.err, runtime / "none" + ": cannot be read"));
}

class ControlCommands : public ::testing::Test {
protected:
    ControlCommands() : daemon_(Exports()) {}
    std::string Exports() {
        std::filesystem::create_directories(data_ / "demo/sub");
        std::filesystem::create_directories(data_ / "secure");
        return "\\\\localhost\\demo " + data_ / "demo" + "\n\\\\localhost\\secure " +
               data_ / "secure" + " alice s3cret\n";
    }
    void SetUp() override { ASSERT_TRUE(daemon_.started()) << daemon_.start_error(); }

    cvn_test::TempDir data_;
    RedirectorDaemon daemon_;
};

TEST_F(ControlCommands, MountUnmountListAndTheirStatuses) {
    struct Step {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::vector<std::string> err;  // parts of standard error; none: it stays empty
    };
    const std::string demo = "\\\\localhost\\demo";
    const std::string secure = "\\\\localhost\\secure";
    const Step steps[] = {
        {{"list"}, 0, "", {}},
        {{"mount", "F:", demo}, 0, "F: " + demo + "\n", {}},
        {{"mount", demo}, 0, "(no drive) " + demo + "\n", {}},
        {{"mount", "g:", demo + "\\sub"}, 0, "g: " + demo + "\\sub\n", {}},
        {{"mount", "F:", demo + "\\sub"}, 1, "", {"cvnrd: " + demo + "\\sub - ", "(error 183)\n"}},
        {{"mount", "H:", "\\\\localhost\\nothing"}, 1, "", {"(error 67)"}},
        {{"mount", "H:", "\\\\elsewhere\\demo"}, 1, "", {"(error 67)"}},
        {{"mount", "S:", secure}, 1, "", {"(error 86)"}},
        {{"mount", "S:", secure, "alice", "wrong"}, 1, "", {"(error 86)"}},
        {{"mount", "S:", secure, "alice", "s3cret"}, 0, "S: " + secure + "\n", {}},
        {{"list"},
         0,
         "F: " + demo + "\n- " + demo + "\nG: " + demo + "\\sub\nS: " + secure + "\n",
         {}},
        {{"mount", "H:", "localhost\\demo"}, 2, "", {"not a remote name"}},
        {{"mount"}, 2, "", {"usage"}},
        {{"mount", "H:", demo, "u", "p", "extra"}, 2, "", {"usage"}},
        {{"unmount", "F:"}, 0, "", {}},
        {{"unmount", "F:"}, 1, "", {"cvnrd: F: - ", "(error 2250)"}},
        {{"unmount", demo}, 0, "", {}},
        {{"unmount", demo}, 1, "", {"(error 2250)"}},
        {{"unmount", "nonsense"}, 2, "", {"not a drive or remote name"}},
        {{"unmount"}, 2, "", {"usage"}},
        {{"list", "extra"}, 2, "", {"usage"}},
        {{"frobnicate"}, 2, "", {"usage"}},
        {{}, 2, "", {"usage"}},
        {{"list"}, 0, "G: " + demo + "\\sub\nS: " + secure + "\n", {}},
    };
    for (const Step& step : steps) {
        std::string what = "ctl";
        for (const std::string& argument : step.arguments) {
            what += " " + argument;
        }
        ProcessResult result = daemon_.Control(step.arguments);
        EXPECT_EQ(result.exit_status, step.status) << what << ": " << result.err;
        EXPECT_EQ(result.out, step.out) << what;
        if (step.err.empty()) {
            EXPECT_EQ(result.err, "") << what;
        }
        for (const std::string& part : step.err) {
            EXPECT_TRUE(Contains(result.err, part)) << what;
        }
    }
}

TEST(DaemonControl, ListWithoutADaemon) {
    cvn_test::TempDir runtime;
    ProcessResult list = RunProcess(Cvnrd(), {"--runtime-dir", runtime.path(), "ctl", "list"});
    EXPECT_EQ(list.exit_status, 1);
    EXPECT_TRUE(Contains(list.err, "the redirector is not running"));
    ProcessResult mount = RunProcess(
        Cvnrd(), {"--runtime-dir", runtime.path(), "ctl", "mount", "F:", "\\\\localhost\\demo"});
    EXPECT_EQ(mount.exit_status, 1);
    EXPECT_TRUE(Contains(mount.err, "cvnrd: \\\\localhost\\demo - "));
}

}  // namespace
}  // namespace redirector_test
