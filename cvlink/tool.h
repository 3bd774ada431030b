// What cvlink keeps for its whole run.
#pragma once

#include <string>

namespace cvlink {

// Catalog identifiers of cvlink.
inline constexpr unsigned kMsgDisconnectKeyword = 309;
inline constexpr unsigned kMsgUserKeyword = 310;
inline constexpr unsigned kMsgConnectedTo = 314;
inline constexpr unsigned kMsgPasswordPrompt = 315;
inline constexpr unsigned kMsgResponseFileNotOpened = 316;
inline constexpr unsigned kMsgListHeading = 320;
inline constexpr unsigned kMsgDisconnectAllQuestion = 321;
inline constexpr unsigned kMsgNoMounts = 323;
inline constexpr unsigned kMsgResponseLineTooLong = 5401;

// The longest remote name, local name, password or response-file line.
inline constexpr std::size_t kMaxText = 259;

struct Tool {
    std::u16string program_name;
    std::u16string banner_keyword;      // 158
    std::u16string banner_keyword2;     // 173
    std::u16string disconnect_keyword;  // 309
    std::u16string user_keyword;        // 310, five characters
    // Emptied once at the start of the run: a password given on one line of
    // a response file stays in force for the lines after it.
    std::u16string password;
};

}  // namespace cvlink
