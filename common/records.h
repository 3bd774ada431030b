// The records exchanged with the redirector, as byte arrays read and written
// at explicit little-endian offsets. Sizes are fixed by the redirector's
// contract and checked at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/counted_name.h"
#include "common/redirector_codes.h"
#include "platform/bytes.h"

namespace cvn {

template <std::size_t N>
class FixedRecord {
public:
    static constexpr std::size_t kSize = N;
    FixedRecord() { bytes_.fill(0); }
    win32::ByteView view() { return win32::ByteView(bytes_.data(), N); }
    win32::ByteView view() const {
        return win32::ByteView(const_cast<std::uint8_t*>(bytes_.data()), N);
    }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return N; }

    std::uint16_t tag() const { return view().U16(0); }
    std::uint16_t status() const { return view().U16(2); }
    void set_status(std::uint16_t status) { view().SetU16(2, status); }

protected:
    std::array<std::uint8_t, N> bytes_;
};

// The mount entry: names one mount in a request, carries its description
// back, and holds the defaults of the configuration.
namespace mount_entry {
inline constexpr std::size_t kSize = 5088;
inline constexpr std::size_t kOptions = 8;
inline constexpr std::size_t kCaseBits = 12;
inline constexpr std::size_t kCodePage = 16;
inline constexpr std::size_t kPermissionMask = 20;
inline constexpr std::size_t kReadSize = 24;
inline constexpr std::size_t kWriteSize = 28;
inline constexpr std::size_t kStreamSize = 32;
inline constexpr std::size_t kReadSizeAuto = 36;
inline constexpr std::size_t kWriteSizeAuto = 40;
inline constexpr std::size_t kStreamSizeAuto = 44;
inline constexpr std::size_t kIoTimeout = 48;
inline constexpr std::size_t kCacheTmo = 52;
inline constexpr std::size_t kRwCacheType = 56;
inline constexpr std::size_t kUnnamed60 = 60;
inline constexpr std::size_t kDeviceWord = 68;
inline constexpr std::size_t kPreferredGid = 72;
inline constexpr CountedNameField kHost{76, 40};
inline constexpr CountedNameField kPath{158, 1024};
inline constexpr CountedNameField kRoot{2208, 1024};
inline constexpr CountedNameField kUserName{4258, 32};
inline constexpr CountedNameField kPassword{4324, 16};
inline constexpr CountedNameField kAuthenticationServer{4358, 40};
inline constexpr CountedNameField kNisDomain{4440, 64};
inline constexpr std::size_t kByteCountA = 4576;
inline constexpr std::size_t kByteCountB = 4584;
inline constexpr std::size_t kByteCountC = 4592;
inline constexpr std::size_t kCountersDToF = 4600;  // 3 x u64
inline constexpr std::size_t kCountersGToN = 4624;  // 8 x u32
inline constexpr std::size_t kCounterO = 4656;
inline constexpr std::size_t kCounterP = 4664;
inline constexpr std::size_t kReserved4668 = 4668;
inline constexpr std::size_t kIdentity1 = 4676;
inline constexpr CountedNameField kPrinterText1{4680, 64};
inline constexpr CountedNameField kPrinterText2{4810, 32};
inline constexpr CountedNameField kPrinterOptions{4876, 32};
inline constexpr CountedNameField kPrintClass{4942, 31};
inline constexpr std::size_t kIdentity2 = 5012;
inline constexpr std::size_t kSelectedGroup = 5016;
inline constexpr std::size_t kGroupCount = 5020;
inline constexpr std::size_t kGroupList = 5024;
inline constexpr std::size_t kGroupListEntries = 16;

// Device word: bits 0-7 the device code, 8, 10 and 11 state flags, 12-15 the
// kind of resource, 16 confirmation, 17 NisAuthFirst, 18 AuthDontFall.
inline constexpr std::uint32_t kDeviceCodeMask = 0xFF;
inline constexpr int kDeviceTypeShift = 12;
inline constexpr std::uint32_t kDeviceTypeMask = 0xF000;
inline constexpr std::uint32_t kConfirmationBit = 1u << 16;
inline constexpr std::uint32_t kNisAuthFirstBit = 1u << 17;
inline constexpr std::uint32_t kAuthDontFallBit = 1u << 18;
inline constexpr std::uint32_t kDeviceTypeDisk = 1;

// Option bits 0 to 19 that the initializer owns, and their defaults.
inline constexpr std::uint32_t kOptionBitsMask = 0x000FFFFF;
inline constexpr std::uint32_t kOptionDefaults = 0x000084BA;
inline constexpr std::uint32_t kCaseBitsMask = 0xF;

static_assert(kHost.end() == kPath.offset && kPath.end() == kRoot.offset &&
              kRoot.end() == kUserName.offset && kUserName.end() == kPassword.offset &&
              kPassword.end() == kAuthenticationServer.offset &&
              kAuthenticationServer.end() == kNisDomain.offset &&
              kNisDomain.end() + 6 == kByteCountA);
static_assert(kPrinterText1.end() == kPrinterText2.offset &&
              kPrinterText2.end() == kPrinterOptions.offset &&
              kPrinterOptions.end() == kPrintClass.offset && kPrintClass.end() + 6 == kIdentity2);
static_assert(kGroupList + 4 * kGroupListEntries == kSize);
}  // namespace mount_entry

