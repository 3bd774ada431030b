// The messages between the layer's control-device calls and the host
// redirector. One connection carries one handle: it is opened as a control
// device or as a file, then carries control requests until it is closed.
//
// Every message travels as a frame: a u32 byte count, then the payload. All
// numbers are little-endian u32; names are a byte count and UTF-16.
//
//   request  open device   1, device kind (0 \\.\CVNCTL, 1 \\.\VCORV)
//            open file     2, access, flags, name (full Windows path)
//            control       3, code, output size, input size, input bytes
//            drive mask    4
//            list directory 5, start index, name (full Windows path of a
//                          directory on an NFS drive)
//            file facts    6, name (full Windows path on an NFS drive)
//            helper query  7, request kind, name: asks the helper program
//                          through the redirector and waits for its answer
//                          (the administrator's view of the helper)
//   reply                  ok (1 or 0), Win32 last error, output size, output
//
// A helper query's reply: the helper's answer status (u32), then its data.
// Kind 0 asks the redirector itself for the helper's registration: 1 and the
// host, domain and the two container names as texts, or 0 when no helper has
// registered.
//
// A directory listing comes in pages that fit one reply: flags (bit 0: the
// directory is the root of its connection, which lists no "." or ".."),
// the number of entries in the whole listing, the number in this page, then
// each entry: name, then its facts. The facts of a file: attributes, size
// (u64), creation, last access and last write time (u64 each). The listing is
// taken once, when start index 0 is asked for, and later pages on the same
// connection come from that snapshot.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/bytes.h"
#include "platform/file_info.h"

namespace win32::device_protocol {

enum Operation : std::uint32_t {
    kOpenDevice = 1,
    kOpenFile = 2,
    kControl = 3,
    kDriveMask = 4,
    kListDirectory = 5,
    kFileFacts = 6,
    kHelperQuery = 7,
};

inline constexpr std::uint32_t kListingIsRoot = 1;
inline constexpr std::uint32_t kHelperRegistrationQuery = 0;

enum DeviceKind : std::uint32_t {
    kControlDeviceNt = 0,  // \\.\CVNCTL
    kControlDevice95 = 1,  // \\.\VCORV
};

// Bounds that keep a peer from making the other side allocate without limit.
inline constexpr std::uint32_t kMaxFrameBytes = 1u << 20;
inline constexpr std::uint32_t kMaxBufferBytes = 64u * 1024;
inline constexpr std::size_t kMaxNameChars = 32768;

struct Request {
    std::uint32_t operation = 0;
    std::uint32_t device = 0;       // open device
    std::uint32_t access = 0;       // open file
    std::uint32_t flags = 0;        // open file
    std::u16string name;            // open file, list directory, file facts
    std::uint32_t start = 0;        // list directory
    std::uint32_t code = 0;         // control; the request kind of a helper query
    std::uint32_t output_size = 0;  // control
    Bytes input;                    // control
};

struct Reply {
    bool ok = false;
    std::uint32_t error = 0;
    Bytes output;
};

Bytes EncodeRequest(const Request& request);
// Nullopt for a payload that is not a well-formed request.
std::optional<Request> DecodeRequest(std::span<const std::uint8_t> payload);

void WriteFacts(ByteWriter& writer, const FileFacts& facts);
FileFacts ReadFacts(ByteReader& reader);

Bytes EncodeReply(const Reply& reply);
std::optional<Reply> DecodeReply(std::span<const std::uint8_t> payload);

// Frames on a stream socket. ReadFrame gives nullopt at the end of the
// stream, on an error, or for a frame above kMaxFrameBytes.
bool WriteFrame(int fd, std::span<const std::uint8_t> payload);
std::optional<Bytes> ReadFrame(int fd);

}  // namespace win32::device_protocol
