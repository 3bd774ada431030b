#include "platform/memory.h"

#include <string.h>

#include <cstdlib>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

HLOCAL LocalAlloc(UINT flags, std::size_t bytes) {
    // Zero-byte requests still return a distinct block the caller can free.
    void* memory = (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes == 0 ? 1 : bytes)
                                           : std::malloc(bytes == 0 ? 1 : bytes);
    if (memory == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return memory;
}

void SecureZeroMemory(void* memory, std::size_t bytes) {
    if (memory != nullptr) {
        ::explicit_bzero(memory, bytes);
    }
}

HLOCAL LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

}  // namespace win32
