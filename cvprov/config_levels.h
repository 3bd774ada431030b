// Reading and writing one level of the configuration, and the queries of
// single settings.
#pragma once

#include <string>

#include "common/records.h"
#include "cvprov/config_keys.h"
#include "platform/types.h"

namespace cvprov {

// Reads every value of the table that the key holds into the record
// (numbers clamped, flags from bit 0), applies the case rule, then stores
// the host and file-system names when given. A key that cannot be opened
// gives the registry's error and leaves the record as it was. A user-tree
// file-system key that is an obsolete generated alias is not read: the user
// tree is cleaned and the result is ERROR_FILE_NOT_FOUND.
win32::DWORD ReadLevel(Tree tree, const std::string& key_path, const char16_t* host,
                       const char16_t* file_system, cvn::MountEntry& record);

// Creates the key and, with a record, writes every value of the table, in
// its order, numbers clamped first. The first failing write is the result.
win32::DWORD WriteLevel(Tree tree, const std::string& key_path, const cvn::MountEntry* record);

// 1 when Windows user profiles are on (HKLM\Network\Logon UserProfiles),
// read once per process.
win32::DWORD UserProfilesEnabled();

// Whether the pages show the servers of the subnet and the security page:
// yes unless the system tree key holds the value 0.
bool DisplayServersOnSubnet();
bool DisplaySecurityTab();

}  // namespace cvprov
