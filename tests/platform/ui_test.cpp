// The user interface: message boxes and the dialog model, run by the
// scripted backend (answers queued, everything shown kept), the silent one
// (defaults and cancel) and the console one (standard error and input).
#include "platform/ui.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/crt_stdio.h"
#include "platform/host_text.h"
#include "platform/modules.h"
#include "platform/ui_console.h"
#include "platform/ui_script.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using win32::DialogAction;
using win32::IDCANCEL;
using win32::IDOK;

constexpr int kNote = 10;
constexpr int kUserLabel = 11;
constexpr int kName = 12;
constexpr int kSecretLabel = 13;
constexpr int kSecret = 14;
constexpr int kRemember = 15;
constexpr int kNested = 16;
constexpr win32::UINT kUsageText = 124;  // "Usage:" in the English catalog

const win32::DialogTemplate kLogon{"IDD_TEST_LOGON",
                                   kUsageText,
                                   {
                                       {kNote, win32::ControlKind::Label, 0},
                                       {kUserLabel, win32::ControlKind::Label, 0},
                                       {kName, win32::ControlKind::Edit, 0},
                                       {kSecretLabel, win32::ControlKind::Label, 0},
                                       {kSecret, win32::ControlKind::Password, 0},
                                       {kRemember, win32::ControlKind::CheckBox, 0},
                                       {IDOK, win32::ControlKind::Button, 0},
                                       {IDCANCEL, win32::ControlKind::Button, 0},
                                   }};

const win32::HWND kOwner = reinterpret_cast<win32::HWND>(0x4242);

// A logon dialog: the password can be typed only once "remember" is checked
// (unless it starts enabled); OK ends with 1, Cancel with 2 (unless the
// dialog ignores it). It keeps every command it heard of.
struct LogonDialog : win32::DialogProcedure {
    bool end_at_init = false;
    bool ends_on_cancel = true;
    bool secret_enabled = false;

    std::vector<int> commands;
    std::vector<int> helps;
    std::u16string name_at_ok;
    std::u16string secret_at_ok;

    void OnInit(win32::DialogWindow& window) override {
        window.SetText(kNote, u"Connect to \\\\alpha\\pub");
        window.SetText(kUserLabel, u"User:");
        window.SetText(kSecretLabel, u"Password:");
        window.SetText(kRemember, u"Remember");
        window.SetLimit(kName, 8);
        window.SetText(kName, u"guest");
        window.Enable(kSecret, secret_enabled);
        window.SetFocus(kName);
        if (end_at_init) {
            window.End(5);
        }
    }
    void OnCommand(win32::DialogWindow& window, int control) override {
        commands.push_back(control);
        if (control == kRemember) {
            window.Enable(kSecret, window.Checked(kRemember));
        } else if (control == IDOK) {
            name_at_ok = window.Text(kName);
            secret_at_ok = window.Text(kSecret);
            window.End(1);
        } else if (control == IDCANCEL && ends_on_cancel) {
            window.End(2);
        }
    }
    void OnHelp(win32::DialogWindow& window, int control) override {
        helps.push_back(control);
        win32::WinHelpA(window.handle(), "TEST.HLP", win32::HELP_CONTEXT,
                        static_cast<std::uintptr_t>(control));
    }
};

std::string Catalog() {
    return std::string(CVN_BIN_DIR) + "/cvn3_enu.lrl";
}

// Owns a module loaded by its full path.
struct LoadedModule {
    win32::HMODULE module = win32::LoadLibraryA(Catalog().c_str());
    ~LoadedModule() {
        if (module != nullptr) {
            win32::FreeLibrary(module);
        }
    }
};

