// Handles: values as on the target system, never handed out twice, closed
// once, and the owner that closes them.
#include "platform/handles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace {

// Counts the objects alive, so a test sees when a handle lets go of one.
class Tracked : public win32::KernelObject {
public:
    explicit Tracked(int* alive) : alive_(alive) { ++*alive_; }
    ~Tracked() override { --*alive_; }

private:
    int* alive_;
};

class Other : public win32::KernelObject {};

std::uintptr_t Value(win32::HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

TEST(Handles, ValuesAreMultiplesOfFourBelow2To31AndNeverReused) {
    int alive = 0;
    std::set<std::uintptr_t> seen;
    for (int round = 0; round < 3; ++round) {
        std::vector<win32::HANDLE> open;
        for (int i = 0; i < 50; ++i) {
            win32::HANDLE handle = win32::InsertHandle(std::make_shared<Tracked>(&alive));
            ASSERT_NE(handle, win32::INVALID_HANDLE_VALUE);
            ASSERT_NE(handle, nullptr);
            EXPECT_EQ(Value(handle) % 4, 0u);
            EXPECT_LT(Value(handle), 0x80000000u);
            EXPECT_TRUE(seen.insert(Value(handle)).second) << "handed out twice: " << handle;
            open.push_back(handle);
        }
        for (win32::HANDLE handle : open) {
            EXPECT_TRUE(win32::CloseHandle(handle));
        }
    }
    EXPECT_EQ(alive, 0);
}

TEST(Handles, CloseTwiceIsInvalidHandle) {
    int alive = 0;
    win32::HANDLE handle = win32::InsertHandle(std::make_shared<Tracked>(&alive));
    EXPECT_EQ(alive, 1);
    win32::SetLastError(0);
    EXPECT_TRUE(win32::CloseHandle(handle));
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(win32::GetLastError(), 0u);
    EXPECT_FALSE(win32::CloseHandle(handle));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    for (win32::HANDLE never : {static_cast<win32::HANDLE>(nullptr), win32::INVALID_HANDLE_VALUE,
                                reinterpret_cast<win32::HANDLE>(Value(handle) + 1)}) {
        win32::SetLastError(0);
        EXPECT_FALSE(win32::CloseHandle(never));
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    }
}

TEST(Handles, ReferenceKeepsTheObjectPastTheClose) {
    int alive = 0;
    win32::HANDLE handle = win32::InsertHandle(std::make_shared<Tracked>(&alive));
    std::shared_ptr<Tracked> in_use = win32::ReferenceHandleAs<Tracked>(handle);
    ASSERT_NE(in_use, nullptr);
    EXPECT_EQ(win32::ReferenceHandleAs<Other>(handle), nullptr);  // another kind of object
    EXPECT_TRUE(win32::CloseHandle(handle));
    EXPECT_EQ(alive, 1);  // a request still running on it finishes
    in_use.reset();
    EXPECT_EQ(alive, 0);
    win32::SetLastError(0);
    EXPECT_EQ(win32::ReferenceHandle(handle), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
}

TEST(UniqueHandle, ClosesWhatItOwns) {
    int alive = 0;
    win32::HANDLE first = win32::InsertHandle(std::make_shared<Tracked>(&alive));
    win32::HANDLE second = win32::InsertHandle(std::make_shared<Tracked>(&alive));
    {
        win32::UniqueHandle owner(first);
        EXPECT_TRUE(owner.valid());
        EXPECT_EQ(owner.get(), first);
        win32::UniqueHandle moved(std::move(owner));
        EXPECT_FALSE(owner.valid());
        EXPECT_EQ(moved.get(), first);
        moved = win32::UniqueHandle(second);  // closes the first
        EXPECT_EQ(alive, 1);
        EXPECT_FALSE(win32::CloseHandle(first));
        EXPECT_EQ(moved.get(), second);
    }
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(win32::CloseHandle(second));
}

TEST(UniqueHandle, ReleaseAndReset) {
    int alive = 0;
    win32::HANDLE handle = win32::InsertHandle(std::make_shared<Tracked>(&alive));
    {
        win32::UniqueHandle owner(handle);
        EXPECT_EQ(owner.Release(), handle);
        EXPECT_FALSE(owner.valid());
    }
    EXPECT_EQ(alive, 1);  // released: still open
    win32::UniqueHandle owner(handle);
    owner.Reset();
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(owner.valid());

    // Nothing to close for an empty or failed handle.
    win32::UniqueHandle empty(nullptr);
    EXPECT_FALSE(empty.valid());
    win32::UniqueHandle failed(win32::INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed.valid());
    win32::UniqueHandle fresh;
    EXPECT_FALSE(fresh.valid());
}

}  // namespace
