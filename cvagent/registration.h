// Registration with the redirector: the computer's host name and domain and
// the names of the provider's two browse containers (request 22).
#pragma once

#include <string>

#include "common/records.h"
#include "platform/types.h"

namespace cvagent {

// The 6824-byte record for a computer named `computer_name` (as gethostname
// gives it) with the container names `container1` and `container2`.
cvn::FixedRecord<cvn::registration::kSize> BuildRegistration(const std::u16string& computer_name,
                                                             const std::u16string& container1,
                                                             const std::u16string& container2);

// Opens the control device, registers, closes it; 0 or the Win32 code.
win32::DWORD RegisterWithRedirector();

}  // namespace cvagent