TEST(DefaultMessageBoxAnswer, EveryBoxType) {
    const struct {
        win32::UINT type;
        int answer;
    } cases[] = {
        {win32::MB_OK, win32::IDOK},
        {win32::MB_OKCANCEL, win32::IDCANCEL},
        {win32::MB_ABORTRETRYIGNORE, win32::IDABORT},
        {win32::MB_YESNOCANCEL, win32::IDCANCEL},
        {win32::MB_YESNO, win32::IDNO},
        {win32::MB_RETRYCANCEL, win32::IDCANCEL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::DefaultMessageBoxAnswer(c.type), c.answer) << c.type;
        // Icons and the foreground flag do not change the buttons.
        for (win32::UINT extra :
             {win32::MB_ICONHAND, win32::MB_ICONQUESTION,
              win32::MB_ICONEXCLAMATION | win32::MB_SETFOREGROUND, win32::MB_ICONASTERISK}) {
            EXPECT_EQ(win32::DefaultMessageBoxAnswer(c.type | extra), c.answer)
                << c.type << " " << extra;
        }
    }
}

TEST(DialogWindow, TextsLimitsAndUnknownControls) {
    LoadedModule catalog;
    ASSERT_NE(catalog.module, nullptr);
    const win32::DialogTemplate with_texts{"IDD_TEXTS",
                                           kUsageText,
                                           {{kNote, win32::ControlKind::Label, kUsageText},
                                            {kName, win32::ControlKind::Edit, 0},
                                            {kRemember, win32::ControlKind::CheckBox, 99999}}};
    win32::DialogWindow window(with_texts, catalog.module, kOwner);
    EXPECT_EQ(window.title(), u"Usage:");
    EXPECT_EQ(window.owner(), kOwner);
    ASSERT_EQ(window.controls().size(), 3u);
    EXPECT_EQ(window.Text(kNote), u"Usage:");
    EXPECT_EQ(window.Text(kRemember), u"") << "a text the catalog lacks is empty";
    EXPECT_EQ(window.controls().at(kName).kind, win32::ControlKind::Edit);
    EXPECT_TRUE(window.Enabled(kName));
    EXPECT_FALSE(window.Checked(kRemember));
    EXPECT_FALSE(window.ended());

    // An edit takes no more than its limit; 0 is no limit; a limit set later
    // leaves the text it has.
    window.SetLimit(kName, 3);
    window.SetText(kName, u"abcdef");
    EXPECT_EQ(window.Text(kName), u"abc");
    window.SetText(kName, u"ab");
    EXPECT_EQ(window.Text(kName), u"ab");
    window.SetLimit(kName, 0);
    window.SetText(kName, u"abcdef");
    EXPECT_EQ(window.Text(kName), u"abcdef");
    window.SetLimit(kName, 2);
    EXPECT_EQ(window.Text(kName), u"abcdef");

    // Controls the template does not have.
    EXPECT_EQ(window.Text(77), u"");
    EXPECT_FALSE(window.Checked(77));
    EXPECT_FALSE(window.Enabled(77));

    window.End(-3);
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(window.result(), -3);

    // Without a message library there are no texts.
    win32::DialogWindow bare(with_texts, nullptr, nullptr);
    EXPECT_EQ(bare.title(), u"");
    EXPECT_EQ(bare.Text(kNote), u"");
}

TEST(ScriptedUi, MessageBoxesAreRecordedAndAnsweredInOrder) {
    win32::ScopedScriptedUi ui;
    ui->AnswerMessageBox(win32::IDRETRY);
    ui->AnswerMessageBox(win32::IDYES);
    EXPECT_EQ(win32::MessageBoxW(kOwner, u"first", u"Title",
                                 win32::MB_RETRYCANCEL | win32::MB_ICONWARNING),
              win32::IDRETRY);
    EXPECT_EQ(win32::MessageBoxA(nullptr, "caf\xE9", "Caption", win32::MB_YESNO), win32::IDYES);
    // The answers ran out: the default, and the platform's texts for none.
    EXPECT_EQ(win32::MessageBoxA(nullptr, nullptr, nullptr, win32::MB_YESNOCANCEL), IDCANCEL);

    const std::vector<win32::ShownMessageBox>& boxes = ui->message_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].owner, kOwner);
    EXPECT_EQ(boxes[0].caption, u"Title");
    EXPECT_EQ(boxes[0].text, u"first");
    EXPECT_EQ(boxes[0].type, win32::MB_RETRYCANCEL | win32::MB_ICONWARNING);
    EXPECT_EQ(boxes[0].answer, win32::IDRETRY);
    EXPECT_EQ(boxes[1].caption, u"Caption");
    EXPECT_EQ(boxes[1].text, u"caf\u00E9");
    EXPECT_EQ(boxes[1].answer, win32::IDYES);
    EXPECT_EQ(boxes[2].caption, u"Error");
    EXPECT_EQ(boxes[2].text, u"");
    EXPECT_EQ(boxes[2].answer, IDCANCEL);
}

