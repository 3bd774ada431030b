// Synchronisation objects: semaphores, waited on with WaitForSingleObject.
#pragma once

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

struct SECURITY_ATTRIBUTES;

// Unnamed semaphores: a name is not served (ERROR_NOT_SUPPORTED). A count
// outside 0..maximum, or a maximum below 1, is ERROR_INVALID_PARAMETER.
HANDLE CreateSemaphoreW(SECURITY_ATTRIBUTES* security, LONG initial, LONG maximum, LPCWSTR name);
HANDLE CreateSemaphoreA(SECURITY_ATTRIBUTES* security, LONG initial, LONG maximum, LPCSTR name);

// FALSE with ERROR_TOO_MANY_POSTS when the count would pass the maximum.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG release, LONG* previous);

// WAIT_OBJECT_0 when the semaphore was taken, WAIT_TIMEOUT, or WAIT_FAILED
// with the last error set.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

}  // namespace win32
