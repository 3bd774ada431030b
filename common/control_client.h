// The redirector's control client: one device handle per request, opened
// and closed around it, except for the mount enumeration whose position the
// redirector ties to the handle.
#pragma once

#include "common/records.h"
#include "platform/handles.h"
#include "platform/types.h"

namespace cvn {

// \\.\CVNCTL on Windows NT, \\.\VCORV on Windows 95. 0, or the error of
// CreateFile; on any other platform 0 with no handle.
win32::DWORD OpenControlDevice(win32::HANDLE* device);

// Sends the whole 5088-byte entry to the control device and receives it back.
win32::DWORD CvnMountRequest(MountEntry& entry, win32::DWORD code);

// The redirector's statistics.
win32::DWORD CvnGetInfo(Statistics& statistics, win32::DWORD code);

// The NFS attributes of a file on an NFS drive, by its full path.
win32::DWORD CvnGetNfsAttr(NfsAttributes& attributes, const char16_t* path);

// Changes the attributes the record selects.
win32::DWORD CvnSetNfsAttr(SetAttributes& attributes, const char16_t* path);

// Sends request 14 on an open device: the next mount entry into `entry`.
// 0, or the last error (ERROR_NO_MORE_ITEMS after the last mount; the next
// call then starts over at the first).
win32::DWORD NextMountEntry(win32::HANDLE device, MountEntry& entry);

}  // namespace cvn
