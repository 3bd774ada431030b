#include "cvstat/mounts.h"

#include "common/console.h"
#include "common/control_client.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/records.h"
#include "common/redirector_codes.h"
#include "common/remote_name.h"
#include "cvstat/mount_display.h"
#include "cvstat/tool.h"
#include "platform/case_fold.h"
#include "platform/console_input.h"
#include "platform/errors.h"
#include "platform/handles.h"

namespace cvstat {

namespace {

enum class NameKind { Drive, Remote, Invalid };

void PrintNotRunning() {
    cvn::PrintText(u"\n");
    cvn::PrintMessage(cvn::kMsgRedirectorNotRunning, 0);
    cvn::PrintText(u"\n");
}

// The prompt before the next mount; the key itself is not shown.
void WaitForKey(const char16_t* lead) {
    cvn::PrintText(lead);
    cvn::PrintMessage(kMsgNextMountPrompt, 0);
    cvn::FlushOutput();
    win32::crt::getch();
    cvn::PrintText(u"\n");
}

void PrintNameFailure(const std::u16string& name, win32::DWORD error) {
    cvn::PrintFormat(u"\n%16s - ", {name});
    cvn::PrintSystemMessage(error);
}

bool RedirectorReachable() {
    win32::HANDLE device = nullptr;
    if (cvn::OpenControlDevice(&device) != 0) {
        return false;
    }
    win32::UniqueHandle owner(device);
    return true;
}

// Names the mount in `entry`: a drive by its letter ("X:" or "X"), or a
// remote name by host and path.
NameKind NameMount(cvn::MountEntry& entry, const std::u16string& name) {
    if (name.size() == 1 || (name.size() > 1 && name[1] == u':')) {
        const char16_t letter = win32::FileNameUpper(name[0]);
        // The device code is one byte: a wider character would name another
        // drive once cut to it.
        if (letter > 0xFF) {
            return NameKind::Invalid;
        }
        entry.set_device_code(static_cast<std::uint8_t>(letter));
        return NameKind::Drive;
    }
    if (name.starts_with(u"\\\\") && cvn::FillMountEntryName(entry, name.c_str()) == 0) {
        entry.set_device_code(0);
        return NameKind::Remote;
    }
    return NameKind::Invalid;
}

}  // namespace

void ShowAllMounts() {
    cvn::MountEntry entry;
    entry.Initialize();
    win32::HANDLE device = nullptr;
    if (cvn::OpenControlDevice(&device) != 0) {
        PrintNotRunning();
        return;
    }
    // The redirector ties the enumeration position to this handle.
    win32::UniqueHandle owner(device);
    int shown = 0;
    win32::DWORD error;
    while ((error = cvn::NextMountEntry(device, entry)) == 0) {
        if (shown > 0) {
            WaitForKey(u"\n  ");
        }
        ShowMountEntry(entry);
        ++shown;
    }
    if (shown == 0) {
        cvn::PrintText(u"\n                ");
        cvn::PrintSystemMessage(error);
    }
}

void ShowNamedMounts(const std::vector<std::u16string>& names) {
    if (!RedirectorReachable()) {
        PrintNotRunning();
        return;
    }
    int shown = 0;
    for (const std::u16string& name : names) {
        cvn::MountEntry entry;
        entry.Initialize();
        const NameKind kind = NameMount(entry, name);
        if (kind == NameKind::Invalid) {
            PrintNameFailure(name, win32::ERROR_BAD_DEVICE);
            continue;
        }
        // After a failed request the entry holds nothing worth showing,
        // whatever status the redirector gave.
        if (win32::DWORD error = cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_GETMNT)) {
            PrintNameFailure(name, error);
            continue;
        }
        if (shown > 0) {
            WaitForKey(kind == NameKind::Drive ? u"\n  " : u"\n");
        }
        ShowMountEntry(entry);
        ++shown;
    }
}

}  // namespace cvstat