struct Script {
    const char* name;
    std::vector<DialogAction> actions;
    bool ends_on_cancel;
    std::vector<int> commands;  // what the procedure heard, in order
    std::u16string name_at_ok;
    std::u16string secret_at_ok;
    win32::INT_PTR result;
    friend void PrintTo(const Script& s, std::ostream* os) { *os << s.name; }
};

class ScriptedDialog : public ::testing::TestWithParam<Script> {};

TEST_P(ScriptedDialog, ActionsApplyInOrder) {
    const Script& script = GetParam();
    win32::ScopedScriptedUi ui;
    ui->AnswerDialog(script.actions);
    LogonDialog dialog;
    dialog.ends_on_cancel = script.ends_on_cancel;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, kLogon, kOwner, dialog), script.result);
    EXPECT_EQ(dialog.commands, script.commands);
    EXPECT_EQ(dialog.name_at_ok, script.name_at_ok);
    EXPECT_EQ(dialog.secret_at_ok, script.secret_at_ok);

    ASSERT_EQ(ui->dialogs().size(), 1u);
    const win32::ShownDialog& shown = ui->dialogs()[0];
    EXPECT_EQ(shown.name, "IDD_TEST_LOGON");
    EXPECT_EQ(shown.owner, kOwner);
    EXPECT_EQ(shown.focus, kName);
    EXPECT_EQ(shown.result, script.result);
    // As the user first saw it, whatever was typed later.
    EXPECT_EQ(shown.after_init.at(kName).text, u"guest");
    EXPECT_FALSE(shown.after_init.at(kSecret).enabled);
    EXPECT_FALSE(shown.after_init.at(kRemember).checked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptedDialog,
    ::testing::Values(
        Script{"InOrder",
               {DialogAction::Type(kSecret, u"early"), DialogAction::Type(kName, u"alice"),
                DialogAction::Check(kRemember, true), DialogAction::Type(kSecret, u"pw"),
                DialogAction::Click(IDOK), DialogAction::Type(kName, u"late")},
               true,
               {kRemember, IDOK},
               u"alice",
               u"pw",
               1},
        Script{"DisabledControlTakesNoTyping",
               {DialogAction::Type(kSecret, u"pw"), DialogAction::Click(IDOK)},
               true,
               {IDOK},
               u"guest",
               u"",
               1},
        Script{"CheckToTheStateItHasIsNoClick",
               {DialogAction::Check(kRemember, false), DialogAction::Click(IDOK)},
               true,
               {IDOK},
               u"guest",
               u"",
               1},
        Script{"CheckAndUncheck",
               {DialogAction::Check(kRemember, true), DialogAction::Check(kRemember, false),
                DialogAction::Type(kSecret, u"pw"), DialogAction::Click(IDOK)},
               true,
               {kRemember, kRemember, IDOK},
               u"guest",
               u"",
               1},
        Script{"TypingStopsAtTheLimit",
               {DialogAction::Type(kName, u"abcdefghij"), DialogAction::Click(IDOK)},
               true,
               {IDOK},
               u"abcdefgh",
               u"",
               1},
        Script{"ControlsTheDialogLacks",
               {DialogAction::Type(99, u"x"), DialogAction::Check(98, true),
                DialogAction::Click(IDOK)},
               true,
               {IDOK},
               u"guest",
               u"",
               1},
        Script{"ActionsRunOutAndCancel",
               {DialogAction::Type(kName, u"bob")},
               true,
               {IDCANCEL},
               u"",
               u"",
               2},
        Script{"NoActionsCancelAtOnce", {}, true, {IDCANCEL}, u"", u"", 2},
        Script{"NothingAfterTheEnd",
               {DialogAction::Click(IDCANCEL), DialogAction::Click(IDOK)},
               true,
               {IDCANCEL},
               u"",
               u"",
               2},
        Script{"CancelIgnoredEndsWithZero", {}, false, {IDCANCEL}, u"", u"", 0},
        Script{"ClickTheDialogIgnoresThenRunOut",
               {DialogAction::Click(IDCANCEL), DialogAction::Click(kNote)},
               false,
               {IDCANCEL, kNote, IDCANCEL},
               u"",
               u"",
               0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptedUi, HelpIsAskedOfTheProcedureAndShown) {
    win32::ScopedScriptedUi ui;
    ui->AnswerDialog({DialogAction::Help(kName), DialogAction::Click(IDOK)});
    LogonDialog dialog;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, kLogon, kOwner, dialog), 1);
    EXPECT_EQ(dialog.helps, std::vector<int>{kName});
    ASSERT_EQ(ui->help().size(), 1u);
    EXPECT_EQ(ui->help()[0].file, "TEST.HLP");
    EXPECT_EQ(ui->help()[0].command, win32::HELP_CONTEXT);
    EXPECT_EQ(ui->help()[0].data, static_cast<std::uintptr_t>(kName));
}

