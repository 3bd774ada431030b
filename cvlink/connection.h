// Connecting and disconnecting through the network provider.
#pragma once

#include <string>

#include "cvlink/tool.h"
#include "platform/types.h"

namespace cvlink {

// Connects with the tool's password, retrying on a wrong password (once
// with an empty one, then asking up to five times), and prints the result
// ("\n  " and the system's text; for a drive also text 314).
win32::DWORD Connect(Tool& tool, const std::u16string& local_name,
                     const std::u16string& remote_name, const std::u16string& user_name);

// Disconnects a drive ("X:") or a remote name; a name starting with '*'
// disconnects every mount after asking. Returns the Win32 result; the caller
// prints it.
win32::DWORD Disconnect(const std::u16string& name, int force);

}  // namespace cvlink
