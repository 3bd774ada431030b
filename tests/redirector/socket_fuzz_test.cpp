// Malformed traffic on the real daemon's socket, from a generator with a
// fixed seed: raw bytes, truncated and oversize frames, garbage payloads,
// control requests with wrong sizes, tags and codes, and random records for
// every request the redirector knows. Between batches a well-formed client
// checks that the daemon still answers correctly and that its connections
// are intact; at the end it must stop cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/records.h"
#include "common/redirector_codes.h"
#include "platform/device.h"
#include "platform/device_protocol.h"
#include "platform/errors.h"
#include "tests/redirector/daemon_support.h"
#include "tests/support/redirector_daemon.h"

namespace redirector_test {
namespace {

namespace protocol = win32::device_protocol;
namespace me = cvn::mount_entry;
using Bytes = std::vector<std::uint8_t>;

struct Known {
    win32::DWORD code;
    std::size_t size;
};

// Request 6 is left out: a well-formed one waits, by design, until the
// redirector has a question for the helper.
const Known kKnown[] = {
    {cvn::FSCTL_SERVER_ADD_DISK, me::kSize},
    {cvn::FSCTL_SERVER_DEL_FORCE, me::kSize},
    {cvn::FSCTL_SERVER_DEL, me::kSize},
    {cvn::FSCTL_SERVER_GETMNT, me::kSize},
    {cvn::FSCTL_SERVER_GETIDSTAT, cvn::statistics::kSize},
    {cvn::FSCTL_SERVER_SET_NFSATR, cvn::set_attributes::kSize},
    {cvn::FSCTL_SERVER_GET_NFSATR, cvn::nfs_attributes::kSize},
    {cvn::FSCTL_SERVER_NEXT_MOUNT, me::kSize},
    {cvn::FSCTL_SERVER_SET_NFSATR_95, cvn::kSetAttributes95Size},
    {cvn::FSCTL_SERVER_GET_NFSATR_95, cvn::kGetAttributes95Size},
    {cvn::FSCTL_SERVER_HELPER_REGISTER, 6824},
    {cvn::FSCTL_SERVER_GET_USER, 104},
    {cvn::FSCTL_SERVER_ADD_PRINTER, me::kSize},
};

class Fuzzer {
public:
    explicit Fuzzer(std::string socket) : socket_(std::move(socket)) {}

    std::uint32_t Below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(random_() % bound);
    }
    Bytes RandomBytes(std::size_t size) {
        Bytes bytes(size);
        for (std::uint8_t& byte : bytes) {
            byte = static_cast<std::uint8_t>(random_());
        }
        return bytes;
    }

    // Whatever else is random, a cancel never names the connections the
    // checks rely on, and a size to set stays small (no file of terabytes).
    static void Protect(win32::DWORD code, Bytes& record) {
        win32::ByteView view(record.data(), record.size());
        if ((code == cvn::FSCTL_SERVER_DEL || code == cvn::FSCTL_SERVER_DEL_FORCE) &&
            view.Fits(me::kDeviceWord, 1)) {
            view.SetU8(me::kDeviceWord,
                       static_cast<std::uint8_t>('H' + view.U8(me::kDeviceWord) % 18));
        }
        if ((code == cvn::FSCTL_SERVER_SET_NFSATR || code == cvn::FSCTL_SERVER_SET_NFSATR_95) &&
            view.Fits(cvn::set_attributes::kFileSize, 8)) {
            view.SetU64(cvn::set_attributes::kFileSize,
                        view.U64(cvn::set_attributes::kFileSize) % 4096);
        }
    }

    Bytes ControlRequest(win32::DWORD code, std::uint32_t output_size, Bytes input) {
        Protect(code, input);
        protocol::Request request;
        request.operation = protocol::kControl;
        request.code = code;
        request.output_size = output_size;
        request.input = std::move(input);
        return protocol::EncodeRequest(request);
    }
    static Bytes OpenDevice() { return {1, 0, 0, 0, 0, 0, 0, 0}; }
    static Bytes OpenFile(const std::u16string& name, std::uint32_t flags) {
        protocol::Request request;
        request.operation = protocol::kOpenFile;
        request.access = win32::FILE_READ_EA;
        request.flags = flags;
        request.name = name;
        return protocol::EncodeRequest(request);
    }

