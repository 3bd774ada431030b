#include "platform/file_info.h"

namespace win32 {

namespace {
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
}

DWORD AttributesOf(const struct stat& info) {
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(info.st_mode & S_IWUSR)) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes;
}

FILETIME FileTimeOf(const struct timespec& time) {
    std::int64_t seconds = time.tv_sec + kSecondsFrom1601To1970;
    std::uint64_t ticks = seconds < 0 ? 0
                                      : static_cast<std::uint64_t>(seconds) * 10000000ULL +
                                            static_cast<std::uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FileFacts FactsOf(const struct stat& info) {
    FileFacts facts;
    facts.attributes = AttributesOf(info);
    facts.size = S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
    facts.creation = FileTimeOf(info.st_ctim);
    facts.last_access = FileTimeOf(info.st_atim);
    facts.last_write = FileTimeOf(info.st_mtim);
    return facts;
}

}  // namespace win32
