// The user interface the system shows: message boxes, modal dialogs and help.
//
// There is no window system on the host. A dialog is written as the
// system's dialog procedure in model form (DialogProcedure: initialisation
// and commands, working on the dialog's controls through DialogWindow) and
// run by a backend:
//   - the console backend serves a person at a terminal: message boxes and
//     dialogs are shown on standard error and answered on standard input;
//   - the silent backend answers every box with its default and cancels
//     every dialog, for programs run without a terminal;
//   - a scripted backend (ui_script.h) lets tests queue the user's answers
//     and read what was shown.
// CVN_UI=console|none chooses; by default the console backend is used when
// standard input is a terminal, else the silent one. What any backend shows
// is also written to the debugger output.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace win32 {

struct WindowTag;
using HWND = WindowTag*;
using INT_PTR = std::intptr_t;

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_RETRYCANCEL = 0x5;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_SETFOREGROUND = 0x10000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDHELP = 9;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The host has no windows: there is never an active window, and the
// desktop window is a fixed handle.
HWND GetActiveWindow();
HWND GetParent(HWND window);
HWND GetDesktopWindow();

inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_CONTEXTMENU = 0x000A;
inline constexpr UINT HELP_WM_HELP = 0x000C;

// Help requests are shown to the backend (there is no help viewer).
BOOL WinHelpA(HWND window, LPCSTR help_file, UINT command, std::uintptr_t data);

enum class ControlKind { Label, Edit, Password, CheckBox, Button };

struct ControlTemplate {
    int id;
    ControlKind kind;
    UINT text_id;  // catalog text of a label, check box or button; 0 for none
};

struct DialogTemplate {
    const char* name;  // the template's resource name, such as "IDD_GET_USERINFO"
    UINT title_id;     // catalog text of the title
    std::vector<ControlTemplate> controls;
};

struct ControlState {
    ControlKind kind = ControlKind::Label;
    std::u16string text;
    bool checked = false;
    bool enabled = true;
    std::size_t limit = 0;  // characters an edit takes; 0: no limit
};

// The controls of one running dialog, as the dialog procedure sees them.
class DialogWindow {
public:
    DialogWindow(const DialogTemplate& dialog_template, HMODULE resources, HWND owner);

    void SetText(int id, std::u16string_view text);
    std::u16string Text(int id) const;
    void SetLimit(int id, std::size_t characters);
    void SetCheck(int id, bool checked);
    bool Checked(int id) const;
    void Enable(int id, bool enabled);
    bool Enabled(int id) const;
    void SetFocus(int id) { focus_ = id; }
    int focus() const { return focus_; }
    void End(INT_PTR result);

    bool ended() const { return ended_; }
    INT_PTR result() const { return result_; }
    HWND handle() const { return reinterpret_cast<HWND>(const_cast<DialogWindow*>(this)); }
    HWND owner() const { return owner_; }
    const DialogTemplate& dialog_template() const { return template_; }
    const std::u16string& title() const { return title_; }
    const std::map<int, ControlState>& controls() const { return controls_; }

private:
    const DialogTemplate& template_;
    HWND owner_;
    std::u16string title_;
    std::map<int, ControlState> controls_;
    int focus_ = 0;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

class DialogProcedure {
public:
    virtual ~DialogProcedure() = default;
    // The dialog's initialisation; it may end the dialog at once.
    virtual void OnInit(DialogWindow& window) = 0;
    // A button (IDOK, IDCANCEL, ...) or check box was clicked.
    virtual void OnCommand(DialogWindow& window, int control_id) = 0;
    // The user asked for help on a control.
    virtual void OnHelp(DialogWindow&, int) {}
};

// Runs a modal dialog and returns what it ended with. Texts of the template
// come from `resources` (a message library).
INT_PTR DialogBoxModel(HMODULE resources, const DialogTemplate& dialog_template, HWND owner,
                       DialogProcedure& procedure);

struct MessageBoxRequest {
    HWND owner;
    std::u16string text;
    std::u16string caption;
    UINT type;
};

class UiBackend {
public:
    virtual ~UiBackend() = default;
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
    virtual void RunDialog(DialogWindow& window, DialogProcedure& procedure) = 0;
    virtual void ShowHelp(const std::string& help_file, UINT command, std::uintptr_t data) = 0;
};

// Null returns to the backend the environment chooses.
void SetUiBackend(std::shared_ptr<UiBackend> backend);

// The answer a box gives when nobody is there to answer it: OK for a box
// with one button, else its cancelling button (Cancel or No).
int DefaultMessageBoxAnswer(UINT type);

}  // namespace win32
