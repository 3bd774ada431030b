// The library's operations with their results, for the exports (which report
// nothing) and for inikit-cli (which does).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "inikit/config_file.h"
#include "inikit/double_nul.h"

namespace inikit {

// Section names in file order; nullopt when the file cannot be opened.
std::optional<std::vector<std::string>> ListSectionNames(const char* file);
// The section's normalised entries; not found for a missing file or section.
SectionContents GetSection(const char* section, const char* file);
// The cleaned value; nullopt when the file, section or key is missing.
std::optional<std::string> GetKeyValue(const char* section, const char* key, const char* file);
// The write operations return whether the file now holds the change.
bool WriteKey(const char* section, const char* key, const char* value, const char* file);
bool DeleteKey(const char* section, const char* key, const char* file);
bool ReplaceSection(const char* section, const std::vector<KeyValue>& pairs, const char* file);

}  // namespace inikit
