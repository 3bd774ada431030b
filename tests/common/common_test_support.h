// Helpers shared by the common library's tests: the process-wide catalog
// installed for one test, the platform and locale a test runs under, and
// console output collected around one call.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "common/catalog.h"
#include "platform/host_text.h"
#include "platform/modules.h"
#include "tests/support/capture_output.h"
#include "tests/support/scoped_env.h"

namespace cvn_test {

// The test catalog module, built from tests/common/fixtures/test_catalog.txt.
inline const std::string kTestCatalog = CVN_TEST_CATALOG;

// Identifiers of the test catalog.
inline constexpr win32::UINT kTstShort = 1001;          // "Share"
inline constexpr win32::UINT kTstColumnWide = 1002;     // exactly 46 characters
inline constexpr win32::UINT kTstLong = 1003;           // 52 characters
inline constexpr win32::UINT kTstFormat = 1004;         // "%s holds %d files\n"
inline constexpr win32::UINT kTstStoreCount = 1005;     // "Written: %n characters"
inline constexpr win32::UINT kTstAnsiLetters = 1006;    // "Größe: 5 €"
inline constexpr win32::UINT kTstOutsideAnsi = 1007;    // "Pfeil → hier"
inline constexpr win32::UINT kTstUndefinedAnsi = 1008;  // holds U+0081
inline constexpr win32::UINT kTstOverlong = 1009;       // 300 digits
inline constexpr win32::UINT kTstMissing = 999;

inline std::u16string Wide(const std::string& host_text) {
    return win32::HostToWide(host_text);
}
inline std::string Narrow(std::u16string_view text) {
    return win32::WideToDisplay(text);
}

inline std::string BinFile(const std::string& name) {
    return std::string(CVN_BIN_DIR) + "/" + name;
}

// Loads a message module by its full path and makes it the process-wide
// catalog; the destructor puts the process back as it was.
class InstalledCatalog {
public:
    explicit InstalledCatalog(const std::string& path)
        : handle_(win32::LoadLibraryW(Wide(path).c_str())) {
        cvn::SetCatalogHandle(handle_);
    }
    ~InstalledCatalog() {
        cvn::SetCatalogHandle(nullptr);
        if (handle_ != nullptr) {
            win32::FreeLibrary(handle_);
        }
    }
    InstalledCatalog(const InstalledCatalog&) = delete;
    InstalledCatalog& operator=(const InstalledCatalog&) = delete;

    win32::HMODULE handle() const { return handle_; }

private:
    win32::HMODULE handle_;
};

// The platform kind ("nt", "95", "win32s", "other") and the POSIX locale the
// user default locale comes from.
class PlatformAndLocale {
public:
    explicit PlatformAndLocale(const std::string& platform, const std::string& lang = "C") {
        env_.Set("CVN_PLATFORM", platform)
            .Set("LC_ALL", "")
            .Set("LC_MESSAGES", "")
            .Set("LANG", lang);
    }

private:
    ScopedEnv env_;
};

struct Printed {
    std::string out;
    std::string err;
};

// Runs `call` with standard output and error captured. The capture ends
// before the caller checks anything, so a failing check is never swallowed.
template <typename Call>
Printed PrintedBy(Call&& call) {
    CaptureOutput capture;
    std::forward<Call>(call)();
    return {capture.out(), capture.err()};
}

// Copies a catalog of the build into `directory` under `name`.
inline void CopyCatalog(const std::string& catalog, const std::string& directory,
                        const std::string& name) {
    std::filesystem::copy_file(BinFile(catalog), directory + "/" + name);
}

}  // namespace cvn_test
