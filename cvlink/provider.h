// The network provider, bound for each call as the platform's router binds
// it: loaded by name, the entry point looked up, called, and let go again.
#pragma once

#include <string>

#include "platform/types.h"

namespace cvlink {

// Connects `remote_name` (to `local_name` when not empty) as a temporary
// connection. Returns the provider's result, or the error of loading it.
win32::DWORD ProviderAddConnection(const std::u16string& local_name,
                                   const std::u16string& remote_name,
                                   const std::u16string& password, const std::u16string& user_name);

// Cancels the connection of a drive or a remote name.
win32::DWORD ProviderCancelConnection(const std::u16string& name, int force);

}  // namespace cvlink
