// The file object behind every call: it opens the file through instlib for
// the duration of one call, and reads whole sections itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace inikit {

inline constexpr size_t kPathCapacity = 260;

struct SectionEntry {
    std::string text;        // the entry, normalised
    std::uint16_t line = 0;  // its line in the file, the first being 1
};

struct SectionContents {
    bool found = false;
    std::vector<SectionEntry> entries;
};

enum class HeaderMatch { ExactCase, AnyCase };

class ConfigFileBase {
public:
    virtual ~ConfigFileBase() = default;
};

class ConfigFile : public ConfigFileBase {
public:
    // Opens the file through instlib. A name that does not fit the path
    // field (259 characters) is not opened at all: a cut name would be
    // another file.
    explicit ConfigFile(const char* path);
    ~ConfigFile() override;
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    std::uint32_t handle() const { return handle_; }
    const char* path() const { return path_; }

    // The first section of that name, its entries normalised, comments and
    // empty lines skipped. instlib lets go of the file while it is read and
    // opens it again afterwards.
    SectionContents ReadSection(const std::string& section,
                                HeaderMatch match = HeaderMatch::ExactCase);

    // Section names in file order, through instlib's section walk.
    std::vector<std::string> SectionNames();

private:
    std::uint32_t handle_ = 0;
    int normalise_ = 1;
    char path_[kPathCapacity] = {};
};

}  // namespace inikit
