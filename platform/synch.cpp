#include "platform/synch.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

class Semaphore : public KernelObject {
public:
    Semaphore(LONG initial, LONG maximum) : count_(initial), maximum_(maximum) {}

    bool Take(DWORD milliseconds) {
        std::unique_lock guard(lock_);
        auto available = [&] { return count_ > 0; };
        if (milliseconds == INFINITE) {
            changed_.wait(guard, available);
        } else if (!changed_.wait_for(guard, std::chrono::milliseconds(milliseconds), available)) {
            return false;
        }
        --count_;
        return true;
    }

    bool Give(LONG release, LONG* previous) {
        std::lock_guard guard(lock_);
        if (release <= 0 || release > maximum_ - count_) {
            return false;
        }
        if (previous != nullptr) {
            *previous = count_;
        }
        count_ += release;
        changed_.notify_all();
        return true;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    LONG count_;
    LONG maximum_;
};

HANDLE Create(LONG initial, LONG maximum, bool named) {
    if (named) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (maximum < 1 || initial < 0 || initial > maximum) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE handle = InsertHandle(std::make_shared<Semaphore>(initial, maximum));
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace

HANDLE CreateSemaphoreW(SECURITY_ATTRIBUTES*, LONG initial, LONG maximum, LPCWSTR name) {
    return Create(initial, maximum, name != nullptr);
}

HANDLE CreateSemaphoreA(SECURITY_ATTRIBUTES*, LONG initial, LONG maximum, LPCSTR name) {
    return Create(initial, maximum, name != nullptr);
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG release, LONG* previous) {
    std::shared_ptr<Semaphore> object = ReferenceHandleAs<Semaphore>(semaphore);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!object->Give(release, previous)) {
        SetLastError(release <= 0 ? ERROR_INVALID_PARAMETER : ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    std::shared_ptr<Semaphore> semaphore = ReferenceHandleAs<Semaphore>(object);
    if (!semaphore) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return semaphore->Take(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

}  // namespace win32
