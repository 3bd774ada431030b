// Making, cancelling and querying connections: the logic both forms of the
// provider share. Texts are UTF-16 here; each form converts at its entry.
#pragma once

#include <optional>
#include <string>

#include "cvprov/provider_device.h"
#include "platform/types.h"
#include "platform/ui.h"

namespace cvprov {

struct ConnectRequest {
    win32::HWND owner = nullptr;
    std::optional<std::u16string> local_name;
    std::optional<std::u16string> remote_name;
    win32::DWORD type = 0;
    std::optional<std::u16string> password;
    std::optional<std::u16string> user_name;
    win32::DWORD flags = 0;
};

// 0, 8, 67, 1200, 1223, or a translated status.
win32::DWORD AddConnection(Form form, const ConnectRequest& request);

// 0, 50, 1200, 2401, or a translated status.
win32::DWORD CancelConnection(Form form, const std::u16string* name, bool force);

// The remote name of a local device: 0, 50, 234 (with `*needed`), 1200, or
// a translated status.
win32::DWORD GetConnection(Form form, const std::u16string* local_name,
                           std::u16string* remote_name);

// The user of a connection, or the logged-on user when `local_name` is null
// or empty: 0, 1200, 1222, or a translated status.
win32::DWORD GetUser(Form form, const std::u16string* local_name, std::u16string* user_name);

// The connection of a drive for a local path "X:" or "X:\...": its
// connection name and the rest of the path. 0, 87, 2250, or a translated
// status.
win32::DWORD GetDriveConnection(Form form, const std::u16string& path, std::u16string* connection,
                                std::u16string* remainder);

// The host and path parts of a remote name, past a container name at its
// front. False for a name with nothing after its backslashes.
bool SplitRemoteName(std::u16string_view name, std::u16string* host,
                     std::optional<std::u16string>* path);

}  // namespace cvprov
