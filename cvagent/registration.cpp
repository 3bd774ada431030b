#include "cvagent/registration.h"

#include <algorithm>

#include "common/catalog.h"
#include "common/debug_report.h"
#include "common/redirector_codes.h"
#include "platform/codepage.h"
#include "platform/debug_output.h"
#include "platform/device.h"
#include "platform/errors.h"
#include "platform/format.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/modules.h"
#include "platform/resources.h"
#include "platform/winsock.h"

namespace cvagent {

namespace {

namespace rg = cvn::registration;

constexpr win32::UINT kMsgNameSpaceContainer = 156;
constexpr win32::UINT kMsgSubnetContainer = 157;
constexpr int kContainerTextChars = 512;
constexpr int kHostNameBytes = 255;

std::u16string CatalogText(win32::HMODULE catalog, win32::UINT id) {
    char16_t buffer[kContainerTextChars + 1] = {};
    const int length = win32::LoadStringW(catalog, id, buffer, kContainerTextChars + 1);
    return std::u16string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace

cvn::FixedRecord<rg::kSize> BuildRegistration(const std::u16string& computer_name,
                                              const std::u16string& container1,
                                              const std::u16string& container2) {
    cvn::FixedRecord<rg::kSize> record;
    cvn::MountEntry defaults;
    defaults.Initialize();
    std::copy_n(defaults.data(), defaults.size(), record.data());
    // The names are cut to their fields: 32 characters of host, 64 of domain.
    const std::size_t period = computer_name.find(u'.');
    cvn::CopyCountedName(std::u16string_view(computer_name).substr(0, period), record.view(),
                         rg::kHostName);
    cvn::CopyCountedName(period == std::u16string::npos
                             ? std::u16string_view()
                             : std::u16string_view(computer_name).substr(period + 1),
                         record.view(), rg::kDomain);
    cvn::CopyCountedName(container1, record.view(), rg::kContainer1);
    cvn::CopyCountedName(container2, record.view(), rg::kContainer2);
    cvn::CopyCountedName(u"", record.view(), rg::kSentEmpty);
    return record;
}

win32::DWORD RegisterWithRedirector() {
    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\CVNCTL", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) {
        const win32::DWORD error = win32::GetLastError();
        win32::OutputDebugStringA(
            win32::FormatNarrow("error open corv: %d\n", {static_cast<int>(error)})
                .value_or("")
                .c_str());
        return error;
    }
    win32::UniqueHandle owner(device);

    char host_name[kHostNameBytes + 1] = {};
    if (win32::gethostname(host_name, kHostNameBytes) != 0) {
        return static_cast<win32::DWORD>(win32::WSAGetLastError());
    }
    std::u16string container1;
    std::u16string container2;
    if (win32::HMODULE catalog = cvn::LoadMessageCatalog()) {
        container1 = CatalogText(catalog, kMsgNameSpaceContainer);
        container2 = CatalogText(catalog, kMsgSubnetContainer);
        win32::FreeLibrary(catalog);
    } else {
        win32::SetLastError(win32::ERROR_RESOURCE_LANG_NOT_FOUND);
    }
    cvn::FixedRecord<rg::kSize> record =
        BuildRegistration(win32::AnsiToWide(host_name), container1, container2);

    win32::DWORD returned = 0;
    if (!win32::DeviceIoControl(device, cvn::FSCTL_SERVER_HELPER_REGISTER, record.data(), rg::kSize,
                                record.data(), rg::kSize, &returned, nullptr)) {
        const win32::DWORD error = win32::GetLastError();
        win32::OutputDebugStringA(
            win32::FormatNarrow("error = %d, %d\n",
                                {static_cast<int>(error), static_cast<int>(record.status())})
                .value_or("")
                .c_str());
        return error;
    }
    return 0;
}

}  // namespace cvagent