    // A record the redirector will parse: the tag, a zero status, random
    // contents.
    Bytes RandomRecord(const Known& known) {
        Bytes record = RandomBytes(known.size);
        win32::ByteView view(record.data(), record.size());
        cvn::InitializeHeader(view);
        if (known.size == me::kSize && Below(2) == 0) {
            // Short, plausible names rather than noise in every byte.
            cvn::CopyCountedName(RandomName(8), view, me::kHost);
            cvn::CopyCountedName(RandomName(12), view, me::kPath);
        }
        if (known.code == cvn::FSCTL_SERVER_GET_NFSATR_95 ||
            known.code == cvn::FSCTL_SERVER_SET_NFSATR_95) {
            const cvn::CountedNameField field = known.code == cvn::FSCTL_SERVER_GET_NFSATR_95
                                                    ? cvn::kGetAttributes95Path
                                                    : cvn::kSetAttributes95Path;
            if (Below(2) == 0) {
                cvn::CopyCountedName(u"F:\\" + RandomName(10), view, field);
            }
        }
        return record;
    }
    // Names made of the characters that matter to a path: separators, dots,
    // a drive colon, a NUL, letters and a character beyond ASCII.
    std::u16string RandomName(std::size_t max) {
        static const char16_t kChars[] = {u'\\', u'/', u'.', u':',   0,
                                          u'a',  u'Z', u'~', 0x00E9, 0xDC80};
        std::u16string name;
        for (std::size_t i = Below(static_cast<std::uint32_t>(max) + 1); i > 0; --i) {
            name.push_back(kChars[Below(std::size(kChars))]);
        }
        if (Below(4) == 0) {
            name += u"\\..\\..";
        }
        return name;
    }

    // One exchange on `connection`: the frame goes out, a reply that decodes
    // comes back.
    ::testing::AssertionResult Exchange(RawConnection& connection, const Bytes& payload,
                                        protocol::Reply* reply = nullptr) {
        if (!connection.SendFrame(payload)) {
            return ::testing::AssertionFailure() << "the daemon dropped a connection";
        }
        std::optional<Bytes> answer = connection.ReceiveFrame();
        if (!answer) {
            return ::testing::AssertionFailure() << "no reply to a framed request";
        }
        std::optional<protocol::Reply> decoded = protocol::DecodeReply(*answer);
        if (!decoded) {
            return ::testing::AssertionFailure() << "a reply that does not decode";
        }
        if (reply != nullptr) {
            *reply = *decoded;
        }
        return ::testing::AssertionSuccess();
    }

    // Traffic after which the daemon must close the connection by itself,
    // or once the client has said it is done.
    ::testing::AssertionResult BrokenStream(int kind) {
        RawConnection connection(socket_);
        if (!connection.connected()) {
            return ::testing::AssertionFailure() << "cannot connect";
        }
        bool end_requests = true;
        Bytes bytes;
        switch (kind) {
            case 0:  // noise
                bytes = RandomBytes(Below(64));
                break;
            case 1: {  // a frame cut short
                Bytes payload = ControlRequest(kKnown[Below(std::size(kKnown))].code, 5088,
                                               RandomBytes(Below(6000)));
                win32::ByteWriter frame;
                frame.U32(static_cast<std::uint32_t>(payload.size()));
                frame.Raw(payload);
                bytes = frame.Take();
                bytes.resize(Below(static_cast<std::uint32_t>(bytes.size())));
                break;
            }
            default: {  // a length no frame may have: refused without waiting
                win32::ByteWriter frame;
                frame.U32(protocol::kMaxFrameBytes + 1 +
                          Below(0xFFFFFFFF - protocol::kMaxFrameBytes));
                frame.Raw(RandomBytes(Below(16)));
                bytes = frame.Take();
                end_requests = false;
                break;
            }
        }
        if (Below(2) == 0) {
            connection.SendFrame(OpenDevice());
            if (!connection.ReceiveFrame()) {
                return ::testing::AssertionFailure() << "no reply to opening the device";
            }
        }
        connection.SendRaw(bytes);
        if (end_requests) {
            connection.EndRequests();
        }
        if (!connection.ClosedByPeer()) {
            return ::testing::AssertionFailure()
                   << "the daemon kept a broken connection open (case " << kind << ")";
        }
        return ::testing::AssertionSuccess();
    }

