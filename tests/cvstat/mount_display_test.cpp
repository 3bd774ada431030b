// One mount entry in detail, from entries made here: every field and flag
// at values no live mount of the test redirector has.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "common/records.h"
#include "cvstat/mount_display.h"
#include "tests/cvstat/cvstat_test_support.h"
#include "tests/support/capture_output.h"

namespace {

namespace me = cvn::mount_entry;

using cvstat_test::Expected;
using cvstat_test::InstalledCatalog;

constexpr std::uint32_t kHideDotFiles = 1u << 8;
constexpr std::uint32_t kFileSharingEnabled = 1u << 1;
constexpr std::uint32_t kCdRom = 1u << 2;
constexpr std::uint32_t kAutoTuneDisable = 1u << 6;
constexpr std::uint32_t kSymbolicLink = 1u << 7;
constexpr std::uint32_t kReadOnly = 1u << 9;
constexpr std::uint32_t kLookupCache = 1u << 10;
constexpr std::uint32_t kUseTcp = 1u << 11;
constexpr std::uint32_t kTcpOnly = 1u << 12;

std::string Show(const cvn::MountEntry& entry) {
    cvn_test::CaptureOutput capture;
    cvstat::ShowMountEntry(entry);
    return capture.out();
}

// A disk mount on F: as the redirector would describe it.
cvn::MountEntry DiskEntry() {
    cvn::MountEntry entry;
    entry.Initialize();
    entry.set_device_word(entry.device_word() | (me::kDeviceTypeDisk << me::kDeviceTypeShift) |
                          'F');
    entry.SetText(me::kHost, u"alpha");
    entry.SetText(me::kPath, u"docs");
    return entry;
}

void SetOptions(cvn::MountEntry& entry, std::uint32_t set, std::uint32_t clear) {
    win32::ByteView view = entry.view();
    view.SetU32(me::kOptions, (view.U32(me::kOptions) | set) & ~clear);
}

// Every value away from its default: sizes and counters past 2^32 (u64) or
// 2^31 (u32) print in full and never negative; fixed transfer sizes; TCP
// only; no read/write cache; no case control; two of the three flags.
TEST(CvstatMountDisplay, EveryFieldOfAnEntry) {
    InstalledCatalog catalog;
    ASSERT_TRUE(catalog.loaded());
    cvn::MountEntry entry;
    entry.Initialize();
    entry.set_device_word((me::kDeviceTypeDisk << me::kDeviceTypeShift) | (1u << 8) | (1u << 11) |
                          'Z');
    entry.SetText(me::kHost, u"alpha.example");
    entry.SetText(me::kPath, u"export\\docs");
    entry.SetText(me::kRoot, u"\\export");
    entry.SetText(me::kUserName, u"alice");
    win32::ByteView view = entry.view();
    view.SetU32(me::kOptions,
                kAutoTuneDisable | kUseTcp | kTcpOnly | kHideDotFiles | kCdRom | kReadOnly);
    view.SetU32(me::kCaseBits, 3);
    view.SetU32(me::kReadSize, 32768);
    view.SetU32(me::kWriteSize, 1000);
    view.SetU32(me::kStreamSize, 2);
    view.SetU32(me::kIoTimeout, 0xFFFFFFFF);
    view.SetU32(me::kCacheTmo, 0);
    view.SetU32(me::kRwCacheType, 0);
    view.SetU64(me::kByteCountA, 5000000000ull);
    view.SetU64(me::kByteCountB, 1);
    view.SetU64(me::kByteCountC, 12345678901ull);
    view.SetU64(me::kCountersDToF, 1000);
    view.SetU64(me::kCountersDToF + 8, 999);
    view.SetU64(me::kCountersDToF + 16, UINT64_MAX);
    for (std::uint32_t i = 0; i < 8; ++i) {
        view.SetU32(me::kCountersGToN + 4 * i, 0x80000000u + i);
    }
    view.SetU64(me::kCounterO, 4294967296ull);
    view.SetU32(me::kCounterP, 3);
    view.SetU32(4668, 0xFFFFFFFF);

    EXPECT_EQ(Show(entry), Expected("every_field.enu.txt"));
}

// The lines that follow from one field or bit, each shown on an entry that
// differs from a plain disk mount in that alone.
TEST(CvstatMountDisplay, KindsOptionsAndCacheKinds) {
    InstalledCatalog catalog;
    ASSERT_TRUE(catalog.loaded());
    struct Case {
        const char* what;
        std::function<void(cvn::MountEntry&)> change;
        std::string line;
    };
    auto device_type = [](std::uint32_t type) {
        return [type](cvn::MountEntry& entry) {
            entry.set_device_word((entry.device_word() & ~me::kDeviceTypeMask) |
                                  (type << me::kDeviceTypeShift));
        };
    };
    auto u32 = [](std::size_t offset, std::uint32_t value) {
        return [offset, value](cvn::MountEntry& entry) { entry.view().SetU32(offset, value); };
    };
    auto options = [](std::uint32_t set, std::uint32_t clear) {
        return [set, clear](cvn::MountEntry& entry) { SetOptions(entry, set, clear); };
    };
    const std::string cache = "   Read and write cache .......................... = ";
    const std::string case_line = "   Case of names on open ......................... = ";
    const std::string transport = "   Transport ..................................... = ";
    for (const Case& c : std::vector<Case>{
             {"type 0", device_type(0), "\n   NFS connection \"docs\" on F:\n\n"},
             {"type 1", device_type(1), "\n   NFS file system \"docs\" on F:\n\n"},
             {"type 2", device_type(2), "\n   NFS printer \"docs\" on F:\n\n"},
             {"type 3", device_type(3), "\n   NFS print queue \"docs\" on F:\n\n"},
             {"type 4", device_type(4), "\n   NFS print device \"docs\" on F:\n\n"},
             {"type 9", device_type(9), "\n    \"docs\" on F:\n\n"},
             {"printer port",
              [](cvn::MountEntry& entry) {
                  entry.set_device_word((2u << me::kDeviceTypeShift) | '1');
              },
              "\n   NFS printer \"docs\" on 1:\n\n"},
             {"no drive", [](cvn::MountEntry& entry) { entry.set_device_code(0); },
              "\n   NFS file system \"docs\" on no drive\n\n"},
             {"cache 0", u32(me::kRwCacheType, 0), cache + "no\n\n"},
             {"cache 1", u32(me::kRwCacheType, 1), cache + "yes(standard)\n\n"},
             {"cache 2", u32(me::kRwCacheType, 2), cache + "yes(no data cache)\n\n"},
             {"cache 3", u32(me::kRwCacheType, 3), cache + "yes(reads only)\n\n"},
             {"cache 4", u32(me::kRwCacheType, 4), cache + "yes(writes only)\n\n"},
             {"cache 5", u32(me::kRwCacheType, 5), cache + "yes(reads and writes)\n\n"},
             {"cache 6", u32(me::kRwCacheType, 6),
              cache + "yes(\nError: invalid setting for RwCacheType \n\n)\n\n"},
             {"cache 2^32-1", u32(me::kRwCacheType, 0xFFFFFFFF),
              cache + "yes(\nError: invalid setting for RwCacheType \n\n)\n\n"},
             {"case 0", u32(me::kCaseBits, 0), case_line + "yes(as typed)\n\n"},
             {"case 1", u32(me::kCaseBits, 1), case_line + "yes(lower case)\n\n"},
             {"case 2", u32(me::kCaseBits, 2), case_line + "yes(upper case)\n\n"},
             {"case 3", u32(me::kCaseBits, 3), case_line + "no\n\n"},
             // Only bits 0-1 are the case on open.
             {"case on create", u32(me::kCaseBits, 0xE), case_line + "yes(upper case)\n\n"},
             {"udp", options(0, kUseTcp | kTcpOnly), transport + "UDP\n"},
             {"tcp only without tcp", options(kTcpOnly, kUseTcp), transport + "UDP\n"},
             {"tcp", options(kUseTcp, kTcpOnly), transport + "TCP, then UDP\n"},
             {"tcp only", options(kUseTcp | kTcpOnly, 0), transport + "TCP only\n"},
             {"lookup cache off", options(0, kLookupCache),
              "   Lookup cache .................................. = no\n"},
             {"file sharing off", options(0, kFileSharingEnabled),
              "   File sharing .................................. = no\n"},
             {"symbolic links off", options(0, kSymbolicLink),
              "   Symbolic links ................................ = no\n"},
             {"fixed sizes", options(kAutoTuneDisable, 0),
              "   Automatic tuning of transfer sizes ............ = no\n"
              "   Read size ..................................... = 008,192\n"
              "   Write size .................................... = 008,192\n"
              "   Stream size ................................... = 004\n"},
             {"files open",
              [](cvn::MountEntry& e) { e.set_device_word(e.device_word() | (1u << 10)); },
              "   Files open .................................... = yes\n"},
         }) {
        cvn::MountEntry entry = DiskEntry();
        c.change(entry);
        const std::string shown = Show(entry);
        EXPECT_NE(shown.find(c.line), std::string::npos) << c.what << "\n" << shown;
    }
}

}  // namespace
