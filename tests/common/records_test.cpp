// The records exchanged with the redirector: where every field lies, what
// the initializers set and what they leave alone, and the control codes.
// Offsets are written out as numbers here on purpose: the redirector reads
// these bytes, so a constant that drifts must fail a test, not move both
// sides together.
#include "common/records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/redirector_codes.h"

namespace {

namespace me = cvn::mount_entry;
namespace na = cvn::nfs_attributes;
namespace sa = cvn::set_attributes;

using Image = std::vector<std::uint8_t>;

void PutU16(Image& image, std::size_t offset, std::uint16_t value) {
    image[offset] = static_cast<std::uint8_t>(value);
    image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Image& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

template <typename Record>
Image BytesOf(const Record& record) {
    return Image(record.data(), record.data() + record.size());
}

// The first differing offset, so a failure names the field.
template <typename Record>
void ExpectBytes(const Record& record, const Image& expected) {
    Image actual = BytesOf(record);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "first difference at offset " << i << ": "
                          << static_cast<int>(actual[i]) << " instead of "
                          << static_cast<int>(expected[i]);
            return;
        }
    }
}

TEST(RecordSizes, AreTheRedirectorsSizes) {
    EXPECT_EQ(cvn::MountEntry::size(), 5088u);
    EXPECT_EQ(me::kSize, 5088u);
    EXPECT_EQ(cvn::NfsAttributes::size(), 104u);
    EXPECT_EQ(cvn::SetAttributes::size(), 48u);
    EXPECT_EQ(cvn::Statistics::size(), 28u);
    EXPECT_EQ(cvn::registration::kSize, 6824u);
    EXPECT_EQ(cvn::helper_request::kBasicSize, 532u);
    EXPECT_EQ(cvn::address_record::kSize, 12u);
    EXPECT_EQ(cvn::kGetAttributes95Size, 2160u);
    EXPECT_EQ(cvn::kSetAttributes95Size, 2104u);
}

TEST(RecordSizes, ANewRecordIsAllZero) {
    cvn::MountEntry entry;
    EXPECT_EQ(BytesOf(entry), Image(5088, 0));
    cvn::SetAttributes set;
    EXPECT_EQ(BytesOf(set), Image(48, 0));
}

// Every counted name of every record: where it starts, how many characters
// it holds and how many bytes it takes.
TEST(RecordLayout, CountedNameFields) {
    struct Case {
        const char* name;
        cvn::CountedNameField field;
        std::size_t offset;
        std::size_t capacity;
        std::size_t bytes;
    } cases[] = {
        {"host", me::kHost, 76, 40, 82},
        {"path", me::kPath, 158, 1024, 2050},
        {"Root", me::kRoot, 2208, 1024, 2050},
        {"UserName", me::kUserName, 4258, 32, 66},
        {"Password", me::kPassword, 4324, 16, 34},
        {"AuthenticationServer", me::kAuthenticationServer, 4358, 40, 82},
        {"NisDomain", me::kNisDomain, 4440, 64, 130},
        {"printer text 1", me::kPrinterText1, 4680, 64, 130},
        {"printer text 2", me::kPrinterText2, 4810, 32, 66},
        {"PrinterOptions", me::kPrinterOptions, 4876, 32, 66},
        {"PrintClass", me::kPrintClass, 4942, 31, 64},
        {"95 get path", cvn::kGetAttributes95Path, 104, 1024, 2050},
        {"95 set path", cvn::kSetAttributes95Path, 48, 1024, 2050},
        {"helper host name", cvn::registration::kHostName, 5088, 32, 66},
        {"helper domain", cvn::registration::kDomain, 5154, 64, 130},
        {"helper container 1", cvn::registration::kContainer1, 5284, 255, 512},
        {"helper container 2", cvn::registration::kContainer2, 5796, 255, 512},
        {"helper sent empty", cvn::registration::kSentEmpty, 6308, 255, 512},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.field.offset, c.offset) << c.name;
        EXPECT_EQ(c.field.capacity, c.capacity) << c.name;
        EXPECT_EQ(c.field.bytes(), c.bytes) << c.name;
    }
}

