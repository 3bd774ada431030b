#include "inikit/operations.h"

#include "inikit/entry_text.h"
#include "inikit/instlib/instlib.h"

namespace inikit {

namespace {

constexpr unsigned kSetOne = 0x180;
constexpr unsigned kRemoveOne = 0x181;
constexpr unsigned kRemoveForReplace = 1;
constexpr unsigned kSetForReplace = 0x182;
constexpr unsigned kFlushFlags = 0x181;
constexpr int kValueBufferSize = 512;

bool Flush(const char* file) {
    instlib::config_close(0);
    return instlib::config_flush(file, 0, kFlushFlags) != 0;
}

}  // namespace

std::optional<std::vector<std::string>> ListSectionNames(const char* file) {
    ConfigFile config(file);
    if (config.handle() == 0) {
        return std::nullopt;
    }
    return config.SectionNames();
}

SectionContents GetSection(const char* section, const char* file) {
    ConfigFile config(file);
    return config.ReadSection(section);
}

std::optional<std::string> GetKeyValue(const char* section, const char* key, const char* file) {
    ConfigFile config(file);
    // config_seek takes a writable buffer, and an empty one means "the first
    // section": an empty name names no section here.
    std::string name = section;
    if (config.handle() == 0 || name.empty() || instlib::config_seek(name.data(), 0, 0, 0) == 0) {
        return std::nullopt;
    }
    char buffer[kValueBufferSize] = {};
    if (instlib::config_read(key, -1, buffer, kValueBufferSize, kSetOne) == 0) {
        return std::nullopt;
    }
    return CleanValue(buffer);
}

bool WriteKey(const char* section, const char* key, const char* value, const char* file) {
    instlib::config_write(section, 0, 0, key, value, kSetOne);
    return Flush(file);
}

bool DeleteKey(const char* section, const char* key, const char* file) {
    ConfigFile config(file);
    instlib::config_write(section, 0, 0, key, nullptr, kRemoveOne);
    return Flush(file);
}

bool ReplaceSection(const char* section, const std::vector<KeyValue>& pairs, const char* file) {
    ConfigFile config(file);
    SectionContents existing = config.ReadSection(section);
    for (const SectionEntry& entry : existing.entries) {
        size_t equals = entry.text.find('=');
        if (equals != std::string::npos && equals >= 1) {
            std::string key = entry.text.substr(0, equals);
            instlib::config_write(section, 0, 0, key.c_str(), nullptr, kRemoveForReplace);
        }
    }
    for (const KeyValue& pair : pairs) {
        std::string key(TrimWhiteSpace(pair.first));
        std::string value(TrimWhiteSpace(pair.second));
        instlib::config_write(section, 0, 0, key.c_str(), value.c_str(), kSetForReplace);
    }
    return Flush(file);
}

}  // namespace inikit
