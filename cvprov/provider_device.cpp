#include "cvprov/provider_device.h"

#include "cvprov/status_table.h"
#include "platform/device.h"
#include "platform/last_error.h"

namespace cvprov {

win32::DWORD Translate(const Outcome& outcome) {
    if (outcome.ok) {
        return 0;
    }
    if (outcome.status == 0) {
        return outcome.error;
    }
    win32::SetLastError(outcome.error);
    return MapRedirectorStatus(outcome.status);
}

win32::DWORD ProviderDevice::Open(Form form) {
    constexpr win32::DWORD kAccess = win32::GENERIC_READ | win32::GENERIC_WRITE;
    win32::HANDLE handle = form == Form::Win95
                               ? win32::CreateFileA("\\\\.\\VCORV", kAccess, 0, nullptr,
                                                    win32::OPEN_EXISTING, 0, nullptr)
                               : win32::CreateFileW(u"\\\\.\\CVNCTL", kAccess, 0, nullptr,
                                                    win32::OPEN_EXISTING, 0, nullptr);
    if (handle == win32::INVALID_HANDLE_VALUE) {
        return win32::GetLastError();
    }
    handle_.Reset(handle);
    return 0;
}

Outcome ProviderDevice::Send(win32::DWORD code, std::uint8_t* record, std::size_t size) {
    win32::DWORD returned = 0;
    Outcome outcome;
    outcome.ok =
        win32::DeviceIoControl(handle_.get(), code, record, static_cast<win32::DWORD>(size), record,
                               static_cast<win32::DWORD>(size), &returned, nullptr) != 0;
    outcome.error = outcome.ok ? 0 : win32::GetLastError();
    outcome.status = static_cast<std::uint16_t>(record[2] | (record[3] << 8));
    return outcome;
}

}  // namespace cvprov
