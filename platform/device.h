// CreateFile and DeviceIoControl: the redirector's control devices and
// files, and plain host files.
//
// "\\.\CVNCTL" (Windows NT) and "\\.\VCORV" (Windows 95) open a connection to
// the host redirector; when none answers, CreateFile fails with
// ERROR_FILE_NOT_FOUND, as for a device that is not there. A file on a drive
// the drive table does not map, or a network path, is the redirector's: its
// handle carries the file requests to it. Any other file is a host file.
#pragma once

#include "platform/types.h"

namespace win32 {

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_READ_DATA = 0x0001;
inline constexpr DWORD FILE_WRITE_DATA = 0x0002;
inline constexpr DWORD FILE_APPEND_DATA = 0x0004;
inline constexpr DWORD FILE_READ_EA = 0x0008;
inline constexpr DWORD FILE_WRITE_EA = 0x0010;
inline constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
inline constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;

inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;

// INVALID_HANDLE_VALUE on failure with the last error set. A directory opens
// only with FILE_FLAG_BACKUP_SEMANTICS (else ERROR_ACCESS_DENIED).
HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES* security,
                   DWORD disposition, DWORD flags, HANDLE template_file);
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES* security,
                   DWORD disposition, DWORD flags, HANDLE template_file);

// Sends `code` with the input bytes and receives up to `output_size` bytes.
// A request the redirector refuses returns FALSE with its last error, and the
// output it returned (the record's status) is still stored. Host files know
// no control requests: ERROR_INVALID_FUNCTION. Overlapped requests are not
// served (ERROR_INVALID_PARAMETER).
// Ends every request on a handle of the redirector, from any thread: one
// waiting for its reply, and every later one, fails with
// ERROR_OPERATION_ABORTED. ERROR_NOT_FOUND for a handle with nothing to
// cancel (a host file).
BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped);

BOOL DeviceIoControl(HANDLE device, DWORD code, const void* input, DWORD input_size, void* output,
                     DWORD output_size, DWORD* bytes_returned, OVERLAPPED* overlapped);

}  // namespace win32
