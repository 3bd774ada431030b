#include "cvlink/password.h"

#include "common/console.h"
#include "common/messages.h"
#include "cvlink/tool.h"
#include "platform/console_input.h"
#include "platform/memory.h"

namespace cvlink {

namespace {
constexpr int kBackspace = 8;
}

void AskPassword(std::u16string& password, const std::u16string& remote_name) {
    cvn::PrintMessageFormat(kMsgPasswordPrompt, {remote_name});
    WipePassword(password);
    while (password.size() < kMaxText) {
        int key = win32::crt::getch();
        if (key == '\r' || key == '\n') {
            break;
        }
        if (key == kBackspace) {
            if (!password.empty()) {
                password.pop_back();
                cvn::PrintText(std::u16string_view(u"\b\0\b", 3));
            }
            continue;
        }
        password += static_cast<char16_t>(key);
        cvn::PrintText(u"*");
    }
    if (password.empty()) {
        password = u"\"\"";
    }
    cvn::PrintText(u"\n");
}

void WipePassword(std::u16string& password) {
    password.resize(password.capacity());
    win32::SecureZeroMemory(password.data(), password.size() * sizeof(char16_t));
    password.clear();
}

}  // namespace cvlink
