#include "redirector/cvnrd/ctl.h"

#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/control_client.h"
#include "common/redirector_codes.h"
#include "common/remote_name.h"
#include "platform/device.h"
#include "platform/device_protocol.h"
#include "platform/device_transport.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "platform/system_messages.h"

namespace cvnrd {

namespace {

namespace me = cvn::mount_entry;

std::string ErrorText(win32::DWORD error) {
    std::optional<std::string_view> text = win32::SystemMessageText(error);
    return text ? std::string(*text) + " (error " + std::to_string(error) + ")"
                : "error " + std::to_string(error);
}

bool IsDrive(const std::string& text) {
    return text.size() == 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

// Sends one mount-entry request on a fresh control-device handle.
win32::DWORD Send(cvn::MountEntry& entry, win32::DWORD code) {
    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\CVNCTL", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) {
        return win32::GetLastError();
    }
    win32::UniqueHandle owner(device);
    win32::DWORD returned = 0;
    if (!win32::DeviceIoControl(device, code, entry.data(), static_cast<win32::DWORD>(entry.size()),
                                entry.data(), static_cast<win32::DWORD>(entry.size()), &returned,
                                nullptr)) {
        return win32::GetLastError();
    }
    return 0;
}

// Names the connection in the entry: "X:" or "\\host\path".
bool NameConnection(cvn::MountEntry& entry, const std::string& name) {
    if (IsDrive(name)) {
        entry.set_device_code(
            static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(name[0]))));
        return true;
    }
    return name.starts_with("\\\\") &&
           cvn::FillMountEntryName(entry, win32::HostToWide(name).c_str()) == 0;
}

int Mount(const std::vector<std::string>& arguments) {
    size_t next = 1;
    cvn::MountEntry entry;
    entry.Initialize();
    std::string drive;
    if (next < arguments.size() && IsDrive(arguments[next])) {
        drive = arguments[next++];
        NameConnection(entry, drive);
    }
    if (next >= arguments.size() || arguments.size() - next > 3) {
        return 2;
    }
    const std::string remote = arguments[next++];
    if (!remote.starts_with("\\\\") ||
        cvn::FillMountEntryName(entry, win32::HostToWide(remote).c_str()) != 0) {
        std::cerr << "cvnrd: not a remote name: " << remote << "\n";
        return 2;
    }
    if (next < arguments.size()) {
        entry.SetText(me::kUserName, win32::HostToWide(arguments[next++]));
    }
    if (next < arguments.size()) {
        entry.SetText(me::kPassword, win32::HostToWide(arguments[next++]));
    }
    if (win32::DWORD error = Send(entry, cvn::FSCTL_SERVER_ADD_DISK)) {
        std::cerr << "cvnrd: " << remote << " - " << ErrorText(error) << "\n";
        return 1;
    }
    std::cout << (drive.empty() ? std::string("(no drive)") : drive) << " " << remote << "\n";
    return 0;
}

int Unmount(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) {
        return 2;
    }
    cvn::MountEntry entry;
    entry.Initialize();
    if (!NameConnection(entry, arguments[1])) {
        std::cerr << "cvnrd: not a drive or remote name: " << arguments[1] << "\n";
        return 2;
    }
    if (win32::DWORD error = Send(entry, cvn::FSCTL_SERVER_DEL_FORCE)) {
        std::cerr << "cvnrd: " << arguments[1] << " - " << ErrorText(error) << "\n";
        return 1;
    }
    return 0;
}

int List() {
    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\CVNCTL", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) {
        std::cerr << "cvnrd: the redirector is not running: " << ErrorText(win32::GetLastError())
                  << "\n";
        return 1;
    }
    win32::UniqueHandle owner(device);
    cvn::MountEntry entry;
    entry.Initialize();
    win32::DWORD error;
    while ((error = cvn::NextMountEntry(device, entry)) == 0) {
        // A drive by its letter, a printer port (code '1' to '9') as LPTn.
        std::uint8_t code = entry.device_code();
        std::string local = "-";
        if (code >= '1' && code <= '9') {
            local = "LPT" + std::string(1, static_cast<char>(code));
        } else if (code != 0) {
            local = std::string(1, static_cast<char>(code)) + ":";
        }
        std::cout << local << " \\\\" << win32::WideToDisplay(entry.Text(me::kHost)) << "\\"
                  << win32::WideToDisplay(entry.Text(me::kPath)) << "\n";
    }
    if (error != win32::ERROR_NO_MORE_ITEMS) {
        std::cerr << "cvnrd: " << ErrorText(error) << "\n";
        return 1;
    }
    return 0;
}

