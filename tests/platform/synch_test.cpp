// Semaphores: creation limits, release counts and waits.
#include "platform/synch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/last_error.h"

namespace {

// Takes the semaphore without waiting, as many times as it lets itself be
// taken: its current count.
int Drain(win32::HANDLE semaphore) {
    int taken = 0;
    while (win32::WaitForSingleObject(semaphore, 0) == win32::WAIT_OBJECT_0) {
        ++taken;
    }
    return taken;
}

TEST(CreateSemaphore, CountsWithinTheMaximum) {
    const struct {
        win32::LONG initial;
        win32::LONG maximum;
        bool created;
    } cases[] = {
        {0, 1, true},  {1, 1, true},  {3, 5, true},   {-1, 1, false},
        {2, 1, false}, {0, 0, false}, {0, -1, false}, {0x7FFFFFFF, 0x7FFFFFFF, true},
    };
    for (const auto& c : cases) {
        win32::SetLastError(0);
        win32::HANDLE semaphore = win32::CreateSemaphoreA(nullptr, c.initial, c.maximum, nullptr);
        if (!c.created) {
            EXPECT_EQ(semaphore, nullptr) << c.initial << "/" << c.maximum;
            EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
            continue;
        }
        ASSERT_NE(semaphore, nullptr) << c.initial << "/" << c.maximum;
        win32::UniqueHandle owner(semaphore);
        if (c.initial < 100) {
            EXPECT_EQ(Drain(semaphore), c.initial);
        }
    }
}

TEST(CreateSemaphore, NamedSemaphoresAreNotServed) {
    win32::SetLastError(0);
    EXPECT_EQ(win32::CreateSemaphoreA(nullptr, 1, 1, "cvn.enum"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NOT_SUPPORTED);
    win32::SetLastError(0);
    EXPECT_EQ(win32::CreateSemaphoreW(nullptr, 1, 1, u""), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_NOT_SUPPORTED);

    win32::HANDLE wide = win32::CreateSemaphoreW(nullptr, 1, 1, nullptr);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(win32::CloseHandle(wide), win32::TRUE);
}

TEST(ReleaseSemaphore, ReportsThePreviousCountAndKeepsTheMaximum) {
    win32::HANDLE semaphore = win32::CreateSemaphoreA(nullptr, 1, 3, nullptr);
    ASSERT_NE(semaphore, nullptr);
    win32::UniqueHandle owner(semaphore);

    win32::LONG previous = -7;
    EXPECT_EQ(win32::ReleaseSemaphore(semaphore, 2, &previous), win32::TRUE);
    EXPECT_EQ(previous, 1);

    // Past the maximum: refused, nothing added, the previous count not written.
    previous = -7;
    win32::SetLastError(0);
    EXPECT_EQ(win32::ReleaseSemaphore(semaphore, 1, &previous), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_TOO_MANY_POSTS);
    EXPECT_EQ(previous, -7);

    for (win32::LONG release : {0, -1}) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::ReleaseSemaphore(semaphore, release, &previous), win32::FALSE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER) << release;
    }
    EXPECT_EQ(Drain(semaphore), 3);

    // A release that would pass the maximum adds nothing, not even a part.
    EXPECT_EQ(win32::ReleaseSemaphore(semaphore, 4, nullptr), win32::FALSE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_TOO_MANY_POSTS);
    EXPECT_EQ(Drain(semaphore), 0);
    EXPECT_EQ(win32::ReleaseSemaphore(semaphore, 3, nullptr), win32::TRUE);
    EXPECT_EQ(Drain(semaphore), 3);
}

TEST(WaitForSingleObject, TimesOutOnATakenSemaphore) {
    win32::HANDLE semaphore = win32::CreateSemaphoreA(nullptr, 1, 1, nullptr);
    ASSERT_NE(semaphore, nullptr);
    win32::UniqueHandle owner(semaphore);
    EXPECT_EQ(win32::WaitForSingleObject(semaphore, win32::INFINITE), win32::WAIT_OBJECT_0);
    EXPECT_EQ(win32::WaitForSingleObject(semaphore, 0), win32::WAIT_TIMEOUT);
    EXPECT_EQ(win32::WaitForSingleObject(semaphore, 20), win32::WAIT_TIMEOUT);
    EXPECT_EQ(win32::ReleaseSemaphore(semaphore, 1, nullptr), win32::TRUE);
    EXPECT_EQ(win32::WaitForSingleObject(semaphore, 20), win32::WAIT_OBJECT_0);
}

TEST(WaitForSingleObject, ReleaseWakesEveryWaiterItCounts) {
    win32::HANDLE semaphore = win32::CreateSemaphoreA(nullptr, 0, 2, nullptr);
    ASSERT_NE(semaphore, nullptr);
    win32::UniqueHandle owner(semaphore);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i) {
        waiters.emplace_back([&] {
            if (win32::WaitForSingleObject(semaphore, win32::INFINITE) == win32::WAIT_OBJECT_0) {
                ++woken;
            }
        });
    }
    win32::LONG previous = -1;
    EXPECT_EQ(win32::ReleaseSemaphore(semaphore, 2, &previous), win32::TRUE);
    for (std::thread& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(woken.load(), 2);
    EXPECT_EQ(Drain(semaphore), 0);
}

TEST(WaitForSingleObject, RefusesHandlesThatAreNotSemaphores) {
    win32::HANDLE closed = win32::CreateSemaphoreA(nullptr, 1, 1, nullptr);
    ASSERT_NE(closed, nullptr);
    ASSERT_EQ(win32::CloseHandle(closed), win32::TRUE);
    for (win32::HANDLE handle :
         {static_cast<win32::HANDLE>(nullptr), win32::INVALID_HANDLE_VALUE, closed}) {
        win32::SetLastError(0);
        EXPECT_EQ(win32::WaitForSingleObject(handle, 0), win32::WAIT_FAILED) << handle;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE) << handle;
        win32::SetLastError(0);
        EXPECT_EQ(win32::ReleaseSemaphore(handle, 1, nullptr), win32::FALSE) << handle;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE) << handle;
    }
}

}  // namespace
