// What the cvlink suites share: the program run on either platform kind,
// against a redirector of its own or none, with a registry of its own, and
// the texts it prints, byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/control_client.h"
#include "common/records.h"
#include "common/redirector_codes.h"
#include "platform/drives.h"
#include "platform/registry.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/redirector_daemon.h"
#include "tests/support/scoped_env.h"
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
inline const std::string kSuccessText = "The operation finished successfully.\r\n";
inline const std::string kFileNotFoundText = "The file could not be found.\r\n";
inline const std::string kBadUnitText = "The device is not known to the system.\r\n";
inline const std::string kNotSupportedText = "This request is not supported.\r\n";
inline const std::string kBadNetNameText = "The network name could not be found.\r\n";
inline const std::string kAlreadyAssignedText = "The local device name is already in use.\r\n";
inline const std::string kInvalidPasswordText = "The network password is not correct.\r\n";
inline const std::string kInvalidParameterText = "A parameter is not correct.\r\n";
inline const std::string kAlreadyExistsText =
    "A file cannot be created when it already exists.\r\n";
inline const std::string kNotConnectedText = "This network connection does not exist.\r\n";

// What a connect or disconnect reports: two blanks on a new line and the
// system text of its result.
inline std::string Result(const std::string& system_text) {
    return "\n  " + system_text;
}
inline const std::string kSucceeded = Result(kSuccessText);
// The provider's answer when no redirector runs (error 50).
inline const std::string kNoRedirector = Result(kNotSupportedText);
// An unknown host or export (error 67).
inline const std::string kUnknownName = Result(kBadNetNameText);

// A drive connected: the success text, then text 314.
inline std::string Connected(const std::string& drive, const std::string& remote) {
    return kSucceeded + "\n  " + drive + " is now connected to " + remote + ".\n";
}

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

// The list of mounts: its heading and one line per mount ("" for none).
inline const std::string kListHeading = "\nLocal       Remote";
inline std::string MountLine(const std::string& drive, const std::string& remote) {
    return "\n" + (drive.empty() ? std::string(12, ' ') : "   " + drive + "       ") + remote;
}

