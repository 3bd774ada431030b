// GetLogicalDrives: the drive table's letters and the redirector's.
#include "platform/drives.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/device_protocol.h"
#include "tests/platform/fake_transport.h"
#include "tests/support/scoped_env.h"

namespace {

using cvn_test::FakeRedirector;

constexpr win32::DWORD Bit(char letter) {
    return win32::DWORD{1} << (letter - 'A');
}

FakeRedirector::Answer MaskAnswer(win32::Bytes output, bool ok = true) {
    return [output, ok](const FakeRedirector::Request& request) -> std::optional<win32::Bytes> {
        if (request.operation != win32::device_protocol::kDriveMask) {
            return FakeRedirector::Encoded(false, 87);
        }
        return FakeRedirector::Encoded(ok, ok ? 0 : 5, output);
    };
}

win32::Bytes Mask(win32::DWORD mask) {
    return {static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8),
            static_cast<std::uint8_t>(mask >> 16), static_cast<std::uint8_t>(mask >> 24)};
}

TEST(GetLogicalDrives, TableLettersAndTheRedirectorsMask) {
    cvn_test::ScopedFakeRedirector fake;
    fake->SetAnswer(MaskAnswer(Mask(Bit('F') | Bit('Z'))));
    struct Case {
        std::optional<std::string> table;
        win32::DWORD local;
    } cases[] = {
        {std::nullopt, Bit('C')},  // without a table only C=/ is known
        {"", 0},
        {"C=/;E=/tmp", Bit('C') | Bit('E')},
        {"d=/srv/", Bit('D')},
        {"1=/x;D=relative;G=/srv;H:/x;=/", Bit('G')},  // malformed entries are ignored
    };
    for (const Case& c : cases) {
        cvn_test::ScopedEnv drives("CVN_DRIVES", c.table);
        EXPECT_EQ(win32::GetLogicalDrives(), c.local | Bit('F') | Bit('Z'))
            << c.table.value_or("(unset)");
    }
    // One connection per call, asking for the mask and closed again.
    auto sent = fake->Take();
    ASSERT_EQ(sent.size(), 5u);
    for (const auto& request : sent) {
        EXPECT_EQ(request.operation, win32::device_protocol::kDriveMask);
    }
    EXPECT_EQ(fake->open_connections(), 0);
}

TEST(GetLogicalDrives, OnlyTwentySixLettersFromTheRedirector) {
    cvn_test::ScopedFakeRedirector fake;
    cvn_test::ScopedEnv drives("CVN_DRIVES", "C=/");
    fake->SetAnswer(MaskAnswer(Mask(0xFC000000u | Bit('Q'))));
    EXPECT_EQ(win32::GetLogicalDrives(), Bit('C') | Bit('Q'));
}

TEST(GetLogicalDrives, WithoutAUsableAnswerOnlyTheTable) {
    cvn_test::ScopedFakeRedirector fake;
    cvn_test::ScopedEnv drives("CVN_DRIVES", "C=/;E=/tmp");
    struct Case {
        const char* what;
        FakeRedirector::Answer answer;
    } cases[] = {
        {"refused", MaskAnswer(Mask(Bit('F')), false)},
        {"short", MaskAnswer({0x20, 0})},
        {"lost", [](const auto&) { return std::optional<win32::Bytes>(); }},
        {"garbage", [](const auto&) { return std::optional<win32::Bytes>(win32::Bytes{9}); }},
    };
    for (const Case& c : cases) {
        fake->SetAnswer(c.answer);
        EXPECT_EQ(win32::GetLogicalDrives(), Bit('C') | Bit('E')) << c.what;
    }
    fake->SetReachable(false);
    EXPECT_EQ(win32::GetLogicalDrives(), Bit('C') | Bit('E'));
}

}  // namespace
