// Kernel-object handles: CreateFile and the other calls that hand out a
// HANDLE put their object here; CloseHandle takes it out.
//
// Handle values are multiples of 4 below 2^31, as on the target system, so
// they also fit the 32-bit fields some records keep them in. A value is never
// handed out twice in one process, so a stale handle is refused instead of
// reaching another object.
#pragma once

#include <memory>

#include "platform/types.h"

namespace win32 {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object of a live handle, or null (with ERROR_INVALID_HANDLE).
std::shared_ptr<KernelObject> ReferenceHandle(HANDLE handle);

template <typename Object>
std::shared_ptr<Object> ReferenceHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<Object>(ReferenceHandle(handle));
}

// FALSE with ERROR_INVALID_HANDLE for a handle that is not open.
BOOL CloseHandle(HANDLE handle);

// Owns one handle and closes it when it goes.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace win32
