#include "platform/handles.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

constexpr std::uintptr_t kFirstHandle = 0x100;
constexpr std::uintptr_t kHandleStep = 4;
constexpr std::uintptr_t kHandleLimit = 0x7FFFFFF0;

struct HandleTable {
    std::mutex lock;
    std::map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = kFirstHandle;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    if (table.next >= kHandleLimit) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    std::uintptr_t value = table.next;
    table.next += kHandleStep;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> ReferenceHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == table.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> object;
    {
        HandleTable& table = Table();
        std::lock_guard guard(table.lock);
        auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(found->second);
        table.objects.erase(found);
    }
    // The object goes when its last user lets go, outside the table's lock:
    // closing a connection may take a while.
    return TRUE;
}

}  // namespace win32
