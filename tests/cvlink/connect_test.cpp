// cvlink connecting through the network provider, end to end: the real
// program, cvprov.dll and a running cvnrd, on both platform kinds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/cvlink/cvlink_test_support.h"

namespace {

using cvlink_test::Connected;
using cvlink_test::CvlinkRun;
using cvlink_test::CvlinkWithRedirector;
using cvlink_test::DriveInUse;
using cvlink_test::kAlreadyExistsText;
using cvlink_test::kListHeading;
using cvlink_test::kNoRedirector;
using cvlink_test::kPlatforms;
using cvlink_test::kSucceeded;
using cvlink_test::kUnknownName;
using cvlink_test::MountLine;
using cvlink_test::Result;
using cvn_test::ProcessResult;

const std::string kDemo = R"(\\localhost\demo)";

std::uint32_t DriveBit(char letter) {
    return std::uint32_t{1} << (letter - 'A');
}

class CvlinkConnect : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_TRUE(cvlink_.started()) << cvlink_.start_error(); }

    ProcessResult Run(const std::vector<std::string>& arguments) const {
        return cvlink_.Run(arguments, GetParam());
    }

    CvlinkWithRedirector cvlink_;
};

// A drive named, drives chosen from C on (C is a local drive here) and a
// connection without a drive: each is made, listed, and in use for the
// platform's drive query.
TEST_P(CvlinkConnect, DrivesAndDevicelessConnectionsAreMade) {
    struct ConnectCase {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const ConnectCase cases[] = {
        {{"X:", kDemo}, Connected("X:", kDemo)},
        {{"*", kDemo}, Connected("D:", kDemo)},
        {{"*", kDemo}, Connected("E:", kDemo)},
        {{kDemo}, kSucceeded},
    };
    for (const ConnectCase& c : cases) {
        ProcessResult result = Run(c.arguments);
        EXPECT_EQ(result.exit_status, 0) << c.arguments[0];
        EXPECT_EQ(result.out, c.expected) << c.arguments[0];
        EXPECT_EQ(result.err, "") << c.arguments[0];
    }
    EXPECT_EQ(Run({}).out, kListHeading + MountLine("X:", kDemo) + MountLine("D:", kDemo) +
                               MountLine("E:", kDemo) + MountLine("", kDemo) + "\n");
    EXPECT_EQ(cvlink_.LogicalDrives(), DriveBit('D') | DriveBit('E') | DriveBit('X'));
}

// A letter in use (a local drive, or one the redirector holds) ends the
// command before the provider is called; everything else is the
// provider's answer, from the redirector's refusal.
TEST_P(CvlinkConnect, RefusalsLeaveTheMountsAsTheyWere) {
    cvlink_.Mount("F:", kDemo);
    cvlink_.Mount("", kDemo);
    const std::string before = cvlink_.Mounts();
    struct RefusalCase {
        std::vector<std::string> arguments;
        std::string expected;
        bool provider_called;
    };
    const RefusalCase cases[] = {
        {{"C:", kDemo}, DriveInUse('C'), false},
        {{"f:", kDemo}, DriveInUse('F'), false},
        {{"G:", R"(\\nohost\demo)"}, kUnknownName, true},
        {{"G:", R"(\\localhost\nothing)"}, kUnknownName, true},
        {{R"(\\localhost\demo\missing)"}, kUnknownName, true},
        // The same remote name again without a drive.
        {{kDemo}, Result(kAlreadyExistsText), true},
    };
    for (const RefusalCase& c : cases) {
        const std::uint32_t requests = cvlink_.Requests();
        ProcessResult result = Run(c.arguments);
        EXPECT_EQ(result.out, c.expected) << c.arguments[0];
        // The count of requests asked for counts that request too.
        EXPECT_EQ(cvlink_.Requests() - requests > 1, c.provider_called) << c.arguments[0];
    }
    EXPECT_EQ(cvlink_.Mounts(), before);
}

// The user's name space remembers the hosts connected to, and only those.
TEST_P(CvlinkConnect, HostIsRecordedInTheUsersNameSpace) {
    const std::u16string hosts = u"Software\\Quillon\\Corvane\\";
    EXPECT_EQ(Run({"G:", R"(\\nohost\demo)"}).out, kUnknownName);
    EXPECT_FALSE(cvlink_.registry().HasUserKey(hosts + u"nohost"));
    EXPECT_FALSE(cvlink_.registry().HasUserKey(hosts + u"localhost"));
    EXPECT_EQ(Run({kDemo}).out, kSucceeded);
    EXPECT_TRUE(cvlink_.registry().HasUserKey(hosts + u"localhost"));
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvlinkConnect, testing::ValuesIn(kPlatforms));

// Windows NT hands the provider UTF-16 names; Windows 95 hands it names in
// the ANSI code page, which cannot hold every character.
TEST(CvlinkConnectNames, NamesCrossTheProviderInThePlatformsForm) {
    const std::string latin = "\\\\localhost\\caf\xC3\xA9";  // in the code page
    const std::string cyrillic = "\\\\localhost\\\xD0\xB6";  // outside it
    CvlinkWithRedirector cvlink({{latin, "latin", "", ""}, {cyrillic, "cyrillic", "", ""}});
    ASSERT_TRUE(cvlink.started()) << cvlink.start_error();
    struct NameCase {
        const char* platform;
        std::string remote;
        std::string expected;
    };
    const NameCase cases[] = {
        {"nt", latin, Connected("X:", latin)},
        {"nt", cyrillic, Connected("X:", cyrillic)},
        {"95", latin, Connected("X:", latin)},
        {"95", cyrillic, kUnknownName},
    };
    for (const NameCase& c : cases) {
        ProcessResult result = cvlink.Run({"X:", c.remote}, c.platform);
        EXPECT_EQ(result.out, c.expected) << c.platform << " " << c.remote;
        cvlink.RemoveAllMounts();
    }
}

// Without a redirector the provider cannot open its control device: error
// 50, for a drive and without one.
TEST(CvlinkConnectWithoutRedirector, ProviderSaysNotSupported) {
    CvlinkRun run;
    for (const char* platform : kPlatforms) {
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"X:", kDemo}, std::vector<std::string>{kDemo}}) {
            ProcessResult result = run.RunCvlink(arguments, run.Options(platform));
            EXPECT_EQ(result.exit_status, 0) << platform;
            EXPECT_EQ(result.out, kNoRedirector) << platform << " " << arguments[0];
            EXPECT_EQ(result.err, "") << platform;
        }
    }
}

}  // namespace
