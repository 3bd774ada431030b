// What the cvlink suites share: the program run on either platform kind,
// and the texts it prints, byte for byte.
#pragma once

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace cvlink_test {

inline std::string Expected(const std::string& name) {
    return cvn_test::ReadFile(std::string(CVN_SOURCE_DIR) + "/tests/cvlink/expected/" + name);
}

inline std::string Usage() {
    return Expected("usage.enu.txt");
}
inline std::string Banner() {
    return Expected("banner.enu.txt");
}

// System texts keep their own CR LF.
inline const std::string kNotSupportedText = "This request is not supported.\r\n";
inline const std::string kBadUnitText = "The device is not known to the system.\r\n";
inline const std::string kAlreadyAssignedText = "The local device name is already in use.\r\n";

// What connecting and disconnecting report for now: two blanks on a new
// line and the system text of error 50.
inline const std::string kStandInResult = "\n  " + kNotSupportedText;

// A drive argument that names no drive (error 20), with its first character.
inline std::string BadDrive(const std::string& first) {
    return "\n " + first + " - " + kBadUnitText;
}
// A drive letter in use, or none free for '*' (error 85).
inline std::string DriveInUse(char letter) {
    return "\n " + std::string(1, letter) + ": - " + kAlreadyAssignedText;
}

// The password prompt for `remote`, what it echoed, and its line end.
inline std::string Prompt(const std::string& remote, const std::string& echo) {
    return "Password for " + remote + ": " + echo + "\n";
}

// The echo of an executed response-file line.
inline std::string Echo(int number, const std::vector<std::string>& words) {
    std::string echo = "\n" + std::to_string(number) + ". ";
    for (const std::string& word : words) {
        echo += " " + word;
    }
    return echo + "\n";
}

inline std::string AllDrives(char from, char to, char except = '\0') {
    std::string table;
    for (char letter = from; letter <= to; ++letter) {
        if (letter != except) {
            table += std::string(table.empty() ? "" : ";") + letter + "=/";
        }
    }
    return table;
}

// Runs cvlink as the platform kind `platform` ("nt" or "95"). Without a
// redirector of its own the run gets an empty runtime directory, so no
// redirector of the machine is reached by chance.
class CvlinkRun {
public:
    cvn_test::ProcessOptions Options(const std::string& platform) const {
        cvn_test::ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["CVN_RUNTIME_DIR"] = no_redirector_.path();
        return options;
    }
    cvn_test::ProcessResult RunCvlink(const std::vector<std::string>& arguments,
                                      const cvn_test::ProcessOptions& options) const {
        return cvn_test::RunProcess(cvn_test::BinPath("cvlink"), arguments, options);
    }

private:
    cvn_test::TempDir no_redirector_;
};

inline const char* const kPlatforms[] = {"nt", "95"};

}  // namespace cvlink_test
