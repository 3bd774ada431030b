// A host's exported file systems and printer queues, as the redirector
// lists them.
#pragma once

#include <string>
#include <vector>

#include "cvprov/local_device.h"
#include "cvprov/provider_device.h"
#include "platform/types.h"

namespace cvprov {

struct ListedResource {
    std::u16string remote_name;  // \\host\name
    std::u16string comment;
    DeviceKind kind;
};

// Exports first when both kinds are asked for. 0, or the error that ended
// the listing (50 when exports cannot be listed, 67 for a host of more than
// 40 characters).
win32::DWORD ListHostResources(Form form, const std::u16string& host, bool disks, bool printers,
                               std::vector<ListedResource>* resources);

inline constexpr win32::UINT kMsgPrefixAlternate = 1250;
inline constexpr win32::UINT kMsgPrefixExport = 1252;
inline constexpr win32::UINT kMsgPrefixPrinter = 1255;

}  // namespace cvprov
