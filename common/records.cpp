#include "common/records.h"

#include "platform/memory.h"

namespace cvn {

namespace me = mount_entry;

void InitializeHeader(win32::ByteView record) {
    record.SetU16(0, kRecordTag);
    record.SetU16(2, 0);
}

void MountEntry::Initialize() {
    win32::ByteView entry = view();
    InitializeHeader(entry);
    entry.SetU32(4, 0);
    entry.SetU32(me::kOptions,
                 (entry.U32(me::kOptions) & ~me::kOptionBitsMask) | me::kOptionDefaults);
    entry.SetU32(me::kCaseBits, entry.U32(me::kCaseBits) & ~me::kCaseBitsMask);
    entry.SetU32(me::kCodePage, 0);
    entry.SetU32(me::kPermissionMask, 0775);
    entry.SetU32(me::kReadSize, 8192);
    entry.SetU32(me::kWriteSize, 8192);
    entry.SetU32(me::kStreamSize, 4);
    entry.SetU32(me::kReadSizeAuto, 65536);
    entry.SetU32(me::kWriteSizeAuto, 65536);
    entry.SetU32(me::kStreamSizeAuto, 8);
    entry.SetU32(me::kIoTimeout, 15);
    entry.SetU32(me::kCacheTmo, 30);
    entry.SetU32(me::kRwCacheType, 5);
    entry.SetU16(me::kUnnamed60, 1);
    std::uint32_t device = entry.U32(me::kDeviceWord);
    device = (device | me::kNisAuthFirstBit) & ~(me::kConfirmationBit | me::kAuthDontFallBit);
    entry.SetU32(me::kDeviceWord, device);
    entry.SetU32(me::kPreferredGid, 0xFFFFFFFF);
    for (CountedNameField field : {me::kHost, me::kPath, me::kRoot, me::kUserName, me::kPassword,
                                   me::kAuthenticationServer, me::kNisDomain, me::kPrinterText1,
                                   me::kPrinterText2, me::kPrinterOptions, me::kPrintClass}) {
        entry.SetU16(field.offset, 0);
    }
    entry.SetU32(me::kCounterP, 0);
    entry.SetU32(me::kReserved4668, 0);
}

void MountEntry::WipePassword() {
    win32::SecureZeroMemory(data() + mount_entry::kPassword.offset, mount_entry::kPassword.bytes());
}

void NfsAttributes::Initialize() {
    win32::ByteView record = view();
    InitializeHeader(record);
    for (std::size_t time :
         {nfs_attributes::kAccessTime, nfs_attributes::kModifyTime, nfs_attributes::kChangeTime}) {
        record.SetU32(time, 0);
        record.SetU32(time + 4, 0);
    }
}

void SetAttributes::Initialize() {
    win32::ByteView record = view();
    InitializeHeader(record);
    for (std::size_t time : {set_attributes::kAccessTime, set_attributes::kModifyTime}) {
        record.SetU32(time, 0);
        record.SetU32(time + 4, 0);
    }
    record.SetU8(set_attributes::kWhich,
                 record.U8(set_attributes::kWhich) & ~set_attributes::kWhichMask);
}

void SetAttributes::SetMode(std::uint32_t mode) {
    win32::ByteView record = view();
    record.SetU32(set_attributes::kMode, mode);
    record.SetU8(set_attributes::kWhich,
                 record.U8(set_attributes::kWhich) | set_attributes::kSetMode);
}

void Statistics::Initialize() {
    InitializeHeader(view());
}

}  // namespace cvn
