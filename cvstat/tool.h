// What cvstat keeps for its whole run, and the catalog texts it prints.
#pragma once

#include <string>

#include "platform/types.h"

namespace cvstat {

// Option keywords: the mount and statistics options compare exactly, after
// '-' only; the banner keywords (shared, common/message_ids.h) ignore case.
inline constexpr win32::UINT kMsgMountKeyword = 212;
inline constexpr win32::UINT kMsgMountKeyword2 = 172;
inline constexpr win32::UINT kMsgStatisticsKeyword = 213;
inline constexpr win32::UINT kMsgStatisticsKeyword2 = 171;

// Usage text.
inline constexpr win32::UINT kMsgUsageOptions = 125;
inline constexpr win32::UINT kMsgUsageHelp = 130;
inline constexpr win32::UINT kMsgUsageVersion = 131;
inline constexpr win32::UINT kMsgUsageMountNames = 170;
inline constexpr win32::UINT kMsgUsageMount = 174;
inline constexpr win32::UINT kMsgUsageMount2 = 175;
inline constexpr win32::UINT kMsgUsageStatistics = 176;
inline constexpr win32::UINT kMsgUsageStatistics2 = 177;

// Statistics.
inline constexpr win32::UINT kMsgNoStatistics = 201;
inline constexpr win32::UINT kMsgNoStatistics2 = 202;
inline constexpr win32::UINT kMsgStatisticsHeading = 203;
inline constexpr win32::UINT kMsgFirstStatisticsCounter = 204;  // 204 to 207

// Asked before every mount after the first.
inline constexpr win32::UINT kMsgNextMountPrompt = 209;

struct Tool {
    std::u16string program_name;
    std::u16string banner_keyword;       // 158
    std::u16string banner_keyword2;      // 173
    std::u16string mount_keyword;        // 212
    std::u16string mount_keyword2;       // 172
    std::u16string statistics_keyword;   // 213
    std::u16string statistics_keyword2;  // 171
};

}  // namespace cvstat
