// A user interface for tests: the user's answers are queued beforehand and
// everything shown is kept for the test to read.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace win32 {

struct DialogAction {
    enum class Kind { Type, Check, Click, Help } kind;
    int control;
    std::u16string text;   // Type
    bool checked = false;  // Check

    static DialogAction Type(int control, std::u16string text) {
        return {Kind::Type, control, std::move(text)};
    }
    static DialogAction Check(int control, bool checked) {
        return {Kind::Check, control, u"", checked};
    }
    static DialogAction Click(int control) { return {Kind::Click, control, u""}; }
    static DialogAction Help(int control) { return {Kind::Help, control, u""}; }
};

struct ShownMessageBox {
    HWND owner;
    std::u16string caption;
    std::u16string text;
    UINT type;
    int answer;
};

struct ShownDialog {
    std::string name;
    std::u16string title;
    HWND owner;
    std::map<int, ControlState> after_init;  // the controls as the user first saw them
    int focus;
    INT_PTR result;
};

struct ShownHelp {
    std::string file;
    UINT command;
    std::uintptr_t data;
};

class ScriptedUi : public UiBackend {
public:
    // The next box is answered with `answer`; a box with no answer queued
    // gets its default (DefaultMessageBoxAnswer).
    void AnswerMessageBox(int answer) { box_answers_.push_back(answer); }
    // The next dialog gets these actions, in order; a dialog whose actions
    // run out before it ends is cancelled.
    void AnswerDialog(std::vector<DialogAction> actions) {
        dialog_answers_.push_back(std::move(actions));
    }

    const std::vector<ShownMessageBox>& message_boxes() const { return message_boxes_; }
    const std::vector<ShownDialog>& dialogs() const { return dialogs_; }
    const std::vector<ShownHelp>& help() const { return help_; }

    int ShowMessageBox(const MessageBoxRequest& request) override;
    void RunDialog(DialogWindow& window, DialogProcedure& procedure) override;
    void ShowHelp(const std::string& help_file, UINT command, std::uintptr_t data) override;

private:
    std::deque<int> box_answers_;
    std::deque<std::vector<DialogAction>> dialog_answers_;
    std::vector<ShownMessageBox> message_boxes_;
    std::vector<ShownDialog> dialogs_;
    std::vector<ShownHelp> help_;
};

// Installs a scripted interface for the life of the object.
class ScopedScriptedUi {
public:
    ScopedScriptedUi() : ui_(std::make_shared<ScriptedUi>()) { SetUiBackend(ui_); }
    ~ScopedScriptedUi() { SetUiBackend(nullptr); }
    ScriptedUi* operator->() { return ui_.get(); }
    ScriptedUi& operator*() { return *ui_; }

private:
    std::shared_ptr<ScriptedUi> ui_;
};

}  // namespace win32
