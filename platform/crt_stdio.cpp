#include "platform/crt_stdio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

#include "platform/errors.h"
#include "platform/host_errors.h"
#include "platform/host_io.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace win32::crt {

namespace {

constexpr size_t kBufferSize = 1 << 18;
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kCtrlZ = 0x1A;

// The mode is one of r, w or a, then at most one '+' and at most one of b
// or t, in any order; anything else is refused, as the runtime does.
std::optional<int> OpenFlags(std::u16string_view mode) {
    if (mode.empty()) {
        return std::nullopt;
    }
    int plus = 0;
    int translation = 0;
    for (char16_t c : mode.substr(1)) {
        if (c == u'+') {
            ++plus;
        } else if (c == u'b' || c == u't') {
            ++translation;
        } else {
            return std::nullopt;
        }
    }
    if (plus > 1 || translation > 1) {
        return std::nullopt;
    }
    const bool update = plus == 1;
    switch (mode[0]) {
        case u'r':
            return update ? O_RDWR : O_RDONLY;
        case u'w':
            return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        case u'a':
            return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
        default:
            return std::nullopt;
    }
}

void IgnoreBrokenPipeSignal() {
    static const bool done = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)done;
}

}  // namespace

Stream::Stream(int fd, bool owns_fd, bool is_output, bool flush_each_write)
    : fd_(fd), owns_fd_(owns_fd), is_output_(is_output), flush_each_write_(flush_each_write) {
    if (is_output_) {
        IgnoreBrokenPipeSignal();
        out_.reserve(kBufferSize);
    }
}

Stream::~Stream() {
    if (owns_fd_) {
        Close();
    } else {
        Flush();
    }
}

std::unique_ptr<Stream> Stream::Open(std::u16string_view name, std::u16string_view mode) {
    std::optional<int> flags = OpenFlags(mode);
    if (!flags) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::optional<std::string> path = HostPathOf(name);
    if (!path) {
        return nullptr;
    }
    int fd = ::open(path->c_str(), *flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return nullptr;
    }
    // The runtime opens files, not directories.
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    std::unique_ptr<Stream> stream(new Stream(fd, true, (*flags & O_ACCMODE) != O_RDONLY, false));
    if (mode.find(u'b') != std::u16string_view::npos) {
        stream->translation_ = Translation::Binary;
    }
    return stream;
}

Stream& Stream::In() {
    static Stream stream(STDIN_FILENO, false, false, false);
    return stream;
}

// Standard output is flushed at once on a terminal, so that prompts show
// before input is read, and buffered otherwise; standard error never waits.
Stream& Stream::Out() {
    static Stream stream(STDOUT_FILENO, false, true, ::isatty(STDOUT_FILENO) == 1);
    return stream;
}

Stream& Stream::Err() {
    static Stream stream(STDERR_FILENO, false, true, true);
    return stream;
}

bool Stream::Fail(int error_number) {
    if (error_ == 0) {
        error_ = Win32ErrorFromErrno(error_number);
    }
    SetLastError(error_);
    return false;
}

bool Stream::Refill() {
    if (in_exhausted_) {
        return false;
    }
    in_.erase(0, in_pos_);
    in_pos_ = 0;
    const size_t kept = in_.size();
    in_.resize(kept + kBufferSize);
    ssize_t got;
    do {
        got = ::read(fd_, in_.data() + kept, kBufferSize);
    } while (got < 0 && errno == EINTR);
    in_.resize(kept + static_cast<size_t>(got > 0 ? got : 0));
    if (got <= 0) {
        in_exhausted_ = true;
        if (got < 0) {
            Fail(errno);
        }
        return false;
    }
    return true;
}

// Copies translated bytes until the caller's buffer is full or the raw bytes
// run out. A carriage return that is the last raw byte waits for the next
// read, because only the byte after it tells whether it is dropped.
size_t Stream::TranslateInto(char* buffer, size_t size) {
    size_t produced = 0;
    while (produced < size && in_pos_ < in_.size()) {
        const char* start = in_.data() + in_pos_;
        size_t available = std::min(in_.size() - in_pos_, size - produced);
        size_t plain = 0;
        while (plain < available && start[plain] != kCarriageReturn && start[plain] != kCtrlZ) {
            ++plain;
        }
        std::memcpy(buffer + produced, start, plain);
        produced += plain;
        in_pos_ += plain;
        if (plain == available) {
            continue;
        }
        if (start[plain] == kCtrlZ) {
            at_end_ = true;
            in_exhausted_ = true;
            in_.clear();
            in_pos_ = 0;
            break;
        }
        if (in_pos_ + 1 >= in_.size() && !in_exhausted_) {
            break;  // carriage return at the end of the raw bytes: look ahead first
        }
        if (in_pos_ + 1 < in_.size() && in_[in_pos_ + 1] == kLineFeed) {
            ++in_pos_;  // drop the carriage return, the line feed follows
            continue;
        }
        buffer[produced++] = kCarriageReturn;
        ++in_pos_;
    }
    return produced;
}

size_t Stream::Read(char* buffer, size_t size) {
    if (size == 0 || at_end_) {
        return 0;
    }
    if (translation_ == Translation::Binary) {
        if (in_pos_ < in_.size()) {
            size_t count = std::min(size, in_.size() - in_pos_);
            std::memcpy(buffer, in_.data() + in_pos_, count);
            in_pos_ += count;
            return count;
        }
        ssize_t got;
        do {
            got = ::read(fd_, buffer, size);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            at_end_ = true;
            if (got < 0) {
                Fail(errno);
            }
            return 0;
        }
        return static_cast<size_t>(got);
    }
    for (;;) {
        size_t produced = TranslateInto(buffer, size);
        if (produced > 0 || at_end_) {
            return produced;
        }
        if (!Refill() && in_pos_ >= in_.size()) {
            at_end_ = true;
            return 0;
        }
    }
}

int Stream::GetChar() {
    char byte;
    return Read(&byte, 1) == 1 ? static_cast<unsigned char>(byte) : -1;
}

bool Stream::Write(const void* data, size_t size) {
    if (error_ != 0) {
        SetLastError(error_);
        return false;
    }
    if (this == &Err()) {
        Out().Flush();  // what standard output said before stays ahead of it
    }
    out_.append(static_cast<const char*>(data), size);
    if (flush_each_write_ || out_.size() >= kBufferSize) {
        return Flush();
    }
    return true;
}

bool Stream::WriteText(std::u16string_view text) {
    std::string display = WideToDisplay(text);
    return Write(display.data(), display.size());
}

bool Stream::WriteAnsiText(std::string_view text) {
    std::string display = AnsiToDisplay(text);
    return Write(display.data(), display.size());
}

bool Stream::Flush() {
    int failure = out_.empty() ? 0 : WriteAll(fd_, out_.data(), out_.size());
    out_.clear();
    if (failure != 0) {
        return Fail(failure);
    }
    if (error_ != 0) {
        SetLastError(error_);
        return false;
    }
    return true;
}

bool Stream::Close() {
    bool flushed = Flush();
    if (owns_fd_ && fd_ >= 0) {
        if (::close(fd_) != 0 && flushed) {
            flushed = Fail(errno);
        }
        fd_ = -1;
    }
    return flushed && error_ == 0;
}

}  // namespace win32::crt
