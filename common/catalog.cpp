#include "common/catalog.h"

#include <string>

#include "common/ansi_names.h"
#include "common/console.h"
#include "common/messages.h"
#include "common/platform_kind.h"
#include "platform/last_error.h"
#include "platform/locale.h"
#include "platform/modules.h"
#include "platform/resources.h"

namespace cvn {

namespace {

constexpr win32::LCID kPrimaryLanguageMask = 0x3FF;
constexpr win32::LCID kDefaultSublanguage = 0x400;

win32::HMODULE g_catalog = nullptr;

std::u16string CatalogNameW(win32::LCID locale) {
    char16_t abbreviation[kMessageBufferChars] = {};
    win32::GetLocaleInfoW(locale, win32::LOCALE_SABBREVLANGNAME, abbreviation, kMessageBufferChars);
    return u"cvn3_" + std::u16string(abbreviation) + u".lrl";
}

std::string CatalogNameA(win32::LCID locale) {
    char abbreviation[kMessageBufferChars] = {};
    win32::GetLocaleInfoA(locale, win32::LOCALE_SABBREVLANGNAME, abbreviation, kMessageBufferChars);
    return "cvn3_" + std::string(abbreviation) + ".lrl";
}

win32::LCID PrimaryLanguageLocale(win32::LCID locale) {
    return (locale & kPrimaryLanguageMask) + kDefaultSublanguage;
}

win32::HMODULE LoadCatalogWide() {
    const win32::LCID locale = win32::GetUserDefaultLCID();
    if (win32::HMODULE module = win32::LoadLibraryW(CatalogNameW(locale).c_str())) {
        return module;
    }
    if (win32::HMODULE module =
            win32::LoadLibraryW(CatalogNameW(PrimaryLanguageLocale(locale)).c_str())) {
        return module;
    }
    return win32::LoadLibraryW(u"cvn3_enu.lrl");
}

// Windows 95 has no English fallback: a missing language file ends the tool.
win32::HMODULE LoadCatalogNarrow() {
    const win32::LCID locale = win32::GetUserDefaultLCID();
    if (win32::HMODULE module = win32::LoadLibraryA(CatalogNameA(locale).c_str())) {
        return module;
    }
    return win32::LoadLibraryA(CatalogNameA(PrimaryLanguageLocale(locale)).c_str());
}

}  // namespace

win32::HMODULE LoadMessageCatalog() {
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            return LoadCatalogWide();
        case PLATFORM_WIN95:
            return LoadCatalogNarrow();
        default:
            return nullptr;
    }
}

void ReportCatalogFailure() {
    const win32::DWORD error = win32::GetLastError();
    const win32::LCID locale = win32::GetUserDefaultLCID();
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            PrintFormat(u"%s - ", {CatalogNameW(locale)});
            break;
        case PLATFORM_WIN95:
            PrintFormat(u"%S - ", {CatalogNameA(locale)});
            break;
        default:
            return;
    }
    PrintSystemMessage(error);
}

int LoadMessageText(win32::HMODULE catalog, win32::UINT id, char16_t* buffer) {
    if (catalog == nullptr) {
        return 0;
    }
    switch (GetPlatformKind()) {
        case PLATFORM_NT:
            return win32::LoadStringW(catalog, id, buffer, kMessageBufferChars);
        case PLATFORM_WIN95: {
            char narrow[kMessageBufferChars];
            int count = win32::LoadStringA(catalog, id, narrow, kMessageBufferChars);
            if (count == 0) {
                return 0;
            }
            int needed = FromAnsiText(narrow, nullptr, 0);
            // A text the code page cannot give is no text: the caller must
            // never print a buffer the conversion did not fill.
            if (needed == 0 || needed > kMessageBufferChars ||
                FromAnsiText(narrow, buffer, kMessageBufferChars) == 0) {
                return 0;
            }
            return count;
        }
        default:
            return 0;
    }
}

win32::HMODULE CatalogHandle() {
    return g_catalog;
}

void SetCatalogHandle(win32::HMODULE catalog) {
    g_catalog = catalog;
}

}  // namespace cvn