class MountEntry : public FixedRecord<mount_entry::kSize> {
public:
    // Sets the defaults; fields without one keep what they hold.
    void Initialize();

    std::uint32_t device_word() const { return view().U32(mount_entry::kDeviceWord); }
    void set_device_word(std::uint32_t word) { view().SetU32(mount_entry::kDeviceWord, word); }
    std::uint8_t device_code() const {
        return static_cast<std::uint8_t>(device_word() & mount_entry::kDeviceCodeMask);
    }
    void set_device_code(std::uint8_t code) {
        set_device_word((device_word() & ~mount_entry::kDeviceCodeMask) | code);
    }
    std::uint32_t device_type() const {
        return (device_word() & mount_entry::kDeviceTypeMask) >> mount_entry::kDeviceTypeShift;
    }

    // Clears the password field, so that no copy of it outlives its use.
    void WipePassword();

    std::u16string Text(CountedNameField field) const { return CountedNameText(view(), field); }
    int SetText(CountedNameField field, std::u16string_view text) {
        return CopyCountedName(text, view(), field);
    }
};

// The attributes of one file, in the order of the NFS version 3 attributes.
namespace nfs_attributes {
inline constexpr std::size_t kSize = 104;
inline constexpr std::size_t kType = 8;
inline constexpr std::size_t kMode = 12;
inline constexpr std::size_t kLinkCount = 16;
inline constexpr std::size_t kUid = 20;
inline constexpr std::size_t kGid = 24;
inline constexpr std::size_t kFileSize = 32;
inline constexpr std::size_t kBytesUsed = 40;
inline constexpr std::size_t kDevice = 48;  // 2 x u32
inline constexpr std::size_t kFileSystemId = 56;
inline constexpr std::size_t kFileId = 64;
inline constexpr std::size_t kAccessTime = 72;  // seconds, nanoseconds
inline constexpr std::size_t kModifyTime = 80;
inline constexpr std::size_t kChangeTime = 88;

enum FileType : std::uint32_t {
    kUnknown = 0,
    kRegular = 1,
    kDirectory = 2,
    kBlockDevice = 3,
    kCharacterDevice = 4,
    kSymbolicLink = 5,
    kSocket = 6,
    kNamedPipe = 7,
};
}  // namespace nfs_attributes

class NfsAttributes : public FixedRecord<nfs_attributes::kSize> {
public:
    void Initialize();
    std::uint32_t type() const { return view().U32(nfs_attributes::kType); }
    std::uint32_t mode() const { return view().U32(nfs_attributes::kMode); }
    std::uint32_t uid() const { return view().U32(nfs_attributes::kUid); }
    std::uint32_t gid() const { return view().U32(nfs_attributes::kGid); }
};

// What to change of a file; the tools only ever change the mode.
namespace set_attributes {
inline constexpr std::size_t kSize = 48;
inline constexpr std::size_t kMode = 4;
inline constexpr std::size_t kUid = 8;
inline constexpr std::size_t kGid = 12;
inline constexpr std::size_t kFileSize = 16;
inline constexpr std::size_t kAccessTime = 24;
inline constexpr std::size_t kModifyTime = 32;
inline constexpr std::size_t kWhich = 40;
inline constexpr std::uint8_t kWhichMask = 0x3F;
inline constexpr std::uint8_t kSetMode = 0x01;
inline constexpr std::uint8_t kSetUid = 0x02;
inline constexpr std::uint8_t kSetGid = 0x04;
inline constexpr std::uint8_t kSetSize = 0x08;
inline constexpr std::uint8_t kSetAccessTime = 0x10;
inline constexpr std::uint8_t kSetModifyTime = 0x20;
}  // namespace set_attributes

