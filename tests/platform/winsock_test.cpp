// Winsock start-up and clean-up: versions and the balance of the two.
#include "platform/winsock.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(WSAStartup, VersionOneOneAndLaterAreServed) {
    win32::WSADATA data;
    std::memset(&data, 0xEE, sizeof data);
    ASSERT_EQ(win32::WSAStartup(win32::MakeWord(1, 1), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0101);
    EXPECT_EQ(data.wHighVersion, 0x0202);
    EXPECT_STREQ(data.szSystemStatus, "Running");
    EXPECT_EQ(data.lpVendorInfo, nullptr);
    EXPECT_EQ(win32::WSAStartup(win32::MakeWord(2, 0), nullptr), 0);
    EXPECT_EQ(win32::WSACleanup(), 0);
    EXPECT_EQ(win32::WSACleanup(), 0);
}

TEST(WSAStartup, VersionsBelowOneOneAreRefusedAndNotCounted) {
    for (win32::WORD version :
         {win32::MakeWord(1, 0), win32::MakeWord(0, 9), win32::MakeWord(0, 0)}) {
        win32::WSADATA data{};
        EXPECT_EQ(win32::WSAStartup(version, &data), win32::WSAVERNOTSUPPORTED) << version;
    }
    EXPECT_EQ(win32::WSACleanup(), -1);
}

TEST(WSACleanup, EachStartHasOneEnd) {
    EXPECT_EQ(win32::WSACleanup(), -1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(win32::WSAStartup(win32::MakeWord(1, 1), nullptr), 0);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(win32::WSACleanup(), 0) << i;
    }
    EXPECT_EQ(win32::WSACleanup(), -1);
}

}  // namespace
