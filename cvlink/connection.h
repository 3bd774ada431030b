// Connecting and disconnecting.
//
// NOT YET BUILT: both go through the network provider, which is not part of
// the tree yet. Until it is, each reports that the request is not supported
// (the system text of error 50); the dispatch already calls them exactly
// where the provider will be bound.
#pragma once

#include <string>

#include "platform/types.h"

namespace cvlink {

// Prints the result as the connection does ("\n  " and the system text)
// and returns the Win32 result.
win32::DWORD Connect(const std::u16string& local_name, const std::u16string& remote_name,
                     const std::u16string& user_name, const std::u16string& password);

// Returns the Win32 result; the caller prints it. A name starting with '*'
// disconnects all mounts after asking.
win32::DWORD Disconnect(const std::u16string& name, int force);

}  // namespace cvlink
