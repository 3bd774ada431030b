#include "platform/redirector_files.h"

#include <memory>

#include "platform/device_protocol.h"
#include "platform/device_transport.h"
#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

namespace protocol = device_protocol;

namespace {

DWORD Unreachable(const std::u16string& name) {
    return name.starts_with(u"\\\\") ? ERROR_BAD_NETPATH : ERROR_PATH_NOT_FOUND;
}

// One request on `connection`; the reply's output when it succeeded, else
// nullopt with the last error set.
std::optional<Bytes> Call(DeviceConnection& connection, const protocol::Request& request) {
    std::optional<Bytes> payload = connection.Exchange(protocol::EncodeRequest(request));
    std::optional<protocol::Reply> reply;
    if (payload) {
        reply = protocol::DecodeReply(*payload);
    }
    if (!reply) {
        SetLastError(Unreachable(request.name));
        return std::nullopt;
    }
    if (!reply->ok) {
        SetLastError(reply->error);
        return std::nullopt;
    }
    return std::move(reply->output);
}

std::unique_ptr<DeviceConnection> Connect(const std::u16string& name) {
    std::unique_ptr<DeviceConnection> connection = CurrentDeviceTransport()->Connect();
    if (!connection) {
        SetLastError(Unreachable(name));
    }
    return connection;
}

// Appends one page to `listing`; the total count of the listing, or nullopt.
std::optional<std::uint32_t> ReadPage(const Bytes& page, RedirectorListing& listing) {
    ByteReader reader(page);
    const std::uint32_t flags = reader.U32();
    const std::uint32_t total = reader.U32();
    const std::uint32_t count = reader.U32();
    for (std::uint32_t i = 0; i < count && reader.ok(); ++i) {
        DirectoryEntry entry;
        entry.name = reader.Text(protocol::kMaxNameChars);
        entry.facts = protocol::ReadFacts(reader);
        listing.entries.push_back(std::move(entry));
    }
    if (!reader.ok() || !reader.AtEnd() || listing.entries.size() > total) {
        return std::nullopt;
    }
    listing.is_root = (flags & protocol::kListingIsRoot) != 0;
    return total;
}

}  // namespace

std::optional<RedirectorListing> ListRedirectorDirectory(const std::u16string& directory) {
    std::unique_ptr<DeviceConnection> connection = Connect(directory);
    if (!connection) {
        return std::nullopt;
    }
    RedirectorListing listing;
    protocol::Request request;
    request.operation = protocol::kListDirectory;
    request.name = directory;
    for (;;) {
        request.start = static_cast<std::uint32_t>(listing.entries.size());
        std::optional<Bytes> page = Call(*connection, request);
        if (!page) {
            return std::nullopt;
        }
        const std::size_t before = listing.entries.size();
        std::optional<std::uint32_t> total = ReadPage(*page, listing);
        // A page that adds nothing short of the total would repeat for ever.
        if (!total || (listing.entries.size() == before && before < *total)) {
            SetLastError(ERROR_INVALID_DATA);
            return std::nullopt;
        }
        if (listing.entries.size() == *total) {
            return listing;
        }
    }
}

std::optional<FileFacts> RedirectorFileFacts(const std::u16string& name) {
    std::unique_ptr<DeviceConnection> connection = Connect(name);
    if (!connection) {
        return std::nullopt;
    }
    protocol::Request request;
    request.operation = protocol::kFileFacts;
    request.name = name;
    std::optional<Bytes> output = Call(*connection, request);
    if (!output) {
        return std::nullopt;
    }
    ByteReader reader(*output);
    FileFacts facts = protocol::ReadFacts(reader);
    if (!reader.ok() || !reader.AtEnd()) {
        SetLastError(ERROR_INVALID_DATA);
        return std::nullopt;
    }
    return facts;
}

}  // namespace win32
