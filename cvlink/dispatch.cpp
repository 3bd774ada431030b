#include "cvlink/dispatch.h"

#include <optional>

#include "common/console.h"
#include "common/messages.h"
#include "cvlink/connection.h"
#include "cvlink/drive_letter.h"
#include "cvlink/listing.h"
#include "cvlink/password.h"
#include "cvlink/usage.h"
#include "platform/case_fold.h"
#include "platform/errors.h"

namespace cvlink {

namespace {

// Remote name, local name and user name are the command's own.
struct Command {
    std::u16string remote;
    std::u16string local;
    std::u16string user;
};

constexpr std::size_t kUserKeywordLength = 5;

bool IsSwitch(char16_t c) {
    return c == u'-' || c == u'/';
}
bool IsRemoteName(const std::u16string& text) {
    return text.starts_with(u"\\\\");
}

bool Equals(std::u16string_view text, const std::u16string& keyword) {
    return !keyword.empty() && win32::wcsicmp(text, keyword) == 0;
}

// "/user:name" or "-user:name": the five characters after the switch are the
// user keyword; the name is the rest from the seventh character on.
std::optional<std::u16string> UserOption(const Tool& tool, const std::u16string& argument) {
    if (argument.size() < 1 + kUserKeywordLength || !IsSwitch(argument[0]) ||
        !Equals(std::u16string_view(argument).substr(1, kUserKeywordLength), tool.user_keyword)) {
        return std::nullopt;
    }
    return argument.substr(1 + kUserKeywordLength);
}

void PrintBannerAndUsage(const Tool& tool) {
    cvn::PrintBanner(tool.program_name);
    cvn::PrintText(u"\n");
    PrintUsage(tool);
}

// Checks the drive argument and chooses the letter; false (the error shown)
// when the command cannot go on.
bool ValidateLocalName(Command& command) {
    const std::u16string& local = command.local;
    const char16_t first = local.empty() ? u'\0' : local[0];
    const bool colon = local.size() > 1 && local[1] == u':';
    // Only a letter of A to Z (either case) or '*' names a drive: anything
    // else would stand for a drive bit that does not exist.
    const bool letter = (first >= u'A' && first <= u'Z') || (first >= u'a' && first <= u'z');
    if ((!colon && first != u'*') || (!letter && first != u'*')) {
        cvn::PrintFormat(u"\n %c - ", {first});
        cvn::PrintSystemMessage(win32::ERROR_BAD_UNIT);
        return false;
    }
    const char16_t upper = first == u'*' ? u'*' : win32::FileNameUpper(first);
    const char16_t chosen = ChooseDriveLetter(upper);
    if (chosen == u'0') {
        cvn::PrintFormat(u"\n %c: - ", {upper});
        cvn::PrintSystemMessage(win32::ERROR_ALREADY_ASSIGNED);
        return false;
    }
    command.local = std::u16string{chosen, u':'};
    return true;
}

void RunConnect(Tool& tool, const Command& command) {
    Connect(tool, command.local, command.remote, command.user);
}

void DispatchOne(Tool& tool, const std::u16string& argument) {
    if (argument.size() >= 2 && argument[1] == u'?' && IsSwitch(argument[0])) {
        PrintUsage(tool);
    } else if (!argument.empty() && IsSwitch(argument[0]) &&
               (Equals(std::u16string_view(argument).substr(1), tool.banner_keyword) ||
                Equals(std::u16string_view(argument).substr(1), tool.banner_keyword2))) {
        cvn::PrintBanner(tool.program_name);
    } else if (IsRemoteName(argument)) {
        RunConnect(tool, Command{argument, u"", u""});
    } else {
        PrintBannerAndUsage(tool);
    }
}

void DispatchTwo(Tool& tool, const std::u16string& first, const std::u16string& second) {
    if (first.starts_with(u'/') &&
        Equals(std::u16string_view(first).substr(1), tool.disconnect_keyword)) {
        win32::DWORD result = Disconnect(second, 1);
        cvn::PrintText(u"\n  ");
        cvn::PrintSystemMessage(result);
        return;
    }
    Command command;
    if (IsRemoteName(first)) {
        command.remote = first;
        if (!second.empty() && IsSwitch(second[0])) {
            std::optional<std::u16string> user = UserOption(tool, second);
            if (!user) {
                PrintUsage(tool);
                return;
            }
            command.user = *user;
        } else if (second == u"*") {
            AskPassword(tool.password, command.remote);
        } else {
            PrintUsage(tool);
            return;
        }
        RunConnect(tool, command);
        return;
    }
    command.local = first;
    command.remote = second;
    if (!ValidateLocalName(command)) {
        return;
    }
    if (!IsRemoteName(command.remote)) {
        PrintUsage(tool);
        return;
    }
    RunConnect(tool, command);
}

// "* /user:name": the password is asked for at once, then the user option
// must follow. False (the usage shown) when either word is wrong.
bool TakePasswordAndUser(Tool& tool, Command& command, const std::u16string& star,
                         const std::u16string& user_option) {
    if (star != u"*") {
        PrintUsage(tool);
        return false;
    }
    AskPassword(tool.password, command.remote);
    std::optional<std::u16string> user = UserOption(tool, user_option);
    if (!user) {
        PrintUsage(tool);
        return false;
    }
    command.user = *user;
    return true;
}

void DispatchThree(Tool& tool, const std::vector<std::u16string>& words) {
    Command command;
    if (IsRemoteName(words[1])) {
        command.remote = words[1];
        if (TakePasswordAndUser(tool, command, words[2], words[3])) {
            RunConnect(tool, command);
        }
        return;
    }
    command.local = words[1];
    command.remote = words[2];
    if (std::optional<std::u16string> user = UserOption(tool, words[3])) {
        command.user = *user;
    } else if (words[3] == u"*") {
        AskPassword(tool.password, command.remote);
    } else {
        PrintUsage(tool);
        return;
    }
    // In this form the remote name is passed on as it is.
    if (ValidateLocalName(command)) {
        RunConnect(tool, command);
    }
}

void DispatchFour(Tool& tool, const std::vector<std::u16string>& words) {
    Command command;
    command.local = words[1];
    command.remote = words[2];
    if (!TakePasswordAndUser(tool, command, words[3], words[4]) || !ValidateLocalName(command)) {
        return;
    }
    if (!IsRemoteName(command.remote)) {
        PrintUsage(tool);
        return;
    }
    RunConnect(tool, command);
}

}  // namespace

void Dispatch(Tool& tool, const std::vector<std::u16string>& words) {
    switch (words.size()) {
        case 0:
        case 1:
            ListMounts();
            break;
        case 2:
            DispatchOne(tool, words[1]);
            break;
        case 3:
            DispatchTwo(tool, words[1], words[2]);
            break;
        case 4:
            DispatchThree(tool, words);
            break;
        case 5:
            DispatchFour(tool, words);
            break;
        default:
            PrintUsage(tool);
            break;
    }
}

}  // namespace cvlink
