// Replacing a file without ever leaving it half-written.
//
// The new contents go to a temporary file beside the target; Commit() flushes
// them to the disk and renames the temporary file over the target, so the
// target holds either its old or its new contents, whatever happens in
// between. A writer that is destroyed without a commit, and a process ended by
// SIGINT, SIGTERM or SIGHUP while writing, remove the temporary file.
//
// The target keeps its permissions; a new file gets those the process's
// umask allows. A symbolic link is followed: the file it names is replaced.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace win32 {

class AtomicFileWriter {
public:
    // Null with the last error set when the target cannot be written (a
    // directory, a file without write permission, a missing directory) or the
    // temporary file cannot be created.
    static std::unique_ptr<AtomicFileWriter> Create(std::u16string_view name);
    // `new_file_mode`: the permissions a file that does not exist yet gets
    // (the umask applied); an existing file keeps its own.
    static std::unique_ptr<AtomicFileWriter> CreateForHostPath(
        const std::string& host_path, std::optional<unsigned> new_file_mode = {});

    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Write(const void* data, size_t size);
    bool Commit();

    // Win32 code of the first failure, 0 if none.
    DWORD error() const { return error_; }
    const std::string& target() const { return target_; }

private:
    AtomicFileWriter(std::string target, std::string temporary, int fd);
    bool Fail(int error_number);
    bool FlushBuffer();

    std::string target_;
    std::string temporary_;
    int fd_;
    int cleanup_slot_;
    bool committed_ = false;
    DWORD error_ = 0;
    std::string buffer_;
};

}  // namespace win32
