#include "cvstat/dispatch.h"

#include <string_view>

#include "common/console.h"
#include "common/messages.h"
#include "cvstat/mounts.h"
#include "cvstat/statistics.h"
#include "cvstat/usage.h"
#include "platform/case_fold.h"
#include "platform/errors.h"

namespace cvstat {

namespace {

constexpr int kShown = 0;
constexpr int kRan = 1;

bool IsSwitch(char16_t c) {
    return c == u'-' || c == u'/';
}

// A keyword missing from the catalog matches nothing, not the bare switch.
bool IsKeyword(std::u16string_view word, const std::u16string& keyword) {
    return !keyword.empty() && word == keyword;
}

bool IsBannerKeyword(const Tool& tool, std::u16string_view word) {
    for (const std::u16string* keyword : {&tool.banner_keyword, &tool.banner_keyword2}) {
        if (!keyword->empty() && win32::wcsicmp(word, *keyword) == 0) {
            return true;
        }
    }
    return false;
}

void PrintBannerAndUsage(const Tool& tool) {
    PrintCvstatBanner(tool);
    PrintUsage(tool);
}

// "-" and a word: the mount or statistics option, or nothing at all.
int RunOption(const Tool& tool, std::u16string_view word, const std::vector<std::u16string>& rest) {
    if (IsKeyword(word, tool.mount_keyword) || IsKeyword(word, tool.mount_keyword2)) {
        if (rest.empty()) {
            ShowAllMounts();
        } else {
            ShowNamedMounts(rest);
        }
    } else if (IsKeyword(word, tool.statistics_keyword) ||
               IsKeyword(word, tool.statistics_keyword2)) {
        if (rest.empty()) {
            ShowStatistics();
        } else {
            cvn::PrintFormat(u"\n%s - ", {rest[0]});
            cvn::PrintSystemMessage(win32::RPC_S_INVALID_NAME_SYNTAX);
            PrintUsage(tool);
        }
    }
    return kRan;
}

}  // namespace

int Dispatch(const Tool& tool, const std::vector<std::u16string>& arguments) {
    if (arguments.size() < 2) {
        PrintBannerAndUsage(tool);
        return kShown;
    }
    const std::u16string& first = arguments[1];
    if (first == u"-?" || first == u"/?") {
        PrintUsage(tool);
        return kShown;
    }
    if (!first.empty() && IsSwitch(first[0]) &&
        IsBannerKeyword(tool, std::u16string_view(first).substr(1))) {
        PrintCvstatBanner(tool);
        return kShown;
    }
    // The mount and statistics options are taken after '-' only.
    if (first.starts_with(u'-')) {
        return RunOption(tool, std::u16string_view(first).substr(1),
                         std::vector<std::u16string>(arguments.begin() + 2, arguments.end()));
    }
    PrintBannerAndUsage(tool);
    return kShown;
}

}  // namespace cvstat
