// The C runtime's stream library as the system uses it: files opened by
// UTF-16 name, the standard streams, text and binary mode.
//
// Text mode on input is the runtime's: a carriage return directly followed
// by a line feed is dropped, every other carriage return is kept, and the
// first Ctrl-Z ends the input. Output is never translated: text written to
// the console goes out as UTF-8 with the line ends it has, which is what a
// terminal on the host expects.
//
// A write to a closed pipe fails the write (ERROR_NO_DATA) instead of ending
// the process, as on the target system.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace win32::crt {

enum class Translation { Text, Binary };

class Stream {
public:
    // _wfopen: mode "r", "w" or "a", optionally "+" and "b" or "t" (text is
    // the default). Returns null with the last error set on failure; a
    // directory gives ERROR_ACCESS_DENIED.
    static std::unique_ptr<Stream> Open(std::u16string_view name, std::u16string_view mode);

    static Stream& In();
    static Stream& Out();
    static Stream& Err();

    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // _setmode.
    void SetTranslation(Translation translation) { translation_ = translation; }

    // Reads up to `size` bytes after translation; 0 at the end of the input
    // or on a read error (then error() is set).
    size_t Read(char* buffer, size_t size);
    // One byte, or -1 at the end of the input or on error.
    int GetChar();
    bool AtEnd() const { return at_end_; }

    bool Write(const void* data, size_t size);
    // Console text: UTF-16 or ANSI text shown as UTF-8.
    bool WriteText(std::u16string_view text);
    bool WriteAnsiText(std::string_view text);

    bool Flush();
    // Flushes and closes; the standard streams stay open. Reports the first
    // failure of the stream's life.
    bool Close();

    // Win32 code of the first failure, 0 if none.
    DWORD error() const { return error_; }

private:
    Stream(int fd, bool owns_fd, bool is_output, bool flush_each_write);
    bool Fail(int error_number);
    bool Refill();
    size_t TranslateInto(char* buffer, size_t size);

    int fd_;
    bool owns_fd_;
    bool is_output_;
    bool flush_each_write_;
    Translation translation_ = Translation::Text;
    bool at_end_ = false;
    DWORD error_ = 0;
    std::string in_;  // raw bytes read and not yet handed out
    size_t in_pos_ = 0;
    bool in_exhausted_ = false;
    std::string out_;  // bytes written and not yet flushed
};

}  // namespace win32::crt