    // A well-formed control request with a wrong size, tag or code.
    Bytes WrongControl() {
        const Known& known = kKnown[Below(std::size(kKnown))];
        Bytes record = RandomRecord(known);
        win32::DWORD code = known.code;
        std::uint32_t output = static_cast<std::uint32_t>(known.size);
        switch (Below(5)) {
            case 0:
                record.resize(Below(static_cast<std::uint32_t>(known.size)));
                break;
            case 1:
                output = Below(static_cast<std::uint32_t>(known.size));
                break;
            case 2:
                win32::ByteView(record.data(), record.size())
                    .SetU16(0, static_cast<std::uint16_t>(random_()));
                break;
            case 3:
                code = static_cast<win32::DWORD>(random_());
                break;
            default:
                code = cvn::RedirectorControlCode(Below(64));
                if (code == cvn::FSCTL_SERVER_HELPER_EXCHANGE) {
                    code = cvn::RedirectorControlCode(64);  // request 6 waits: see kKnown
                }
                record.resize(Below(7000));
                output = Below(protocol::kMaxBufferBytes + 1);
                break;
        }
        return ControlRequest(code, output, record);
    }

    Bytes RandomControl() {
        const Known& known = kKnown[Below(std::size(kKnown))];
        return ControlRequest(known.code, static_cast<std::uint32_t>(known.size),
                              RandomRecord(known));
    }

