// The messages between the device calls and the host redirector, and the
// frames they travel in. Both sides decode what a peer sends them, so every
// malformed payload must be refused, never believed.
#include "platform/device_protocol.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace protocol = win32::device_protocol;
using win32::Bytes;

protocol::Request ControlRequest(Bytes input, std::uint32_t output_size) {
    protocol::Request request;
    request.operation = protocol::kControl;
    request.code = 0x0C03300C;
    request.output_size = output_size;
    request.input = std::move(input);
    return request;
}

protocol::Request OpenFileRequest(std::u16string name) {
    protocol::Request request;
    request.operation = protocol::kOpenFile;
    request.access = 0x0100;
    request.flags = 0x02000000;
    request.name = std::move(name);
    return request;
}

protocol::Request OpenDeviceRequest(std::uint32_t device) {
    protocol::Request request;
    request.operation = protocol::kOpenDevice;
    request.device = device;
    return request;
}

protocol::Request DriveMaskRequest() {
    protocol::Request request;
    request.operation = protocol::kDriveMask;
    return request;
}

void ExpectSame(const protocol::Request& a, const protocol::Request& b) {
    EXPECT_EQ(a.operation, b.operation);
    EXPECT_EQ(a.device, b.device);
    EXPECT_EQ(a.access, b.access);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.code, b.code);
    EXPECT_EQ(a.output_size, b.output_size);
    EXPECT_EQ(a.input, b.input);
}

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

TEST(DeviceProtocol, RequestsOnTheWire) {
    struct Case {
        const char* what;
        protocol::Request request;
        Bytes wire;
    } cases[] = {
        {"open device", OpenDeviceRequest(1), {1, 0, 0, 0, 1, 0, 0, 0}},
        {"open file", OpenFileRequest(u"F:\\\u00e9"), {2,   0, 0,   0,    0x00, 0x01, 0,    0,
                                                       0,   0, 0,   0x02, 8,    0,    0,    0,
                                                       'F', 0, ':', 0,    '\\', 0,    0xE9, 0}},
        {"control",
         ControlRequest({0xAA, 0xBB}, 6),
         {3, 0, 0, 0, 0x0C, 0x30, 0x03, 0x0C, 6, 0, 0, 0, 2, 0, 0, 0, 0xAA, 0xBB}},
        {"drive mask", DriveMaskRequest(), {4, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(protocol::EncodeRequest(c.request), c.wire) << c.what;
        std::optional<protocol::Request> decoded = protocol::DecodeRequest(c.wire);
        ASSERT_TRUE(decoded.has_value()) << c.what;
        ExpectSame(*decoded, c.request);
    }
}

TEST(DeviceProtocol, RoundTripsAtTheLimits) {
    const protocol::Request requests[] = {
        ControlRequest(Bytes(65536, 0x5A), 65536),
        ControlRequest({}, 0),
        OpenFileRequest(std::u16string(32768, u'n')),
        OpenFileRequest(u""),
        OpenDeviceRequest(0),
    };
    for (const protocol::Request& request : requests) {
        std::optional<protocol::Request> decoded =
            protocol::DecodeRequest(protocol::EncodeRequest(request));
        ASSERT_TRUE(decoded.has_value()) << request.operation;
        ExpectSame(*decoded, request);
    }
}

TEST(DeviceProtocol, RefusesMalformedRequests) {
    const Bytes valid[] = {
        protocol::EncodeRequest(OpenDeviceRequest(1)),
        protocol::EncodeRequest(OpenFileRequest(u"\\\\host\\export\\file")),
        protocol::EncodeRequest(ControlRequest({1, 2, 3, 4, 5}, 5)),
        protocol::EncodeRequest(DriveMaskRequest()),
    };
    for (const Bytes& payload : valid) {
        ASSERT_TRUE(protocol::DecodeRequest(payload).has_value());
        for (std::size_t size = 0; size < payload.size(); ++size) {
            EXPECT_FALSE(protocol::DecodeRequest(Bytes(payload.begin(), payload.begin() + size)))
                << "operation " << payload[0] << " cut to " << size;
        }
        Bytes longer = payload;
        longer.push_back(0);
        EXPECT_FALSE(protocol::DecodeRequest(longer)) << "operation " << payload[0];
    }

    for (std::uint32_t operation : {0u, 5u, 0xFFFFFFFFu}) {
        Bytes payload(4);
        PutU32(payload, 0, operation);
        EXPECT_FALSE(protocol::DecodeRequest(payload)) << operation;
    }

    // Sizes beyond the bounds are refused before anything is allocated.
    Bytes control = protocol::EncodeRequest(ControlRequest({}, 0));
    PutU32(control, 12, 65537);  // input size, without the bytes
    EXPECT_FALSE(protocol::DecodeRequest(control));
    control = protocol::EncodeRequest(ControlRequest({}, 65537));
    EXPECT_FALSE(protocol::DecodeRequest(control));
    Bytes name = protocol::EncodeRequest(OpenFileRequest(std::u16string(32769, u'n')));
    EXPECT_FALSE(protocol::DecodeRequest(name));
    name = protocol::EncodeRequest(OpenFileRequest(u"ab"));
    PutU32(name, 12, 3);  // an odd byte count is no UTF-16 text
    name.pop_back();
    EXPECT_FALSE(protocol::DecodeRequest(name));
}

TEST(DeviceProtocol, Replies) {
    const protocol::Reply reply{false, 2250, {0x46, 0x01, 0x14, 0x02}};
    const Bytes wire = {0, 0, 0, 0, 0xCA, 0x08, 0, 0, 4, 0, 0, 0, 0x46, 0x01, 0x14, 0x02};
    EXPECT_EQ(protocol::EncodeReply(reply), wire);
    std::optional<protocol::Reply> decoded = protocol::DecodeReply(wire);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_FALSE(decoded->ok);
    EXPECT_EQ(decoded->error, 2250u);
    EXPECT_EQ(decoded->output, reply.output);

    decoded = protocol::DecodeReply(protocol::EncodeReply({true, 0, Bytes(65536, 1)}));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(decoded->ok);
    EXPECT_EQ(decoded->output.size(), 65536u);

    for (std::size_t size = 0; size < wire.size(); ++size) {
        EXPECT_FALSE(protocol::DecodeReply(Bytes(wire.begin(), wire.begin() + size))) << size;
    }
    Bytes longer = wire;
    longer.push_back(0);
    EXPECT_FALSE(protocol::DecodeReply(longer));
    Bytes bad_ok = wire;
    PutU32(bad_ok, 0, 2);
    EXPECT_FALSE(protocol::DecodeReply(bad_ok));
    Bytes oversize = protocol::EncodeReply({true, 0, {}});
    PutU32(oversize, 8, 65537);
    EXPECT_FALSE(protocol::DecodeReply(oversize));
}

class Frames : public testing::Test {
protected:
    Frames() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds_), 0); }
    ~Frames() override {
        CloseWriter();
        ::close(fds_[0]);
    }
    void CloseWriter() {
        if (fds_[1] >= 0) {
            ::close(fds_[1]);
            fds_[1] = -1;
        }
    }
    void WriteRaw(const Bytes& bytes) {
        ASSERT_EQ(::write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int reader() const { return fds_[0]; }
    int writer() const { return fds_[1]; }

    int fds_[2] = {-1, -1};
};

TEST_F(Frames, CarryPayloadsInOrder) {
    const Bytes payloads[] = {{1, 2, 3}, {}, Bytes(5000, 0x42)};
    for (const Bytes& payload : payloads) {
        ASSERT_TRUE(protocol::WriteFrame(writer(), payload));
    }
    for (const Bytes& payload : payloads) {
        std::optional<Bytes> read = protocol::ReadFrame(reader());
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, payload);
    }
    CloseWriter();
    EXPECT_FALSE(protocol::ReadFrame(reader()));  // the end of the stream
}

