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
//   reply                  ok (1 or 0), Win32 last error, output size, output
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/bytes.h"

namespace win32::device_protocol {

enum Operation : std::uint32_t {
    kOpenDevice = 1,
    kOpenFile = 2,
    kControl = 3,
    kDriveMask = 4,
};

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
    std::u16string name;            // open file
    std::uint32_t code = 0;         // control
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

Bytes EncodeReply(const Reply& reply);
std::optional<Reply> DecodeReply(std::span<const std::uint8_t> payload);

// Frames on a stream socket. ReadFrame gives nullopt at the end of the
// stream, on an error, or for a frame above kMaxFrameBytes.
bool WriteFrame(int fd, std::span<const std::uint8_t> payload);
std::optional<Bytes> ReadFrame(int fd);

}  // namespace win32::device_protocol
