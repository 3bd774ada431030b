// What the provider keeps for the process that loaded it.
#pragma once

#include <string>

#include "platform/types.h"

namespace cvprov {

struct ProviderState {
    win32::HINSTANCE module = nullptr;
    win32::HMODULE catalog = nullptr;
    std::u16string caption;               // title of the wide message boxes
    std::u16string name_space_container;  // message 156
    std::u16string subnet_container;      // message 157
    std::u16string name_space_comment;    // message 153
    std::u16string subnet_comment;        // message 154
    int enumeration_start = 0;            // 1 started, -1 failed, 0 not yet
    int print_start = 0;
    win32::HANDLE enumeration_semaphore = nullptr;
    win32::HANDLE printer_semaphore = nullptr;
    win32::HANDLE job_semaphore = nullptr;
    bool logged_on = false;
    bool upgrade_requested = false;
    bool upgrade_pending = false;
    bool winsock_started = false;
};

ProviderState& State();

// Library start-up and shutdown, in the order the platform expects.
bool ProcessAttach(win32::HINSTANCE module);
void ProcessDetach();

// The registry upgrade pass, once per process: the first connection call
// runs it.
void RunPendingUpgrade();

// The ANSI code page's longest character, read once.
unsigned MaximumCharacterSize();

// A text of the message library; "" when missing.
std::u16string Message(win32::UINT id);
bool HasMessage(win32::UINT id);

// Catalog identifiers of the provider.
inline constexpr win32::UINT kMsgCaption = 97;
inline constexpr win32::UINT kMsgCaptionFormat = 115;
inline constexpr win32::UINT kMsgNarrowBoxTitle = 143;
inline constexpr win32::UINT kMsgNameSpaceComment = 153;
inline constexpr win32::UINT kMsgSubnetComment = 154;
inline constexpr win32::UINT kMsgNameSpaceContainer = 156;
inline constexpr win32::UINT kMsgSubnetContainer = 157;
inline constexpr win32::UINT kMsgNoExports = 572;
inline constexpr win32::UINT kMsgConfirmConnection = 612;
inline constexpr win32::UINT kMsgHelperNotStarted = 1243;

inline constexpr char16_t kProviderName[] = u"Corvane";
inline constexpr char16_t kProductName[] = u"Corvane 95 NFS Client";

}  // namespace cvprov
