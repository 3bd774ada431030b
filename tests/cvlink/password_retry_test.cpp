// A wrong password: cvlink calls the provider with the password given, then
// with an empty one, then after each of up to five prompts. The calls are
// counted through the redirector's count of requests, against an export
// that asks for a user and a password.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/cvlink/cvlink_test_support.h"

namespace {

using cvlink_test::Connected;
using cvlink_test::CvlinkWithRedirector;
using cvlink_test::Expected;
using cvlink_test::kInvalidPasswordText;
using cvlink_test::kPlatforms;
using cvlink_test::kSucceeded;
using cvlink_test::Prompt;
using cvlink_test::Result;
using cvn_test::ProcessResult;

const std::string kSecure = R"(\\alpha\secure)";  // alice, "secret"
const std::string kOpen = R"(\\alpha\open)";      // alice, an empty password

class CvlinkPasswordRetry : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(cvlink_.started()) << cvlink_.start_error();
        // One call: no password given, and none needed.
        ASSERT_EQ(RunCounted({kOpen, "/user:alice"}, "", &requests_per_call_).out, kSucceeded);
        ASSERT_GT(requests_per_call_, 0u);
        cvlink_.RemoveAllMounts();
    }

    // Runs cvlink; `*requests` receives the requests its run sent.
    ProcessResult RunCounted(const std::vector<std::string>& arguments, const std::string& keys,
                             std::uint32_t* requests) const {
        const std::uint32_t before = cvlink_.Requests();
        ProcessResult result = cvlink_.Run(arguments, GetParam(), keys);
        // The request that asks for the count is counted too.
        *requests = cvlink_.Requests() - before - 1;
        return result;
    }

    // Runs cvlink and expects `calls` calls of the provider.
    ProcessResult Run(const std::vector<std::string>& arguments, const std::string& keys,
                      std::uint32_t calls) const {
        std::uint32_t requests = 0;
        ProcessResult result = RunCounted(arguments, keys, &requests);
        EXPECT_EQ(requests, calls * requests_per_call_) << testing::PrintToString(keys);
        return result;
    }

    CvlinkWithRedirector cvlink_{{
        {kSecure, "secure", "alice", "secret"},
        {kOpen, "open", "alice", ""},
    }};
    std::uint32_t requests_per_call_ = 0;
};

// Five prompts, each after the text of error 86, each echoing `echo`, and
// that text once more at the end.
std::string FiveWrongRounds(const std::string& echo) {
    std::string text;
    for (int prompt = 0; prompt < 5; ++prompt) {
        text += Result(kInvalidPasswordText) + Prompt(kSecure, echo);
    }
    return text + Result(kInvalidPasswordText);
}

// Always wrong: seven calls, and nothing connected.
TEST_P(CvlinkPasswordRetry, AlwaysWrongEndsAfterSevenCalls) {
    ProcessResult result = Run({kSecure, "/user:alice"}, "a\rbb\rccc\rdddd\reeeee\r", 7);
    EXPECT_EQ(result.out, Expected("password_always_wrong.enu.txt"));
    EXPECT_EQ(result.err, "");
    // The end of the input answers each prompt like Enter.
    EXPECT_EQ(Run({kSecure, "/user:alice"}, "", 7).out, FiveWrongRounds(""));
    // The right password is wrong for another user.
    EXPECT_EQ(Run({kSecure, "/user:bob"}, "secret\rsecret\rsecret\rsecret\rsecret\r", 7).out,
              FiveWrongRounds("******"));
    EXPECT_EQ(cvlink_.Mounts(), "");
}

// The password given is tried first, then an empty one, then the typed
// ones: the right one at the second prompt makes the fourth call connect.
TEST_P(CvlinkPasswordRetry, RightPasswordAtTheSecondPrompt) {
    ProcessResult result = Run({"X:", kSecure, "*", "/user:alice"}, "wrong\rbad\rsecret\r", 4);
    EXPECT_EQ(result.out, Prompt(kSecure, "*****") + Result(kInvalidPasswordText) +
                              Prompt(kSecure, "***") + Result(kInvalidPasswordText) +
                              Prompt(kSecure, "******") + Connected("X:", kSecure));
    EXPECT_EQ(cvlink_.Mounts(), "X: " + kSecure + "\n");
}

// Against an export whose password is empty, the silent retry connects:
// whatever the prompt gave was tried first. Nothing typed, or only
// Backspace, gives the password "" (two double quotes), not an empty one.
TEST_P(CvlinkPasswordRetry, EmptyPasswordIsTheSecondCall) {
    struct KeysCase {
        std::string keys;
        std::string echo;
    };
    const KeysCase cases[] = {
        {"x\r", "*"},
        {"\r", ""},
        {"\b\b\r", ""},
        {"a\b\r", std::string("*\b\0\b", 4)},
    };
    for (const KeysCase& c : cases) {
        ProcessResult result = Run({kOpen, "*", "/user:alice"}, c.keys, 2);
        EXPECT_EQ(result.out, Prompt(kOpen, c.echo) + kSucceeded) << testing::PrintToString(c.keys);
        cvlink_.RemoveAllMounts();
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkPasswordRetry, testing::ValuesIn(kPlatforms));

}  // namespace
