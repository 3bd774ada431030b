// Local memory and SecureZeroMemory.
#include "platform/memory.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(SecureZeroMemory, ClearsExactlyTheBytesGiven) {
    std::array<unsigned char, 16> bytes;
    bytes.fill(0xA5);
    win32::SecureZeroMemory(bytes.data() + 3, 10);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(bytes[i], i >= 3 && i < 13 ? 0 : 0xA5) << i;
    }
    // Nothing to clear: nothing is touched, and a null block is no fault.
    win32::SecureZeroMemory(bytes.data(), 0);
    EXPECT_EQ(bytes[0], 0xA5);
    win32::SecureZeroMemory(nullptr, 0);
    win32::SecureZeroMemory(nullptr, 8);
}

TEST(LocalAlloc, ZeroInitAndZeroBytes) {
    win32::HLOCAL block = win32::LocalAlloc(win32::LMEM_ZEROINIT, 64);
    ASSERT_NE(block, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(bytes[i], 0) << i;
    }
    EXPECT_EQ(win32::LocalFree(block), nullptr);

    // A block of no bytes is still a block of its own.
    win32::HLOCAL first = win32::LocalAlloc(win32::LMEM_FIXED, 0);
    win32::HLOCAL second = win32::LocalAlloc(win32::LMEM_FIXED, 0);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(win32::LocalFree(first), nullptr);
    EXPECT_EQ(win32::LocalFree(second), nullptr);
    EXPECT_EQ(win32::LocalFree(nullptr), nullptr);
}

}  // namespace
