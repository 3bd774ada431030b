// Local memory: the allocations the platform hands to callers who free them
// with LocalFree (FormatMessage's allocated buffers).
#pragma once

#include <cstddef>

#include "platform/types.h"

namespace win32 {

inline constexpr UINT LMEM_FIXED = 0x0000;
inline constexpr UINT LMEM_ZEROINIT = 0x0040;

// Null with ERROR_NOT_ENOUGH_MEMORY when the host has no memory.
HLOCAL LocalAlloc(UINT flags, std::size_t bytes);

// Clears memory in a way the compiler may not leave out: for passwords.
void SecureZeroMemory(void* memory, std::size_t bytes);

// Returns null on success, as the platform does; a null handle is accepted.
HLOCAL LocalFree(HLOCAL memory);

}  // namespace win32