class SetAttributes : public FixedRecord<set_attributes::kSize> {
public:
    void Initialize();
    void SetMode(std::uint32_t mode);
};

// The Windows 95 attribute requests carry the file's full path after the
// record, in a counted name of 1024 characters.
inline constexpr std::size_t kGetAttributes95Size = 2160;
inline constexpr std::size_t kSetAttributes95Size = 2104;
inline constexpr CountedNameField kGetAttributes95Path{nfs_attributes::kSize, 1024};
inline constexpr CountedNameField kSetAttributes95Path{set_attributes::kSize, 1024};
static_assert(kGetAttributes95Path.end() <= kGetAttributes95Size);
static_assert(kSetAttributes95Path.end() <= kSetAttributes95Size);

// The redirector's four statistics counters.
namespace statistics {
inline constexpr std::size_t kSize = 28;
inline constexpr std::size_t kCounters = 4;  // 4 x u32 at 4, 8, 12, 16
}  // namespace statistics

class Statistics : public FixedRecord<statistics::kSize> {
public:
    void Initialize();
    std::uint32_t counter(int index) const { return view().U32(statistics::kCounters + 4 * index); }
};

// The helper's records.
namespace registration {
inline constexpr std::size_t kSize = 6824;
inline constexpr CountedNameField kHostName{5088, 32};
inline constexpr CountedNameField kDomain{5154, 64};
inline constexpr CountedNameField kContainer1{5284, 255};
inline constexpr CountedNameField kContainer2{5796, 255};
inline constexpr CountedNameField kSentEmpty{6308, 255};
static_assert(kHostName.end() == kDomain.offset && kDomain.end() == kContainer1.offset &&
              kContainer1.end() == kContainer2.offset && kContainer2.end() == kSentEmpty.offset &&
              kSentEmpty.end() <= kSize);
}  // namespace registration

namespace helper_request {
inline constexpr std::size_t kBasicSize = 532;
inline constexpr std::size_t kKind = 4;
inline constexpr std::size_t kAnswerStatus = 6;
inline constexpr std::size_t kTransactionId = 8;
inline constexpr std::size_t kDataLength = 12;
inline constexpr std::size_t kUnused = 16;
inline constexpr std::size_t kData = 20;
inline constexpr std::uint16_t kKindNameToAddress = 2;
inline constexpr std::uint16_t kKindPendingAddressNames = 5;
}  // namespace helper_request

namespace address_record {
inline constexpr std::size_t kSize = 12;
inline constexpr std::size_t kZero = 4;
inline constexpr std::size_t kAddress = 8;
}  // namespace address_record

// The logged-on user's credentials (requests to get and set the user).
namespace credentials_record {
inline constexpr std::size_t kSize = 104;
inline constexpr CountedNameField kUserName{4, 32};
inline constexpr CountedNameField kPassword{70, 16};
static_assert(kUserName.end() == kPassword.offset && kPassword.end() == kSize);
}  // namespace credentials_record

// Opening a listing of a host's exports or printers.
namespace list_open_record {
inline constexpr std::size_t kSize = 92;
inline constexpr std::size_t kListHandle = 4;
inline constexpr CountedNameField kHost{8, 40};
inline constexpr std::size_t kTrailer = 90;  // u16 0
static_assert(kHost.end() == kTrailer && kTrailer + 2 == kSize);
}  // namespace list_open_record

// One entry of such a listing.
namespace list_entry_record {
inline constexpr std::size_t kSize = 2088;
inline constexpr std::size_t kListHandle = 4;
inline constexpr CountedNameField kName{8, 12};
inline constexpr CountedNameField kText{34, 1024};
inline constexpr std::size_t kFlags = 2084;
inline constexpr std::uint32_t kFlagAlternatePrefix = 0x2;
static_assert(kName.end() == kText.offset && kText.end() == kFlags && kFlags + 4 == kSize);
}  // namespace list_entry_record

// Writes the tag and a zero status at the start of any record.
void InitializeHeader(win32::ByteView record);

}  // namespace cvn