// Filling a mount entry's counted names to the brim writes each one exactly
// inside its bytes: the length word at the field's offset, the characters
// after it, and nothing beyond.
TEST(RecordLayout, MountEntryTextsStayInsideTheirFields) {
    struct Case {
        const char* name;
        cvn::CountedNameField field;
        std::size_t offset;
        std::size_t capacity;
    } cases[] = {
        {"host", me::kHost, 76, 40},
        {"path", me::kPath, 158, 1024},
        {"Root", me::kRoot, 2208, 1024},
        {"UserName", me::kUserName, 4258, 32},
        {"Password", me::kPassword, 4324, 16},
        {"AuthenticationServer", me::kAuthenticationServer, 4358, 40},
        {"NisDomain", me::kNisDomain, 4440, 64},
        {"printer text 1", me::kPrinterText1, 4680, 64},
        {"printer text 2", me::kPrinterText2, 4810, 32},
        {"PrinterOptions", me::kPrinterOptions, 4876, 32},
        {"PrintClass", me::kPrintClass, 4942, 31},
    };
    for (const Case& c : cases) {
        cvn::MountEntry entry;
        std::memset(entry.data(), 0xEE, entry.size());
        std::u16string text(c.capacity + 5, u'\u0141');  // bytes 0x41 0x01
        EXPECT_EQ(entry.SetText(c.field, text), static_cast<int>(c.capacity)) << c.name;

        Image expected(5088, 0xEE);
        PutU16(expected, c.offset, static_cast<std::uint16_t>(2 * c.capacity));
        for (std::size_t i = 0; i < c.capacity; ++i) {
            PutU16(expected, c.offset + 2 + 2 * i, 0x0141);
        }
        SCOPED_TRACE(c.name);
        ExpectBytes(entry, expected);
        EXPECT_EQ(entry.Text(c.field), std::u16string(c.capacity, u'\u0141'));
    }
}

TEST(RecordLayout, MountEntryNumberFields) {
    struct Case {
        const char* name;
        std::size_t constant;
        std::size_t offset;
    } cases[] = {
        {"option bits", me::kOptions, 8},
        {"case bits", me::kCaseBits, 12},
        {"CodePage", me::kCodePage, 16},
        {"PermissionMask", me::kPermissionMask, 20},
        {"ReadSize", me::kReadSize, 24},
        {"WriteSize", me::kWriteSize, 28},
        {"StreamSize", me::kStreamSize, 32},
        {"ReadSizeAuto", me::kReadSizeAuto, 36},
        {"WriteSizeAuto", me::kWriteSizeAuto, 40},
        {"StreamSizeAuto", me::kStreamSizeAuto, 44},
        {"IoTimeout", me::kIoTimeout, 48},
        {"CacheTmo", me::kCacheTmo, 52},
        {"RwCacheType", me::kRwCacheType, 56},
        {"unnamed u16", me::kUnnamed60, 60},
        {"device word", me::kDeviceWord, 68},
        {"PreferredGid", me::kPreferredGid, 72},
        {"byte count A", me::kByteCountA, 4576},
        {"byte count B", me::kByteCountB, 4584},
        {"byte count C", me::kByteCountC, 4592},
        {"counters D to F", me::kCountersDToF, 4600},
        {"counters G to N", me::kCountersGToN, 4624},
        {"counter O", me::kCounterO, 4656},
        {"counter P", me::kCounterP, 4664},
        {"reserved 4668", me::kReserved4668, 4668},
        {"identity number 1", me::kIdentity1, 4676},
        {"identity number 2", me::kIdentity2, 5012},
        {"selected group", me::kSelectedGroup, 5016},
        {"group count", me::kGroupCount, 5020},
        {"group list", me::kGroupList, 5024},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.constant, c.offset) << c.name;
    }
    EXPECT_EQ(me::kGroupListEntries, 16u);
}

TEST(RecordLayout, DeviceWordBits) {
    cvn::MountEntry entry;
    entry.set_device_word(0xABCD3F00);
    entry.set_device_code('K');
    // The code replaces bits 0-7 only.
    EXPECT_EQ(entry.device_word(), 0xABCD3F4Bu);
    EXPECT_EQ(entry.device_code(), 'K');
    EXPECT_EQ(entry.device_type(), 3u);  // bits 12-15
    const Image bytes = BytesOf(entry);
    EXPECT_EQ(bytes[68], 0x4B);
    EXPECT_EQ(bytes[69], 0x3F);
    EXPECT_EQ(bytes[70], 0xCD);
    EXPECT_EQ(bytes[71], 0xAB);
    EXPECT_EQ(me::kConfirmationBit, 1u << 16);
    EXPECT_EQ(me::kNisAuthFirstBit, 1u << 17);
    EXPECT_EQ(me::kAuthDontFallBit, 1u << 18);
}

