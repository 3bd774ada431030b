// The console backend of the user interface: boxes and dialogs shown on
// standard error and answered on standard input (host text, UTF-8). Once the
// input has ended, a box takes its default answer and a dialog is cancelled.
#pragma once

#include <memory>

#include "platform/ui.h"

namespace win32 {

std::shared_ptr<UiBackend> MakeConsoleUi();

}  // namespace win32
