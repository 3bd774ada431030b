#include "eolconv/conversion.h"

#include <vector>

namespace eolconv {

namespace {
constexpr size_t kChunkSize = 1 << 20;
}

StandardOutput::StandardOutput() {
    win32::crt::Stream::Out().SetTranslation(win32::crt::Translation::Binary);
}

bool StandardOutput::Write(const char* data, size_t size) {
    return win32::crt::Stream::Out().Write(data, size);
}

bool StandardOutput::Finish() {
    return win32::crt::Stream::Out().Flush();
}

win32::DWORD StandardOutput::error() const {
    return win32::crt::Stream::Out().error();
}

ConversionOutcome Convert(win32::crt::Stream& input, Output& output) {
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        size_t count = input.Read(chunk.data(), chunk.size());
        if (count == 0) {
            break;
        }
        if (!output.Write(chunk.data(), count)) {
            return ConversionOutcome::WriteFailed;
        }
    }
    if (input.error() != 0) {
        return ConversionOutcome::ReadFailed;
    }
    return output.Finish() ? ConversionOutcome::Converted : ConversionOutcome::WriteFailed;
}

}  // namespace eolconv
