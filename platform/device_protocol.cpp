#include "platform/device_protocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace win32::device_protocol {

Bytes EncodeRequest(const Request& request) {
    ByteWriter writer;
    writer.U32(request.operation);
    switch (request.operation) {
        case kOpenDevice:
            writer.U32(request.device);
            break;
        case kOpenFile:
            writer.U32(request.access);
            writer.U32(request.flags);
            writer.Text(request.name);
            break;
        case kControl:
            writer.U32(request.code);
            writer.U32(request.output_size);
            writer.U32(static_cast<std::uint32_t>(request.input.size()));
            writer.Raw(request.input);
            break;
        case kListDirectory:
            writer.U32(request.start);
            writer.Text(request.name);
            break;
        case kFileFacts:
            writer.Text(request.name);
            break;
        case kHelperQuery:
            writer.U32(request.code);
            writer.Text(request.name);
            break;
        default:
            break;
    }
    return writer.Take();
}

std::optional<Request> DecodeRequest(std::span<const std::uint8_t> payload) {
    ByteReader reader(payload);
    Request request;
    request.operation = reader.U32();
    switch (request.operation) {
        case kOpenDevice:
            request.device = reader.U32();
            break;
        case kOpenFile:
            request.access = reader.U32();
            request.flags = reader.U32();
            request.name = reader.Text(kMaxNameChars);
            break;
        case kControl: {
            request.code = reader.U32();
            request.output_size = reader.U32();
            std::uint32_t input_size = reader.U32();
            if (input_size > kMaxBufferBytes || request.output_size > kMaxBufferBytes) {
                return std::nullopt;
            }
            std::span<const std::uint8_t> input = reader.Raw(input_size);
            request.input.assign(input.begin(), input.end());
            break;
        }
        case kDriveMask:
            break;
        case kListDirectory:
            request.start = reader.U32();
            request.name = reader.Text(kMaxNameChars);
            break;
        case kFileFacts:
            request.name = reader.Text(kMaxNameChars);
            break;
        case kHelperQuery:
            request.code = reader.U32();
            request.name = reader.Text(kMaxNameChars);
            break;
        default:
            return std::nullopt;
    }
    if (!reader.ok() || !reader.AtEnd()) {
        return std::nullopt;
    }
    return request;
}

namespace {

void WriteTime(ByteWriter& writer, FILETIME time) {
    writer.U32(time.dwLowDateTime);
    writer.U32(time.dwHighDateTime);
}

FILETIME ReadTime(ByteReader& reader) {
    FILETIME time;
    time.dwLowDateTime = reader.U32();
    time.dwHighDateTime = reader.U32();
    return time;
}

}  // namespace

void WriteFacts(ByteWriter& writer, const FileFacts& facts) {
    writer.U32(facts.attributes);
    writer.U32(static_cast<std::uint32_t>(facts.size));
    writer.U32(static_cast<std::uint32_t>(facts.size >> 32));
    WriteTime(writer, facts.creation);
    WriteTime(writer, facts.last_access);
    WriteTime(writer, facts.last_write);
}

FileFacts ReadFacts(ByteReader& reader) {
    FileFacts facts;
    facts.attributes = reader.U32();
    facts.size = reader.U32();
    facts.size |= static_cast<std::uint64_t>(reader.U32()) << 32;
    facts.creation = ReadTime(reader);
    facts.last_access = ReadTime(reader);
    facts.last_write = ReadTime(reader);
    return facts;
}

Bytes EncodeReply(const Reply& reply) {
    ByteWriter writer;
    writer.U32(reply.ok ? 1 : 0);
    writer.U32(reply.error);
    writer.U32(static_cast<std::uint32_t>(reply.output.size()));
    writer.Raw(reply.output);
    return writer.Take();
}

std::optional<Reply> DecodeReply(std::span<const std::uint8_t> payload) {
    ByteReader reader(payload);
    Reply reply;
    std::uint32_t ok = reader.U32();
    reply.error = reader.U32();
    std::uint32_t size = reader.U32();
    if (ok > 1 || size > kMaxBufferBytes) {
        return std::nullopt;
    }
    std::span<const std::uint8_t> output = reader.Raw(size);
    if (!reader.ok() || !reader.AtEnd()) {
        return std::nullopt;
    }
    reply.ok = ok == 1;
    reply.output.assign(output.begin(), output.end());
    return reply;
}

// send() with MSG_NOSIGNAL: a peer that went away fails the write instead of
// ending the process with SIGPIPE.
bool WriteFrame(int fd, std::span<const std::uint8_t> payload) {
    ByteWriter frame;
    frame.U32(static_cast<std::uint32_t>(payload.size()));
    frame.Raw(payload);
    const Bytes& bytes = frame.bytes();
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

namespace {

bool ReadExactly(int fd, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

std::optional<Bytes> ReadFrame(int fd) {
    std::uint8_t header[4];
    if (!ReadExactly(fd, header, sizeof header)) {
        return std::nullopt;
    }
    std::uint32_t size = ByteReader(header).U32();
    if (size > kMaxFrameBytes) {
        return std::nullopt;
    }
    Bytes payload(size);
    if (!ReadExactly(fd, payload.data(), size)) {
        return std::nullopt;
    }
    return payload;
}

}  // namespace win32::device_protocol
