#include "cvlink/connection.h"

#include <string>
#include <vector>

#include "common/console.h"
#include "common/control_client.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "cvlink/listing.h"
#include "cvlink/password.h"
#include "cvlink/provider.h"
#include "cvlink/yes_no.h"
#include "platform/errors.h"
#include "platform/handles.h"

namespace cvlink {

namespace {

namespace me = cvn::mount_entry;

constexpr int kPasswordPrompts = 5;

void PrintResult(win32::DWORD result) {
    cvn::PrintText(u"\n  ");
    cvn::PrintSystemMessage(result);
}

std::u16string ConnectionName(const cvn::MountEntry& entry) {
    if (std::uint8_t code = entry.device_code(); code != 0) {
        return std::u16string{static_cast<char16_t>(code), u':'};
    }
    return u"\\\\" + entry.Text(me::kHost) + u"\\" + entry.Text(me::kPath);
}

win32::DWORD DisconnectAll(int force) {
    win32::HANDLE device = nullptr;
    if (win32::DWORD error = cvn::OpenControlDevice(&device)) {
        cvn::PrintText(u"\n");
        cvn::PrintMessage(cvn::kMsgRedirectorNotRunning, 0);
        cvn::PrintText(u"\n");
        return error;
    }
    win32::UniqueHandle owner(device);
    cvn::MountEntry entry;
    entry.Initialize();
    cvn::PrintMessage(kMsgListHeading, 0);
    while (cvn::NextMountEntry(device, entry) == 0) {
        PrintMountLine(entry);
    }
    cvn::PrintMessage(kMsgDisconnectAllQuestion, 0);
    if (AskYesOrNo() != 1) {
        return 0;
    }
    // The names are taken first and the connections cancelled after: a
    // walk through the table while entries leave it could pass some over.
    std::vector<std::u16string> names;
    entry.Initialize();
    while (cvn::NextMountEntry(device, entry) == 0) {
        names.push_back(ConnectionName(entry));
    }
    win32::DWORD result = 0;
    for (const std::u16string& name : names) {
        if (win32::DWORD error = ProviderCancelConnection(name, force)) {
            cvn::PrintFormat(u"\n  %s:  ", {name});
            cvn::PrintSystemMessage(error);
            result = error;  // any failure makes the whole a failure
        }
    }
    return result;
}

}  // namespace

win32::DWORD Connect(Tool& tool, const std::u16string& local_name,
                     const std::u16string& remote_name, const std::u16string& user_name) {
    win32::DWORD result = ProviderAddConnection(local_name, remote_name, tool.password, user_name);
    if (result == win32::ERROR_INVALID_PASSWORD) {
        WipePassword(tool.password);
        result = ProviderAddConnection(local_name, remote_name, tool.password, user_name);
    }
    for (int prompt = 0; prompt < kPasswordPrompts && result == win32::ERROR_INVALID_PASSWORD;
         ++prompt) {
        PrintResult(result);
        AskPassword(tool.password, remote_name);
        result = ProviderAddConnection(local_name, remote_name, tool.password, user_name);
    }
    PrintResult(result);
    if (result == 0 && !local_name.empty()) {
        cvn::PrintMessageFormat(kMsgConnectedTo, {local_name, remote_name});
    }
    return result;
}

win32::DWORD Disconnect(const std::u16string& name, int force) {
    if (name.starts_with(u'*')) {
        return DisconnectAll(force);
    }
    return ProviderCancelConnection(name, force);
}

}  // namespace cvlink
