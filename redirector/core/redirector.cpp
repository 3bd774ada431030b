#include "redirector/core/redirector.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "common/redirector_codes.h"
#include "platform/case_fold.h"
#include "platform/device.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "redirector/core/attributes.h"

namespace cvnrd {

namespace protocol = win32::device_protocol;
namespace me = cvn::mount_entry;

namespace {

constexpr std::size_t kHeaderSize = 4;
// The three state flags of a described mount's device word.
constexpr std::uint32_t kStateConnected = 1u << 8;
constexpr std::uint32_t kStateFilesOpen = 1u << 10;
constexpr std::uint32_t kStateWithUser = 1u << 11;

// Per-mount counters of a described entry: G to N are u32 from 4624 on.
constexpr std::size_t kCounterAttributeRequests = me::kCountersGToN + 3 * 4;  // J
constexpr std::size_t kCounterDirectoryListings = me::kCountersGToN + 4 * 4;  // K
constexpr std::size_t kCounterFilesOpened = me::kCountersGToN + 5 * 4;        // L

protocol::Reply Success(win32::Bytes output = {}) {
    return protocol::Reply{true, 0, std::move(output)};
}

protocol::Reply Refusal(win32::DWORD error, win32::Bytes output = {}) {
    return protocol::Reply{false, error, std::move(output)};
}

enum class Target { ControlDevice, File };

struct RequestSpec {
    win32::DWORD code;
    std::size_t record_size;
    Target target;
};

constexpr RequestSpec kRequests[] = {
    {cvn::FSCTL_SERVER_ADD_DISK, me::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_DEL_FORCE, me::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_DEL, me::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_GETMNT, me::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_GETIDSTAT, cvn::statistics::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_SET_NFSATR, cvn::set_attributes::kSize, Target::File},
    {cvn::FSCTL_SERVER_GET_NFSATR, cvn::nfs_attributes::kSize, Target::File},
    {cvn::FSCTL_SERVER_NEXT_MOUNT, me::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_SET_NFSATR_95, cvn::kSetAttributes95Size, Target::ControlDevice},
    {cvn::FSCTL_SERVER_GET_NFSATR_95, cvn::kGetAttributes95Size, Target::ControlDevice},
    {cvn::FSCTL_SERVER_ADD_PRINTER, me::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_GET_USER, cvn::credentials_record::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_SET_USER, cvn::credentials_record::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_OPEN_EXPORTS, cvn::list_open_record::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_OPEN_PRINTERS, cvn::list_open_record::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_NEXT_ENTRY, cvn::list_entry_record::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_NEXT_PENDING_ADDRESS, cvn::address_record::kSize, Target::ControlDevice},
    {cvn::FSCTL_SERVER_HELPER_REGISTER, cvn::registration::kSize, Target::ControlDevice},
};

const RequestSpec* FindSpec(win32::DWORD code) {
    for (const RequestSpec& spec : kRequests) {
        if (spec.code == code) {
            return &spec;
        }
    }
    return nullptr;
}

bool IsSafeComponent(std::u16string_view component) {
    return !component.empty() && component != u"." && component != u".." &&
           component.find_first_of(std::u16string_view(u"/\0", 2)) == std::u16string_view::npos;
}

// The host path below `directory` for components separated by '\'; nullopt
// when a component could climb out of it or is not a plain name.
std::optional<std::string> JoinBelow(const std::string& directory, std::u16string_view rest) {
    std::string path = directory;
    size_t pos = 0;
    while (pos < rest.size()) {
        size_t end = rest.find(u'\\', pos);
        std::u16string_view component = rest.substr(
            pos, end == std::u16string_view::npos ? std::u16string_view::npos : end - pos);
        if (!component.empty()) {
            if (!IsSafeComponent(component)) {
                return std::nullopt;
            }
            // Windows names compare without regard to case: a component
            // not found as written takes the entry that equals it so.
            std::string name = win32::HostNameIn(path, component);
            if (path.empty() || path.back() != '/') {
                path += '/';
            }
            path += name;
        }
        if (end == std::u16string_view::npos) {
            break;
        }
        pos = end + 1;
    }
    return path;
}

// Nullopt when `path`, with every symbolic link in it resolved, is `root` or
// lies below it. Links inside an export are its own business, but one that
// leads out of it must not take a client along: the export is all that its
// connections may reach.
std::optional<Failure> CheckWithin(const std::string& path, const std::string& root) {
    std::unique_ptr<char, decltype(&std::free)> resolved_root(::realpath(root.c_str(), nullptr),
                                                              &std::free);
    if (!resolved_root) {
        return FailureFromErrno(errno);
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) {
        return FailureFromErrno(errno);
    }
    const std::string_view base = resolved_root.get();
    const std::string_view target = resolved.get();
    if (target == base ||
        (target.starts_with(base) && (base.ends_with('/') || target[base.size()] == '/'))) {
        return std::nullopt;
    }
    return kAccessDenied;
}

// The same for a file below a mount: the directories that lead to it stay
// inside the mount's export. The last component is not followed: the
// attribute requests describe a link itself and never change what it names.
std::optional<Failure> CheckContained(const Mount& mount, const std::string& path) {
    if (path == mount.directory) {
        return CheckWithin(path, mount.export_directory);
    }
    const size_t slash = path.rfind('/');
    return CheckWithin(slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash),
                       mount.export_directory);
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

SessionHandle::SessionHandle(std::shared_ptr<Redirector> redirector)
    : redirector_(std::move(redirector)) {
    redirector_->Register(&session_);
}

SessionHandle::~SessionHandle() {
    redirector_->Unregister(&session_);
}

win32::Bytes SessionHandle::Handle(std::span<const std::uint8_t> payload) {
    return redirector_->HandlePayload(session_, payload);
}

Redirector::Redirector(ExportTable exports) : exports_(std::move(exports)) {}

void Redirector::Register(Session* session) {
    std::lock_guard guard(lock_);
    sessions_.insert(session);
}

void Redirector::Unregister(Session* session) {
    helper_.Forget(session);
    std::lock_guard guard(lock_);
    sessions_.erase(session);
}

void Redirector::Shutdown() {
    helper_.Shutdown();
}

bool Redirector::FaultPending() {
    std::lock_guard guard(lock_);
    return injected_.has_value();
}

namespace {

namespace hr = cvn::helper_request;

// The helper's answers as a query reports them.
protocol::Reply QueryRefusal(HelperWait wait) {
    switch (wait) {
        case HelperWait::Shutdown:
            return Refusal(win32::ERROR_OPERATION_ABORTED);
        case HelperWait::TimedOut:
            return Refusal(win32::ERROR_TIMEOUT);
        default:
            return Refusal(win32::ERROR_SERVICE_NOT_ACTIVE);
    }
}

}  // namespace

// Request 6 from a helper thread: its previous answer comes in, the next
// request goes out once there is one.
protocol::Reply Redirector::HelperExchange(Session& session, const protocol::Request& request) {
    win32::Bytes record = request.input;
    if (session.kind != Session::Kind::ControlDevice ||
        session.device != protocol::kControlDeviceNt) {
        return Refusal(session.kind == Session::Kind::Unopened ? win32::ERROR_INVALID_HANDLE
                                                               : win32::ERROR_INVALID_FUNCTION);
    }
    win32::ByteView view(record.data(), record.size());
    if (record.size() < hr::kBasicSize || request.output_size < hr::kBasicSize ||
        view.U16(0) != cvn::kRecordTag) {
        return Refusal(win32::ERROR_INVALID_PARAMETER);
    }
    if (helper_.Exchange(&session, view) != HelperWait::Answered) {
        // Stopping: the helper thread is told so, and ends.
        view.SetU16(2, kNoMoreEntries.status);
        record.resize(hr::kBasicSize);
        return Refusal(win32::ERROR_OPERATION_ABORTED, std::move(record));
    }
    view.SetU16(2, 0);
    record.resize(hr::kBasicSize);
    return Success(std::move(record));
}

protocol::Reply Redirector::HelperQuery(const protocol::Request& request) {
    if (request.code == protocol::kHelperRegistrationQuery) {
        win32::ByteWriter reply;
        std::optional<HelperRegistration> registration = helper_.registration();
        reply.U32(registration ? 1 : 0);
        if (registration) {
            for (const std::u16string* text :
                 {&registration->host, &registration->domain, &registration->container1,
                  &registration->container2}) {
                reply.Text(*text);
            }
        }
        return Success(reply.Take());
    }
    HelperAnswer answer;
    HelperWait wait =
        helper_.Ask(static_cast<std::uint16_t>(request.code), request.name, helper_limit_, &answer);
    if (wait != HelperWait::Answered) {
        return QueryRefusal(wait);
    }
    if (request.code == hr::kKindNameToAddress && answer.status == 0 && answer.data.size() == 4) {
        helper_.SeeAddress(win32::ByteView(answer.data.data(), 4).U32(0));
    }
    win32::ByteWriter reply;
    reply.U32(answer.status);
    reply.Raw(answer.data);
    return Success(reply.Take());
}

// A connection's host is resolved by the helper when one is registered:
// its address joins those whose names the helper may later be asked for.
// The local exports need no address, so an answer that does not come does
// not stop the connection.
void Redirector::ResolveConnectionHost(const protocol::Request& request) {
    if (request.input.size() < me::kSize || !helper_.registration()) {
        return;
    }
    cvn::MountEntry entry;
    std::copy_n(request.input.begin(), me::kSize, entry.data());
    HelperAnswer answer;
    if (helper_.Ask(hr::kKindNameToAddress, entry.Text(me::kHost), helper_limit_, &answer) ==
            HelperWait::Answered &&
        answer.status == 0 && answer.data.size() == 4) {
        helper_.SeeAddress(win32::ByteView(answer.data.data(), 4).U32(0));
    }
}

std::optional<Failure> Redirector::RegisterHelper(const win32::ByteView& record) {
    namespace rg = cvn::registration;
    helper_.Register({cvn::CountedNameText(record, rg::kHostName),
                      cvn::CountedNameText(record, rg::kDomain),
                      cvn::CountedNameText(record, rg::kContainer1),
                      cvn::CountedNameText(record, rg::kContainer2)});
    return std::nullopt;
}

// Request 15: the addresses seen, one per call on this handle, then the end
// of the list, after which the next call starts again at the first.
std::optional<Failure> Redirector::NextPendingAddress(Session& session, win32::ByteView record) {
    const std::vector<std::uint32_t> addresses = helper_.SeenAddresses();
    if (session.next_address >= addresses.size()) {
        session.next_address = 0;
        return kNoMoreEntries;
    }
    record.SetU32(cvn::address_record::kAddress, addresses[session.next_address++]);
    return std::nullopt;
}

void Redirector::FailNextRequest(Failure failure) {
    std::lock_guard guard(lock_);
    injected_ = failure;
}

std::size_t Redirector::mount_count() {
    std::lock_guard guard(lock_);
    return mounts_.size();
}

win32::Bytes Redirector::HandlePayload(Session& session, std::span<const std::uint8_t> payload) {
    std::optional<protocol::Request> request = protocol::DecodeRequest(payload);
    if (!request) {
        return protocol::EncodeReply(Refusal(win32::ERROR_INVALID_PARAMETER));
    }
    return protocol::EncodeReply(Handle(session, *request));
}

protocol::Reply Redirector::Handle(Session& session, const protocol::Request& request) {
    // These wait for the helper program: they must not hold up everyone
    // else's requests meanwhile, so they run outside the redirector's lock.
    if (request.operation == protocol::kHelperQuery) {
        return HelperQuery(request);
    }
    if (request.operation == protocol::kControl &&
        request.code == cvn::FSCTL_SERVER_HELPER_EXCHANGE && !FaultPending()) {
        return HelperExchange(session, request);
    }
    if (request.operation == protocol::kControl &&
        (request.code == cvn::FSCTL_SERVER_ADD_DISK ||
         request.code == cvn::FSCTL_SERVER_ADD_PRINTER)) {
        ResolveConnectionHost(request);
    }
    std::lock_guard guard(lock_);
    switch (request.operation) {
        case protocol::kOpenDevice:
            return Open(session, request);
        case protocol::kOpenFile:
            return OpenFile(session, request);
        case protocol::kControl: {
            ++counters_.requests;
            protocol::Reply reply = Control(session, request);
            if (!reply.ok) {
                ++counters_.failed_requests;
            }
            return reply;
        }
        case protocol::kListDirectory:
            return ListDirectory(session, request);
        case protocol::kFileFacts:
            return FileFacts(request);
        case protocol::kDriveMask: {
            win32::ByteWriter mask;
            mask.U32(mounts_.DriveMask());
            return Success(mask.Take());
        }
        default:
            return Refusal(win32::ERROR_INVALID_PARAMETER);
    }
}

protocol::Reply Redirector::Open(Session& session, const protocol::Request& request) {
    if (session.kind != Session::Kind::Unopened || (request.device != protocol::kControlDeviceNt &&
                                                    request.device != protocol::kControlDevice95)) {
        return Refusal(win32::ERROR_INVALID_PARAMETER);
    }
    session.kind = Session::Kind::ControlDevice;
    session.device = request.device;
    return Success();
}

protocol::Reply Redirector::OpenFile(Session& session, const protocol::Request& request) {
    if (session.kind != Session::Kind::Unopened) {
        return Refusal(win32::ERROR_INVALID_PARAMETER);
    }
    Failure failure{};
    std::uint64_t mount_id = 0;
    std::optional<std::string> path = ResolveName(request.name, &mount_id, &failure);
    if (!path) {
        return Refusal(failure.error);
    }
    struct stat info;
    if (::lstat(path->c_str(), &info) != 0) {
        return Refusal(FailureFromErrno(errno).error);
    }
    if (S_ISDIR(info.st_mode) && !(request.flags & win32::FILE_FLAG_BACKUP_SEMANTICS)) {
        return Refusal(win32::ERROR_ACCESS_DENIED);
    }
    session.kind = Session::Kind::File;
    session.file_mount = mount_id;
    session.file_path = *path;
    if (Mount* mount = mounts_.FindById(mount_id)) {
        ++mount->counters.files_opened;
    }
    return Success();
}

// A page of a directory's listing: the snapshot is taken when the first page
// is asked for, so the pages of one listing agree with one another.
protocol::Reply Redirector::ListDirectory(Session& session, const protocol::Request& request) {
    if (session.kind != Session::Kind::Unopened) {
        return Refusal(win32::ERROR_INVALID_PARAMETER);
    }
    if (request.start == 0) {
        Failure failure{};
        std::uint64_t mount_id = 0;
        std::optional<std::string> path = ResolveName(request.name, &mount_id, &failure);
        if (!path) {
            return Refusal(failure.error);
        }
        Mount* mount = mounts_.FindById(mount_id);
        // The directory itself is opened and read: a link that leads out of
        // the export must not be followed there.
        if (std::optional<Failure> outside = CheckWithin(*path, mount->export_directory)) {
            // A directory that is not there is a path not found.
            return Refusal(outside->error == win32::ERROR_FILE_NOT_FOUND
                               ? win32::ERROR_PATH_NOT_FOUND
                               : outside->error);
        }
        session.directory_is_root = *path == mount->directory;
        std::optional<std::vector<win32::DirectoryEntry>> entries =
            win32::ListHostDirectory(*path + "/", session.directory_is_root);
        if (!entries) {
            return Refusal(win32::GetLastError());
        }
        session.directory_entries = std::move(*entries);
        ++mount->counters.directory_listings;
    } else if (request.start > session.directory_entries.size()) {
        return Refusal(win32::ERROR_INVALID_PARAMETER);
    }
    win32::ByteWriter entries;
    std::uint32_t count = 0;
    for (std::size_t i = request.start; i < session.directory_entries.size(); ++i) {
        win32::ByteWriter entry;
        entry.Text(session.directory_entries[i].name);
        protocol::WriteFacts(entry, session.directory_entries[i].facts);
        // Room is kept for the page's three header words.
        if (entries.bytes().size() + entry.bytes().size() + 12 > protocol::kMaxBufferBytes) {
            break;
        }
        entries.Raw(entry.bytes());
        ++count;
    }
    win32::ByteWriter page;
    page.U32(session.directory_is_root ? protocol::kListingIsRoot : 0);
    page.U32(static_cast<std::uint32_t>(session.directory_entries.size()));
    page.U32(count);
    page.Raw(entries.bytes());
    return Success(page.Take());
}

protocol::Reply Redirector::FileFacts(const protocol::Request& request) {
    Failure failure{};
    std::uint64_t mount_id = 0;
    std::optional<std::string> path = ResolveName(request.name, &mount_id, &failure);
    if (!path) {
        return Refusal(failure.error);
    }
    struct stat info;
    if (::stat(path->c_str(), &info) != 0 && ::lstat(path->c_str(), &info) != 0) {
        return Refusal(FailureFromErrno(errno).error);
    }
    win32::ByteWriter facts;
    protocol::WriteFacts(facts, win32::FactsOf(info));
    return Success(facts.Take());
}

protocol::Reply Redirector::Control(Session& session, const protocol::Request& request) {
    if (session.kind == Session::Kind::Unopened) {
        return Refusal(win32::ERROR_INVALID_HANDLE);
    }
    win32::Bytes record = request.input;
    auto refuse = [&](Failure failure) {
        if (record.size() >= kHeaderSize) {
            win32::ByteView(record.data(), record.size()).SetU16(2, failure.status);
        }
        record.resize(std::min<size_t>(record.size(), request.output_size));
        return Refusal(failure.error, std::move(record));
    };
    if (injected_) {
        Failure failure = *injected_;
        injected_.reset();
        return refuse(failure);
    }
    const RequestSpec* spec = FindSpec(request.code);
    const Target target =
        session.kind == Session::Kind::File ? Target::File : Target::ControlDevice;
    if (spec == nullptr || spec->target != target) {
        return refuse(kUnknownRequest);
    }
    if (record.size() < spec->record_size || request.output_size < spec->record_size) {
        return refuse(kInvalidParameter);
    }
    record.resize(spec->record_size);
    win32::ByteView view(record.data(), record.size());
    if (view.U16(0) != cvn::kRecordTag) {
        return refuse(kInvalidParameter);
    }
    view.SetU16(2, 0);

