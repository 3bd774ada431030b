#include "cvprov/export_listing.h"

#include "common/records.h"
#include "common/redirector_codes.h"
#include "cvprov/message_boxes.h"
#include "cvprov/provider_state.h"
#include "platform/errors.h"

namespace cvprov {

namespace {

namespace lo = cvn::list_open_record;
namespace le = cvn::list_entry_record;

constexpr std::size_t kRemoteNameLimit = 260;

win32::DWORD ListKind(Form form, const std::u16string& host, DeviceKind kind,
                      std::vector<ListedResource>* resources) {
    ProviderDevice control;
    if (control.Open(form) != 0) {
        return win32::ERROR_NOT_SUPPORTED;
    }
    std::uint8_t open[lo::kSize] = {};
    win32::ByteView open_view(open, sizeof open);
    cvn::InitializeHeader(open_view);
    cvn::CopyCountedName(host, open_view, lo::kHost);
    const bool exports = kind == DeviceKind::Disk;
    Outcome opened =
        control.Send(exports ? cvn::FSCTL_SERVER_OPEN_EXPORTS : cvn::FSCTL_SERVER_OPEN_PRINTERS,
                     open, sizeof open);
    if (!opened.ok) {
        return exports ? win32::ERROR_NOT_SUPPORTED : Translate(opened);
    }
    std::uint8_t entry[le::kSize];
    win32::ByteView entry_view(entry, sizeof entry);
    for (;;) {
        std::fill(std::begin(entry), std::end(entry), 0);
        cvn::InitializeHeader(entry_view);
        entry_view.SetU32(le::kListHandle, open_view.U32(lo::kListHandle));
        Outcome next = control.Send(cvn::FSCTL_SERVER_NEXT_ENTRY, entry, sizeof entry);
        if (!next.ok) {
            win32::DWORD error = Translate(next);
            return error == win32::ERROR_NO_MORE_ITEMS ? 0 : error;
        }
        std::u16string remote =
            u"\\\\" + host + u"\\" + cvn::CountedNameText(entry_view, le::kName);
        if (remote.size() > kRemoteNameLimit) {
            remote.resize(kRemoteNameLimit);
        }
        const bool alternate = entry_view.U32(le::kFlags) & le::kFlagAlternatePrefix;
        const win32::UINT prefix =
            alternate ? kMsgPrefixAlternate : (exports ? kMsgPrefixExport : kMsgPrefixPrinter);
        // Each result goes at the head, as the list is built.
        resources->insert(
            resources->begin(),
            {remote, Message(prefix) + cvn::CountedNameText(entry_view, le::kText), kind});
    }
}

}  // namespace

win32::DWORD ListHostResources(Form form, const std::u16string& host, bool disks, bool printers,
                               std::vector<ListedResource>* resources) {
    // The request names the host in a field of 40 characters: a longer name
    // cut to fit would list some other host's resources under this one.
    if (host.size() > lo::kHost.capacity) {
        return win32::ERROR_BAD_NET_NAME;
    }
    if (disks) {
        std::vector<ListedResource> exports;
        win32::DWORD error = ListKind(form, host, DeviceKind::Disk, &exports);
        if (error == win32::ERROR_BAD_NETPATH) {
            ErrorBoxWithFallback(kMsgNoExports);
        }
        if (error != 0) {
            return error;
        }
        resources->insert(resources->end(), exports.begin(), exports.end());
    }
    if (printers) {
        std::vector<ListedResource> queues;
        win32::DWORD error = ListKind(form, host, DeviceKind::Printer, &queues);
        if (error != 0 && !disks) {
            return error;  // after a good export listing, printers that fail are passed over
        }
        resources->insert(resources->end(), queues.begin(), queues.end());
    }
    return 0;
}

}  // namespace cvprov
