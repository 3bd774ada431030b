#include "platform/ui_console.h"

#include <string>

#include "platform/console_input.h"
#include "platform/crt_stdio.h"
#include "platform/host_text.h"

namespace win32 {

namespace {

using crt::Stream;

void Say(std::u16string_view text) {
    Stream::Err().WriteText(text);
}

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// A line typed at the terminal; each key echoed, or '*' for each character
// of a password. The keys are bytes of host text (UTF-8): they are kept as
// bytes and decoded once the line is complete, so a character typed as
// several bytes is one character of the line, and a backspace takes it whole.
std::u16string ReadLine(bool secret) {
    std::string line;
    for (;;) {
        int key = crt::getch();
        if (key == '\r' || key == '\n') {
            break;
        }
        if (key == 8 || key == 127) {
            if (!line.empty()) {
                size_t end = line.size();
                while (end > 0 && IsContinuationByte(line[end - 1])) {
                    --end;
                }
                if (end == line.size() ||
                    (end > 0 && static_cast<unsigned char>(line[end - 1]) >= 0xC0)) {
                    --end;  // the byte itself, or the lead byte of its character
                }
                line.resize(end);
                Say(u"\b \b");
            }
            continue;
        }
        const char byte = static_cast<char>(key);
        line += byte;
        if (!secret) {
            Stream::Err().Write(&byte, 1);
        } else if (!IsContinuationByte(byte)) {
            Say(u"*");
        }
    }
    Say(u"\n");
    return HostToWide(line);
}

struct Choice {
    char16_t key;
    const char16_t* label;
    int answer;
};

std::vector<Choice> ChoicesOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{u'o', u"OK", IDOK}, {u'c', u"Cancel", IDCANCEL}};
        case MB_YESNO:
            return {{u'y', u"Yes", IDYES}, {u'n', u"No", IDNO}};
        case MB_YESNOCANCEL:
            return {{u'y', u"Yes", IDYES}, {u'n', u"No", IDNO}, {u'c', u"Cancel", IDCANCEL}};
        case MB_RETRYCANCEL:
            return {{u'r', u"Retry", IDRETRY}, {u'c', u"Cancel", IDCANCEL}};
        case MB_ABORTRETRYIGNORE:
            return {
                {u'a', u"Abort", IDABORT}, {u'r', u"Retry", IDRETRY}, {u'i', u"Ignore", IDIGNORE}};
        default:
            return {{u'o', u"OK", IDOK}};
    }
}

// The answer chosen, or `fallback` once the input has ended: a prompt read
// from a pipe or file that runs out must end, not ask again for ever.
int Ask(const std::vector<Choice>& choices, int fallback) {
    for (;;) {
        std::u16string prompt = u"[";
        for (size_t i = 0; i < choices.size(); ++i) {
            prompt +=
                (i ? u" / " : u"") + std::u16string(1, choices[i].key) + u" " + choices[i].label;
        }
        Say(prompt + u"] ");
        std::u16string answer = ReadLine(false);
        if (answer.empty() && choices.size() == 1) {
            return choices[0].answer;
        }
        for (const Choice& choice : choices) {
            if (answer.size() == 1 && (answer[0] | 0x20) == choice.key) {
                return choice.answer;
            }
        }
        if (crt::InputEnded()) {
            return fallback;
        }
    }
}

class ConsoleUi : public UiBackend {
public:
    int ShowMessageBox(const MessageBoxRequest& request) override {
        Say(u"\n== " + request.caption + u" ==\n" + request.text + u"\n");
        return Ask(ChoicesOf(request.type), DefaultMessageBoxAnswer(request.type));
    }

    void RunDialog(DialogWindow& window, DialogProcedure& procedure) override {
        Say(u"\n== " + window.title() + u" ==\n");
        std::u16string label;
        for (const ControlTemplate& control : window.dialog_template().controls) {
            const ControlState& state = window.controls().at(control.id);
            switch (state.kind) {
                case ControlKind::Label:
                    label = state.text;
                    if (!label.empty() && label.back() != u':') {
                        Say(label + u"\n");
                    }
                    break;
                case ControlKind::Edit:
                case ControlKind::Password:
                    if (!state.enabled) {
                        break;
                    }
                    Say(label + (state.kind == ControlKind::Edit && !state.text.empty()
                                     ? u" [" + state.text + u"] "
                                     : u" "));
                    if (std::u16string typed = ReadLine(state.kind == ControlKind::Password);
                        !typed.empty()) {
                        window.SetText(control.id, typed);
                    }
                    break;
                case ControlKind::CheckBox:
                    if (!state.enabled) {
                        break;
                    }
                    Say(state.text + (state.checked ? u" (now yes) " : u" (now no) "));
                    if (Ask({{u'y', u"Yes", IDYES}, {u'n', u"No", IDNO}},
                            state.checked ? IDYES : IDNO) == IDYES) {
                        if (!window.Checked(control.id)) {
                            window.SetCheck(control.id, true);
                            procedure.OnCommand(window, control.id);
                        }
                    } else if (window.Checked(control.id)) {
                        window.SetCheck(control.id, false);
                        procedure.OnCommand(window, control.id);
                    }
                    break;
                case ControlKind::Button:
                    break;
            }
        }
        const int answer = Ask({{u'o', u"OK", IDOK}, {u'c', u"Cancel", IDCANCEL}}, IDCANCEL);
        procedure.OnCommand(window, answer);
        if (!window.ended()) {
            window.End(0);
        }
    }

    void ShowHelp(const std::string& help_file, UINT, std::uintptr_t) override {
        Say(u"(No help is available here: " + HostToWide(help_file) + u")\n");
    }
};

}  // namespace

std::shared_ptr<UiBackend> MakeConsoleUi() {
    return std::make_shared<ConsoleUi>();
}

}  // namespace win32
