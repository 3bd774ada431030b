#include "cvprov/message_boxes.h"

#include <optional>
#include <string>

#include "cvprov/provider_state.h"
#include "platform/codepage.h"
#include "platform/debug_output.h"
#include "platform/memory.h"
#include "platform/system_messages.h"

namespace cvprov {

namespace {

constexpr win32::UINT kBoxStyle = win32::MB_ICONWARNING | win32::MB_SETFOREGROUND;
constexpr win32::UINT kQuestionStyle = win32::MB_ICONEXCLAMATION | win32::MB_SETFOREGROUND;
constexpr win32::DWORD kUserDefaultLanguage = 1024;

std::u16string BoxText(win32::UINT id, win32::FormatArgs args) {
    std::u16string text = Message(id);
    if (text.empty()) {
        return win32::FormatWide(u"String resource (%lu) is missing\n", {id}).value_or(u"");
    }
    return win32::FormatWide(text, args).value_or(text);
}

win32::HWND OwnerWindow() {
    if (win32::HWND active = win32::GetActiveWindow()) {
        return active;
    }
    if (win32::HWND parent = win32::GetParent(win32::GetActiveWindow())) {
        return parent;
    }
    return win32::GetDesktopWindow();
}

}  // namespace

void WideBox(win32::UINT id, win32::FormatArgs args) {
    std::u16string text = BoxText(id, args);
    win32::OutputDebugStringW(text.c_str());
    win32::MessageBoxW(nullptr, text.c_str(), State().caption.c_str(), kBoxStyle);
}

void NarrowBox(const char* format, win32::FormatArg argument) {
    std::string text = win32::FormatNarrow(format, {argument}).value_or(format);
    std::string title_format = win32::WideToAnsi(Message(kMsgNarrowBoxTitle));
    std::string title =
        win32::FormatNarrow(title_format, {win32::WideToAnsi(kProductName)}).value_or(title_format);
    win32::OutputDebugStringA(text.c_str());
    win32::OutputDebugStringA(text.c_str());
    win32::MessageBoxA(nullptr, text.c_str(), title.c_str(), kBoxStyle);
}

int QuestionBox(win32::HWND owner, win32::UINT id, win32::FormatArgs args, win32::UINT buttons) {
    std::u16string text = BoxText(id, args);
    win32::OutputDebugStringW(text.c_str());
    return win32::MessageBoxA(owner, win32::WideToAnsi(text).c_str(),
                              win32::WideToAnsi(State().caption).c_str(), kQuestionStyle | buttons);
}

void SystemErrorBox(win32::DWORD code) {
    char16_t* text = nullptr;
    if (win32::FormatMessageW(
            win32::FORMAT_MESSAGE_FROM_SYSTEM | win32::FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
            code, kUserDefaultLanguage, reinterpret_cast<char16_t*>(&text), 0, nullptr) == 0) {
        return;
    }
    win32::MessageBoxW(OwnerWindow(), text, State().caption.c_str(), kBoxStyle);
    win32::LocalFree(text);
}

void ErrorBoxWithFallback(win32::UINT id) {
    std::u16string text = Message(id);
    std::string narrow = text.empty() ? "Unexpected Corvane error - no description available"
                                      : win32::WideToAnsi(text);
    NarrowBox("%s", narrow.c_str());
}

}  // namespace cvprov
