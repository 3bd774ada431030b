#include "cvlink/connection.h"

#include "common/console.h"
#include "common/messages.h"
#include "platform/errors.h"

namespace cvlink {

win32::DWORD Connect(const std::u16string&, const std::u16string&, const std::u16string&,
                     const std::u16string&) {
    // NOT YET BUILT: the network provider makes connections.
    const win32::DWORD result = win32::ERROR_NOT_SUPPORTED;
    cvn::PrintText(u"\n  ");
    cvn::PrintSystemMessage(result);
    return result;
}

win32::DWORD Disconnect(const std::u16string&, int) {
    // NOT YET BUILT: the network provider cancels connections.
    return win32::ERROR_NOT_SUPPORTED;
}

}  // namespace cvlink
