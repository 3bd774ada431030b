#include "platform/drives.h"

#include <memory>
#include <optional>

#include "platform/device_protocol.h"
#include "platform/device_transport.h"
#include "platform/paths.h"

namespace win32 {

namespace {

DWORD RedirectorDrives() {
    std::unique_ptr<DeviceConnection> connection = CurrentDeviceTransport()->Connect();
    if (!connection) {
        return 0;
    }
    device_protocol::Request request;
    request.operation = device_protocol::kDriveMask;
    std::optional<Bytes> payload = connection->Exchange(device_protocol::EncodeRequest(request));
    if (!payload) {
        return 0;
    }
    std::optional<device_protocol::Reply> reply = device_protocol::DecodeReply(*payload);
    if (!reply || !reply->ok) {
        return 0;
    }
    ByteReader reader(reply->output);
    DWORD mask = reader.U32();
    return reader.ok() ? mask & 0x03FFFFFF : 0;
}

}  // namespace

DWORD GetLogicalDrives() {
    DWORD mask = 0;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        if (DriveRoot(letter)) {
            mask |= DWORD{1} << (letter - u'A');
        }
    }
    return mask | RedirectorDrives();
}

}  // namespace win32