    std::optional<Failure> failure;
    auto as_entry = [&](auto handler) {
        cvn::MountEntry entry;
        std::copy(record.begin(), record.end(), entry.data());
        failure = handler(entry);
        std::copy(entry.data(), entry.data() + entry.size(), record.begin());
    };
    switch (request.code) {
        case cvn::FSCTL_SERVER_ADD_DISK:
            as_entry([&](cvn::MountEntry& entry) { return AddDisk(entry); });
            break;
        case cvn::FSCTL_SERVER_ADD_PRINTER:
            as_entry([&](cvn::MountEntry& entry) { return AddPrinter(entry); });
            break;
        case cvn::FSCTL_SERVER_SET_USER:
            failure = SetUser(view);
            break;
        case cvn::FSCTL_SERVER_GET_USER:
            failure = GetUser(view);
            break;
        case cvn::FSCTL_SERVER_OPEN_EXPORTS:
        case cvn::FSCTL_SERVER_OPEN_PRINTERS:
            failure =
                OpenListing(session, view,
                            request.code == cvn::FSCTL_SERVER_OPEN_EXPORTS ? Export::Kind::Disk
                                                                           : Export::Kind::Printer);
            break;
        case cvn::FSCTL_SERVER_NEXT_ENTRY:
            failure = NextListEntry(session, view);
            break;
        case cvn::FSCTL_SERVER_DEL_FORCE:
        case cvn::FSCTL_SERVER_DEL:
            as_entry([&](cvn::MountEntry& entry) {
                return Delete(entry, request.code == cvn::FSCTL_SERVER_DEL_FORCE);
            });
            break;
        case cvn::FSCTL_SERVER_GETMNT:
            as_entry([&](cvn::MountEntry& entry) { return GetMount(entry); });
            break;
        case cvn::FSCTL_SERVER_NEXT_MOUNT:
            as_entry([&](cvn::MountEntry& entry) { return NextMount(session, entry); });
            break;
        case cvn::FSCTL_SERVER_GETIDSTAT:
            failure = GetStatistics(view);
            break;
        case cvn::FSCTL_SERVER_GET_NFSATR:
        case cvn::FSCTL_SERVER_SET_NFSATR:
            failure = FileAttributes(session, view, request.code == cvn::FSCTL_SERVER_SET_NFSATR);
            break;
        case cvn::FSCTL_SERVER_HELPER_REGISTER:
            failure = session.device == protocol::kControlDeviceNt ? RegisterHelper(view)
                                                                   : kUnknownRequest;
            break;
        case cvn::FSCTL_SERVER_NEXT_PENDING_ADDRESS:
            failure = NextPendingAddress(session, view);
            break;
        case cvn::FSCTL_SERVER_GET_NFSATR_95:
        case cvn::FSCTL_SERVER_SET_NFSATR_95:
            failure = PathAttributes(view, request.code == cvn::FSCTL_SERVER_SET_NFSATR_95);
            break;
        default:
            failure = kUnknownRequest;
            break;
    }
    if (failure) {
        return refuse(*failure);
    }
    return Success(std::move(record));
}

namespace {

bool CredentialsMatch(const Export& found, const cvn::MountEntry& entry) {
    return found.user.empty() ||
           (entry.Text(me::kUserName) == found.user &&
            entry.Text(me::kPassword) ==
                std::u16string_view(found.password).substr(0, me::kPassword.capacity));
}

}  // namespace

std::optional<Failure> Redirector::AddDisk(cvn::MountEntry& entry) {
    const std::uint8_t device = entry.device_code();
    if (device != 0 && (device < 'A' || device > 'Z')) {
        return kBadDevice;
    }
    const std::u16string host = entry.Text(me::kHost);
    const std::u16string path = entry.Text(me::kPath);
    if (host.empty() || !exports_.HasHost(host)) {
        return kNoSuchHost;
    }
    std::u16string rest;
    const Export* found = exports_.Find(host, path, &rest);
    if (found == nullptr) {
        return kNoSuchExport;
    }
    // Credentials first: without them a client learns nothing of what lies
    // below the export.
    if (!CredentialsMatch(*found, entry)) {
        return kBadPassword;
    }
    std::optional<std::string> directory = JoinBelow(found->directory, rest);
    if (!directory || !IsDirectory(*directory) || CheckWithin(*directory, found->directory)) {
        return kNoSuchExport;
    }
    return Connect(entry, *found, *directory, me::kDeviceTypeDisk);
}

// A printer connection: a port LPT1 to LPT9 (device code '1' to '9') or none.
std::optional<Failure> Redirector::AddPrinter(cvn::MountEntry& entry) {
    const std::uint8_t device = entry.device_code();
    if (device != 0 && (device < '1' || device > '9')) {
        return kBadDevice;
    }
    const std::u16string host = entry.Text(me::kHost);
    if (host.empty() || !exports_.HasHost(host)) {
        return kNoSuchHost;
    }
    const Export* found = exports_.FindPrinter(host, entry.Text(me::kPath));
    if (found == nullptr) {
        return kNoSuchExport;
    }
    if (!CredentialsMatch(*found, entry)) {
        return kBadPassword;
    }
    if (!IsDirectory(found->directory)) {
        return kNoSuchExport;
    }
    // The three printer kinds are the client's to choose; anything else is
    // taken for the first.
    const std::uint32_t kind =
        entry.device_type() >= 2 && entry.device_type() <= 4 ? entry.device_type() : 2;
    return Connect(entry, *found, found->directory, kind);
}

std::optional<Failure> Redirector::Connect(cvn::MountEntry& entry, const Export& found,
                                           std::string directory, std::uint32_t device_type) {
    const std::uint8_t device = entry.device_code();
    if (device != 0
            ? mounts_.FindByDevice(device) != nullptr
            : mounts_.FindByName(entry.Text(me::kHost), entry.Text(me::kPath), true) != nullptr) {
        return kDeviceInUse;
    }
    entry.set_device_word((entry.device_word() & ~me::kDeviceTypeMask) |
                          (device_type << me::kDeviceTypeShift));
    // Kept by no one once the connection is made: every byte of the field
    // goes, not just its length, since the entry is handed to any client
    // that asks for it.
    entry.view().Fill(me::kPassword.offset, me::kPassword.bytes(), 0);
    Mount& mount = mounts_.Add(entry, std::move(directory), found.directory);
    ++counters_.connections_made;
    Describe(mount, entry);
    return std::nullopt;
}

std::optional<Failure> Redirector::SetUser(win32::ByteView record) {
    namespace cr = cvn::credentials_record;
    user_name_ = cvn::CountedNameText(record, cr::kUserName);
    user_password_ = cvn::CountedNameText(record, cr::kPassword);
    record.Fill(cr::kPassword.offset, cr::kPassword.bytes(), 0);
    return std::nullopt;
}

// The user name only: the password is never handed out again.
std::optional<Failure> Redirector::GetUser(win32::ByteView record) {
    namespace cr = cvn::credentials_record;
    cvn::CopyCountedName(user_name_, record, cr::kUserName);
    record.Fill(cr::kPassword.offset, cr::kPassword.bytes(), 0);
    return std::nullopt;
}

std::optional<Failure> Redirector::OpenListing(Session& session, win32::ByteView record,
                                               Export::Kind kind) {
    namespace lo = cvn::list_open_record;
    namespace le = cvn::list_entry_record;
    const std::u16string host = cvn::CountedNameText(record, lo::kHost);
    if (host.empty() || !exports_.HasHost(host)) {
        return kNoSuchHost;
    }
    Session::Listing listing;
    for (const Export& entry : exports_.exports()) {
        // Names longer than the entry's name field could only be listed cut,
        // and a cut name names nothing.
        if (entry.kind != kind || !win32::FileNamesEqual(entry.host, host) ||
            entry.path.size() > le::kName.capacity) {
            continue;
        }
        const std::uint32_t flags = entry.user.empty() ? 0 : le::kFlagAlternatePrefix;
        listing.entries.push_back({entry.path, win32::HostToWide(entry.directory), flags});
    }
    const std::uint32_t handle = session.next_listing++;
    session.listings[handle] = std::move(listing);
    record.SetU32(lo::kListHandle, handle);
    return std::nullopt;
}

std::optional<Failure> Redirector::NextListEntry(Session& session, win32::ByteView record) {
    namespace le = cvn::list_entry_record;
    auto found = session.listings.find(record.U32(le::kListHandle));
    if (found == session.listings.end()) {
        return kInvalidParameter;
    }
    Session::Listing& listing = found->second;
    if (listing.next >= listing.entries.size()) {
        session.listings.erase(found);
        return kNoMoreEntries;
    }
    const Session::ListEntry& entry = listing.entries[listing.next++];
    cvn::CopyCountedName(entry.name, record, le::kName);
    cvn::CopyCountedName(entry.text, record, le::kText);
    record.SetU32(le::kFlags, entry.flags);
    return std::nullopt;
}

Mount* Redirector::FindNamedMount(const cvn::MountEntry& entry, bool deviceless_only) {
    if (std::uint8_t device = entry.device_code(); device != 0) {
        return mounts_.FindByDevice(device);
    }
    return mounts_.FindByName(entry.Text(me::kHost), entry.Text(me::kPath), deviceless_only);
}

// A remote name cancels the connection without a local device of that name;
// a drive's connection is cancelled through its letter.
std::optional<Failure> Redirector::Delete(cvn::MountEntry& entry, bool force) {
    Mount* mount = FindNamedMount(entry, true);
    if (mount == nullptr) {
        return kNoSuchMount;
    }
    if (!force && OpenFilesOn(mount->id) > 0) {
        return kOpenFiles;
    }
    mounts_.Remove(mount->id);
    return std::nullopt;
}

std::optional<Failure> Redirector::GetMount(cvn::MountEntry& entry) {
    Mount* mount = FindNamedMount(entry, false);
    if (mount == nullptr) {
        return kNoSuchMount;
    }
    Describe(*mount, entry);
    return std::nullopt;
}

std::optional<Failure> Redirector::NextMount(Session& session, cvn::MountEntry& entry) {
    Mount* mount = mounts_.Next(session.enumeration_after);
    if (mount == nullptr) {
        session.enumeration_after = 0;  // the next request starts over
        return kNoMoreEntries;
    }
    session.enumeration_after = mount->id;
    Describe(*mount, entry);
    return std::nullopt;
}

void Redirector::Describe(const Mount& mount, cvn::MountEntry& entry) {
    entry = mount.entry;
    win32::ByteView view = entry.view();
    view.SetU16(0, cvn::kRecordTag);
    view.SetU16(2, 0);
    const std::size_t open_files = OpenFilesOn(mount.id);
    std::uint32_t state = kStateConnected;
    if (open_files > 0) {
        state |= kStateFilesOpen;
    }
    if (!entry.Text(me::kUserName).empty()) {
        state |= kStateWithUser;
    }
    entry.set_device_word(
        (entry.device_word() & ~(kStateConnected | kStateFilesOpen | kStateWithUser)) | state);
    view.SetU32(kCounterAttributeRequests, mount.counters.attribute_requests);
    view.SetU32(kCounterDirectoryListings, mount.counters.directory_listings);
    view.SetU32(kCounterFilesOpened, mount.counters.files_opened);
    view.SetU32(me::kCounterP, static_cast<std::uint32_t>(open_files));
    struct statvfs space;
    if (::statvfs(mount.directory.c_str(), &space) == 0) {
        view.SetU64(me::kByteCountA, static_cast<std::uint64_t>(space.f_blocks) * space.f_frsize);
        view.SetU64(me::kByteCountB, static_cast<std::uint64_t>(space.f_bfree) * space.f_frsize);
        view.SetU64(me::kByteCountC, static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize);
    }
    view.SetU32(me::kIdentity1, static_cast<std::uint32_t>(mount.id));
    view.SetU32(me::kIdentity2, static_cast<std::uint32_t>(::getuid()));
}

std::optional<Failure> Redirector::GetStatistics(win32::ByteView record) {
    record.SetU32(cvn::statistics::kCounters, counters_.requests);
    record.SetU32(cvn::statistics::kCounters + 4, counters_.failed_requests);
    record.SetU32(cvn::statistics::kCounters + 8, counters_.connections_made);
    record.SetU32(cvn::statistics::kCounters + 12, counters_.attribute_requests);
    return std::nullopt;
}

std::optional<Failure> Redirector::FileAttributes(Session& session, win32::ByteView record,
                                                  bool set) {
    Mount* mount = mounts_.FindById(session.file_mount);
    if (mount == nullptr) {
        return kConnectionGone;
    }
    // Checked again on every request: the directories on the way may have
    // been replaced since the file was opened.
    if (std::optional<Failure> outside = CheckContained(*mount, session.file_path)) {
        return outside;
    }
    ++counters_.attribute_requests;
    ++mount->counters.attribute_requests;
    return set ? WriteNfsAttributes(session.file_path, record)
               : ReadNfsAttributes(session.file_path, record);
}

std::optional<Failure> Redirector::PathAttributes(win32::ByteView buffer, bool set) {
    const cvn::CountedNameField field = set ? cvn::kSetAttributes95Path : cvn::kGetAttributes95Path;
    if (buffer.U16(field.offset) / 2 > field.capacity || buffer.U16(field.offset) % 2 != 0) {
        return kInvalidParameter;
    }
    Failure failure{};
    std::uint64_t mount_id = 0;
    std::optional<std::string> path =
        ResolveName(cvn::CountedNameText(buffer, field), &mount_id, &failure);
    if (!path) {
        return failure;
    }
    ++counters_.attribute_requests;
    if (Mount* mount = mounts_.FindById(mount_id)) {
        ++mount->counters.attribute_requests;
    }
    return set ? WriteNfsAttributes(*path, buffer) : ReadNfsAttributes(*path, buffer);
}

std::optional<std::string> Redirector::ResolveName(std::u16string_view name,
                                                   std::uint64_t* mount_id, Failure* failure) {
    Mount* mount = nullptr;
    std::u16string rest;
    if (name.size() >= 2 && name[1] == u':' &&
        ((name[0] >= u'A' && name[0] <= u'Z') || (name[0] >= u'a' && name[0] <= u'z'))) {
        mount = mounts_.FindByDevice(static_cast<std::uint8_t>(win32::FileNameUpper(name[0])));
        rest = NormalizeRemotePath(name.substr(2));
    } else if (name.starts_with(u"\\\\")) {
        std::u16string remote = NormalizeRemotePath(name);
        size_t separator = remote.find(u'\\');
        std::u16string host = remote.substr(0, separator);
        std::u16string path =
            separator == std::u16string::npos ? u"" : remote.substr(separator + 1);
        mount = mounts_.FindByUncPrefix(host, path, &rest);
    }
    if (mount == nullptr) {
        *failure =
            Failure{kNoSuchMount.status, name.starts_with(u"\\\\") ? win32::ERROR_BAD_NETPATH
                                                                   : win32::ERROR_PATH_NOT_FOUND};
        return std::nullopt;
    }
    std::optional<std::string> path = JoinBelow(mount->directory, rest);
    if (!path) {
        *failure = kInvalidParameter;
        return std::nullopt;
    }
    if (std::optional<Failure> outside = CheckContained(*mount, *path)) {
        *failure = *outside;
        return std::nullopt;
    }
    *mount_id = mount->id;
    return path;
}

std::size_t Redirector::OpenFilesOn(std::uint64_t mount_id) const {
    std::size_t count = 0;
    for (const Session* session : sessions_) {
        if (session->kind == Session::Kind::File && session->file_mount == mount_id) {
            ++count;
        }
    }
    return count;
}

}  // namespace cvnrd
