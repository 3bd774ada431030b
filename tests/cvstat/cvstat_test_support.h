// What the cvstat suites share: the program run on either platform kind,
// against a redirector of its own or none, the texts it prints, and the
// catalog for the parts tested inside the test process.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/catalog.h"
#include "platform/modules.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace cvstat_test {

inline const char* const kPlatforms[] = {"nt", "95"};

inline std::string Expected(const std::string& name) {
    return cvn_test::ReadFile(std::string(CVN_SOURCE_DIR) + "/tests/cvstat/expected/" + name);
}

inline std::string Usage() {
    return Expected("usage.enu.txt");
}
inline std::string Banner() {
    return Expected("banner.enu.txt");
}

// System texts keep their own CR LF.
inline const std::string kNoMoreItemsText = "No more data are available.\r\n";
inline const std::string kNotConnectedText = "This network connection does not exist.\r\n";
inline const std::string kBadDeviceText = "The device name given is not valid.\r\n";

inline const std::string kNotRunning =
    "\nThe NFS redirector is not running: its control device cannot be opened.\n";
inline const std::string kNextMountPrompt = "Press any key to see the next mount.";

// A name that was not shown: the name right-aligned in sixteen columns and
// the system's reason.
inline std::string NameFailure(const std::string& name, const std::string& system_text) {
    std::string padded = name.size() < 16 ? std::string(16 - name.size(), ' ') + name : name;
    return "\n" + padded + " - " + system_text;
}

// The sizes of the file system holding a mounted directory differ from one
// machine to the next: their values are replaced before comparing.
inline std::string MaskFileSystemSizes(std::string text) {
    for (const std::string label :
         {"   Size of the file system in bytes ", "   Free space in bytes ",
          "   Space available to the user in bytes "}) {
        for (size_t at = text.find("\n" + label); at != std::string::npos;
             at = text.find("\n" + label, at + 1)) {
            const size_t value = text.find(" = ", at) + 3;
            const size_t end = text.find('\n', value);
            text.replace(value, end - value, "<bytes>");
        }
    }
    return text;
}

// cvstat as the platform kind `platform` ("nt" or "95"), with `input` on its
// standard input. Without a redirector of its own the run gets an empty
// runtime directory, so no redirector of the machine is reached by chance.
class CvstatRun {
public:
    cvn_test::ProcessResult Run(const std::vector<std::string>& arguments,
                                const std::string& platform, const std::string& input = "") const {
        cvn_test::ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["CVN_RUNTIME_DIR"] = no_redirector_.path();
        options.input = input;
        return cvn_test::RunProcess(cvn_test::BinPath("cvstat"), arguments, options);
    }

private:
    cvn_test::TempDir no_redirector_;
};

// cvstat against a running redirector of its own (the default exports:
// \\localhost\demo).
class CvstatWithRedirector {
public:
    bool started() const { return daemon_.started(); }
    const std::string& start_error() const { return daemon_.start_error(); }
    const cvn_test::RedirectorDaemon& daemon() const { return daemon_; }

    cvn_test::ProcessResult Run(const std::vector<std::string>& arguments,
                                const std::string& platform, const std::string& input = "") const {
        cvn_test::ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.input = input;
        return daemon_.Run("cvstat", arguments, options);
    }

    // "X:" or "" for a mount without a drive.
    void Mount(const std::string& drive, const std::string& remote) const {
        std::vector<std::string> arguments{"mount"};
        if (!drive.empty()) {
            arguments.push_back(drive);
        }
        arguments.push_back(remote);
        cvn_test::ProcessResult made = daemon_.Control(arguments);
        ASSERT_EQ(made.exit_status, 0) << made.err;
    }

private:
    cvn_test::RedirectorDaemon daemon_;
};

// The English catalog of the build as the process-wide catalog, and the
// platform kind, for the parts of cvstat called inside the test process.
class InstalledCatalog {
public:
    explicit InstalledCatalog(const std::string& platform = "nt")
        : env_("CVN_PLATFORM", platform),
          handle_(win32::LoadLibraryA((std::string(CVN_BIN_DIR) + "/cvn3_enu.lrl").c_str())) {
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

    bool loaded() const { return handle_ != nullptr; }

private:
    cvn_test::ScopedEnv env_;
    win32::HMODULE handle_;
};

}  // namespace cvstat_test
