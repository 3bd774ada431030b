#include "platform/last_error.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/errors.h"

namespace {

TEST(LastError, IsKeptPerThread) {
    win32::SetLastError(win32::ERROR_ACCESS_DENIED);
    win32::DWORD seen_by_thread = 0xFFFFFFFF;
    win32::DWORD after_set = 0;
    std::thread other([&] {
        seen_by_thread = win32::GetLastError();
        win32::SetLastError(win32::ERROR_FILE_NOT_FOUND);
        after_set = win32::GetLastError();
    });
    other.join();
    EXPECT_EQ(seen_by_thread, win32::ERROR_SUCCESS);  // a new thread starts clean
    EXPECT_EQ(after_set, win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_ACCESS_DENIED);
}

}  // namespace
