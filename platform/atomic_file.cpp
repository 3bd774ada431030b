#include "platform/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/host_io.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace win32 {

namespace {

constexpr size_t kBufferSize = 1 << 18;

// Temporary files that a fatal signal must remove. The handler may only use
// async-signal-safe calls, so the names live in fixed slots; a slot is armed
// only once its name is complete.
constexpr int kCleanupSlots = 16;
enum SlotState : int { kSlotFree, kSlotFilling, kSlotArmed };
char g_cleanup_names[kCleanupSlots][PATH_MAX];
std::atomic<int> g_cleanup_state[kCleanupSlots];

void RemoveTemporariesAndDie(int signal_number) {
    for (int i = 0; i < kCleanupSlots; ++i) {
        if (g_cleanup_state[i].load() == kSlotArmed) {
            ::unlink(g_cleanup_names[i]);
        }
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void InstallCleanupHandlers() {
    static const bool installed = [] {
        for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction action {};
            struct sigaction previous {};
            ::sigaction(signal_number, nullptr, &previous);
            if (previous.sa_handler != SIG_DFL) {
                continue;  // the program handles it itself
            }
            action.sa_handler = RemoveTemporariesAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal_number, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

int ClaimCleanupSlot(const std::string& name) {
    if (name.size() >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kCleanupSlots; ++i) {
        int expected = kSlotFree;
        if (g_cleanup_state[i].compare_exchange_strong(expected, kSlotFilling)) {
            std::memcpy(g_cleanup_names[i], name.c_str(), name.size() + 1);
            g_cleanup_state[i].store(kSlotArmed);
            return i;
        }
    }
    return -1;  // more writers than slots: those beyond are not cleaned up on a signal
}

void ReleaseCleanupSlot(int slot) {
    if (slot >= 0) {
        g_cleanup_state[slot].store(kSlotFree);
    }
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that will be replaced: the target itself, or the file that a
// symbolic link at the target names, even one that does not exist yet.
std::string ResolveTarget(std::string path) {
    constexpr int kMaxLinks = 40;  // the host's own limit on a chain of links
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        std::string link(PATH_MAX, '\0');
        ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
            return path;
        }
        link.resize(static_cast<size_t>(length));
        path = link[0] == '/' ? link : DirectoryOf(path) + "/" + link;
    }
    return path;
}

std::string FileOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Checks that an existing target may be replaced and returns the mode the new
// file gets.
std::optional<mode_t> TargetMode(const std::string& target, std::optional<unsigned> new_file_mode) {
    struct stat info;
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            SetLastErrorFromErrno();
            return std::nullopt;
        }
        mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(new_file_mode.value_or(0666)) & ~mask;
    }
    if (S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    if (::access(target.c_str(), W_OK) != 0) {
        SetLastErrorFromErrno();
        return std::nullopt;
    }
    return info.st_mode & 07777;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target, std::string temporary, int fd)
    : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd) {
    cleanup_slot_ = ClaimCleanupSlot(temporary_);
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_) {
        ::unlink(temporary_.c_str());
    }
    ReleaseCleanupSlot(cleanup_slot_);
}

std::unique_ptr<AtomicFileWriter> AtomicFileWriter::Create(std::u16string_view name) {
    std::optional<std::string> path = HostPathOf(name);
    if (!path) {
        return nullptr;
    }
    return CreateForHostPath(*path);
}

std::unique_ptr<AtomicFileWriter> AtomicFileWriter::CreateForHostPath(
    const std::string& host_path, std::optional<unsigned> new_file_mode) {
    if (host_path.empty() || host_path.back() == '/') {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    std::string target = ResolveTarget(host_path);
    std::optional<mode_t> mode = TargetMode(target, new_file_mode);
    if (!mode) {
        return nullptr;
    }
    InstallCleanupHandlers();
    std::string temporary = DirectoryOf(target) + "/." + FileOf(target) + ".XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno));
        return nullptr;
    }
    ::fchmod(fd, *mode);
    return std::unique_ptr<AtomicFileWriter>(new AtomicFileWriter(target, temporary, fd));
}

bool AtomicFileWriter::Fail(int error_number) {
    if (error_ == 0) {
        error_ = Win32ErrorFromErrno(error_number);
    }
    SetLastError(error_);
    return false;
}

bool AtomicFileWriter::FlushBuffer() {
    int failure = WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return failure == 0 || Fail(failure);
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (error_ != 0 || committed_) {
        SetLastError(error_ != 0 ? error_ : ERROR_INVALID_HANDLE);
        return false;
    }
    if (buffer_.size() + size > kBufferSize && !FlushBuffer()) {
        return false;
    }
    if (size >= kBufferSize) {
        buffer_.assign(static_cast<const char*>(data), size);
        return FlushBuffer();
    }
    buffer_.append(static_cast<const char*>(data), size);
    return true;
}

bool AtomicFileWriter::Commit() {
    if (error_ != 0 || committed_) {
        SetLastError(error_ != 0 ? error_ : ERROR_INVALID_HANDLE);
        return false;
    }
    if (!FlushBuffer()) {
        return false;
    }
    const bool synced = ::fsync(fd_) == 0;
    const int sync_error = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) {
        return Fail(synced ? errno : sync_error);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        return Fail(errno);
    }
    committed_ = true;
    // Make the rename itself durable.
    int directory = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}

}  // namespace win32