TEST(RecordLayout, HeaderAndStatus) {
    cvn::Statistics statistics;
    std::memset(statistics.data(), 0xFF, statistics.size());
    statistics.set_status(532);
    EXPECT_EQ(statistics.status(), 532);
    EXPECT_EQ(statistics.data()[2], 0x14);
    EXPECT_EQ(statistics.data()[3], 0x02);
    EXPECT_EQ(statistics.tag(), 0xFFFF);
    EXPECT_EQ(cvn::kRecordTag, 326);
}

TEST(RecordLayout, AttributeRecordFields) {
    struct Case {
        const char* name;
        std::size_t constant;
        std::size_t offset;
    } cases[] = {
        {"type", na::kType, 8},
        {"mode", na::kMode, 12},
        {"link count", na::kLinkCount, 16},
        {"owner", na::kUid, 20},
        {"group", na::kGid, 24},
        {"size", na::kFileSize, 32},
        {"bytes used", na::kBytesUsed, 40},
        {"device numbers", na::kDevice, 48},
        {"file system id", na::kFileSystemId, 56},
        {"file id", na::kFileId, 64},
        {"access time", na::kAccessTime, 72},
        {"modification time", na::kModifyTime, 80},
        {"change time", na::kChangeTime, 88},
        {"set: new mode", sa::kMode, 4},
        {"set: access time", sa::kAccessTime, 24},
        {"set: modification time", sa::kModifyTime, 32},
        {"set: which", sa::kWhich, 40},
        {"statistics counters", cvn::statistics::kCounters, 4},
        {"helper: kind", cvn::helper_request::kKind, 4},
        {"helper: answer status", cvn::helper_request::kAnswerStatus, 6},
        {"helper: transaction id", cvn::helper_request::kTransactionId, 8},
        {"helper: data length", cvn::helper_request::kDataLength, 12},
        {"helper: unused", cvn::helper_request::kUnused, 16},
        {"helper: data", cvn::helper_request::kData, 20},
        {"address: zero", cvn::address_record::kZero, 4},
        {"address: address", cvn::address_record::kAddress, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.constant, c.offset) << c.name;
    }
    EXPECT_EQ(na::kDirectory, 2u);
    EXPECT_EQ(cvn::helper_request::kKindNameToAddress, 2);
    EXPECT_EQ(cvn::helper_request::kKindPendingAddressNames, 5);

    // The accessors read the documented offsets.
    cvn::NfsAttributes attributes;
    std::uint8_t* bytes = attributes.data();
    bytes[8] = 2;
    bytes[12] = 0xED;
    bytes[13] = 0x41;
    bytes[20] = 0xE8;
    bytes[21] = 0x03;
    bytes[24] = 0x64;
    EXPECT_EQ(attributes.type(), 2u);
    EXPECT_EQ(attributes.mode(), 040755u);
    EXPECT_EQ(attributes.uid(), 1000u);
    EXPECT_EQ(attributes.gid(), 100u);

    cvn::Statistics statistics;
    for (int i = 0; i < 4; ++i) {
        statistics.data()[4 + 4 * i] = static_cast<std::uint8_t>(10 + i);
        statistics.data()[7 + 4 * i] = 0x80;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(statistics.counter(i), 0x80000000u + 10u + static_cast<unsigned>(i)) << i;
    }
}

