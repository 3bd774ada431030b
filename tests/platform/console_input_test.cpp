// _getch with standard input redirected: the keys are the input's bytes,
// in order, shared with the runtime's standard input stream, and the end of
// the input reads as Enter.
//
// Each case runs in a child process with a pipe as its standard input, so
// the process-wide standard input stream of the test program is untouched.
#include "platform/console_input.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "platform/crt_stdio.h"

namespace {

// Runs `read_keys` in a child whose standard input carries `input`; returns
// what the child reported (one byte per key), or an error text.
std::string InChild(const std::string& input, const std::function<std::string()>& read_keys) {
    int in[2];
    int out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) {
        return "pipe failed";
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::close(in[0]);
        ::close(in[1]);
        ::close(out[0]);
        std::string keys = read_keys();
        ssize_t written = ::write(out[1], keys.data(), keys.size());
        ::_exit(written == static_cast<ssize_t>(keys.size()) ? 0 : 1);
    }
    ::close(in[0]);
    ::close(out[1]);
    ssize_t sent = ::write(in[1], input.data(), input.size());
    ::close(in[1]);
    std::string reported;
    char buffer[256];
    ssize_t got;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0) {
        reported.append(buffer, static_cast<size_t>(got));
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (sent != static_cast<ssize_t>(input.size()) || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return "child failed";
    }
    return reported;
}

std::string Keys(int count) {
    std::string keys;
    for (int i = 0; i < count; ++i) {
        keys += static_cast<char>(win32::crt::getch());
    }
    return keys;
}

TEST(Getch, RedirectedInputGivesItsBytesThenEnter) {
    EXPECT_EQ(InChild("pw\bx\x01\xE9", [] { return Keys(9); }), "pw\bx\x01\xE9\r\r\r");
}

TEST(Getch, EmptyInputIsEnterAtOnce) {
    EXPECT_EQ(InChild("", [] { return Keys(2); }), "\r\r");
}

// A prompt reads keys while other calls read lines of the same input: both
// go through the one standard input stream, so nothing is skipped or
// reordered.
TEST(Getch, SharesTheStandardInputStream) {
    std::string reported = InChild("ab\ncd", [] {
        std::string keys = Keys(1);
        keys += static_cast<char>(win32::crt::Stream::In().GetChar());
        keys += Keys(4);
        return keys;
    });
    EXPECT_EQ(reported, "ab\ncd\r");
}

}  // namespace
