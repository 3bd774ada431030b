// File-system keys that the previous version generated as aliases and that
// no longer serve: recognised, and removed from the user tree.
#pragma once

#include <string_view>

#include "platform/registry.h"

namespace cvprov {

// True for an obsolete generated alias: its item-type is the string "1", it
// has neither autotune value, and it has no share-name or the last
// component of share-name (lower case) equals the key name's last component
// (lower case) without a trailing "_<digits>". A key with an item-type that
// is not such an alias gets item-type "2".
bool IsObsoleteAlias(win32::HKEY key, std::string_view key_name);

// Deletes every obsolete alias of the user tree and takes item-type from the
// other file-system keys. The keys are listed before any is deleted, so that
// no key is passed over.
void CleanUserTree();

}  // namespace cvprov
