// cvagent in the console against a real cvnrd: what it registers, how it
// answers the redirector's questions (asked with "cvnrd ctl ask"), and how
// it ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <exception>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/cvagent/agent_process.h"
#include "tests/support/files.h"
#include "tests/support/notify_listener.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/temp_dir.h"

namespace cvagent_test {
namespace {

using cvn_test::ProcessResult;

constexpr char kPrompt[] = "Reload - r, Stop - s :";

// Names the tests resolve, without the system's resolver.
constexpr char kHosts[] =
    "10.1.2.3   alpha.example.com alpha\n"
    "10.1.2.3   alpha2\n"
    "10.9.9.9   beta.example.com beta\n"
    "not-an-address broken\n";

bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A file the program under test may not have written yet.
std::string ReadIfAny(const std::string& path) {
    try {
        return cvn_test::ReadFile(path);
    } catch (const std::exception&) {
        return {};
    }
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
        ++count;
    }
    return count;
}

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon_.started()) << daemon_.start_error();
        cvn_test::WriteFile(dir_.path() + "/hosts", kHosts);
    }

    // Starts cvagent -D as the computer `computer_name` and waits until its
    // three workers wait in the redirector.
    void StartAgent(const std::string& computer_name = "mybox.corp.example") {
        ++agents_;
        agent_ = std::make_unique<AgentProcess>(
            std::map<std::string, std::string>{{"CVN_RUNTIME_DIR", daemon_.runtime_dir()},
                                               {"CVN_HOSTS", dir_.path() + "/hosts"},
                                               {"CVN_HOSTNAME", computer_name},
                                               {"CVN_DEBUG_LOG", DebugLog()}},
            dir_.path() + "/out", dir_.path() + "/err");
        ASSERT_TRUE(agent_->started());
        ASSERT_TRUE(WaitUntil([&] {
            return CountOf(ReadIfAny(DebugLog()), "Helper request Xid = 0\n") == 3;
        })) << ReadIfAny(DebugLog());
    }

    // Each agent of a test writes a log of its own.
    std::string DebugLog() const {
        return dir_.path() + "/debug" + std::to_string(agents_) + ".log";
    }
    std::string Ask(const std::vector<std::string>& arguments) {
        std::vector<std::string> all{"ask"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        ProcessResult result = daemon_.Control(all);
        return result.out + result.err;
    }

    cvn_test::RedirectorDaemon daemon_;
    cvn_test::TempDir dir_;
    std::unique_ptr<AgentProcess> agent_;
    int agents_ = 0;
};

TEST_F(AgentTest, RegistersHostDomainAndContainers) {
    struct Case {
        std::string computer_name;
        std::string host;
        std::string domain;
    };
    const std::string long_host(40, 'h');
    const std::string long_domain(70, 'd');
    const Case cases[] = {
        {"mybox.corp.example", "mybox", "corp.example"},
        {"plainhost", "plainhost", ""},
        {long_host + ".x", long_host.substr(0, 32), "x"},
        {"h." + long_domain, "h", long_domain.substr(0, 64)},
    };
    for (const Case& c : cases) {
        StartAgent(c.computer_name);
        EXPECT_EQ(daemon_.Control({"helper"}).out,
                  "host: " + c.host + "\ndomain: " + c.domain +
                      "\ncontainer 1: NFS Name Space\ncontainer 2: NFS Servers on the Subnet\n")
            << c.computer_name;
        agent_->Type("s");
        EXPECT_EQ(agent_->WaitForEnd(), 0) << c.computer_name;
    }
}

