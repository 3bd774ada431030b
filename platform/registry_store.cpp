#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/last_error.h"

namespace win32 {

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// One hive file and the tree last read from it.
struct HiveFile {
    std::mutex lock;
    std::unique_ptr<RegistryNode> root;
    FileIdentity identity;
    bool loaded = false;
};

std::mutex g_files_lock;
std::map<std::string, std::unique_ptr<HiveFile>> g_files;
std::mutex g_diagnostic_lock;
std::string g_diagnostic;

std::string EnvironmentOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string HomeDirectory() {
    return EnvironmentOr("HOME", "/tmp");
}

std::string DirectoryOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

bool MakeDirectories(const std::string& path, mode_t mode) {
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        std::string part = path.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// The whole hive file and the identity of what was read. Anything short of
// all of it is an error: a hive read in part, or a directory read as
// nothing, would pass for a smaller hive and be written back as one.
DWORD ReadWholeFile(const std::string& path, std::string* text, FileIdentity* identity) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return ERROR_ACCESS_DENIED;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;
    }
    *identity = FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    char buffer[1 << 14];  // one read's worth; the loop goes on to the end
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error_number = errno;
            ::close(fd);
            return Win32ErrorFromErrno(error_number);
        }
        text->append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return 0;
}

HiveFile& FileFor(const std::string& path) {
    std::lock_guard guard(g_files_lock);
    std::unique_ptr<HiveFile>& file = g_files[path];
    if (!file) {
        file = std::make_unique<HiveFile>();
    }
    return *file;
}

void Diagnose(const std::string& text) {
    {
        std::lock_guard guard(g_diagnostic_lock);
        g_diagnostic = text;
    }
    OutputDebugStringA((text + "\n").c_str());
}

// Brings the tree up to date with the file; 0 or the error.
DWORD Refresh(HiveFile& file, const std::string& path, HiveId hive) {
    std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) {
        if (errno != ENOENT) {
            return Win32ErrorFromErrno(errno);
        }
        file.root = std::make_unique<RegistryNode>();
        file.root->name = HiveRootName(hive);
        file.identity = FileIdentity{};
        file.loaded = true;
        return 0;
    }
    if (file.loaded && file.root && *identity == file.identity) {
        return 0;
    }
    std::string text;
    if (DWORD error = ReadWholeFile(path, &text, &*identity)) {
        file.loaded = false;
        return error;
    }
    HiveParseError error;
    std::optional<std::unique_ptr<RegistryNode>> root = ParseHive(text, HiveRootName(hive), &error);
    if (!root) {
        file.loaded = false;
        Diagnose(path + ":" + std::to_string(error.line) + ": " + error.reason);
        return ERROR_BADDB;
    }
    file.root = std::move(*root);
    file.identity = *identity;
    file.loaded = true;
    return 0;
}

DWORD Write(HiveFile& file, const std::string& path, HiveId hive) {
    const bool private_hive = hive == HiveId::CurrentUser;
    if (!MakeDirectories(DirectoryOf(path), private_hive ? 0700 : 0755)) {
        return errno == EACCES || errno == EROFS ? ERROR_ACCESS_DENIED : Win32ErrorFromErrno(errno);
    }
    std::unique_ptr<AtomicFileWriter> writer =
        AtomicFileWriter::CreateForHostPath(path, private_hive ? 0600u : 0644u);
    if (!writer) {
        return GetLastError();
    }
    std::string text = FormatHive(*file.root, HiveRootName(hive));
    if (!writer->Write(text.data(), text.size()) || !writer->Commit()) {
        return writer->error();
    }
    if (std::optional<FileIdentity> identity = IdentityOf(path)) {
        file.identity = *identity;
    }
    return 0;
}

// Holds the advisory lock of one hive file.
class HiveLock {
public:
    explicit HiveLock(const std::string& path) {
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~HiveLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // lets go of the lock
        }
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace

std::string HiveFilePath(HiveId hive) {
    if (hive == HiveId::CurrentUser) {
        return EnvironmentOr("XDG_CONFIG_HOME", HomeDirectory() + "/.config") + "/cvn/user.reg";
    }
    std::string fallback =
        ::geteuid() == 0
            ? std::string("/var/lib/cvn/registry")
            : EnvironmentOr("XDG_STATE_HOME", HomeDirectory() + "/.local/state") + "/cvn/registry";
    return EnvironmentOr("CVN_REGISTRY_DIR", fallback) + "/system.reg";
}

std::u16string HiveRootName(HiveId hive) {
    return hive == HiveId::CurrentUser ? u"HKEY_CURRENT_USER" : u"HKEY_LOCAL_MACHINE";
}

std::string RegistryDiagnostic() {
    std::lock_guard guard(g_diagnostic_lock);
    return g_diagnostic;
}

DWORD ReadHive(HiveId hive, const std::function<DWORD(RegistryNode& root)>& read) {
    const std::string path = HiveFilePath(hive);
    HiveFile& file = FileFor(path);
    std::lock_guard guard(file.lock);
    if (DWORD error = Refresh(file, path, hive)) {
        return error;
    }
    return read(*file.root);
}

DWORD ChangeHive(HiveId hive,
                 const std::function<DWORD(RegistryNode& root, bool* changed)>& change) {
    const std::string path = HiveFilePath(hive);
    HiveFile& file = FileFor(path);
    std::lock_guard guard(file.lock);
    if (!MakeDirectories(DirectoryOf(path), hive == HiveId::CurrentUser ? 0700 : 0755)) {
        return ERROR_ACCESS_DENIED;
    }
    HiveLock lock(path);
    if (!lock.held()) {
        return ERROR_ACCESS_DENIED;
    }
    // Another process may have written since this one last looked.
    file.loaded = false;
    if (DWORD error = Refresh(file, path, hive)) {
        return error;
    }
    bool changed = false;
    DWORD result = change(*file.root, &changed);
    if (result == 0 && changed) {
        if (DWORD error = Write(file, path, hive)) {
            file.loaded = false;  // read the file again next time: the change did not land
            return error;
        }
    } else if (changed) {
        file.loaded = false;
    }
    return result;
}

}  // namespace win32
