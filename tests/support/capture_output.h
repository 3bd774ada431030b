// Captures what the process writes to standard output (and, separately, to
// standard error) while the object lives, including what the platform
// layer's streams still hold in their buffers.
#pragma once

#include <string>

namespace cvn_test {

class CaptureOutput {
public:
    CaptureOutput();
    ~CaptureOutput();
    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

    // Ends the capture (once) and returns the bytes of each stream.
    const std::string& out();
    const std::string& err();

private:
    void Finish();

    int saved_out_ = -1;
    int saved_err_ = -1;
    std::string out_path_;
    std::string err_path_;
    bool finished_ = false;
    std::string out_;
    std::string err_;
};

}  // namespace cvn_test
