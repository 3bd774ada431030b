// One worker thread: waits in the redirector's helper request and answers
// what it is handed, one request at a time.
#pragma once

#include "platform/types.h"

namespace cvagent {

class Service;

// Serves until the redirector fails the helper request (it stops, or the
// service does); that failure's Win32 code.
win32::DWORD ServeRedirector(Service& service);

}  // namespace cvagent
