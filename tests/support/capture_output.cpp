#include "tests/support/capture_output.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "platform/crt_stdio.h"
#include "tests/support/files.h"

namespace cvn_test {

namespace {

std::string RedirectToTemporary(int fd, int* saved) {
    std::string path = (std::filesystem::temp_directory_path() / "cvn-capture-XXXXXX").string();
    int file = ::mkstemp(path.data());
    *saved = ::dup(fd);
    ::dup2(file, fd);
    ::close(file);
    return path;
}

}  // namespace

CaptureOutput::CaptureOutput() {
    win32::crt::Stream::Out().Flush();
    out_path_ = RedirectToTemporary(STDOUT_FILENO, &saved_out_);
    err_path_ = RedirectToTemporary(STDERR_FILENO, &saved_err_);
}

CaptureOutput::~CaptureOutput() {
    Finish();
}

void CaptureOutput::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    win32::crt::Stream::Out().Flush();
    win32::crt::Stream::Err().Flush();
    ::dup2(saved_out_, STDOUT_FILENO);
    ::dup2(saved_err_, STDERR_FILENO);
    ::close(saved_out_);
    ::close(saved_err_);
    out_ = ReadFile(out_path_);
    err_ = ReadFile(err_path_);
    ::unlink(out_path_.c_str());
    ::unlink(err_path_.c_str());
}

const std::string& CaptureOutput::out() {
    Finish();
    return out_;
}

const std::string& CaptureOutput::err() {
    Finish();
    return err_;
}

}  // namespace cvn_test
