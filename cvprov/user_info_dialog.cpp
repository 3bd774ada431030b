#include "cvprov/user_info_dialog.h"

#include <cstring>
#include <string>
#include <utility>

#include "cvprov/cvprov.h"
#include "cvprov/provider_state.h"
#include "platform/memory.h"

namespace cvprov {

namespace {

namespace me = cvn::mount_entry;

constexpr char kHelpFile[] = "CORV95.HLP";

// The password passes through a string of its own on its way between the
// record and the dialog; it is wiped before that string is let go.
class PasswordText {
public:
    explicit PasswordText(std::u16string text) : text_(std::move(text)) {}
    ~PasswordText() { win32::SecureZeroMemory(text_.data(), text_.size() * sizeof(char16_t)); }
    PasswordText(const PasswordText&) = delete;
    PasswordText& operator=(const PasswordText&) = delete;
    const std::u16string& text() const { return text_; }

private:
    std::u16string text_;
};

// Control and help context, -1 for none.
constexpr int kHelpTable[] = {1162, -1,   1109, -1,   1059, 3501, 1060,
                              3501, 1061, 3502, 1062, 3502, 0,    0};

const win32::DialogTemplate kUserInfoTemplate{
    "IDD_GET_USERINFO",
    5500,
    {
        {kUserInfoExplanation, win32::ControlKind::Label, 5501},
        {kUserInfoResource, win32::ControlKind::Label, 0},
        {kUserInfoUserLabel, win32::ControlKind::Label, 5502},
        {kUserInfoUser, win32::ControlKind::Edit, 0},
        {kUserInfoPasswordLabel, win32::ControlKind::Label, 5503},
        {kUserInfoPassword, win32::ControlKind::Password, 0},
        {win32::IDOK, win32::ControlKind::Button, 5504},
        {win32::IDCANCEL, win32::ControlKind::Button, 5505},
    },
};

class UserInfoDialog : public win32::DialogProcedure {
public:
    explicit UserInfoDialog(cvn::MountEntry* entry) : entry_(entry) {}

    void OnInit(win32::DialogWindow& window) override {
        if (entry_ == nullptr) {
            window.End(0);
            return;
        }
        std::u16string path = entry_->Text(me::kPath);
        if (path.empty()) {
            path = entry_->Text(me::kRoot);
        }
        window.SetText(kUserInfoResource, u"\\\\" + entry_->Text(me::kHost) + u"\\" + path);
        window.SetLimit(kUserInfoUser, me::kUserName.capacity);
        window.SetText(kUserInfoUser, entry_->Text(me::kUserName));
        window.SetLimit(kUserInfoPassword, me::kPassword.capacity);
        window.SetText(kUserInfoPassword, PasswordText(entry_->Text(me::kPassword)).text());
        window.SetFocus(kUserInfoUser);
    }

    void OnCommand(win32::DialogWindow& window, int control) override {
        if (control == win32::IDOK) {
            entry_->SetText(me::kUserName, window.Text(kUserInfoUser));
            entry_->SetText(me::kPassword, PasswordText(window.Text(kUserInfoPassword)).text());
            window.End(1);
        } else if (control == win32::IDCANCEL) {
            window.End(0);
        }
    }

    void OnHelp(win32::DialogWindow& window, int) override {
        win32::WinHelpA(window.handle(), kHelpFile, win32::HELP_WM_HELP,
                        reinterpret_cast<std::uintptr_t>(kHelpTable));
    }

private:
    cvn::MountEntry* entry_;
};

}  // namespace

int PromptForUserInfoDialog(win32::HWND owner, cvn::MountEntry* entry) {
    UserInfoDialog dialog(entry);
    return static_cast<int>(
        win32::DialogBoxModel(State().catalog, kUserInfoTemplate, owner, dialog));
}

}  // namespace cvprov

extern "C" CVPROV_API int32_t WINAPI PromptForUserInfo(void* owner, API_SESS_PARAM* record) {
    if (record == nullptr) {
        return cvprov::PromptForUserInfoDialog(static_cast<win32::HWND>(owner), nullptr);
    }
    cvn::MountEntry entry;
    std::memcpy(entry.data(), record->bytes, entry.size());
    int result = cvprov::PromptForUserInfoDialog(static_cast<win32::HWND>(owner), &entry);
    if (result != 0) {
        std::memcpy(record->bytes, entry.data(), entry.size());
    }
    // The copy held the password: it goes before the memory is let go.
    entry.WipePassword();
    return result;
}
