// What the cvperm suites share: the program run on either platform kind,
// with or without a redirector whose export is mounted as F:, files made
// with a known mode and time, and the texts the program prints.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/temp_dir.h"

namespace cvperm_test {

inline const char* const kPlatforms[] = {"nt", "95"};

inline std::string Expected(const std::string& name) {
    return cvn_test::ReadFile(std::string(CVN_SOURCE_DIR) + "/tests/cvperm/expected/" + name);
}

// System texts keep their own CR LF.
inline const std::string kFileNotFoundText = "The file could not be found.\r\n";
inline const std::string kPathNotFoundText = "The path could not be found.\r\n";
inline const std::string kNameTooLongText = "The file name or extension is too long.\r\n";
inline const std::string kAccessDeniedText = "Access was denied.\r\n";
inline const std::string kNotNfsText = "The function is not valid for this object.\r\n";

// The mode-text error messages, each on a line of its own.
inline const std::string kTooLarge = "\n   The octal mode is larger than 7777.\n";
inline const std::string kClassAfterOperator =
    "\n   A class letter follows +, - or =: the letters 'u', 'g', 'o', 'a' come first.\n";
inline const std::string kLetterWithoutOperator =
    "\n   A permission letter has no +, - or = before it: the letters 'r', 'w', 'x' follow the "
    "operator.\n";
inline const std::string kUnknownCharacter =
    "\n   The mode holds a character that is neither an octal digit nor a mode letter.\n";

// What a name that cannot be searched prints.
inline std::string NameFailed(const std::string& name, const std::string& system_text) {
    return "\n   " + name + " - " + system_text;
}

// The question before a file, and the question alone when asked again.
inline const std::string kQuestion = "   Change this file's mode <y=yes,n=no,a=all,q=quit>? ";
inline std::string Asked(const std::string& path) {
    return "\n  " + path + "\n" + kQuestion;
}

// What ends the matches of one name.
inline const std::string kNameDone = "\n\n";

// One listing line: 8.3 name, attribute columns, size, date, time, name.
inline std::string ListingLine(const std::string& platform, const std::string& short_name,
                               const std::string& permissions, unsigned size,
                               const std::string& date_time, const std::string& name) {
    char owner[32];
    std::snprintf(owner, sizeof owner, "  %5u  %5u  ", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned>(::getgid()));
    char size_text[16];
    std::snprintf(size_text, sizeof size_text, " %7u ", size);
    std::string line = short_name + std::string(14 - short_name.size(), ' ') + permissions + owner +
                       size_text + date_time + " " + name;
    return line + (platform == "95" ? " \n" : "\n");
}

// 1997-01-05 09:05 and 1999-12-31 23:59:30 UTC, as the listing shows them.
inline constexpr std::time_t kJanuary1997 = 852455100;
inline const std::string kJanuary1997Text = "  1/5/97 09:05";
inline constexpr std::time_t kDecember1999 = 946684770;
inline const std::string kDecember1999Text = "12/31/99 23:59";

// Sets the mode and the last-write time of a host file.
inline void SetModeAndTime(const std::string& path, mode_t mode, std::time_t mtime) {
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

inline mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// cvperm as `platform` with no redirector: its runtime directory is empty.
class CvpermRun {
public:
    cvn_test::ProcessResult Run(const std::vector<std::string>& arguments,
                                const std::string& platform,
                                cvn_test::ProcessOptions options = {}) const {
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["CVN_RUNTIME_DIR"] = no_redirector_.path();
        return cvn_test::RunProcess(cvn_test::BinPath("cvperm"), arguments, options);
    }

private:
    cvn_test::TempDir no_redirector_;
};

// A running cvnrd exporting a directory of the test as \\localhost\demo,
// mounted as F:. C: is the host's root, as on a plain machine.
class MountedExport {
public:
    MountedExport() : daemon_("\\\\localhost\\demo \"" + data_.path() + "\"\n") {
        if (daemon_.started()) {
            mount_ = daemon_.Control({"mount", "F:", "\\\\localhost\\demo"});
        }
    }

    // Empty when the redirector runs and F: is mounted, else why not.
    std::string Problem() const {
        if (!daemon_.started()) {
            return "cvnrd: " + daemon_.start_error();
        }
        return mount_.exit_status == 0 ? "" : "mount: " + mount_.err;
    }

    // The host path of a name below the export ("sub/file").
    std::string Host(const std::string& name) const { return data_ / name; }

    // A file (or, with a trailing '/', a directory) with its mode and time.
    void Make(const std::string& name, mode_t mode, std::time_t mtime = kJanuary1997,
              const std::string& contents = "") const {
        if (name.ends_with('/')) {
            std::filesystem::create_directories(Host(name));
        } else {
            cvn_test::WriteFile(Host(name), contents);
        }
        SetModeAndTime(Host(name), mode, mtime);
    }

    cvn_test::ProcessResult Run(const std::vector<std::string>& arguments,
                                const std::string& platform, const std::string& input = "",
                                bool close_input = false) const {
        cvn_test::ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["CVN_DRIVES"] = "C=/";
        options.environment["TZ"] = "UTC";
        options.input = input;
        options.close_input = close_input;
        return daemon_.Run("cvperm", arguments, options);
    }

private:
    cvn_test::TempDir data_;
    cvn_test::RedirectorDaemon daemon_;
    cvn_test::ProcessResult mount_;
};

}  // namespace cvperm_test
