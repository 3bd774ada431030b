#include "platform/locale.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

struct LocaleRow {
    const char* language;
    const char* territory;
    LCID lcid;
    const char* abbreviation;
    const char* english_name;
};

constexpr LocaleRow kLocales[] = {
#include "platform/locale_table.inc"
};

constexpr LCID kUsEnglish = 0x0409;

std::string_view PosixLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

LCID LcidFromPosix(std::string_view name) {
    // language[_TERRITORY][.codeset][@modifier]
    name = name.substr(0, name.find_first_of(".@"));
    std::string_view language = name.substr(0, name.find('_'));
    std::string_view territory;
    if (size_t underscore = name.find('_'); underscore != std::string_view::npos) {
        territory = name.substr(underscore + 1);
    }
    const LocaleRow* fallback = nullptr;
    for (const auto& row : kLocales) {
        if (language != row.language || *row.language == '\0') {
            continue;
        }
        if (territory == row.territory) {
            return row.lcid;
        }
        if (*row.territory == '\0') {
            fallback = &row;
        }
    }
    return fallback != nullptr ? fallback->lcid : kUsEnglish;
}

const LocaleRow* FindLocale(LCID lcid) {
    if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0) {
        lcid = GetUserDefaultLCID();
    }
    // The sort-order bits (16 and up) do not change the texts asked for here.
    lcid &= 0xFFFF;
    for (const auto& row : kLocales) {
        if (row.lcid == lcid) {
            return &row;
        }
    }
    return nullptr;
}

// Looks up the text of one locale item, or null with the last error set.
const char* LocaleText(LCID locale, LCTYPE type) {
    const LocaleRow* row = FindLocale(locale);
    if (row == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (type) {
        case LOCALE_SABBREVLANGNAME:
            return row->abbreviation;
        case LOCALE_SLANGUAGE:
        case LOCALE_SENGLANGUAGE:
            return row->english_name;
        default:
            SetLastError(ERROR_INVALID_FLAGS);
            return nullptr;
    }
}

template <typename Char>
int CopyLocaleText(const char* text, Char* data, int size) {
    if (size < 0 || (size > 0 && data == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The texts of the table are plain ASCII, the same in every code page.
    const int needed = static_cast<int>(std::strlen(text)) + 1;
    if (size == 0) {
        return needed;
    }
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i) {
        data[i] = static_cast<Char>(text[i]);
    }
    return needed;
}

}  // namespace

LCID GetUserDefaultLCID() {
    return LcidFromPosix(PosixLocaleName());
}

LANGID GetUserDefaultLangID() {
    return static_cast<LANGID>(GetUserDefaultLCID() & 0xFFFF);
}

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
    const char* text = LocaleText(locale, type);
    return text == nullptr ? 0 : CopyLocaleText(text, data, size);
}

int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int size) {
    const char* text = LocaleText(locale, type);
    return text == nullptr ? 0 : CopyLocaleText(text, data, size);
}

}  // namespace win32
