// The user-information dialog (IDD_GET_USERINFO): asks for the user name and
// password of a connection.
#pragma once

#include "common/records.h"
#include "platform/ui.h"

namespace cvprov {

inline constexpr int kUserInfoExplanation = 1162;
inline constexpr int kUserInfoResource = 1109;
inline constexpr int kUserInfoUserLabel = 1059;
inline constexpr int kUserInfoUser = 1060;
inline constexpr int kUserInfoPasswordLabel = 1061;
inline constexpr int kUserInfoPassword = 1062;

// Shows the dialog for the connection in `entry`; on OK the user name and
// password typed are stored back into it. Returns non-zero for OK.
int PromptForUserInfoDialog(win32::HWND owner, cvn::MountEntry* entry);

}  // namespace cvprov
