#include "cvprov/provider_state.h"

#include <mutex>

#include "common/catalog.h"
#include "common/platform_kind.h"
#include "common/records.h"
#include "common/redirector_codes.h"
#include "cvprov/message_boxes.h"
#include "cvprov/provider_device.h"
#include "cvprov/upgrade.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/format.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/modules.h"
#include "platform/process.h"
#include "platform/resources.h"
#include "platform/synch.h"
#include "platform/winsock.h"

namespace cvprov {

namespace {

constexpr std::size_t kProbeSize = cvn::helper_request::kBasicSize;

// NOT YET BUILT: the 16-bit companion of the network setup joins the
// library only where Windows 95's setup calls it; until it is built, there
// is no companion to connect and nothing can fail here.
bool ConnectSetupCompanion() {
    return true;
}

void StartHelper() {
    win32::STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    win32::PROCESS_INFORMATION process{};
    char command[] = "cvagent.exe";
    if (!win32::CreateProcessA(nullptr, command, nullptr, nullptr, win32::FALSE,
                               win32::DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
        WideBox(kMsgHelperNotStarted, {});
        return;
    }
    win32::CloseHandle(process.hThread);
    win32::CloseHandle(process.hProcess);
}

// Asks the redirector whether the helper is wanted: a device that cannot be
// opened, or a request that succeeds, starts it.
void ProbeRedirector() {
    ProviderDevice device;
    if (device.Open(Form::Win95) != 0) {
        StartHelper();
        return;
    }
    std::uint8_t record[kProbeSize] = {};
    win32::ByteView view(record, sizeof record);
    cvn::InitializeHeader(view);
    view.SetU16(8, 1);
    view.SetU16(10, 1);
    if (device.Send(cvn::FSCTL_SERVER_HELPER_EXCHANGE, record, sizeof record).ok) {
        StartHelper();
    }
}

void StartEnumeration(ProviderState& state) {
    state.enumeration_semaphore = win32::CreateSemaphoreA(nullptr, 1, 1, nullptr);
    if (state.enumeration_semaphore == nullptr) {
        NarrowBox("idCreateSemaphore() failed, last error = %ld\n",
                  static_cast<long>(win32::GetLastError()));
        state.enumeration_start = -1;
        return;
    }
    win32::WSADATA data;
    if (win32::WSAStartup(win32::MakeWord(1, 1), &data) != 0) {
        state.enumeration_start = -1;
        return;
    }
    state.winsock_started = true;
    ProbeRedirector();
    state.enumeration_start = 1;
}

void StartPrinting(ProviderState& state) {
    state.printer_semaphore = win32::CreateSemaphoreA(nullptr, 1, 1, nullptr);
    state.job_semaphore = win32::CreateSemaphoreA(nullptr, 1, 1, nullptr);
    state.print_start =
        state.printer_semaphore != nullptr && state.job_semaphore != nullptr ? 1 : -1;
    std::u16string format = Message(kMsgCaptionFormat);
    state.caption = win32::FormatWide(format, {kProviderName}).value_or(format);
}

}  // namespace

ProviderState& State() {
    static ProviderState state;
    return state;
}

bool ProcessAttach(win32::HINSTANCE module) {
    ProviderState& state = State();
    if (!ConnectSetupCompanion()) {
        return false;
    }
    state.catalog = cvn::LoadMessageCatalog();
    if (state.catalog == nullptr) {
        win32::SetLastError(win32::ERROR_RESOURCE_LANG_NOT_FOUND);
        return false;
    }
    if (state.enumeration_start == 0) {
        StartEnumeration(state);
    }
    StartPrinting(state);
    state.module = module;
    if (HasMessage(kMsgCaption)) {
        state.caption = Message(kMsgCaption);
    }
    state.name_space_container = Message(kMsgNameSpaceContainer);
    state.subnet_container = Message(kMsgSubnetContainer);
    state.subnet_comment = Message(kMsgSubnetComment);
    state.name_space_comment = Message(kMsgNameSpaceComment);
    state.upgrade_pending = true;
    return true;
}

void ProcessDetach() {
    ProviderState& state = State();
    if (state.winsock_started) {
        win32::WSACleanup();
    }
    for (win32::HANDLE* semaphore :
         {&state.enumeration_semaphore, &state.printer_semaphore, &state.job_semaphore}) {
        if (*semaphore != nullptr) {
            win32::CloseHandle(*semaphore);
        }
    }
    if (state.catalog != nullptr) {
        win32::FreeLibrary(state.catalog);
    }
    state = ProviderState{};
}

void RunPendingUpgrade() {
    ProviderState& state = State();
    if (state.upgrade_pending) {
        state.upgrade_pending = false;
        RunUpgradePass(&state.upgrade_requested);
    }
}

unsigned MaximumCharacterSize() {
    static const unsigned size = [] {
        win32::CPINFO info;
        return win32::GetCPInfo(win32::CP_ACP, &info) ? info.MaxCharSize : 1u;
    }();
    return size;
}

std::u16string Message(win32::UINT id) {
    win32::HMODULE catalog = State().catalog;
    if (catalog == nullptr) {
        return {};
    }
    if (cvn::GetPlatformKind() == cvn::PLATFORM_WIN95) {
        char text[1024];
        int count = win32::LoadStringA(catalog, id, text, sizeof text);
        return win32::AnsiToWide(std::string_view(text, static_cast<size_t>(count)));
    }
    char16_t text[1024];
    int count = win32::LoadStringW(catalog, id, text, 1024);
    return std::u16string(text, static_cast<size_t>(count));
}

bool HasMessage(win32::UINT id) {
    return !Message(id).empty();
}

}  // namespace cvprov
