#include "common/control_client.h"

#include <array>
#include <string_view>

#include "common/debug_print.h"
#include "common/debug_report.h"
#include "common/platform_kind.h"
#include "platform/device.h"
#include "platform/errors.h"
#include "platform/last_error.h"

namespace cvn {

namespace {

constexpr win32::DWORD kDeviceAccess = win32::GENERIC_READ | win32::GENERIC_WRITE;

// Sends one request with `record` as input and output on an open handle.
win32::DWORD Exchange(win32::HANDLE device, win32::DWORD code, std::uint8_t* record,
                      std::size_t size) {
    win32::DWORD returned = 0;
    if (!win32::DeviceIoControl(device, code, record, static_cast<win32::DWORD>(size), record,
                                static_cast<win32::DWORD>(size), &returned, nullptr)) {
        return win32::GetLastError();
    }
    return 0;
}

win32::DWORD OpenFileForAttributes(const char16_t* path, win32::DWORD access, win32::HANDLE* file) {
    *file = win32::CreateFileW(path, access, 0, nullptr, win32::OPEN_EXISTING,
                               win32::FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return *file == win32::INVALID_HANDLE_VALUE ? win32::GetLastError() : 0;
}

// The Windows 95 attribute requests: the record and the counted path in one
// larger buffer sent to \\.\VCORV; the record comes back on success.
template <std::size_t BufferSize, std::size_t RecordSize>
win32::DWORD Exchange95(std::uint8_t* record, const char16_t* path, CountedNameField path_field,
                        win32::DWORD code, win32::DWORD access, const char* open_failed,
                        const char* request_failed) {
    // A path cut to the field's capacity could name another file, whose
    // attributes would then be read or changed in its place: refuse it.
    const std::size_t path_length = path != nullptr ? std::u16string_view(path).size() : 0;
    if (path_length > path_field.capacity) {
        DebugPrintA(request_failed, static_cast<int>(win32::ERROR_FILENAME_EXCED_RANGE));
        return win32::ERROR_FILENAME_EXCED_RANGE;
    }
    std::array<std::uint8_t, BufferSize> buffer{};
    std::copy(record, record + RecordSize, buffer.begin());
    CopyCountedName(path, win32::ByteView(buffer.data(), buffer.size()), path_field);
    win32::HANDLE device =
        win32::CreateFileA("\\\\.\\VCORV", access, 0, nullptr, win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) {
        win32::DWORD error = win32::GetLastError();
        DebugPrintA(open_failed, static_cast<int>(error));
        return error;
    }
    win32::UniqueHandle owner(device);
    win32::DWORD error = Exchange(device, code, buffer.data(), buffer.size());
    if (error != 0) {
        DebugPrintA(request_failed, static_cast<int>(error));
        return error;
    }
    std::copy(buffer.begin(), buffer.begin() + RecordSize, record);
    return 0;
}

}  // namespace

win32::DWORD OpenControlDevice(win32::HANDLE* device) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            *device = win32::CreateFileW(u"\\\\.\\CVNCTL", kDeviceAccess, 0, nullptr,
                                         win32::OPEN_EXISTING, 0, nullptr);
            break;
        case PLATFORM_WIN95:
            *device = win32::CreateFileA("\\\\.\\VCORV", kDeviceAccess, 0, nullptr,
                                         win32::OPEN_EXISTING, 0, nullptr);
            break;
        default:
            *device = nullptr;
            return 0;
    }
    return *device == win32::INVALID_HANDLE_VALUE ? win32::GetLastError() : 0;
}

win32::DWORD CvnMountRequest(MountEntry& entry, win32::DWORD code) {
    int kind = GetPlatformKind();
    if (kind != PLATFORM_NT && kind != PLATFORM_WIN95) {
        return 0;
    }
    win32::HANDLE device;
    if (win32::DWORD error = OpenControlDevice(&device)) {
        DebugReport(u"Open handle for Corvane NT redirector failed (error = %ld)\n",
                    "Open handle for Corvane NT redirector failed (error = %ld)\n",
                    static_cast<int>(error));
        return error;
    }
    win32::UniqueHandle owner(device);
    if (win32::DWORD error = Exchange(device, code, entry.data(), entry.size())) {
        DebugReport(u"FSCTL_SERVER_GETMNT/FSCTL_SERVER_SETMNT failed (error = %ld)\n",
                    "FSCTL_SERVER_GETMNT/FSCTL_SERVER_SETMNT failed (error = %ld)\n",
                    static_cast<int>(error));
        return error;
    }
    return 0;
}