// What disconnecting all prints before it reads the first answer.
inline std::string DisconnectAllQuestion(const std::string& lines) {
    return kListHeading + lines + "\n\nDisconnect all of these NFS connections?\n" +
           "Continue <y=yes,n=no>  [n]:  ";
}
// An answer that is neither yes nor no, and the question asked again.
inline std::string WrongAnswer(const std::string& answer) {
    return "  " + answer + " - " + kInvalidParameterText + "Continue <y=yes,n=no>  [n]:  ";
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

// A registry of the test's own. A connection that succeeds records its host
// in the user's name space, and a provider that is loaded converts the
// previous version's values: no run may touch the registry of the machine.
class PrivateRegistry {
public:
    void AddTo(cvn_test::ProcessOptions& options) const {
        options.environment["XDG_CONFIG_HOME"] = config_.path();
        options.environment["CVN_REGISTRY_DIR"] = machine_.path();
    }
    // Whether the user's tree holds the key `path`, as a program using this
    // registry would find it.
    bool HasUserKey(const std::u16string& path) const {
        cvn_test::ScopedEnv env("XDG_CONFIG_HOME", config_.path());
        win32::HKEY key = nullptr;
        if (win32::RegOpenKeyExW(win32::HKEY_CURRENT_USER, path.c_str(), 0, win32::KEY_READ,
                                 &key) != 0) {
            return false;
        }
        win32::RegCloseKey(key);
        return true;
    }

private:
    cvn_test::TempDir config_;
    cvn_test::TempDir machine_;
};

// Runs cvlink as the platform kind `platform` ("nt" or "95"). Without a
// redirector of its own the run gets an empty runtime directory, so no
// redirector of the machine is reached by chance.
class CvlinkRun {
public:
    cvn_test::ProcessOptions Options(const std::string& platform) const {
        cvn_test::ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["CVN_RUNTIME_DIR"] = no_redirector_.path();
        registry_.AddTo(options);
        return options;
    }
    cvn_test::ProcessResult RunCvlink(const std::vector<std::string>& arguments,
                                      const cvn_test::ProcessOptions& options) const {
        return cvn_test::RunProcess(cvn_test::BinPath("cvlink"), arguments, options);
    }

private:
    cvn_test::TempDir no_redirector_;
    PrivateRegistry registry_;
};

inline const char* const kPlatforms[] = {"nt", "95"};

// One export of a redirector: its remote name, the directory (below the
// test's data directory) that serves it, and the credentials it asks for.
struct ExportLine {
    std::string remote;
    std::string directory;
    std::string user;
    std::string password;
};

// cvlink against a running redirector of its own, with its own registry.
class CvlinkWithRedirector {
public:
    // The default: \\localhost\demo, open to everyone.
    explicit CvlinkWithRedirector(const std::vector<ExportLine>& exports = {{R"(\\localhost\demo)",
                                                                             "demo", "", ""}})
        : daemon_(ExportsText(data_, exports)) {}

    bool started() const { return daemon_.started(); }
    const std::string& start_error() const { return daemon_.start_error(); }
    const cvn_test::RedirectorDaemon& daemon() const { return daemon_; }
    const PrivateRegistry& registry() const { return registry_; }
    std::string data_dir(const std::string& name) const { return data_ / name; }

    // cvlink as `platform`, `input` on its standard input, `drives` the
    // local drive table.
    cvn_test::ProcessResult Run(const std::vector<std::string>& arguments,
                                const std::string& platform, const std::string& input = "",
                                const std::string& drives = "C=/") const {
        cvn_test::ProcessOptions options;
        options.environment["CVN_PLATFORM"] = platform;
        options.environment["CVN_DRIVES"] = drives;
        options.input = input;
        registry_.AddTo(options);
        return daemon_.Run("cvlink", arguments, options);
    }

    // Mounts made behind cvlink's back: "X:" or "" for none.
    void Mount(const std::string& drive, const std::string& remote) const {
        std::vector<std::string> arguments{"mount"};
        if (!drive.empty()) {
            arguments.push_back(drive);
        }
        arguments.push_back(remote);
        cvn_test::ProcessResult made = daemon_.Control(arguments);
        ASSERT_EQ(made.exit_status, 0) << made.err;
    }

    // The mounts as the redirector lists them: "X: \\host\path" or
    // "- \\host\path" lines.
    std::string Mounts() const {
        cvn_test::ProcessResult listed = daemon_.Control({"list"});
        EXPECT_EQ(listed.exit_status, 0) << listed.err;
        return listed.out;
    }

    void RemoveAllMounts() const {
        std::istringstream lines(Mounts());
        std::string local;
        std::string remote;
        while (lines >> local >> remote) {
            cvn_test::ProcessResult removed =
                daemon_.Control({"unmount", local == "-" ? remote : local});
            ASSERT_EQ(removed.exit_status, 0) << removed.err;
        }
    }

    // The redirector's count of the control requests it has served (the
    // request that asks for it included).
    std::uint32_t Requests() const {
        cvn_test::ScopedEnv env("CVN_RUNTIME_DIR", daemon_.runtime_dir());
        cvn::Statistics statistics;
        statistics.Initialize();
        EXPECT_EQ(cvn::CvnGetInfo(statistics, cvn::FSCTL_SERVER_GETIDSTAT), 0u);
        return statistics.counter(0);
    }

    // The drives in use, as the platform reports them to a program that
    // has no local drive table.
    std::uint32_t LogicalDrives() const {
        cvn_test::ScopedEnv env("CVN_RUNTIME_DIR", daemon_.runtime_dir());
        env.Set("CVN_DRIVES", "");
        return win32::GetLogicalDrives();
    }

private:
    static std::string ExportsText(const cvn_test::TempDir& data,
                                   const std::vector<ExportLine>& exports) {
        std::string text;
        for (const ExportLine& line : exports) {
            std::filesystem::create_directories(data / line.directory);
            text += line.remote + " \"" + (data / line.directory) + "\"";
            if (!line.user.empty()) {
                text += " " + line.user + " \"" + line.password + "\"";
            }
            text += "\n";
        }
        return text;
    }

    cvn_test::TempDir data_;
    cvn_test::RedirectorDaemon daemon_;
    PrivateRegistry registry_;
};

}  // namespace cvlink_test
