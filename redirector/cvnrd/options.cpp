#include "redirector/cvnrd/options.h"

#include <string_view>

namespace cvnrd {

const char* const kUsage =
    "Usage: cvnrd [options]                 serve the redirector in the foreground\n"
    "       cvnrd --daemon [options]        detach; returns once requests are served\n"
    "       cvnrd [options] stop            stop the running redirector (SIGTERM)\n"
    "       cvnrd [options] ctl mount X: \\\\host\\path [user [password]]\n"
    "       cvnrd [options] ctl mount \\\\host\\path [user [password]]\n"
    "       cvnrd [options] ctl unmount X: | \\\\host\\path\n"
    "       cvnrd [options] ctl list\n"
    "       cvnrd [options] ctl helper          the helper program's registration\n"
    "       cvnrd [options] ctl ask KIND [NAME]  ask the helper (2: name to address,\n"
    "                                           5: names of the addresses seen)\n"
    "\n"
    "The host redirector serves the NFS client's control devices (\\\\.\\CVNCTL,\n"
    "\\\\.\\VCORV) on a Unix socket in its runtime directory, with the local\n"
    "backend: each export of the exports file is a host directory.\n"
    "\n"
    "Options:\n"
    "  --runtime-dir DIR   socket and pid file directory (default: $CVN_RUNTIME_DIR,\n"
    "                      else /run/cvn for root, else $XDG_RUNTIME_DIR/cvn)\n"
    "  --exports FILE      exports table: lines of \\\\host\\export /dir [user password]\n"
    "  --demo-dir DIR      without --exports: export \\\\localhost\\demo from DIR\n"
    "                      (default: <runtime dir>/demo, made with a sample file)\n"
    "  --pid-file FILE     where the daemon writes its pid (default: <runtime dir>/cvnrd.pid)\n"
    "  --log FILE          log to FILE (default: standard error; detached:\n"
    "                      <runtime dir>/cvnrd.log)\n"
    "  --helper-timeout MS how long a question to the helper may wait (default 5000)\n"
    "  --daemon            run detached\n"
    "  --help              this text\n"
    "\n"
    "SIGTERM, SIGINT or SIGHUP stop the redirector cleanly; its connections end.\n";

std::optional<Options> ParseOptions(int argc, char** argv, std::string* error) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        auto value = [&](std::string* target) {
            if (i + 1 >= argc) {
                *error = std::string(argument) + " needs a value";
                return false;
            }
            *target = argv[++i];
            return true;
        };
        if (!options.command.empty()) {
            options.command_arguments.emplace_back(argument);
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--daemon") {
            options.detach = true;
        } else if (argument == "--foreground") {
            options.detach = false;
        } else if (argument == "--runtime-dir") {
            if (!value(&options.runtime_dir))
                return std::nullopt;
        } else if (argument == "--exports") {
            if (!value(&options.exports_file))
                return std::nullopt;
        } else if (argument == "--demo-dir") {
            if (!value(&options.demo_dir))
                return std::nullopt;
        } else if (argument == "--pid-file") {
            if (!value(&options.pid_file))
                return std::nullopt;
        } else if (argument == "--log") {
            if (!value(&options.log_file))
                return std::nullopt;
        } else if (argument == "--helper-timeout") {
            std::string text;
            if (!value(&text))
                return std::nullopt;
            if (text.empty() || text.size() > 7 ||
                text.find_first_not_of("0123456789") != std::string::npos) {
                *error = "--helper-timeout needs milliseconds (0 to 9999999)";
                return std::nullopt;
            }
            options.helper_timeout_ms = std::stoi(text);
        } else if (argument == "ctl" || argument == "stop") {
            options.command = argument;
        } else {
            *error = "unknown argument: " + std::string(argument);
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace cvnrd
