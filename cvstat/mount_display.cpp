#include "cvstat/mount_display.h"

#include <cstdint>
#include <iterator>
#include <string>

#include "common/console.h"
#include "common/messages.h"
#include "cvstat/number_printer.h"

namespace cvstat {

namespace {

namespace me = cvn::mount_entry;

// Option bits (offset 8) the display reads.
constexpr std::uint32_t kFileSharingEnabled = 1u << 1;
constexpr std::uint32_t kCdRom = 1u << 2;
constexpr std::uint32_t kAutoTuneDisable = 1u << 6;
constexpr std::uint32_t kSymbolicLink = 1u << 7;
constexpr std::uint32_t kHideDotFiles = 1u << 8;
constexpr std::uint32_t kReadOnly = 1u << 9;
constexpr std::uint32_t kLookupCache = 1u << 10;
constexpr std::uint32_t kUseTcp = 1u << 11;
constexpr std::uint32_t kTcpOnly = 1u << 12;

// The redirector's three state flags in the device word.
constexpr std::uint32_t kStateFlags[] = {1u << 8, 1u << 10, 1u << 11};
constexpr win32::UINT kStateLabels[] = {355, 356, 357};

// The redirector counts here too, in a word the record leaves unnamed.
constexpr std::size_t kCounterQ = me::kReserved4668;

constexpr std::uint32_t kCaseOnOpenMask = 0x3;
constexpr std::uint32_t kNoCaseControl = 3;
constexpr std::uint32_t kLastCacheKind = 5;

constexpr win32::UINT kMsgYes = 325;
constexpr win32::UINT kMsgNo = 326;
constexpr win32::UINT kMsgStateSet = 353;
constexpr win32::UINT kMsgStateClear = 354;

// Three blanks, the label with its dot leader, " = ".
void Label(win32::UINT id) {
    cvn::PrintText(u"   ");
    cvn::PrintMessage(id, 1);
    cvn::PrintText(u" = ");
}

void Text(win32::UINT id) {
    cvn::PrintMessage(id, 0);
}

void YesNo(bool yes) {
    Text(yes ? kMsgYes : kMsgNo);
}

// Yes or no for one option bit, and a line end.
void OptionLine(win32::UINT label, std::uint32_t options, std::uint32_t bit) {
    Label(label);
    YesNo((options & bit) != 0);
    cvn::PrintText(u"\n");
}

void PlainNumber(std::uint32_t value) {
    cvn::PrintFormat(u"%u\n", {value});
}

void ShowKind(const cvn::MountEntry& entry) {
    cvn::PrintText(u"\n   ");
    switch (entry.device_type()) {
        case 0:
            Text(236);
            break;
        case 1:
            Text(240);
            Text(178);
            break;
        case 2:
            Text(237);
            break;
        case 3:
            Text(238);
            break;
        case 4:
            Text(239);
            break;
        default:
            break;
    }
}

void ShowName(const cvn::MountEntry& entry) {
    cvn::PrintText(u" \"" + entry.Text(me::kPath) + u"\" ");
    Text(179);
    cvn::PrintText(u" ");
    if (std::uint8_t device = entry.device_code(); device != 0) {
        cvn::PrintFormat(u"%c:", {static_cast<char16_t>(device)});
    } else {
        Text(180);
    }
    cvn::PrintText(u"\n\n");
}

void ShowServer(const cvn::MountEntry& entry) {
    const win32::ByteView view = entry.view();
    Label(181);
    cvn::PrintText(entry.Text(me::kHost) + u"\n");
    Label(182);
    cvn::PrintText(entry.Text(me::kRoot) + u"\n");
    Label(184);
    PrintNumber(view.U64(me::kByteCountA));
    Label(185);
    PrintNumber(view.U64(me::kByteCountB));
    cvn::PrintText(u"\n");
    Label(183);
    cvn::PrintText(entry.Text(me::kUserName) + u"\n\n");
}

// Automatic tuning shows the upper sizes it may reach; fixed sizes otherwise.
void ShowTransferSizes(const cvn::MountEntry& entry, std::uint32_t options) {
    const win32::ByteView view = entry.view();
    const bool automatic = (options & kAutoTuneDisable) == 0;
    Label(324);
    YesNo(automatic);
    cvn::PrintText(u"\n");
    Label(automatic ? 327 : 330);
    PrintNumber(view.U32(automatic ? me::kReadSizeAuto : me::kReadSize));
    Label(automatic ? 328 : 331);
    PrintNumber(view.U32(automatic ? me::kWriteSizeAuto : me::kWriteSize));
    Label(329);
    PrintNumber(view.U32(automatic ? me::kStreamSizeAuto : me::kStreamSize));
    Label(332);
    PlainNumber(view.U32(me::kIoTimeout));
}

void ShowTransport(const cvn::MountEntry& entry, std::uint32_t options) {
    Label(359);
    if ((options & kUseTcp) == 0) {
        Text(333);
    } else {
        Text((options & kTcpOnly) != 0 ? 334 : 335);
    }
    cvn::PrintText(u"\n");
    Label(336);
    PrintNumber(entry.view().U32(me::kCacheTmo));
    OptionLine(358, options, kLookupCache);
}

void ShowCache(const cvn::MountEntry& entry) {
    const std::uint32_t kind = entry.view().U32(me::kRwCacheType);
    Label(337);
    if (kind == 0) {
        Text(kMsgNo);
    } else {
        Text(kMsgYes);
        cvn::PrintText(u"(");
        if (kind <= kLastCacheKind) {
            Text(337 + kind);
        } else {
            cvn::PrintText(u"\nError: invalid setting for RwCacheType \n\n");
        }
        cvn::PrintText(u")");
    }
    cvn::PrintText(u"\n\n");
}

void ShowFileOptions(const cvn::MountEntry& entry, std::uint32_t options) {
    OptionLine(343, options, kFileSharingEnabled);
    OptionLine(344, options, kHideDotFiles);
    OptionLine(345, options, kSymbolicLink);
    OptionLine(346, options, kCdRom);
    OptionLine(347, options, kReadOnly);
    const std::uint32_t case_on_open = entry.view().U32(me::kCaseBits) & kCaseOnOpenMask;
    Label(348);
    if (case_on_open == kNoCaseControl) {
        Text(kMsgNo);
    } else {
        Text(kMsgYes);
        cvn::PrintText(u"(");
        Text(349 + case_on_open);
        cvn::PrintText(u")");
    }
    cvn::PrintText(u"\n\n");
}

void ShowState(const cvn::MountEntry& entry) {
    for (std::size_t i = 0; i < std::size(kStateFlags); ++i) {
        Label(kStateLabels[i]);
        Text((entry.device_word() & kStateFlags[i]) != 0 ? kMsgStateSet : kMsgStateClear);
        cvn::PrintText(u"\n");
    }
}

// Sizes and large counters through the number printer, the others plain;
// all of them unsigned, as the redirector keeps them.
void ShowCounters(const cvn::MountEntry& entry) {
    const win32::ByteView view = entry.view();
    Label(186);
    PrintNumber(view.U64(me::kByteCountC));
    for (std::size_t i = 0; i < 3; ++i) {
        Label(static_cast<win32::UINT>(187 + i));
        PrintNumber(view.U64(me::kCountersDToF + 8 * i));
    }
    for (std::size_t i = 0; i < 8; ++i) {
        Label(static_cast<win32::UINT>(190 + i));
        PlainNumber(view.U32(me::kCountersGToN + 4 * i));
    }
    Label(198);
    PrintNumber(view.U64(me::kCounterO));
    Label(199);
    PlainNumber(view.U32(me::kCounterP));
    Label(271);
    PlainNumber(view.U32(kCounterQ));
}

}  // namespace

void ShowMountEntry(const cvn::MountEntry& entry) {
    const std::uint32_t options = entry.view().U32(me::kOptions);
    ShowKind(entry);
    ShowName(entry);
    ShowServer(entry);
    ShowTransferSizes(entry, options);
    ShowTransport(entry, options);
    ShowCache(entry);
    ShowFileOptions(entry, options);
    ShowState(entry);
    ShowCounters(entry);
}

}  // namespace cvstat
