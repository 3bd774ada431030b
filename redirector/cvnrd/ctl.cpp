#include "redirector/cvnrd/ctl.h"

#include <iostream>
#include <optional>
#include <string>

#include "common/control_client.h"
#include "common/redirector_codes.h"
#include "common/remote_name.h"
#include "platform/device.h"
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

}  // namespace

int RunControlCommand(const std::vector<std::string>& arguments) {
    int status = 2;
    if (!arguments.empty() && arguments[0] == "mount") {
        status = Mount(arguments);
    } else if (!arguments.empty() && arguments[0] == "unmount") {
        status = Unmount(arguments);
    } else if (arguments.size() == 1 && arguments[0] == "list") {
        status = List();
    }
    if (status == 2) {
        std::cerr << "cvnrd: usage: cvnrd ctl mount [X:] \\\\host\\path [user [password]] | "
                     "unmount X:|\\\\host\\path | list\n";
    }
    return status;
}

}  // namespace cvnrd