win32::DWORD CvnGetInfo(Statistics& statistics, win32::DWORD code) {
    int kind = GetPlatformKind();
    if (kind != PLATFORM_NT && kind != PLATFORM_WIN95) {
        return 0;
    }
    win32::HANDLE device;
    if (win32::DWORD error = OpenControlDevice(&device)) {
        DebugReport(u"CvnGetInfo: CreateFile failed (error = %ld)\n",
                    "CvnGetInfo: CreateFile failed (error = %ld)\n", static_cast<int>(error));
        return error;
    }
    win32::UniqueHandle owner(device);
    if (win32::DWORD error = Exchange(device, code, statistics.data(), statistics.size())) {
        DebugReport(u"CvnGetInfo: FSCTL_SERVER_GETIDSTAT failed (error = %ld)\n",
                    "CvnGetInfo: FSCTL_SERVER_GETIDSTAT failed (error = %ld)\n",
                    static_cast<int>(error));
        return error;
    }
    return 0;
}

win32::DWORD CvnGetNfsAttr(NfsAttributes& attributes, const char16_t* path) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT: {
            win32::HANDLE file;
            if (win32::DWORD error = OpenFileForAttributes(path, win32::FILE_READ_EA, &file)) {
                DebugPrintW(u"CvnGetNfsAttr: CreateFile failed (error = %ld)\n",
                            static_cast<int>(error));
                return error;
            }
            win32::UniqueHandle owner(file);
            if (win32::DWORD error =
                    Exchange(file, FSCTL_SERVER_GET_NFSATR, attributes.data(), attributes.size())) {
                DebugPrintW(u"CvnGetNfsAttr: FSCTL_SERVER_GET_NFSATR failed (error = %ld)\n",
                            static_cast<int>(error));
                return error;
            }
            return 0;
        }
        case PLATFORM_WIN95:
            return Exchange95<kGetAttributes95Size, nfs_attributes::kSize>(
                attributes.data(), path, kGetAttributes95Path, FSCTL_SERVER_GET_NFSATR_95,
                kDeviceAccess, "CvnGetNfsAttr: CreateFile failed (error = %ld)\n",
                "CvnGetNfsAttr: FSCTL_SERVER_GET_NFSATR failed (err = %ld)\n");
        default:
            return 0;
    }
}

win32::DWORD CvnSetNfsAttr(SetAttributes& attributes, const char16_t* path) {
    switch (GetPlatformKind()) {
        case PLATFORM_NT: {
            win32::HANDLE file;
            if (win32::DWORD error =
                    OpenFileForAttributes(path, win32::FILE_WRITE_ATTRIBUTES, &file)) {
                DebugPrintW(u"CvnSetNfsAttr: CreateFile failed (error = %ld)\n",
                            static_cast<int>(error));
                return error;
            }
            win32::UniqueHandle owner(file);
            if (win32::DWORD error =
                    Exchange(file, FSCTL_SERVER_SET_NFSATR, attributes.data(), attributes.size())) {
                DebugPrintW(u"CvnSetNfsAttr: FSCTL_SERVER_SET_NFSATR failed (error = %ld)\n",
                            static_cast<int>(error));
                return error;
            }
            return 0;
        }
        case PLATFORM_WIN95:
            return Exchange95<kSetAttributes95Size, set_attributes::kSize>(
                attributes.data(), path, kSetAttributes95Path, FSCTL_SERVER_SET_NFSATR_95,
                win32::FILE_WRITE_ATTRIBUTES, "CvnSetNfsAttr: CreateFile failed ( error = %ld )\n",
                "CvnSetNfsAttr: FSCTL_SERVER_SET_NFSATR failed ( error = %ld )\n");
        default:
            return 0;
    }
}

win32::DWORD NextMountEntry(win32::HANDLE device, MountEntry& entry) {
    return Exchange(device, FSCTL_SERVER_NEXT_MOUNT, entry.data(), entry.size());
}

}  // namespace cvn
