#include "cvlink/listing.h"

#include <string>

#include "common/console.h"
#include "common/control_client.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "cvlink/tool.h"
#include "platform/errors.h"
#include "platform/handles.h"

namespace cvlink {

namespace me = cvn::mount_entry;

void PrintMountLine(const cvn::MountEntry& entry) {
    cvn::PrintText(u"\n");
    if (std::uint8_t code = entry.device_code(); code != 0) {
        // The letter right-aligned in four columns; the name starts in column 13.
        cvn::PrintText(u"   " + std::u16string(1, static_cast<char16_t>(code)) + u":       ");
    } else {
        cvn::PrintText(u"            ");
    }
    cvn::PrintText(u"\\\\" + entry.Text(me::kHost) + u"\\" + entry.Text(me::kPath));
}

void ListMounts() {
    cvn::MountEntry entry;
    entry.Initialize();
    win32::HANDLE device = nullptr;
    if (cvn::OpenControlDevice(&device) != 0) {
        cvn::PrintText(u"\n");
        cvn::PrintMessage(cvn::kMsgRedirectorNotRunning, 0);
        cvn::PrintText(u"\n");
        return;
    }
    win32::UniqueHandle owner(device);
    win32::DWORD error = cvn::NextMountEntry(device, entry);
    if (error == win32::ERROR_NO_MORE_ITEMS) {
        cvn::PrintMessage(kMsgNoMounts, 0);
    } else if (error != 0) {
        // Only the end of the table means that there are no mounts; any
        // other failure is said as what it is.
        cvn::PrintText(u"\n  ");
        cvn::PrintSystemMessage(error);
    } else {
        cvn::PrintMessage(kMsgListHeading, 0);
        do {
            PrintMountLine(entry);
        } while (cvn::NextMountEntry(device, entry) == 0);
    }
    cvn::PrintText(u"\n");
}

}  // namespace cvlink
