// Where the NFS client's configuration lives in the registry, and the key
// paths built below it.
#pragma once

#include <optional>
#include <string>

#include "cvprov/cvprov.h"
#include "platform/registry.h"
#include "platform/types.h"

namespace cvprov {

enum class Tree { System, User };

inline constexpr char kSystemTreeKey[] = "System\\CurrentControlSet\\Services\\QLNNFS\\CorvConfig";
inline constexpr char kUserTreeKey[] = "Software\\Quillon\\Corvane";

// Key paths are built in buffers of this many characters, terminator
// included.
inline constexpr std::size_t kKeyPathBuffer = 256;

win32::HKEY TreeRoot(Tree tree);
const char* TreeKey(Tree tree);

// Where writing and removing go for a name space: the system tree for
// NAME_SPACE_SYSTEM, the user tree otherwise.
Tree WriteTree(NAME_SPACE space);

// The key path of the tree key, a host or a file system below it, in the
// ANSI code page. Nullopt with the result in `error` when a name holds a
// backslash (it would make nested keys: ERROR_INVALID_NAME), the path would
// not fit the key-path buffer (ERROR_INVALID_PARAMETER), or a name cannot be
// converted.
std::optional<std::string> KeyPath(Tree tree, const char16_t* host, const char16_t* file_system,
                                   win32::DWORD* error);

// A name in the ANSI code page and back.
std::string Narrow(std::u16string_view name);
std::u16string Wide(std::string_view name);

// Opens a key as each tree is opened for reading: the system tree without an
// access mask, the user tree with all access.
win32::LONG OpenForReading(Tree tree, const std::string& path, win32::UniqueKey* key);

}  // namespace cvprov
