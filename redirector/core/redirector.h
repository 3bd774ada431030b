// The host redirector's request logic: the redirector's side of the
// control-device contract, independent of how requests arrive. The daemon
// serves it on a Unix socket; tests may attach it in-process.
//
// Every request is checked before it is believed: record sizes, the tag,
// which kind of handle may send it, and every name it carries. A malformed
// request gets an error reply, never a crash.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/bytes.h"
#include "platform/device_protocol.h"
#include "platform/directory_listing.h"
#include "redirector/core/exports.h"
#include "redirector/core/helper_queue.h"
#include "redirector/core/mount_table.h"
#include "redirector/core/status.h"

namespace cvnrd {

class Redirector;

// What one connection (one client handle) stands for.
struct Session {
    enum class Kind { Unopened, ControlDevice, File };
    Kind kind = Kind::Unopened;
    std::uint32_t device = 0;
    std::uint64_t enumeration_after = 0;  // identity of the last mount returned
    std::uint64_t file_mount = 0;         // mount of an open file
    std::string file_path;                // host path of an open file

    // Listings of a host's exports or printers, by the handle handed out.
    struct ListEntry {
        std::u16string name;
        std::u16string text;
        std::uint32_t flags = 0;
    };
    struct Listing {
        std::vector<ListEntry> entries;
        std::size_t next = 0;
    };
    std::map<std::uint32_t, Listing> listings;
    std::uint32_t next_listing = 1;

    // Position in the list of addresses seen (request 15).
    std::size_t next_address = 0;

    // The directory listing being handed out in pages on this connection.
    bool directory_is_root = false;
    std::vector<win32::DirectoryEntry> directory_entries;
};

// A session registered with its redirector for as long as the object lives.
class SessionHandle {
public:
    explicit SessionHandle(std::shared_ptr<Redirector> redirector);
    ~SessionHandle();
    SessionHandle(const SessionHandle&) = delete;
    SessionHandle& operator=(const SessionHandle&) = delete;

    // One request payload in, one reply payload out.
    win32::Bytes Handle(std::span<const std::uint8_t> payload);

private:
    std::shared_ptr<Redirector> redirector_;
    Session session_;
};

struct Counters {
    std::uint32_t requests = 0;
    std::uint32_t failed_requests = 0;
    std::uint32_t connections_made = 0;
    std::uint32_t attribute_requests = 0;
};

class Redirector {
public:
    explicit Redirector(ExportTable exports);

    win32::Bytes HandlePayload(Session& session, std::span<const std::uint8_t> payload);
    win32::device_protocol::Reply Handle(Session& session,
                                         const win32::device_protocol::Request& request);

    // Fault injection for tests: the next control request fails this way.
    void FailNextRequest(Failure failure);

    // How long a question to the helper program may wait for its answer.
    void SetHelperLimit(std::chrono::milliseconds limit) { helper_limit_ = limit; }

    // Stopping: every helper thread waiting for a request, and everyone
    // waiting for the helper, is released with a failure.
    void Shutdown();

    std::size_t mount_count();

private:
    friend class SessionHandle;
    void Register(Session* session);
    void Unregister(Session* session);

    win32::device_protocol::Reply Open(Session& session,
                                       const win32::device_protocol::Request& request);
    win32::device_protocol::Reply OpenFile(Session& session,
                                           const win32::device_protocol::Request& request);
    win32::device_protocol::Reply ListDirectory(Session& session,
                                                const win32::device_protocol::Request& request);
    win32::device_protocol::Reply FileFacts(const win32::device_protocol::Request& request);
    win32::device_protocol::Reply HelperExchange(Session& session,
                                                 const win32::device_protocol::Request& request);
    win32::device_protocol::Reply HelperQuery(const win32::device_protocol::Request& request);
    void ResolveConnectionHost(const win32::device_protocol::Request& request);
    bool FaultPending();
    win32::device_protocol::Reply Control(Session& session,
                                          const win32::device_protocol::Request& request);

    std::optional<Failure> AddDisk(cvn::MountEntry& entry);
    std::optional<Failure> AddPrinter(cvn::MountEntry& entry);
    std::optional<Failure> Connect(cvn::MountEntry& entry, const Export& found,
                                   std::string directory, std::uint32_t device_type);
    std::optional<Failure> SetUser(win32::ByteView record);
    std::optional<Failure> GetUser(win32::ByteView record);
    std::optional<Failure> OpenListing(Session& session, win32::ByteView record, Export::Kind kind);
    std::optional<Failure> NextListEntry(Session& session, win32::ByteView record);
    std::optional<Failure> Delete(cvn::MountEntry& entry, bool force);
    std::optional<Failure> GetMount(cvn::MountEntry& entry);
    std::optional<Failure> NextMount(Session& session, cvn::MountEntry& entry);
    std::optional<Failure> GetStatistics(win32::ByteView record);
    std::optional<Failure> FileAttributes(Session& session, win32::ByteView record, bool set);
    std::optional<Failure> PathAttributes(win32::ByteView buffer, bool set);
    std::optional<Failure> RegisterHelper(const win32::ByteView& record);
    std::optional<Failure> NextPendingAddress(Session& session, win32::ByteView record);

    Mount* FindNamedMount(const cvn::MountEntry& entry, bool deviceless_only);
    void Describe(const Mount& mount, cvn::MountEntry& entry);
    // The host path of a full Windows name on a mount, or a failure.
    std::optional<std::string> ResolveName(std::u16string_view name, std::uint64_t* mount_id,
                                           Failure* failure);
    std::size_t OpenFilesOn(std::uint64_t mount_id) const;

    std::mutex lock_;
    ExportTable exports_;
    MountTable mounts_;
    std::set<Session*> sessions_;
    Counters counters_;
    std::optional<Failure> injected_;
    HelperQueue helper_;
    std::chrono::milliseconds helper_limit_{5000};
    // The logged-on user's credentials, as the provider last set them.
    std::u16string user_name_;
    std::u16string user_password_;
};

}  // namespace cvnrd