TEST_F(AgentTest, AnswersNameToAddress) {
    StartAgent();
    const std::string unknown = "status 533\naddress 255.255.255.255\n";
    struct Case {
        std::string name;
        std::string answer;
    };
    const Case cases[] = {
        {"192.168.7.1", "status 0\naddress 192.168.7.1\n"},  // dotted: no lookup
        {"alpha", "status 0\naddress 10.1.2.3\n"},
        {"BETA.example.COM", "status 0\naddress 10.9.9.9\n"},
        {"nothere", unknown},
        {"broken", unknown},
        {std::string(41, 'a'), unknown},        // longer than the name buffer
        {"\xe4\xb8\xad\xe6\x96\x87", unknown},  // not in the ANSI code page
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Ask({"2", c.name}), c.answer) << c.name;
    }
    EXPECT_EQ(Ask({"2"}), unknown);  // an empty name is no host
    EXPECT_EQ(Ask({"9", "x"}).substr(0, 11), "status 534\n");
}

// The addresses seen (alpha and alpha2 share one, 1.2.3.4 has no name) are
// named once each, the most recently found first.
TEST_F(AgentTest, NamesTheAddressesSeen) {
    StartAgent();
    EXPECT_EQ(Ask({"5"}), "status 0\n");
    for (const char* name : {"alpha", "alpha2", "1.2.3.4", "beta", "alpha"}) {
        Ask({"2", name});
    }
    EXPECT_EQ(Ask({"5"}), "status 0\nname beta\nname alpha\n");
}

TEST_F(AgentTest, ThreeQuestionsAreServedAtOnce) {
    StartAgent();
    std::vector<std::future<std::string>> answers;
    for (const char* name : {"alpha", "beta", "10.0.0.7"}) {
        answers.push_back(std::async(std::launch::async, [this, name] {
            return Ask({"2", name});
        }));
    }
    EXPECT_EQ(answers[0].get(), "status 0\naddress 10.1.2.3\n");
    EXPECT_EQ(answers[1].get(), "status 0\naddress 10.9.9.9\n");
    EXPECT_EQ(answers[2].get(), "status 0\naddress 10.0.0.7\n");
}

// "r" and Enter ask again; "s" stops the workers waiting in the redirector
// and the program ends with run's result.
TEST_F(AgentTest, ConsoleStopEndsTheService) {
    StartAgent();
    agent_->Type("r\n");
    ASSERT_TRUE(WaitUntil([&] { return CountOf(agent_->Out(), kPrompt) == 3; }));
    EXPECT_TRUE(agent_->Running());
    agent_->Type("s");
    EXPECT_EQ(agent_->WaitForEnd(), 0);
    EXPECT_EQ(agent_->Out(), std::string(kPrompt) + kPrompt + kPrompt);
    EXPECT_EQ(agent_->Err(), "");
}

// The end of the input ends the prompt, not the service.
TEST_F(AgentTest, EndOfInputLeavesTheServiceRunning) {
    StartAgent();
    agent_->CloseInput();
    ASSERT_TRUE(WaitUntil([&] { return agent_->Out() == std::string(kPrompt) + "\n"; }))
        << agent_->Out();
    EXPECT_EQ(Ask({"2", "alpha"}), "status 0\naddress 10.1.2.3\n");
    EXPECT_TRUE(agent_->Running());
}

// The redirector stopping fails the workers' requests (995), or closes
// their connections first (31): either way the program ends, a code above
// what an exit status holds shown on standard error.
TEST_F(AgentTest, RedirectorStopEndsTheWorkers) {
    StartAgent();
    ASSERT_TRUE(daemon_.Stop());
    const int status = agent_->WaitForEnd();
    if (status == 255) {
        EXPECT_EQ(agent_->Err(), "cvagent: ended with Win32 code 995\n");
    } else {
        EXPECT_EQ(status, 31);
        EXPECT_EQ(agent_->Err(), "");
    }
    EXPECT_NE(cvn_test::ReadFile(DebugLog()).find("error = "), std::string::npos);
}