TEST(ScriptedUi, DialogEndedAtInitIsNeverShown) {
    win32::ScopedScriptedUi ui;
    ui->AnswerDialog({DialogAction::Type(kName, u"kept"), DialogAction::Click(IDOK)});
    LogonDialog ended;
    ended.end_at_init = true;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, kLogon, kOwner, ended), 5);
    EXPECT_TRUE(ended.commands.empty());
    EXPECT_TRUE(ui->dialogs().empty());
    // The answers wait for the dialog the user does see.
    LogonDialog shown;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, kLogon, kOwner, shown), 1);
    EXPECT_EQ(shown.name_at_ok, u"kept");
}

// A dialog whose button opens another dialog, owned by it.
struct OuterDialog : win32::DialogProcedure {
    win32::INT_PTR inner_result = -1;
    void OnInit(win32::DialogWindow&) override {}
    void OnCommand(win32::DialogWindow& window, int control) override {
        if (control == kNested) {
            LogonDialog inner;
            inner_result = win32::DialogBoxModel(nullptr, kLogon, window.handle(), inner);
        } else if (control == IDOK) {
            window.End(7);
        }
    }
};

TEST(ScriptedUi, NestedDialogsKeepTheirOwnResults) {
    const win32::DialogTemplate outer_template{
        "IDD_TEST_OUTER", 0, {{kNested, win32::ControlKind::Button, 0}}};
    win32::ScopedScriptedUi ui;
    ui->AnswerDialog({DialogAction::Click(kNested), DialogAction::Click(IDOK)});
    ui->AnswerDialog({DialogAction::Click(IDCANCEL)});
    OuterDialog outer;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, outer_template, kOwner, outer), 7);
    EXPECT_EQ(outer.inner_result, 2);
    ASSERT_EQ(ui->dialogs().size(), 2u);
    EXPECT_EQ(ui->dialogs()[0].name, "IDD_TEST_OUTER");
    EXPECT_EQ(ui->dialogs()[0].result, 7);
    EXPECT_EQ(ui->dialogs()[1].name, "IDD_TEST_LOGON");
    EXPECT_EQ(ui->dialogs()[1].result, 2);
    EXPECT_NE(ui->dialogs()[1].owner, nullptr);
    EXPECT_NE(ui->dialogs()[1].owner, kOwner);
}

TEST(ScriptedUi, WhatIsShownGoesToTheDebuggerOutput) {
    cvn_test::TempDir dir;
    cvn_test::ScopedEnv log("CVN_DEBUG_LOG", dir / "debug.log");
    win32::ScopedScriptedUi ui;
    win32::MessageBoxW(nullptr, u"Disk \u00E9tait full", u"cvlink", win32::MB_OK);
    LogonDialog ended;
    ended.end_at_init = true;
    win32::DialogBoxModel(nullptr, kLogon, nullptr, ended);
    LogonDialog shown;
    win32::DialogBoxModel(nullptr, kLogon, nullptr, shown);
    EXPECT_EQ(cvn_test::ReadFile(dir / "debug.log"),
              "[message box] cvlink: Disk \xC3\xA9tait full\n[dialog] IDD_TEST_LOGON\n");
}

