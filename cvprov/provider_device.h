// The redirector's control device as the provider uses it: opened for each
// request and closed after it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/handles.h"
#include "platform/types.h"

namespace cvprov {

// The Windows 95 form of the provider talks to \\.\VCORV, the Windows NT
// form to \\.\CVNCTL.
enum class Form { Win95, Nt };

// How a request went: the record's status word and the last error, taken
// at once after the request, before anything else can change it.
struct Outcome {
    bool ok = false;
    std::uint16_t status = 0;
    win32::DWORD error = 0;
};

// The Win32 result of a request: 0 when it succeeded; the captured last
// error when it failed with the status still 0 (the redirector gave no
// word); otherwise the status translated, the captured error standing in
// for a word the table does not know.
win32::DWORD Translate(const Outcome& outcome);

class ProviderDevice {
public:
    // 0, or the error of opening the device.
    win32::DWORD Open(Form form);
    Outcome Send(win32::DWORD code, std::uint8_t* record, std::size_t size);
    bool is_open() const { return handle_.valid(); }

private:
    win32::UniqueHandle handle_;
};

}  // namespace cvprov