// The mount-entry initializer on a record that already holds something:
// exactly the fields with a default change, all other bytes are kept. The
// expected image is built byte by byte from the record's documented layout.
TEST(MountEntryInitialize, SetsTheDefaultsAndKeepsEverythingElse) {
    for (std::uint8_t fill : {std::uint8_t{0xFF}, std::uint8_t{0x00}, std::uint8_t{0x5A}}) {
        SCOPED_TRACE(static_cast<int>(fill));
        cvn::MountEntry entry;
        std::memset(entry.data(), fill, entry.size());
        entry.Initialize();

        Image expected(5088, fill);
        const std::uint32_t word = 0x01010101u * fill;
        PutU16(expected, 0, 326);
        PutU16(expected, 2, 0);
        PutU32(expected, 4, 0);
        PutU32(expected, 8, (word & 0xFFF00000u) | 0x084BAu);
        PutU32(expected, 12, word & 0xFFFFFFF0u);
        PutU32(expected, 16, 0);
        PutU32(expected, 20, 509);
        PutU32(expected, 24, 8192);
        PutU32(expected, 28, 8192);
        PutU32(expected, 32, 4);
        PutU32(expected, 36, 65536);
        PutU32(expected, 40, 65536);
        PutU32(expected, 44, 8);
        PutU32(expected, 48, 15);
        PutU32(expected, 52, 30);
        PutU32(expected, 56, 5);
        PutU16(expected, 60, 1);
        PutU32(expected, 68, (word | 0x00020000u) & ~0x00050000u);
        PutU32(expected, 72, 0xFFFFFFFFu);
        for (std::size_t name : {76, 158, 2208, 4258, 4324, 4358, 4440, 4680, 4810, 4876, 4942}) {
            PutU16(expected, name, 0);  // empty; the characters are not cleared
        }
        PutU32(expected, 4664, 0);
        PutU32(expected, 4668, 0);
        ExpectBytes(entry, expected);
    }
}

TEST(MountEntryInitialize, OptionAndDeviceBitsByName) {
    cvn::MountEntry entry;
    std::memset(entry.data(), 0xFF, entry.size());
    entry.Initialize();
    const std::uint32_t options = entry.view().U32(8);
    // Set: FileSharingEnabled 1, DisplayServersOnSubnet 3, DisplaySecurityTab
    // 4, DisplayAuthServer 5, SymbolicLink 7, LookupCache 10, PrintBanner 15.
    for (int bit : {1, 3, 4, 5, 7, 10, 15}) {
        EXPECT_TRUE(options & (1u << bit)) << bit;
    }
    for (int bit : {0, 2, 6, 8, 9, 11, 12, 13, 14, 16, 17, 18, 19}) {
        EXPECT_FALSE(options & (1u << bit)) << bit;
    }
    for (int bit = 20; bit < 32; ++bit) {
        EXPECT_TRUE(options & (1u << bit)) << bit;
    }
    EXPECT_EQ(entry.device_code(), 0xFF);  // the device code has no default
    EXPECT_EQ(entry.status(), 0);
    EXPECT_EQ(entry.tag(), 326);
    EXPECT_EQ(entry.Text(me::kHost), u"");
    EXPECT_EQ(entry.Text(me::kPrintClass), u"");
}

TEST(NfsAttributesInitialize, SetsHeaderAndTimesOnly) {
    cvn::NfsAttributes attributes;
    std::memset(attributes.data(), 0xFF, attributes.size());
    attributes.Initialize();
    Image expected(104, 0xFF);
    PutU16(expected, 0, 326);
    PutU16(expected, 2, 0);
    for (std::size_t offset = 72; offset < 96; offset += 4) {
        PutU32(expected, offset, 0);
    }
    ExpectBytes(attributes, expected);
}

TEST(SetAttributesInitialize, SetsHeaderTimesAndClearsTheSixFlags) {
    cvn::SetAttributes set;
    std::memset(set.data(), 0xFF, set.size());
    set.Initialize();
    Image expected(48, 0xFF);
    PutU16(expected, 0, 326);
    PutU16(expected, 2, 0);
    for (std::size_t offset = 24; offset < 40; offset += 4) {
        PutU32(expected, offset, 0);
    }
    expected[40] = 0xC0;  // bits 6-7 kept
    ExpectBytes(set, expected);

    set.SetMode(0640);
    PutU32(expected, 4, 0640);
    expected[40] = 0xC1;
    ExpectBytes(set, expected);
}

TEST(StatisticsInitialize, SetsTheHeaderOnly) {
    cvn::Statistics statistics;
    std::memset(statistics.data(), 0xFF, statistics.size());
    statistics.Initialize();
    Image expected(28, 0xFF);
    PutU16(expected, 0, 326);
    PutU16(expected, 2, 0);
    ExpectBytes(statistics, expected);
}

