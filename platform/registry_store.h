// Where the registry's hives live on the host, and how several processes
// share them.
//
// HKEY_LOCAL_MACHINE is <CVN_REGISTRY_DIR>/system.reg (default
// /var/lib/cvn/registry for root, else $XDG_STATE_HOME/cvn/registry);
// HKEY_CURRENT_USER is $XDG_CONFIG_HOME/cvn/user.reg (default ~/.config),
// made readable by its owner only, since it holds passwords.
//
// A hive is read again whenever its file has changed. A change is made under
// an advisory lock on the hive: the file is read afresh, changed, and written
// to a temporary file that is then renamed over it, so that writers in
// several processes lose nothing and a crash never leaves half a hive. A
// hive file that cannot be parsed is never written over: every call on that
// hive fails with ERROR_BADDB and the reason, with its line, is kept. One
// that cannot be read whole (a directory in its place) fails them with the
// host's reason, ERROR_ACCESS_DENIED for a directory, and is never taken for
// an empty hive.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/registry_hive.h"
#include "platform/types.h"

namespace win32 {

enum class HiveId { LocalMachine, CurrentUser };

// Runs `read` on the hive as it is now; returns its result, or the error
// that kept the hive from being read.
DWORD ReadHive(HiveId hive, const std::function<DWORD(RegistryNode& root)>& read);

// Runs `change` on the hive under its lock. When it returns 0 and reports a
// change, the hive is written before the lock is let go; a failed write is
// the result (ERROR_ACCESS_DENIED when the host refuses it).
DWORD ChangeHive(HiveId hive,
                 const std::function<DWORD(RegistryNode& root, bool* changed)>& change);

std::string HiveFilePath(HiveId hive);
std::u16string HiveRootName(HiveId hive);

// The reason the last hive that failed to parse was refused ("file:line:
// reason"), for tools that report it.
std::string RegistryDiagnostic();

}  // namespace win32