TEST(AgentWithoutRedirector, RunReturnsTheOpenError) {
    cvn_test::TempDir dir;
    AgentProcess agent(
        {{"CVN_RUNTIME_DIR", dir.path() + "/none"}, {"CVN_DEBUG_LOG", dir.path() + "/debug.log"}},
        dir.path() + "/out", dir.path() + "/err");
    ASSERT_TRUE(agent.started());
    EXPECT_EQ(agent.WaitForEnd(), 2);
    EXPECT_EQ(cvn_test::ReadFile(dir.path() + "/debug.log"), "error open corv: 2\n");
}

// Under the host's service manager: the reports go to its notification
// socket in the order a service manager expects, and its stop control (the
// manager's SIGTERM) ends the service cleanly.
TEST_F(AgentTest, RunsAsAServiceUntilTheManagerStopsIt) {
    const std::string socket = "@cvagent-test-" + std::to_string(::getpid());
    cvn_test::NotifyListener manager(socket);
    AgentProcess service({{"CVN_RUNTIME_DIR", daemon_.runtime_dir()},
                          {"CVN_HOSTS", dir_.path() + "/hosts"},
                          {"NOTIFY_SOCKET", socket}},
                         dir_.path() + "/out", dir_.path() + "/err", false);
    ASSERT_TRUE(service.started());
    EXPECT_EQ(manager.Next(), "STATUS=start pending\n");
    EXPECT_EQ(manager.Next(), "READY=1\nSTATUS=running\n");
    ASSERT_TRUE(WaitUntil([&] { return Ask({"2", "alpha"}) == "status 0\naddress 10.1.2.3\n"; }));
    service.Signal(SIGTERM);
    EXPECT_EQ(manager.Next(), "STOPPING=1\nSTATUS=stop pending\n");
    EXPECT_EQ(manager.Next(), "STATUS=stopped\nEXIT_STATUS=0\n");
    EXPECT_EQ(service.WaitForEnd(), 0);
    const std::string status_file = cvn_test::ReadFile(daemon_.runtime_dir() + "/corvane.status");
    EXPECT_NE(status_file.find("state=1\n"), std::string::npos) << status_file;
    EXPECT_NE(status_file.find("win32_exit_code=0\n"), std::string::npos) << status_file;
}

TEST(AgentAsService, FailsOutsideAServiceManager) {
    ProcessResult result = cvn_test::RunProcess(cvn_test::BinPath("cvagent"), {});
    EXPECT_EQ(result.out, "In StartServiceCtrlDispatcher\nError number: 1063\n");
    EXPECT_EQ(result.err, "cvagent: ended with Win32 code 1063\n");
    EXPECT_EQ(result.exit_status, 255);
}

// Any other argument starts the installed service and stops it again,
// through the host's service manager; errors are ignored.
TEST(AgentStartThenStop, AsksTheServiceManagerAndIgnoresItsErrors) {
    cvn_test::TempDir dir;
    const std::string systemctl = dir.path() + "/systemctl";
    cvn_test::WriteFile(systemctl, "#!/bin/sh\necho \"$@\" >> \"" + dir.path() +
                                       "/calls\"\ncase \"$1\" in is-system-running) echo running;; "
                                       "is-active) echo inactive; exit 3;; esac\nexit 0\n");
    ::chmod(systemctl.c_str(), 0755);
    cvn_test::ProcessOptions options;
    options.environment["CVN_SYSTEMCTL"] = systemctl;
    ProcessResult result = cvn_test::RunProcess(cvn_test::BinPath("cvagent"), {"-start"}, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out + result.err, "");
    const std::string calls = cvn_test::ReadFile(dir.path() + "/calls");
    EXPECT_NE(calls.find("start --no-block cvagent.service"), std::string::npos) << calls;
    EXPECT_NE(calls.find("stop --no-block cvagent.service"), std::string::npos) << calls;

    options.environment["CVN_SYSTEMCTL"] = dir.path() + "/none";
    result = cvn_test::RunProcess(cvn_test::BinPath("cvagent"), {"-start"}, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out + result.err, "");
}

}  // namespace
}  // namespace cvagent_test