TEST(InitializeHeader, WritesTagAndStatusOfAnyRecord) {
    std::uint8_t record[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    cvn::InitializeHeader(win32::ByteView(record, sizeof record));
    const std::uint8_t expected[6] = {0x46, 0x01, 0x00, 0x00, 0xAA, 0xAA};
    EXPECT_EQ(0, std::memcmp(record, expected, sizeof record));
}

// Each code is ((0xC00 + n) << 16) | ((0xC00 + n) << 2).
TEST(ControlCodes, FollowTheRuleAndTheLiteralValues) {
    struct Case {
        const char* name;
        win32::DWORD n;
        win32::DWORD constant;
        win32::DWORD literal;
    } cases[] = {
        {"FSCTL_SERVER_ADD_DISK", 0, cvn::FSCTL_SERVER_ADD_DISK, 0x0C003000},
        {"FSCTL_SERVER_DEL_FORCE", 1, cvn::FSCTL_SERVER_DEL_FORCE, 0x0C013004},
        {"FSCTL_SERVER_DEL", 2, cvn::FSCTL_SERVER_DEL, 0x0C023008},
        {"FSCTL_SERVER_GETMNT", 3, cvn::FSCTL_SERVER_GETMNT, 0x0C03300C},
        {"FSCTL_SERVER_GETIDSTAT", 4, cvn::FSCTL_SERVER_GETIDSTAT, 0x0C043010},
        {"helper exchange", 6, cvn::FSCTL_SERVER_HELPER_EXCHANGE, 0x0C063018},
        {"FSCTL_SERVER_SET_NFSATR", 7, cvn::FSCTL_SERVER_SET_NFSATR, 0x0C07301C},
        {"FSCTL_SERVER_GET_NFSATR", 8, cvn::FSCTL_SERVER_GET_NFSATR, 0x0C083020},
        {"FSCTL_SERVER_SETMNT", 9, cvn::FSCTL_SERVER_SETMNT, 0x0C093024},
        {"FSCTL_SERVER_GET_USER", 10, cvn::FSCTL_SERVER_GET_USER, 0x0C0A3028},
        {"FSCTL_SERVER_SET_USER", 11, cvn::FSCTL_SERVER_SET_USER, 0x0C0B302C},
        {"open exports", 12, cvn::FSCTL_SERVER_OPEN_EXPORTS, 0x0C0C3030},
        {"next entry", 13, cvn::FSCTL_SERVER_NEXT_ENTRY, 0x0C0D3034},
        {"next mount", 14, cvn::FSCTL_SERVER_NEXT_MOUNT, 0x0C0E3038},
        {"next pending address", 15, cvn::FSCTL_SERVER_NEXT_PENDING_ADDRESS, 0x0C0F303C},
        {"add printer", 16, cvn::FSCTL_SERVER_ADD_PRINTER, 0x0C103040},
        {"open printers", 17, cvn::FSCTL_SERVER_OPEN_PRINTERS, 0x0C113044},
        {"FSCTL_SERVER_SET_NFSATR 95", 19, cvn::FSCTL_SERVER_SET_NFSATR_95, 0x0C13304C},
        {"FSCTL_SERVER_GET_NFSATR 95", 20, cvn::FSCTL_SERVER_GET_NFSATR_95, 0x0C143050},
        {"helper registration", 22, cvn::FSCTL_SERVER_HELPER_REGISTER, 0x0C163058},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.constant, c.literal) << c.name;
        EXPECT_EQ(cvn::RedirectorControlCode(c.n), c.literal) << c.name;
    }
    // The numbers without a constant of their own follow the same rule.
    EXPECT_EQ(cvn::RedirectorControlCode(5), 0x0C053014u);
    EXPECT_EQ(cvn::RedirectorControlCode(18), 0x0C123048u);
    EXPECT_EQ(cvn::RedirectorControlCode(21), 0x0C153054u);
}

TEST(ControlCodes, StatusWordsTheClientReads) {
    EXPECT_EQ(cvn::kStatusNoSuchMount, 532);
    EXPECT_EQ(cvn::kStatusOpenFiles, 545);
}

}  // namespace
