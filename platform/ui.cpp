#include "platform/ui.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/codepage.h"
#include "platform/debug_output.h"
#include "platform/host_text.h"
#include "platform/resources.h"
#include "platform/ui_console.h"

namespace win32 {

namespace {

constexpr std::uintptr_t kDesktopWindow = 0x10010;

class SilentUi : public UiBackend {
public:
    int ShowMessageBox(const MessageBoxRequest& request) override {
        return DefaultMessageBoxAnswer(request.type);
    }
    void RunDialog(DialogWindow& window, DialogProcedure& procedure) override {
        procedure.OnCommand(window, IDCANCEL);
        if (!window.ended()) {
            window.End(0);
        }
    }
    void ShowHelp(const std::string&, UINT, std::uintptr_t) override {}
};

std::mutex g_backend_lock;
std::shared_ptr<UiBackend> g_backend;

std::shared_ptr<UiBackend> Backend() {
    std::lock_guard guard(g_backend_lock);
    if (!g_backend) {
        const char* choice = std::getenv("CVN_UI");
        bool console = choice != nullptr && std::strcmp(choice, "console") == 0;
        if (choice == nullptr || *choice == '\0') {
            console = ::isatty(STDIN_FILENO) == 1;
        }
        g_backend = console ? MakeConsoleUi()
                            : std::static_pointer_cast<UiBackend>(std::make_shared<SilentUi>());
    }
    return g_backend;
}

std::u16string CatalogText(HMODULE resources, UINT id) {
    if (id == 0 || resources == nullptr) {
        return {};
    }
    char16_t text[1024];
    int count = LoadStringW(resources, id, text, 1024);
    return std::u16string(text, static_cast<size_t>(count));
}

}  // namespace

void SetUiBackend(std::shared_ptr<UiBackend> backend) {
    std::lock_guard guard(g_backend_lock);
    g_backend = std::move(backend);
}

int DefaultMessageBoxAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK:
            return IDOK;
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDCANCEL;
    }
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    MessageBoxRequest request{owner, text != nullptr ? text : u"",
                              caption != nullptr ? caption : u"Error", type};
    OutputDebugStringW(
        (u"[message box] " + request.caption + u": " + request.text + u"\n").c_str());
    return Backend()->ShowMessageBox(request);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::u16string wide_text = text != nullptr ? AnsiToWide(text) : u"";
    std::u16string wide_caption = caption != nullptr ? AnsiToWide(caption) : u"Error";
    return MessageBoxW(owner, wide_text.c_str(), wide_caption.c_str(), type);
}

HWND GetActiveWindow() {
    return nullptr;
}

HWND GetParent(HWND) {
    return nullptr;
}

HWND GetDesktopWindow() {
    return reinterpret_cast<HWND>(kDesktopWindow);
}

BOOL WinHelpA(HWND, LPCSTR help_file, UINT command, std::uintptr_t data) {
    Backend()->ShowHelp(help_file != nullptr ? help_file : "", command, data);
    return TRUE;
}

DialogWindow::DialogWindow(const DialogTemplate& dialog_template, HMODULE resources, HWND owner)
    : template_(dialog_template),
      owner_(owner),
      title_(CatalogText(resources, dialog_template.title_id)) {
    for (const ControlTemplate& control : dialog_template.controls) {
        ControlState state;
        state.kind = control.kind;
        state.text = CatalogText(resources, control.text_id);
        controls_[control.id] = state;
    }
}

void DialogWindow::SetText(int id, std::u16string_view text) {
    ControlState& control = controls_[id];
    control.text = text;
    if (control.limit != 0 && control.text.size() > control.limit) {
        control.text.resize(control.limit);
    }
}

std::u16string DialogWindow::Text(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? std::u16string() : found->second.text;
}

void DialogWindow::SetLimit(int id, std::size_t characters) {
    controls_[id].limit = characters;
}

void DialogWindow::SetCheck(int id, bool checked) {
    controls_[id].checked = checked;
}

bool DialogWindow::Checked(int id) const {
    auto found = controls_.find(id);
    return found != controls_.end() && found->second.checked;
}

void DialogWindow::Enable(int id, bool enabled) {
    controls_[id].enabled = enabled;
}

bool DialogWindow::Enabled(int id) const {
    auto found = controls_.find(id);
    return found != controls_.end() && found->second.enabled;
}

void DialogWindow::End(INT_PTR result) {
    ended_ = true;
    result_ = result;
}

INT_PTR DialogBoxModel(HMODULE resources, const DialogTemplate& dialog_template, HWND owner,
                       DialogProcedure& procedure) {
    DialogWindow window(dialog_template, resources, owner);
    procedure.OnInit(window);
    if (!window.ended()) {
        OutputDebugStringA((std::string("[dialog] ") + dialog_template.name + "\n").c_str());
        Backend()->RunDialog(window, procedure);
    }
    return window.result();
}

}  // namespace win32