// One question to the helper through the redirector; the reply's output, or
// nullopt after the error was shown.
std::optional<win32::Bytes> AskHelper(std::uint32_t kind, const std::string& name) {
    namespace protocol = win32::device_protocol;
    std::unique_ptr<win32::DeviceConnection> connection =
        win32::CurrentDeviceTransport()->Connect();
    if (!connection) {
        std::cerr << "cvnrd: no redirector answers at " << win32::RedirectorSocketPath() << "\n";
        return std::nullopt;
    }
    protocol::Request request;
    request.operation = protocol::kHelperQuery;
    request.code = kind;
    request.name = win32::HostToWide(name);
    std::optional<win32::Bytes> payload = connection->Exchange(protocol::EncodeRequest(request));
    std::optional<protocol::Reply> reply;
    if (payload) {
        reply = protocol::DecodeReply(*payload);
    }
    if (!reply) {
        std::cerr << "cvnrd: the redirector did not answer\n";
        return std::nullopt;
    }
    if (!reply->ok) {
        std::cerr << "cvnrd: " << ErrorText(reply->error) << "\n";
        return std::nullopt;
    }
    return reply->output;
}

int ShowHelper() {
    std::optional<win32::Bytes> output =
        AskHelper(win32::device_protocol::kHelperRegistrationQuery, "");
    if (!output) {
        return 1;
    }
    win32::ByteReader reader(*output);
    if (reader.U32() == 0) {
        std::cout << "no helper registered\n";
        return 0;
    }
    for (const char* label : {"host", "domain", "container 1", "container 2"}) {
        std::cout << label << ": " << win32::WideToDisplay(reader.Text(1024)) << "\n";
    }
    return reader.ok() ? 0 : 1;
}

// The answer's data as the kind says: an address, names, or bytes.
void ShowAnswer(std::uint32_t kind, win32::ByteReader& reader, std::size_t size) {
    std::span<const std::uint8_t> data = reader.Raw(size);
    if (kind == cvn::helper_request::kKindNameToAddress && data.size() == 4) {
        std::cout << "address " << int{data[0]} << "." << int{data[1]} << "." << int{data[2]} << "."
                  << int{data[3]} << "\n";
        return;
    }
    if (kind == cvn::helper_request::kKindPendingAddressNames) {
        std::size_t pos = 0;
        while (pos + 2 <= data.size()) {
            const std::size_t length = data[pos] | (data[pos + 1] << 8);
            pos += 2;
            std::u16string name;
            for (std::size_t i = 0; i + 1 < length && pos + i + 1 < data.size(); i += 2) {
                name.push_back(static_cast<char16_t>(data[pos + i] | (data[pos + i + 1] << 8)));
            }
            pos += length;
            std::cout << "name " << win32::WideToDisplay(name) << "\n";
        }
        return;
    }
    std::cout << "data";
    for (std::uint8_t byte : data) {
        std::cout << " " << int{byte};
    }
    std::cout << "\n";
}

int Ask(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2 || arguments.size() > 3 ||
        arguments[1].find_first_not_of("0123456789") != std::string::npos ||
        arguments[1].size() > 5) {
        return 2;
    }
    const std::uint32_t kind = static_cast<std::uint32_t>(std::stoul(arguments[1]));
    if (kind == win32::device_protocol::kHelperRegistrationQuery) {
        return 2;
    }
    std::optional<win32::Bytes> output = AskHelper(kind, arguments.size() == 3 ? arguments[2] : "");
    if (!output) {
        return 1;
    }
    win32::ByteReader reader(*output);
    const std::uint32_t status = reader.U32();
    std::cout << "status " << status << "\n";
    if (reader.ok()) {
        ShowAnswer(kind, reader, output->size() - 4);
    }
    return 0;
}

}  // namespace

int RunControlCommand(const std::vector<std::string>& arguments) {
    int status = 2;
    if (!arguments.empty() && arguments[0] == "mount") {
        status = Mount(arguments);
    } else if (!arguments.empty() && arguments[0] == "unmount") {
        status = Unmount(arguments);
    } else if (arguments.size() == 1 && arguments[0] == "list") {
        status = List();
    } else if (arguments.size() == 1 && arguments[0] == "helper") {
        status = ShowHelper();
    } else if (!arguments.empty() && arguments[0] == "ask") {
        status = Ask(arguments);
    }
    if (status == 2) {
        std::cerr << "cvnrd: usage: cvnrd ctl mount [X:] \\\\host\\path [user [password]] | "
                     "unmount X:|\\\\host\\path | list | helper | ask KIND [NAME]\n";
    }
    return status;
}

}  // namespace cvnrd
