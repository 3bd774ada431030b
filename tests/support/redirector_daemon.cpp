#include "tests/support/redirector_daemon.h"

#include <filesystem>

#include "tests/support/files.h"

namespace cvn_test {

RedirectorDaemon::RedirectorDaemon(const std::string& exports) {
    std::vector<std::string> arguments{"--runtime-dir", runtime_.path(), "--daemon"};
    if (!exports.empty()) {
        WriteFile(runtime_ / "exports", exports);
        arguments.insert(arguments.end(), {"--exports", runtime_ / "exports"});
    }
    ProcessResult result = RunProcess(BinPath("cvnrd"), arguments);
    started_ = result.exit_status == 0;
    start_error_ = result.err;
}

RedirectorDaemon::~RedirectorDaemon() {
    if (started_) {
        Stop();
    }
}

std::string RedirectorDaemon::DataDir(const std::string& name) const {
    std::string path = data_ / name;
    std::filesystem::create_directories(path);
    return path;
}

std::map<std::string, std::optional<std::string>> RedirectorDaemon::Environment() const {
    return {{"CVN_RUNTIME_DIR", runtime_.path()}};
}

ProcessOptions RedirectorDaemon::Options() const {
    ProcessOptions options;
    options.environment = Environment();
    return options;
}

ProcessResult RedirectorDaemon::Control(const std::vector<std::string>& arguments) const {
    std::vector<std::string> all{"--runtime-dir", runtime_.path(), "ctl"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProcess(BinPath("cvnrd"), all);
}

ProcessResult RedirectorDaemon::Run(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    ProcessOptions options) const {
    for (const auto& [name, value] : Environment()) {
        options.environment.emplace(name, value);
    }
    return RunProcess(BinPath(program), arguments, options);
}

bool RedirectorDaemon::Stop() {
    ProcessResult result = RunProcess(BinPath("cvnrd"), {"--runtime-dir", runtime_.path(), "stop"});
    started_ = false;
    return result.exit_status == 0;
}

}  // namespace cvn_test
