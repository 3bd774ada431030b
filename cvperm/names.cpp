#include "cvperm/names.h"

#include <string>
#include <utility>

#include "common/ansi_names.h"
#include "common/console.h"
#include "common/file_wrappers.h"
#include "common/messages.h"
#include "common/platform_kind.h"
#include "cvperm/listing_line.h"
#include "cvperm/prompt.h"
#include "cvperm/set_mode.h"
#include "platform/errors.h"
#include "platform/last_error.h"

namespace cvperm {

namespace {

// Every path the tool builds or hands on fits the platform's path buffers.
constexpr std::size_t kPathChars = win32::MAX_PATH;

// A full path and where its last component starts (npos: it has none).
struct FullPath {
    std::u16string text;
    std::size_t file_part = std::u16string::npos;
};

// The full path of `name` into `full`; false with the reason in `error`. A
// path that does not fit is refused, never cut: a shortened path can name
// another file.
bool MakeFullPath(std::u16string_view name, FullPath* full, win32::DWORD* error) {
    if (name.size() >= kPathChars) {
        *error = win32::ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    char16_t buffer[kPathChars];
    char16_t* file_part = nullptr;
    const win32::DWORD count =
        cvn::CvnGetFullPathName(name, static_cast<win32::DWORD>(kPathChars), buffer, &file_part);
    if (count == 0) {
        *error = win32::GetLastError();
        if (*error == 0) {
            *error = win32::ERROR_INVALID_NAME;
        }
        return false;
    }
    if (count >= kPathChars) {
        *error = win32::ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    full->text.assign(buffer, count);
    full->file_part =
        file_part != nullptr ? static_cast<std::size_t>(file_part - buffer) : std::u16string::npos;
    return true;
}

// The search pattern of a name: its full path, with "*" added when it names
// a directory by its separator, which stands for everything in it.
bool MakeSearchPattern(std::u16string_view name, FullPath* pattern, win32::DWORD* error) {
    if (!MakeFullPath(name, pattern, error)) {
        return false;
    }
    if (pattern->file_part != std::u16string::npos) {
        return true;
    }
    if (!MakeFullPath(pattern->text + u"*", pattern, error)) {
        return false;
    }
    if (pattern->file_part == std::u16string::npos) {
        *error = win32::ERROR_INVALID_NAME;
        return false;
    }
    return true;
}

// A name that cannot be searched: "   name - reason".
void ReportName(std::u16string_view name, win32::DWORD error) {
    cvn::PrintFormat(u"\n   %s - ", {std::u16string(name)});
    cvn::PrintSystemMessage(error);
}

// A file that cannot be worked on: "path - reason".
void ReportPath(const std::u16string& path, win32::DWORD error) {
    cvn::PrintFormat(u"\n%s - ", {path});
    cvn::PrintSystemMessage(error);
}

// Closes the search however the loop over its matches ends.
class Search {
public:
    explicit Search(win32::HANDLE handle) : handle_(handle) {}
    ~Search() {
        if (ok()) {
            cvn::CvnFindClose(handle_);
        }
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    bool ok() const { return handle_ != win32::INVALID_HANDLE_VALUE && handle_ != nullptr; }
    win32::HANDLE get() const { return handle_; }

private:
    win32::HANDLE handle_;
};

// The name of a match, and the name that goes into its path: the 8.3 name
// when the file has one, which keeps paths within their 260 characters.
struct MatchNames {
    std::u16string long_name;
    std::u16string path_name;
};

MatchNames ChooseNames(std::u16string long_name, std::u16string short_name) {
    std::u16string path_name = short_name.empty() ? long_name : std::move(short_name);
    return {std::move(long_name), std::move(path_name)};
}

std::u16string FromAnsi(const char* text) {
    char16_t buffer[kPathChars];
    const int stored = cvn::FromAnsiText(text, buffer, static_cast<int>(kPathChars));
    return stored > 0 ? std::u16string(buffer, static_cast<std::size_t>(stored - 1)) : u"";
}

MatchNames WideNames(const win32::WIN32_FIND_DATAW& found) {
    return ChooseNames(found.cFileName, found.cAlternateFileName);
}

MatchNames NarrowNames(const win32::WIN32_FIND_DATAA& found) {
    return ChooseNames(FromAnsi(found.cFileName), FromAnsi(found.cAlternateFileName));
}

MatchNames NamesOf(const cvn::FindRecord& found) {
    return cvn::GetPlatformKind() == cvn::PLATFORM_WIN95 ? NarrowNames(found.narrow)
                                                         : WideNames(found.wide);
}

// "." is the directory itself; its path is the directory's own, which every
// redirector knows without resolving a "." component.
std::u16string DirectoryItself(const std::u16string& directory) {
    if (directory.size() > 1 && directory.back() == u'\\' &&
        directory[directory.size() - 2] != u':') {
        return directory.substr(0, directory.size() - 1);
    }
    return directory;
}

// Does for one match what the option says; false when the user quits.
bool ActOnMatch(Tool& tool, const std::u16string& directory, const cvn::FindRecord& found) {
    const MatchNames names = NamesOf(found);
    // A wildcard matches ".." too, but the parent directory is never what a
    // user means by it: "dir\" and "dir\*" are dir and what it holds.
    if (names.long_name == u"..") {
        return true;
    }
    const std::u16string path =
        names.long_name == u"." ? DirectoryItself(directory) : directory + names.path_name;
    if (names.path_name.empty() || path.size() >= kPathChars) {
        ReportPath(path, names.path_name.empty() ? win32::ERROR_INVALID_NAME
                                                 : win32::ERROR_FILENAME_EXCED_RANGE);
        return true;
    }
    switch (tool.option) {
        case Option::kNone:
            SetModeOfFile(path, tool.mode_text, tool.letters);
            return true;
        case Option::kList:
            SetModeOfFile(path, tool.mode_text, tool.letters);
            PrintListingLine(found, path);
            return true;
        case Option::kAsk:
            switch (AskBeforeFile(path)) {
                case Answer::kAll:
                    tool.option = Option::kNone;
                    [[fallthrough]];
                case Answer::kYes:
                    SetModeOfFile(path, tool.mode_text, tool.letters);
                    return true;
                case Answer::kQuit:
                    return false;
                case Answer::kNo:
                case Answer::kNone:
                    return true;
            }
            return true;
        case Option::kAskAndList:
            switch (AskBeforeFile(path)) {
                case Answer::kAll:
                    tool.option = Option::kList;
                    [[fallthrough]];
                case Answer::kYes:
                    SetModeOfFile(path, tool.mode_text, tool.letters);
                    PrintListingLine(found, path);
                    return true;
                case Answer::kNo:
                    PrintListingLine(found, path);
                    return true;
                case Answer::kQuit:
                    return false;
                case Answer::kNone:
                    return true;
            }
            return true;
        case Option::kUnknown:
            return true;
    }
    return true;
}

}  // namespace

NameOutcome ProcessName(Tool& tool, std::u16string_view name) {
    FullPath pattern;
    win32::DWORD error = 0;
    if (!MakeSearchPattern(name, &pattern, &error)) {
        ReportName(name, error);
        return NameOutcome::kDone;
    }
    const std::u16string directory = pattern.text.substr(0, pattern.file_part);
    cvn::FindRecord found{};
    Search search(cvn::CvnFindFirstFile(pattern.text, &found));
    if (!search.ok()) {
        ReportName(std::u16string_view(pattern.text).substr(pattern.file_part),
                   win32::GetLastError());
        return NameOutcome::kDone;
    }
    do {
        if (!ActOnMatch(tool, directory, found)) {
            return NameOutcome::kQuit;
        }
    } while (cvn::CvnFindNextFile(search.get(), &found));
    error = win32::GetLastError();
    if (error != win32::ERROR_NO_MORE_FILES) {
        cvn::PrintSystemMessage(error);
        return NameOutcome::kSearchFailed;
    }
    cvn::PrintText(u"\n\n");
    return NameOutcome::kDone;
}

}  // namespace cvperm