// The backend the environment chooses, for the life of the object.
class EnvironmentUi {
public:
    explicit EnvironmentUi(const char* choice) : env_("CVN_UI", choice) {
        win32::SetUiBackend(nullptr);
    }
    ~EnvironmentUi() { win32::SetUiBackend(nullptr); }

private:
    cvn_test::ScopedEnv env_;
};

TEST(SilentUi, AnswersDefaultsAndCancelsDialogs) {
    EnvironmentUi silent("none");
    for (win32::UINT type : {win32::MB_OK, win32::MB_OKCANCEL, win32::MB_ABORTRETRYIGNORE,
                             win32::MB_YESNOCANCEL, win32::MB_YESNO, win32::MB_RETRYCANCEL}) {
        EXPECT_EQ(win32::MessageBoxW(nullptr, u"text", u"caption", type),
                  win32::DefaultMessageBoxAnswer(type))
            << type;
    }
    LogonDialog cancels;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, kLogon, kOwner, cancels), 2);
    EXPECT_EQ(cancels.commands, std::vector<int>{IDCANCEL});
    LogonDialog ignores;
    ignores.ends_on_cancel = false;
    EXPECT_EQ(win32::DialogBoxModel(nullptr, kLogon, kOwner, ignores), 0);
    EXPECT_EQ(ignores.commands, std::vector<int>{IDCANCEL});
    EXPECT_EQ(win32::WinHelpA(nullptr, "TEST.HLP", win32::HELP_CONTEXT, 1), win32::TRUE);
}

// The console backend in a child whose standard input is a pipe carrying
// `input` and whose standard error is kept: what the child reported, and
// every byte it wrote to standard error.
struct ConsoleRun {
    bool ended = false;
    std::string report;
    std::string err;
};

