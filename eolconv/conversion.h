// The copy from DOS text to UNIX text: the input is read in the runtime's
// text mode (CR LF becomes LF, a lone CR stays, Ctrl-Z ends the input) and
// written as it comes, in constant memory.
#pragma once

#include <memory>
#include <string>

#include "platform/atomic_file.h"
#include "platform/crt_stdio.h"
#include "platform/types.h"

namespace eolconv {

// Where the converted text goes.
class Output {
public:
    virtual ~Output() = default;
    virtual bool Write(const char* data, size_t size) = 0;
    // Makes the written text final; false when that fails.
    virtual bool Finish() = 0;
    virtual win32::DWORD error() const = 0;
};

// Standard output, switched to binary mode.
class StandardOutput : public Output {
public:
    StandardOutput();
    bool Write(const char* data, size_t size) override;
    bool Finish() override;
    win32::DWORD error() const override;
};

// A named file, replaced only when the conversion has succeeded: the input
// may be the same file, and a failure leaves the old file as it was.
class FileOutput : public Output {
public:
    explicit FileOutput(std::unique_ptr<win32::AtomicFileWriter> writer)
        : writer_(std::move(writer)) {}
    bool Write(const char* data, size_t size) override { return writer_->Write(data, size); }
    bool Finish() override { return writer_->Commit(); }
    win32::DWORD error() const override { return writer_->error(); }

private:
    std::unique_ptr<win32::AtomicFileWriter> writer_;
};

enum class ConversionOutcome { Converted, ReadFailed, WriteFailed };

ConversionOutcome Convert(win32::crt::Stream& input, Output& output);

}  // namespace eolconv
