#include "platform/ui_script.h"

namespace win32 {

int ScriptedUi::ShowMessageBox(const MessageBoxRequest& request) {
    int answer = DefaultMessageBoxAnswer(request.type);
    if (!box_answers_.empty()) {
        answer = box_answers_.front();
        box_answers_.pop_front();
    }
    message_boxes_.push_back({request.owner, request.caption, request.text, request.type, answer});
    return answer;
}

void ScriptedUi::RunDialog(DialogWindow& window, DialogProcedure& procedure) {
    // Kept by index: the procedure may run dialogs of its own meanwhile,
    // which are recorded after this one.
    const size_t shown = dialogs_.size();
    dialogs_.push_back({window.dialog_template().name, window.title(), window.owner(),
                        window.controls(), window.focus(), 0});
    std::vector<DialogAction> actions;
    if (!dialog_answers_.empty()) {
        actions = std::move(dialog_answers_.front());
        dialog_answers_.pop_front();
    }
    for (const DialogAction& action : actions) {
        if (window.ended()) {
            break;
        }
        switch (action.kind) {
            case DialogAction::Kind::Type:
                // A person cannot type into a disabled control.
                if (window.Enabled(action.control)) {
                    window.SetText(action.control, action.text);
                }
                break;
            case DialogAction::Kind::Check:
                if (window.Enabled(action.control) &&
                    window.Checked(action.control) != action.checked) {
                    window.SetCheck(action.control, action.checked);
                    procedure.OnCommand(window, action.control);
                }
                break;
            case DialogAction::Kind::Click:
                procedure.OnCommand(window, action.control);
                break;
            case DialogAction::Kind::Help:
                procedure.OnHelp(window, action.control);
                break;
        }
    }
    if (!window.ended()) {
        procedure.OnCommand(window, IDCANCEL);
        if (!window.ended()) {
            window.End(0);
        }
    }
    dialogs_[shown].result = window.result();
}

void ScriptedUi::ShowHelp(const std::string& help_file, UINT command, std::uintptr_t data) {
    help_.push_back({help_file, command, data});
}

}  // namespace win32
