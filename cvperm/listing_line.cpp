#include "cvperm/listing_line.h"

#include <optional>
#include <string>

#include "common/console.h"
#include "common/control_client.h"
#include "common/platform_kind.h"
#include "common/records.h"
#include "cvperm/local_time.h"
#include "cvperm/mode_text.h"
#include "platform/format.h"

namespace cvperm {

namespace {

// The width of the short-name column, room for an 8.3 name and two blanks.
constexpr int kShortNameColumns = 14;

// What the attribute columns hold when the attributes cannot be read.
constexpr std::u16string_view kNoAttributes = u"                     ";  // 21 blanks

constexpr std::uint32_t kSetUserId = 04000;
constexpr std::uint32_t kSetGroupId = 02000;
constexpr std::uint32_t kSticky = 01000;

// "rwx" of one class; the execute column shows the class's special bit:
// lower case with execute, upper case without.
std::u16string ClassColumns(std::uint32_t mode, int shift, std::uint32_t special,
                            char16_t special_letter) {
    std::u16string text;
    text += (mode >> shift) & 4 ? u'r' : u'-';
    text += (mode >> shift) & 2 ? u'w' : u'-';
    const bool execute = (mode >> shift) & 1;
    if (mode & special) {
        text += execute ? special_letter : static_cast<char16_t>(special_letter - 0x20);
    } else {
        text += execute ? u'x' : u'-';
    }
    return text;
}

// Type, permissions, owner and group, from the attributes read afresh.
void PrintAttributeColumns(std::u16string_view path) {
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    if (cvn::CvnGetNfsAttr(attributes, std::u16string(path).c_str()) != 0) {
        cvn::PrintText(kNoAttributes);
        return;
    }
    constexpr std::u16string_view kTypes = u"?-dbclsp";
    const std::uint32_t mode = attributes.mode() & kModeBits;
    std::u16string text(1, kTypes[attributes.type() % kTypes.size()]);
    text += ClassColumns(mode, 6, kSetUserId, u's');
    text += ClassColumns(mode, 3, kSetGroupId, u's');
    text += ClassColumns(mode, 0, kSticky, u't');
    cvn::PrintText(text);
    cvn::PrintFormat(u"  %5u  %5u  ", {attributes.uid(), attributes.gid()});
}

// Size, then the date padded with blanks to 8 columns and the time padded
// with zeros to 5, each followed by a blank.
void PrintSizeAndTime(win32::DWORD size, win32::FILETIME last_write) {
    cvn::PrintFormat(u" %7u ", {size});
    std::optional<DateAndTime> when = LocalDateAndTime(last_write);
    std::u16string date = when ? when->date : u"";
    std::u16string time = when ? when->time : u"";
    if (date.size() < 8) {
        date.insert(0, 8 - date.size(), u' ');
    }
    if (time.size() < 5) {
        time.insert(0, 5 - time.size(), u'0');
    }
    cvn::PrintText(date + u" " + time + u" ");
}

void PrintWideLine(const win32::WIN32_FIND_DATAW& found, std::u16string_view path) {
    cvn::PrintFormat(u"%-*s", {kShortNameColumns, found.cAlternateFileName});
    PrintAttributeColumns(path);
    PrintSizeAndTime(found.nFileSizeLow, found.ftLastWriteTime);
    cvn::PrintFormat(u"%s\n", {found.cFileName});
}

void PrintNarrowLine(const win32::WIN32_FIND_DATAA& found, std::u16string_view path) {
    std::optional<std::string> short_name =
        win32::FormatNarrow("%-*s", {kShortNameColumns, found.cAlternateFileName});
    cvn::PrintAnsiText(short_name ? *short_name : std::string(kShortNameColumns, ' '));
    PrintAttributeColumns(path);
    PrintSizeAndTime(found.nFileSizeLow, found.ftLastWriteTime);
    cvn::PrintAnsiText(found.cFileName);
    cvn::PrintAnsiText(" \n");
}

}  // namespace

void PrintListingLine(const cvn::FindRecord& found, std::u16string_view path) {
    switch (cvn::GetPlatformKind()) {
        case cvn::PLATFORM_NT:
            PrintWideLine(found.wide, path);
            break;
        case cvn::PLATFORM_WIN95:
            PrintNarrowLine(found.narrow, path);
            break;
        default:
            break;
    }
}

}  // namespace cvperm
