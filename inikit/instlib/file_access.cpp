#include "inikit/instlib/file_access.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/atomic_file.h"
#include "platform/codepage.h"
#include "platform/paths.h"

namespace instlib {

namespace {

std::optional<std::string> HostPath(const char* ansi_name) {
    if (ansi_name == nullptr || ansi_name[0] == '\0') {
        return std::nullopt;
    }
    return win32::HostPathOf(win32::AnsiToWide(ansi_name));
}

}  // namespace

std::optional<std::string> ReadWholeFile(const char* ansi_name) {
    std::optional<std::string> path = HostPath(ansi_name);
    struct stat info;
    if (!path || ::stat(path->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::ifstream in(*path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes.str();
}

bool FileIsMissing(const char* ansi_name) {
    std::optional<std::string> path = HostPath(ansi_name);
    struct stat info;
    return path && ::lstat(path->c_str(), &info) != 0 && errno == ENOENT;
}

bool ReplaceWholeFile(const char* ansi_name, std::string_view bytes) {
    if (ansi_name == nullptr || ansi_name[0] == '\0') {
        return false;
    }
    auto writer = win32::AtomicFileWriter::Create(win32::AnsiToWide(ansi_name));
    return writer && writer->Write(bytes.data(), bytes.size()) && writer->Commit();
}

}  // namespace instlib
