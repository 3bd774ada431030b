#include "cvprov/connections.h"

#include "common/records.h"
#include "common/redirector_codes.h"
#include "cvprov/cvprov.h"
#include "cvprov/local_device.h"
#include "cvprov/message_boxes.h"
#include "cvprov/netresource.h"
#include "cvprov/options.h"
#include "cvprov/provider_state.h"
#include "cvprov/status_table.h"
#include "cvprov/user_info_dialog.h"
#include "platform/case_fold.h"
#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/version.h"

namespace cvprov {

namespace {

namespace me = cvn::mount_entry;

constexpr win32::DWORD kErrorBadNetPath = win32::ERROR_BAD_NETPATH;
constexpr std::uint16_t kStatusNeedsCredentials = 559;
constexpr std::uint16_t kStatusNeedsConfirmation = 552;

// The record's password goes when the record does, whatever happens.
class EntryGuard {
public:
    explicit EntryGuard(cvn::MountEntry& entry) : entry_(entry) {}
    ~EntryGuard() { entry_.WipePassword(); }

private:
    cvn::MountEntry& entry_;
};

bool MayAskTheUser(win32::DWORD flags) {
    if (flags & CONNECT_INTERACTIVE) {
        return true;
    }
    win32::OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return win32::GetVersionExA(&version) && version.dwMajorVersion <= 3;
}

bool IsCredentialsFailure(std::uint16_t status, win32::DWORD result) {
    return status == kStatusNeedsCredentials || result == win32::ERROR_ACCESS_DENIED ||
           result == win32::ERROR_INVALID_PASSWORD || result == win32::ERROR_LOGON_FAILURE;
}

// Host and path of "\\host\path": false when the host has more than 40
// characters or nothing follows it.
bool SplitConnectName(const std::u16string& remote, std::u16string* host, std::u16string* path) {
    std::u16string_view rest = std::u16string_view(remote).substr(2);
    size_t separator = rest.find(u'\\');
    if (separator == std::u16string_view::npos || separator > me::kHost.capacity ||
        separator + 1 >= rest.size()) {
        return false;
    }
    *host = rest.substr(0, separator);
    *path = rest.substr(separator + 1);
    return true;
}

// Remembers a host the user connected to in the user's name space.
void RememberHost(const std::u16string& host) {
    if (win32::FileNamesEqual(host, u"$Corvane")) {
        return;
    }
    API_SESS_PARAM record;
    if (GetHostEntry(host.c_str(), NAME_SPACE_USER, &record) == 0) {
        return;
    }
    if (win32::DWORD error = AddHostEntry(host.c_str(), NAME_SPACE_USER, nullptr)) {
        SystemErrorBox(error);
    }
    // The shell would be told that the name-space container changed; the
    // host has no shell to tell.
}

win32::DWORD ConnectOne(Form form, const ConnectRequest& request, const LocalDevice& device,
                        DeviceKind kind) {
    cvn::MountEntry entry;
    FreshRecord(entry);
    EntryGuard guard(entry);
    ProviderDevice control;
    if (control.Open(form) != 0) {
        return win32::ERROR_NOT_SUPPORTED;
    }
    std::u16string host;
    std::u16string path;
    if (!SplitConnectName(*request.remote_name, &host, &path)) {
        return win32::ERROR_BAD_NET_NAME;
    }
    entry.set_device_code(DeviceCode(device.kind == kind ? device : LocalDevice{}));
    entry.SetText(me::kHost, host);
    entry.SetText(me::kPath, path);
    // Views, not copies: a copy of the password would be let go unwiped.
    auto text = [](const std::optional<std::u16string>& value) {
        return value ? std::u16string_view(*value) : std::u16string_view();
    };
    entry.SetText(me::kUserName, text(request.user_name));
    entry.SetText(me::kPassword, text(request.password));
    const win32::DWORD code =
        kind == DeviceKind::Disk ? cvn::FSCTL_SERVER_ADD_DISK : cvn::FSCTL_SERVER_ADD_PRINTER;
    Outcome outcome = control.Send(code, entry.data(), entry.size());
    while (!outcome.ok && MayAskTheUser(request.flags)) {
        const win32::DWORD result = Translate(outcome);
        if (IsCredentialsFailure(outcome.status, result)) {
            if (PromptForUserInfoDialog(request.owner, &entry) == 0) {
                win32::SetLastError(win32::ERROR_CANCELLED);
                return win32::ERROR_CANCELLED;
            }
        } else if (outcome.status == kStatusNeedsConfirmation) {
            if (QuestionBox(request.owner, kMsgConfirmConnection, {*request.remote_name},
                            win32::MB_YESNO) != win32::IDYES) {
                win32::SetLastError(win32::ERROR_CANCELLED);
                return win32::ERROR_CANCELLED;
            }
            entry.set_device_word(entry.device_word() | me::kConfirmationBit);
        } else {
            break;
        }
        entry.set_status(0);
        outcome = control.Send(code, entry.data(), entry.size());
    }
    if (!outcome.ok) {
        return Translate(outcome);
    }
    RememberHost(entry.Text(me::kHost));
    return 0;
}

// Fetches the live mount entry of a device; any failure is the result.
win32::DWORD FetchMount(Form form, std::uint8_t device_code, cvn::MountEntry& entry) {
    ProviderDevice control;
    if (control.Open(form) != 0) {
        return win32::ERROR_NOT_SUPPORTED;
    }
    FreshRecord(entry);
    entry.set_device_code(device_code);
    Outcome outcome = control.Send(cvn::FSCTL_SERVER_GETMNT, entry.data(), entry.size());
    // After a failed request the record holds nothing to use.
    return outcome.ok ? 0 : Translate(outcome);
}

}  // namespace

bool SplitRemoteName(std::u16string_view name, std::u16string* host,
                     std::optional<std::u16string>* path) {
    for (const std::u16string* container :
         {&State().name_space_container, &State().subnet_container}) {
        if (!container->empty()) {
            if (size_t found = name.find(*container); found != std::u16string_view::npos) {
                name.remove_prefix(found + container->size());
                break;
            }
        }
    }
    while (!name.empty() && name.front() == u'\\') {
        name.remove_prefix(1);
    }
    if (name.empty()) {
        return false;
    }
    size_t separator = name.find(u'\\');
    *host = name.substr(0, separator);
    if (separator == std::u16string_view::npos) {
        path->reset();
    } else {
        *path = std::u16string(name.substr(separator + 1));
    }
    return true;
}

win32::DWORD AddConnection(Form form, const ConnectRequest& request) {
    RunPendingUpgrade();
    const bool has_local = request.local_name && !request.local_name->empty();
    const win32::DWORD type = (request.type & 3) == 0 ? 3 : (request.type & 3);
    LocalDevice device;
    bool disk_allowed = type & RESOURCETYPE_DISK;
    bool printer_allowed = type & RESOURCETYPE_PRINT;
    if (has_local) {
        device = ParseLocalDevice(*request.local_name);
        if (device.kind == DeviceKind::None) {
            return win32::ERROR_BAD_DEVICE;
        }
        if (type == 3 || (type == RESOURCETYPE_DISK && device.kind == DeviceKind::Printer) ||
            (type == RESOURCETYPE_PRINT && device.kind == DeviceKind::Disk)) {
            return win32::ERROR_BAD_DEVICE;
        }
        disk_allowed = device.kind == DeviceKind::Disk;
        printer_allowed = device.kind == DeviceKind::Printer;
    }
    if (!request.remote_name || !request.remote_name->starts_with(u"\\\\")) {
        return win32::ERROR_BAD_NET_NAME;
    }
    win32::DWORD result = win32::ERROR_BAD_NET_NAME;
    if (disk_allowed) {
        result = ConnectOne(form, request, device, DeviceKind::Disk);
        if (result == 0) {
            return 0;
        }
    }
    // A request that did not allow printers never becomes a printer
    // connection, whatever the disk attempt said.
    if (printer_allowed && (result == kErrorBadNetPath || result == win32::ERROR_BAD_NET_NAME)) {
        result = ConnectOne(form, request, device, DeviceKind::Printer);
    }
    return result;
}

win32::DWORD CancelConnection(Form form, const std::u16string* name, bool force) {
    if (name == nullptr || name->empty()) {
        return win32::ERROR_BAD_DEVICE;
    }
    cvn::MountEntry entry;
    FreshRecord(entry);
    LocalDevice device = ParseLocalDevice(*name);
    if (device.kind != DeviceKind::None) {
        entry.set_device_code(DeviceCode(device));
    } else {
        std::u16string host;
        std::optional<std::u16string> path;
        if (!SplitRemoteName(*name, &host, &path) || host.size() > me::kHost.capacity ||
            (path && path->size() > me::kPath.capacity)) {
            return win32::ERROR_BAD_DEVICE;
        }
        entry.SetText(me::kHost, host);
        entry.SetText(me::kPath, path.value_or(u""));
    }
    ProviderDevice control;
    if (control.Open(form) != 0) {
        return win32::ERROR_NOT_SUPPORTED;
    }
    Outcome outcome = control.Send(force ? cvn::FSCTL_SERVER_DEL_FORCE : cvn::FSCTL_SERVER_DEL,
                                   entry.data(), entry.size());
    if (outcome.ok) {
        return 0;
    }
    return outcome.status == cvn::kStatusOpenFiles ? win32::ERROR_OPEN_FILES : Translate(outcome);
}

win32::DWORD GetConnection(Form form, const std::u16string* local_name,
                           std::u16string* remote_name) {
    RunPendingUpgrade();
    if (local_name == nullptr || local_name->empty()) {
        return win32::ERROR_NOT_SUPPORTED;
    }
    LocalDevice device = ParseLocalDevice(*local_name);
    if (device.kind == DeviceKind::None) {
        return win32::ERROR_BAD_DEVICE;
    }
    cvn::MountEntry entry;
    if (win32::DWORD error = FetchMount(form, DeviceCode(device), entry)) {
        return error;
    }
    *remote_name = u"\\\\" + entry.Text(me::kHost) + u"\\" + entry.Text(me::kPath);
    return 0;
}

win32::DWORD GetUser(Form form, const std::u16string* local_name, std::u16string* user_name) {
    if (local_name != nullptr && !local_name->empty()) {
        LocalDevice device = ParseLocalDevice(*local_name);
        if (device.kind == DeviceKind::None) {
            return win32::ERROR_BAD_DEVICE;
        }
        cvn::MountEntry entry;
        ProviderDevice control;
        if (control.Open(form) != 0) {
            return win32::ERROR_NO_NETWORK;
        }
        FreshRecord(entry);
        entry.set_device_code(DeviceCode(device));
        Outcome outcome = control.Send(cvn::FSCTL_SERVER_GETMNT, entry.data(), entry.size());
        if (outcome.ok) {
            *user_name = entry.Text(me::kUserName);
            return 0;
        }
        if (outcome.status != cvn::kStatusNoSuchMount) {
            return Translate(outcome);
        }
        // Not connected: the logged-on user answers for it.
    }
    ProviderDevice control;
    if (control.Open(form) != 0) {
        return win32::ERROR_NO_NETWORK;
    }
    std::uint8_t record[cvn::credentials_record::kSize] = {};
    win32::ByteView view(record, sizeof record);
    cvn::InitializeHeader(view);
    if (!control.Send(cvn::FSCTL_SERVER_GET_USER, record, sizeof record).ok) {
        return win32::ERROR_NO_NETWORK;
    }
    *user_name = cvn::CountedNameText(view, cvn::credentials_record::kUserName);
    return 0;
}

win32::DWORD GetDriveConnection(Form form, const std::u16string& path, std::u16string* connection,
                                std::u16string* remainder) {
    LocalDevice device = ParseLocalDevice(path);
    if (device.kind != DeviceKind::Disk || (path.size() > 2 && path[2] != u'\\')) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    cvn::MountEntry entry;
    if (win32::DWORD error = FetchMount(form, DeviceCode(device), entry)) {
        return error;
    }
    if (entry.device_type() != me::kDeviceTypeDisk) {
        return win32::ERROR_NOT_CONNECTED;
    }
    *connection = u"\\\\" + entry.Text(me::kHost) + u"\\" + entry.Text(me::kPath);
    *remainder = path.substr(2);
    return 0;
}

}  // namespace cvprov