ConsoleRun OnConsole(const std::string& input, const std::function<std::string()>& body) {
    ConsoleRun run;
    cvn_test::TempDir dir;
    const std::string err_path = dir / "err";
    int in[2];
    int out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) {
        return run;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::close(in[0]);
        ::close(in[1]);
        ::close(out[0]);
        int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || ::dup2(err, STDERR_FILENO) < 0) {
            ::_exit(3);
        }
        ::close(err);
        // A prompt that spins writes without end: the file's limit stops it.
        rlimit limit{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        win32::SetUiBackend(win32::MakeConsoleUi());
        std::string report = body();
        win32::crt::Stream::Err().Flush();
        ssize_t written = ::write(out[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(in[0]);
    ::close(out[1]);
    ssize_t sent = ::write(in[1], input.data(), input.size());
    ::close(in[1]);
    // A prompt that spins instead of ending would hang the test: the child
    // gets a generous while, then it is stopped and the test fails.
    char buffer[256];
    for (;;) {
        pollfd ready{out[0], POLLIN, 0};
        if (::poll(&ready, 1, 30000) <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        run.report.append(buffer, static_cast<size_t>(got));
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.ended =
        sent == static_cast<ssize_t>(input.size()) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.err = cvn_test::FileExists(err_path) ? cvn_test::ReadFile(err_path) : "";
    return run;
}

TEST(ConsoleUi, MessageBoxAsksUntilAnswered) {
    ConsoleRun run = OnConsole("x\nyes\nY\n", [] {
        return std::to_string(
            win32::MessageBoxW(nullptr, u"Replace the connection?", u"cvlink", win32::MB_YESNO));
    });
    ASSERT_TRUE(run.ended) << run.err;
    EXPECT_EQ(run.report, "6");
    EXPECT_EQ(run.err,
              "\n== cvlink ==\nReplace the connection?\n"
              "[y Yes / n No] x\n"
              "[y Yes / n No] yes\n"
              "[y Yes / n No] Y\n");
}

TEST(ConsoleUi, OneButtonBoxTakesEnterAndHelpIsDeclined) {
    ConsoleRun run = OnConsole("\n", [] {
        std::string report =
            std::to_string(win32::MessageBoxA(nullptr, "Done.", "Caf\xE9", win32::MB_OK));
        win32::WinHelpA(nullptr, "CORV95.HLP", win32::HELP_CONTEXT, 3);
        return report;
    });
    ASSERT_TRUE(run.ended) << run.err;
    EXPECT_EQ(run.report, "1");
    EXPECT_EQ(run.err,
              "\n== Caf\xC3\xA9 ==\nDone.\n[o OK] \n(No help is available here: CORV95.HLP)\n");
}

TEST(ConsoleUi, BoxWhoseInputEndsTakesItsDefault) {
    const struct {
        win32::UINT type;
        std::string input;
        int answer;
        std::string prompts;
    } cases[] = {
        {win32::MB_YESNOCANCEL, "", IDCANCEL, "[y Yes / n No / c Cancel] \n"},
        {win32::MB_YESNO, "maybe", win32::IDNO, "[y Yes / n No] maybe\n"},
        {win32::MB_ABORTRETRYIGNORE, "q\n", win32::IDABORT,
         "[a Abort / r Retry / i Ignore] q\n[a Abort / r Retry / i Ignore] \n"},
        {win32::MB_OKCANCEL, "o", IDOK, "[o OK / c Cancel] o\n"},
    };
    for (const auto& c : cases) {
        ConsoleRun run = OnConsole(c.input, [&] {
            return std::to_string(win32::MessageBoxW(nullptr, u"T", u"C", c.type));
        });
        ASSERT_TRUE(run.ended) << c.type << ": " << run.err;
        EXPECT_EQ(run.report, std::to_string(c.answer)) << c.type;
        EXPECT_EQ(run.err, "\n== C ==\nT\n" + c.prompts) << c.type;
    }
}

// Runs the logon dialog on the console; reports the result, the name and
// password at OK, and the commands heard.
std::string ConsoleLogon() {
    LoadedModule catalog;
    LogonDialog dialog;
    dialog.secret_enabled = true;
    win32::INT_PTR result = win32::DialogBoxModel(catalog.module, kLogon, nullptr, dialog);
    std::string report = std::to_string(result) + "|" + win32::WideToHost(dialog.name_at_ok) + "|" +
                         win32::WideToHost(dialog.secret_at_ok) + "|";
    for (int command : dialog.commands) {
        report += std::to_string(command) + ",";
    }
    return report;
}

TEST(ConsoleUi, DialogIsFilledInFieldByField) {
    // A name with a character typed as two bytes; a password with two
    // characters taken back (one of them two bytes); the box checked; OK.
    ConsoleRun run = OnConsole(
        "Jos\xC3\xA9\np\xC3\xA9w\x7F\x08"
        "d\ny\no\n",
        ConsoleLogon);
    ASSERT_TRUE(run.ended) << run.err;
    EXPECT_EQ(run.report, "1|Jos\xC3\xA9|pd|15,1,");
    EXPECT_EQ(run.err,
              "\n== Usage: ==\n"
              "Connect to \\\\alpha\\pub\n"
              "User: [guest] Jos\xC3\xA9\n"
              "Password: ***\b \b\b \b*\n"
              "Remember (now no) [y Yes / n No] y\n"
              "[o OK / c Cancel] o\n");
}

TEST(ConsoleUi, DialogWhoseInputEndsIsCancelled) {
    ConsoleRun run = OnConsole("", ConsoleLogon);
    ASSERT_TRUE(run.ended) << run.err;
    EXPECT_EQ(run.report, "2|||2,");
    EXPECT_EQ(run.err,
              "\n== Usage: ==\n"
              "Connect to \\\\alpha\\pub\n"
              "User: [guest] \n"
              "Password: \n"
              "Remember (now no) [y Yes / n No] \n"
              "[o OK / c Cancel] \n");
}

}  // namespace