    Bytes GarbagePayload() {
        Bytes payload = RandomBytes(Below(80));
        if (!payload.empty() && Below(2) == 0) {
            payload[0] = static_cast<std::uint8_t>(1 + Below(4));  // a known operation
            if (payload.size() >= 4) {
                payload[1] = payload[2] = payload[3] = 0;
            }
        }
        return payload;
    }

private:
    std::string socket_;
    std::mt19937 random_{20240611};
};

// The connections of the check, described through a client that only ever
// sends well-formed requests: "F" and "-" for the drive and the deviceless
// one, in the order they were made.
::testing::AssertionResult MountTableIs(Fuzzer& fuzzer, RawConnection& checker,
                                        const std::string& expected) {
    std::string seen;
    for (int guard = 0; guard < 64; ++guard) {
        cvn::MountEntry entry;
        entry.Initialize();
        protocol::Reply reply;
        ::testing::AssertionResult exchanged =
            fuzzer.Exchange(checker,
                            fuzzer.ControlRequest(cvn::FSCTL_SERVER_NEXT_MOUNT, me::kSize,
                                                  Bytes(entry.data(), entry.data() + entry.size())),
                            &reply);
        if (!exchanged) {
            return exchanged;
        }
        if (!reply.ok) {
            if (reply.error != win32::ERROR_NO_MORE_ITEMS) {
                return ::testing::AssertionFailure() << "enumeration failed with " << reply.error;
            }
            break;
        }
        std::copy_n(reply.output.begin(), std::min(reply.output.size(), entry.size()),
                    entry.data());
        if (entry.Text(me::kHost) != u"localhost" || entry.Text(me::kPath) != u"demo") {
            return ::testing::AssertionFailure() << "a connection with another remote name";
        }
        seen += entry.device_code() == 0 ? '-' : static_cast<char>(entry.device_code());
    }
    if (seen != expected) {
        return ::testing::AssertionFailure()
               << "connections \"" << seen << "\", expected \"" << expected << "\"";
    }
    return ::testing::AssertionSuccess();
}

TEST(DaemonFuzz, MalformedTrafficLeavesTheDaemonServing) {
    cvn_test::RedirectorDaemon daemon;
    ASSERT_TRUE(daemon.started()) << daemon.start_error();
    ASSERT_EQ(daemon.Control({"mount", "F:", "\\\\localhost\\demo"}).exit_status, 0);
    ASSERT_EQ(daemon.Control({"mount", "\\\\localhost\\demo"}).exit_status, 0);
    const std::string socket = daemon.runtime_dir() + "/cvnrd.sock";
    Fuzzer fuzzer(socket);

    RawConnection checker(socket);
    ASSERT_TRUE(checker.connected());
    protocol::Reply opened;
    ASSERT_TRUE(fuzzer.Exchange(checker, Fuzzer::OpenDevice(), &opened));
    ASSERT_TRUE(opened.ok);
    ASSERT_TRUE(MountTableIs(fuzzer, checker, "F-"));

    // Long-lived handles that take the random traffic: a control device, a
    // file on the drive, and one that gets garbage from its first message.
    RawConnection device(socket), file(socket), junk(socket);
    ASSERT_TRUE(fuzzer.Exchange(device, Fuzzer::OpenDevice()));
    ASSERT_TRUE(fuzzer.Exchange(file, Fuzzer::OpenFile(u"F:\\README.TXT", 0), &opened));
    ASSERT_TRUE(opened.ok) << opened.error;

    for (int batch = 0; batch < 40; ++batch) {
        for (int i = 0; i < 100; ++i) {
            switch (fuzzer.Below(8)) {
                case 0:
                case 1:
                    ASSERT_TRUE(fuzzer.BrokenStream(static_cast<int>(fuzzer.Below(3))))
                        << "batch " << batch;
                    break;
                case 2:
                    ASSERT_TRUE(fuzzer.Exchange(junk, fuzzer.GarbagePayload()))
                        << "batch " << batch;
                    break;
                case 3:
                case 4: {
                    protocol::Reply reply;
                    ASSERT_TRUE(fuzzer.Exchange(device, fuzzer.WrongControl(), &reply))
                        << "batch " << batch;
                    if (!reply.ok && reply.output.size() >= 4) {
                        EXPECT_NE(reply.output[2] | (reply.output[3] << 8), 0) << "batch " << batch;
                    }
                    break;
                }
                case 5:
                    ASSERT_TRUE(fuzzer.Exchange(device, fuzzer.RandomControl()))
                        << "batch " << batch;
                    break;
                case 6:
                    ASSERT_TRUE(fuzzer.Exchange(file, fuzzer.RandomControl())) << "batch " << batch;
                    break;
                default: {
                    // A file handle on a random name, then one random request on it.
                    RawConnection other(socket);
                    ASSERT_TRUE(other.connected());
                    ASSERT_TRUE(fuzzer.Exchange(
                        other,
                        Fuzzer::OpenFile(u"F:\\" + fuzzer.RandomName(12),
                                         fuzzer.Below(2) ? win32::FILE_FLAG_BACKUP_SEMANTICS : 0)));
                    ASSERT_TRUE(fuzzer.Exchange(other, fuzzer.RandomControl()));
                    break;
                }
            }
        }
        ASSERT_TRUE(MountTableIs(fuzzer, checker, "F-")) << "after batch " << batch;
        cvn::MountEntry entry;
        entry.Initialize();
        entry.set_device_code('F');
        protocol::Reply fetched;
        ASSERT_TRUE(
            fuzzer.Exchange(checker,
                            fuzzer.ControlRequest(cvn::FSCTL_SERVER_GETMNT, me::kSize,
                                                  Bytes(entry.data(), entry.data() + entry.size())),
                            &fetched));
        ASSERT_TRUE(fetched.ok) << "after batch " << batch;
    }

    // Random modes may have closed the export's directories to their owner;
    // open them again so that the test's directory can be removed.
    const std::string demo = daemon.runtime_dir() + "/demo";
    std::error_code ignored;
    std::filesystem::permissions(demo, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    for (auto it = std::filesystem::recursive_directory_iterator(demo, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }

    // The programs' own view agrees, and the daemon goes cleanly.
    EXPECT_EQ(daemon.Control({"list"}).out, "F: \\\\localhost\\demo\n- \\\\localhost\\demo\n");
    EXPECT_TRUE(daemon.Stop());
    EXPECT_FALSE(cvn_test::FileExists(socket));
    EXPECT_FALSE(cvn_test::FileExists(daemon.runtime_dir() + "/cvnrd.pid"));
}

}  // namespace
}  // namespace redirector_test
