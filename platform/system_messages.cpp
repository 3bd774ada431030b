#include "platform/system_messages.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/locale.h"
#include "platform/memory.h"

namespace win32 {

namespace {

struct SystemMessage {
    DWORD code;
    const char* text;
};

constexpr SystemMessage kMessages[] = {
#include "platform/system_messages.inc"
};

constexpr WORD kLangNeutral = 0x00;
constexpr WORD kLangEnglish = 0x09;

bool LanguageServed(DWORD language_id) {
    if (language_id == 0 || language_id == LOCALE_USER_DEFAULT ||
        language_id == LOCALE_SYSTEM_DEFAULT) {
        return true;
    }
    const WORD primary = PrimaryLangId(static_cast<LANGID>(language_id));
    return primary == kLangNeutral || primary == kLangEnglish;
}

// Validates the request and finds the text (with its CR LF); null with the
// last error set when the call must fail.
const char* LookUp(DWORD flags, DWORD message_id, DWORD language_id, void* arguments) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & FORMAT_MESSAGE_FROM_STRING) ||
        (flags & FORMAT_MESSAGE_FROM_HMODULE) || arguments != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!LanguageServed(language_id)) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return nullptr;
    }
    auto found = std::find_if(std::begin(kMessages), std::end(kMessages),
                              [&](const SystemMessage& m) { return m.code == message_id; });
    if (found == std::end(kMessages)) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return nullptr;
    }
    if (std::strchr(found->text, '%') != nullptr && !(flags & FORMAT_MESSAGE_IGNORE_INSERTS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return found->text;
}

template <typename Char>
DWORD Deliver(DWORD flags, const char* text, Char* buffer, DWORD size) {
    std::basic_string<Char> message(text, text + std::strlen(text));
    message += Char('\r');
    message += Char('\n');
    const DWORD needed = static_cast<DWORD>(message.size() + 1);
    Char* target = buffer;
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        if (buffer == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        target = static_cast<Char*>(LocalAlloc(LMEM_FIXED, std::max(needed, size) * sizeof(Char)));
        if (target == nullptr) {
            return 0;
        }
        *reinterpret_cast<Char**>(buffer) = target;
    } else if (buffer == nullptr || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(message.begin(), message.end(), target);
    target[message.size()] = Char();
    return static_cast<DWORD>(message.size());
}

}  // namespace

DWORD FormatMessageA(DWORD flags, const void*, DWORD message_id, DWORD language_id, LPSTR buffer,
                     DWORD size, void* arguments) {
    const char* text = LookUp(flags, message_id, language_id, arguments);
    return text == nullptr ? 0 : Deliver(flags, text, buffer, size);
}

DWORD FormatMessageW(DWORD flags, const void*, DWORD message_id, DWORD language_id, LPWSTR buffer,
                     DWORD size, void* arguments) {
    const char* text = LookUp(flags, message_id, language_id, arguments);
    return text == nullptr ? 0 : Deliver(flags, text, buffer, size);
}

std::optional<std::string_view> SystemMessageText(DWORD code) {
    for (const auto& message : kMessages) {
        if (message.code == code) {
            return message.text;
        }
    }
    return std::nullopt;
}

}  // namespace win32
