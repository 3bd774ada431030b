// Catalog identifiers that several tools share. Each tool names its own
// identifiers beside its code.
#pragma once

#include "platform/types.h"

namespace cvn {

inline constexpr win32::UINT kMsgUsageFirstLine = 124;
inline constexpr win32::UINT kMsgVersionWord = 138;
inline constexpr win32::UINT kMsgBannerKeyword = 158;
inline constexpr win32::UINT kMsgYesDescription = 162;
inline constexpr win32::UINT kMsgNoDescription = 163;
inline constexpr win32::UINT kMsgBannerKeyword2 = 173;
inline constexpr win32::UINT kMsgRedirectorNotRunning = 208;
inline constexpr win32::UINT kMsgAnswerYes = 225;
inline constexpr win32::UINT kMsgAnswerNo = 226;
inline constexpr win32::UINT kMsgYesKey = 229;
inline constexpr win32::UINT kMsgNoKey = 230;
inline constexpr win32::UINT kMsgUsageWhere = 293;
inline constexpr win32::UINT kMsgPlatformNotSupported = 313;

}  // namespace cvn
