#include "inikit/config_file.h"

#include <cstring>

#include "inikit/instlib/instlib.h"
#include "inikit/section_lines.h"

namespace inikit {

ConfigFile::ConfigFile(const char* path) {
    if (path == nullptr || std::strlen(path) >= kPathCapacity) {
        return;
    }
    std::strcpy(path_, path);
    normalise_ = 1;
    handle_ = static_cast<std::uint32_t>(instlib::config_open(path_, 0));
}

ConfigFile::~ConfigFile() {
    instlib::config_close(0);
    handle_ = 0;
}

SectionContents ConfigFile::ReadSection(const std::string& section, HeaderMatch match) {
    SectionContents contents;
    if (handle_ == 0) {
        return contents;
    }
    instlib::config_close(0);
    contents = ReadSectionLines(path_, section, match == HeaderMatch::AnyCase, normalise_ != 0);
    handle_ = static_cast<std::uint32_t>(instlib::config_open(path_, 0));
    return contents;
}

std::vector<std::string> ConfigFile::SectionNames() {
    std::vector<std::string> names;
    if (handle_ == 0) {
        return names;
    }
    char buffer[kPathCapacity] = {};
    if (instlib::config_seek(buffer, 0, 0, 0) == 0) {
        return names;
    }
    do {
        names.emplace_back(buffer);
        buffer[0] = '\0';
    } while (instlib::config_seek(buffer, 0, 0, 2) == 1);
    return names;
}

}  // namespace inikit