TEST_F(Frames, ALengthAndItsBytes) {
    ASSERT_TRUE(protocol::WriteFrame(writer(), Bytes{0xAB, 0xCD}));
    CloseWriter();
    std::uint8_t raw[16];
    ASSERT_EQ(::read(reader(), raw, sizeof raw), 6);
    const std::uint8_t expected[6] = {2, 0, 0, 0, 0xAB, 0xCD};
    EXPECT_EQ(0, std::memcmp(raw, expected, sizeof expected));
}

TEST_F(Frames, LargestFrameIsAccepted) {
    const Bytes payload(protocol::kMaxFrameBytes, 0x11);
    std::thread send([&] { EXPECT_TRUE(protocol::WriteFrame(writer(), payload)); });
    std::optional<Bytes> read = protocol::ReadFrame(reader());
    send.join();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), payload.size());
}

TEST_F(Frames, OversizeFrameIsRefusedUnread) {
    Bytes header(4);
    PutU32(header, 0, protocol::kMaxFrameBytes + 1);
    WriteRaw(header);
    EXPECT_FALSE(protocol::ReadFrame(reader()));
}

TEST_F(Frames, CutFramesAreRefused) {
    WriteRaw({10, 0, 0, 0, 1, 2, 3});  // ten bytes announced, three sent
    CloseWriter();
    EXPECT_FALSE(protocol::ReadFrame(reader()));

    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_EQ(::write(pair[1], "\x05\x00", 2), 2);  // half a length
    ::close(pair[1]);
    EXPECT_FALSE(protocol::ReadFrame(pair[0]));
    ::close(pair[0]);
}

TEST_F(Frames, WritingToAPeerThatWentAwayFails) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ::close(pair[0]);
    // No SIGPIPE ends the process; the write just fails.
    EXPECT_FALSE(protocol::WriteFrame(pair[1], Bytes{1, 2, 3}));
    ::close(pair[1]);
}

}  // namespace
