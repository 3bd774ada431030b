// The name-space API: the NFS hosts and named file systems of the two
// registry trees, read into connection records, listed, added and removed.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/records.h"
#include "cvprov/aliases.h"
#include "cvprov/config_keys.h"
#include "cvprov/config_levels.h"
#include "cvprov/cvprov.h"
#include "cvprov/options.h"
#include "cvprov/registry_values.h"
#include "platform/case_fold.h"
#include "platform/errors.h"

namespace cvprov {

namespace {

static_assert(sizeof(API_SESS_PARAM) == cvn::mount_entry::kSize);

// The caller's record as the library works on it: copied in, and out again.
cvn::MountEntry FromCaller(const API_SESS_PARAM* record) {
    cvn::MountEntry entry;
    std::copy(record->bytes, record->bytes + sizeof record->bytes, entry.data());
    return entry;
}

void ToCaller(const cvn::MountEntry& entry, API_SESS_PARAM* record) {
    std::copy(entry.data(), entry.data() + entry.size(), record->bytes);
}

win32::DWORD ReadInto(const char16_t* host, const char16_t* file_system, NAME_SPACE space,
                      API_SESS_PARAM* record);

bool HasText(const char16_t* name) {
    return name != nullptr && *name != u'\0';
}
bool IncludesUser(NAME_SPACE space) {
    return space != NAME_SPACE_SYSTEM;
}

// The results of one entry's two levels and how a name space picks one.
win32::DWORD EntryResult(NAME_SPACE space, win32::DWORD system, win32::DWORD user) {
    switch (space) {
        case NAME_SPACE_SYSTEM:
            return system;
        case NAME_SPACE_COMBINED:
            return user == 0 ? user : system;
        default:
            return user;
    }
}

// Reads the levels from the tree keys down to the entry's own level (host
// or file system), system before user at each depth. Returns the entry's
// result, or for a record of the tree keys only the last level read.
win32::DWORD ReadLayers(const char16_t* host, const char16_t* file_system, NAME_SPACE space,
                        cvn::MountEntry& record) {
    FreshRecord(record);
    int depth = 0;
    if (HasText(host)) {
        depth = HasText(file_system) ? 2 : 1;
    }
    win32::DWORD last = 0;
    win32::DWORD system = 0;
    win32::DWORD user = 0;
    for (int level = 0; level <= depth; ++level) {
        const char16_t* level_host = level >= 1 ? host : nullptr;
        const char16_t* level_file_system = level == 2 ? file_system : nullptr;
        for (Tree tree : {Tree::System, Tree::User}) {
            if (tree == Tree::User && !IncludesUser(space)) {
                continue;
            }
            win32::DWORD error = 0;
            std::optional<std::string> path = KeyPath(tree, level_host, level_file_system, &error);
            last = path ? ReadLevel(tree, *path, level_host, level_file_system, record) : error;
            (tree == Tree::System ? system : user) = last;
        }
    }
    if (depth == 0) {
        return IncludesUser(space) ? last : system;
    }
    return EntryResult(space, system, user);
}

// Names are refused before any key is opened: a backslash would reach into
// a nested key, and the key path must fit its buffer in the tree the space
// writes to (for the spaces with the user tree, the shorter user path). A
// system level whose own path would not fit is refused when it is read.
win32::DWORD RefusedNames(const char16_t* host, const char16_t* file_system, NAME_SPACE space) {
    win32::DWORD error = 0;
    return KeyPath(WriteTree(space), host, file_system, &error) ? 0 : error;
}

win32::DWORD ReadInto(const char16_t* host, const char16_t* file_system, NAME_SPACE space,
                      API_SESS_PARAM* record) {
    cvn::MountEntry entry;
    win32::DWORD result = ReadLayers(host, file_system, space, entry);
    ToCaller(entry, record);
    return result;
}

// The refusal of a read. A refused read still hands back a fresh record, so
// that a caller that goes on with it (a listing, an editor) never sees
// another entry's values.
win32::DWORD RefusedRead(const char16_t* host, const char16_t* file_system, NAME_SPACE space,
                         API_SESS_PARAM* record) {
    win32::DWORD refused = RefusedNames(host, file_system, space);
    if (refused != 0) {
        cvn::MountEntry entry;
        FreshRecord(entry);
        ToCaller(entry, record);
    }
    return refused;
}

win32::DWORD WriteEntry(const char16_t* host, const char16_t* file_system, NAME_SPACE space,
                        const API_SESS_PARAM* record) {
    win32::DWORD error = 0;
    const Tree tree = WriteTree(space);
    std::optional<std::string> path = KeyPath(tree, host, file_system, &error);
    if (!path) {
        return error;
    }
    if (record == nullptr) {
        return WriteLevel(tree, *path, nullptr);
    }
    cvn::MountEntry entry = FromCaller(record);
    return WriteLevel(tree, *path, &entry);
}

// The subkey names of one level, in ascending order without regard to case:
// the listing sorts them itself, so the merge works whatever order the
// registry keeps.
win32::LONG SortedSubkeys(Tree tree, const std::string& path, std::vector<std::string>* names) {
    win32::UniqueKey key;
    win32::LONG status = tree == Tree::System
                             ? win32::RegOpenKeyExA(TreeRoot(tree), path.c_str(), 0,
                                                    win32::KEY_ENUMERATE_SUB_KEYS, key.out())
                             : win32::RegOpenKeyExA(TreeRoot(tree), path.c_str(), 0,
                                                    win32::KEY_ALL_ACCESS, key.out());
    if (status != win32::ERROR_SUCCESS) {
        return status;
    }
    win32::LONG error;
    *names = ListSubkeys(key.get(), &error);
    std::stable_sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
        return win32::CompareFileNames(Wide(a), Wide(b)) < 0;
    });
    return error;
}

struct Step {
    std::string name;
    bool took_user = false;
};

// One step of the merged listing of the subkeys of `host`'s level (the tree
// keys when `host` is null).
win32::DWORD ListingStep(const char16_t* host, NAME_SPACE space, REG_BROWSE* browse, Step* step) {
    std::optional<std::string> system_candidate;
    std::optional<std::string> user_candidate;
    win32::DWORD last_error = win32::ERROR_NO_MORE_ITEMS;
    for (Tree tree : {Tree::System, Tree::User}) {
        if ((tree == Tree::System && space == NAME_SPACE_USER) ||
            (tree == Tree::User && space == NAME_SPACE_SYSTEM)) {
            continue;
        }
        win32::DWORD error = 0;
        std::optional<std::string> path = KeyPath(tree, host, nullptr, &error);
        std::vector<std::string> names;
        if (path) {
            error = static_cast<win32::DWORD>(SortedSubkeys(tree, *path, &names));
        }
        const std::uint32_t index =
            tree == Tree::System ? browse->system_index : browse->user_index;
        if (error == 0 && index < names.size()) {
            (tree == Tree::System ? system_candidate : user_candidate) = names[index];
        } else {
            last_error = error != 0 ? error : win32::ERROR_NO_MORE_ITEMS;
        }
    }
    if (!system_candidate && !user_candidate) {
        return last_error;
    }
    bool take_system = system_candidate.has_value();
    bool take_user = user_candidate.has_value();
    if (take_system && take_user) {
        int order = win32::CompareFileNames(Wide(*system_candidate), Wide(*user_candidate));
        take_system = order <= 0;
        take_user = order >= 0;
    }
    if (take_system) {
        ++browse->system_index;
    }
    if (take_user) {
        ++browse->user_index;
    }
    step->name = take_user ? *user_candidate : *system_candidate;
    step->took_user = take_user;
    return 0;
}

// Whether the user key of a listed file system is known to be gone. A name
// that cannot make a key path was never read, so it is still there.
bool UserKeyGone(const char16_t* host, const std::u16string& file_system) {
    win32::DWORD error = 0;
    std::optional<std::string> path = KeyPath(Tree::User, host, file_system.c_str(), &error);
    win32::UniqueKey key;
    return path && win32::RegOpenKeyExA(TreeRoot(Tree::User), path->c_str(), 0, win32::KEY_READ,
                                        key.out()) == win32::ERROR_FILE_NOT_FOUND;
}

}  // namespace

}  // namespace cvprov

using namespace cvprov;

extern "C" {

uint32_t WINAPI GetCorvParam(NAME_SPACE space, API_SESS_PARAM* record) {
    if (record == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    return ReadInto(nullptr, nullptr, space, record);
}

uint32_t WINAPI SetCorvParam(NAME_SPACE space, API_SESS_PARAM* record) {
    return WriteEntry(nullptr, nullptr, space, record);
}

uint32_t WINAPI GetHostEntry(const char16_t* host, NAME_SPACE space, API_SESS_PARAM* record) {
    if (record == nullptr || !HasText(host)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    if (win32::DWORD refused = RefusedRead(host, nullptr, space, record)) {
        return refused;
    }
    return ReadInto(host, nullptr, space, record);
}

uint32_t WINAPI AddHostEntry(const char16_t* host, NAME_SPACE space, API_SESS_PARAM* record) {
    if (!HasText(host)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    return WriteEntry(host, nullptr, space, record);
}

uint32_t WINAPI RemoveHostEntry(const char16_t* host, NAME_SPACE space) {
    if (!HasText(host)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    const Tree tree = WriteTree(space);
    win32::DWORD error = 0;
    std::optional<std::string> path = KeyPath(tree, host, nullptr, &error);
    if (!path) {
        return error;
    }
    {
        win32::UniqueKey host_key;
        if (win32::LONG status = OpenForReading(tree, *path, &host_key)) {
            return static_cast<uint32_t>(status);
        }
        win32::DWORD count = 0;
        win32::RegQueryInfoKeyA(host_key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr);
        for (win32::DWORD i = 0; i < count; ++i) {
            char name[win32::kMaxRegistryKeyName + 1];
            win32::DWORD size = sizeof name;
            if (win32::LONG status = win32::RegEnumKeyExA(host_key.get(), 0, name, &size, nullptr,
                                                          nullptr, nullptr, nullptr)) {
                return static_cast<uint32_t>(status);
            }
            if (win32::RegDeleteKeyA(host_key.get(), name) != win32::ERROR_SUCCESS) {
                break;  // the host key is still tried
            }
        }
    }
    win32::UniqueKey tree_key;
    if (win32::LONG status = OpenForReading(tree, TreeKey(tree), &tree_key)) {
        return static_cast<uint32_t>(status);
    }
    return static_cast<uint32_t>(win32::RegDeleteKeyA(tree_key.get(), Narrow(host).c_str()));
}

uint32_t WINAPI GetFileSystemEntry(const char16_t* host, const char16_t* file_system,
                                   NAME_SPACE space, API_SESS_PARAM* record) {
    if (record == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    if (win32::DWORD refused = RefusedRead(host, file_system, space, record)) {
        return refused;
    }
    win32::DWORD result = ReadInto(host, file_system, space, record);
    if (!HasText(file_system) && IncludesUser(space)) {
        return 0;
    }
    return result;
}

uint32_t WINAPI AddFileSystemEntry(const char16_t* host, const char16_t* file_system,
                                   NAME_SPACE space, API_SESS_PARAM* record) {
    if (!HasText(host) || !HasText(file_system)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    return WriteEntry(host, file_system, space, record);
}

uint32_t WINAPI RemoveFileSystemEntry(const char16_t* host, const char16_t* file_system,
                                      NAME_SPACE space) {
    if (!HasText(host) || !HasText(file_system)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    const Tree tree = WriteTree(space);
    win32::DWORD error = 0;
    std::optional<std::string> path = KeyPath(tree, host, nullptr, &error);
    if (!path || !KeyPath(tree, host, file_system, &error)) {
        return error;
    }
    win32::UniqueKey host_key;
    if (win32::LONG status = OpenForReading(tree, *path, &host_key)) {
        return static_cast<uint32_t>(status);
    }
    return static_cast<uint32_t>(win32::RegDeleteKeyA(host_key.get(), Narrow(file_system).c_str()));
}

uint32_t WINAPI GetHostEntryNext(NAME_SPACE space, REG_BROWSE* browse, API_SESS_PARAM* record) {
    if (browse == nullptr || record == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    Step step;
    if (win32::DWORD error = ListingStep(nullptr, space, browse, &step)) {
        return error;
    }
    std::u16string host = Wide(step.name);
    GetHostEntry(host.c_str(), space, record);
    return 0;
}

uint32_t WINAPI GetHostEntryFirst(NAME_SPACE space, REG_BROWSE* browse, API_SESS_PARAM* record) {
    if (browse == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    *browse = REG_BROWSE{0, 0};
    return GetHostEntryNext(space, browse, record);
}

uint32_t WINAPI GetFileSystemEntryNext(const char16_t* host, NAME_SPACE space, REG_BROWSE* browse,
                                       API_SESS_PARAM* record) {
    if (browse == nullptr || record == nullptr || !HasText(host)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    if (win32::DWORD refused = RefusedNames(host, nullptr, space)) {
        return refused;
    }
    for (;;) {
        Step step;
        if (win32::DWORD error = ListingStep(host, space, browse, &step)) {
            return error;
        }
        std::u16string file_system = Wide(step.name);
        win32::DWORD result = GetFileSystemEntry(host, file_system.c_str(), space, record);
        // Reading may have removed the user key as an obsolete alias; the
        // user list is then one shorter and the next name sits at the index
        // just taken.
        if (step.took_user && UserKeyGone(host, file_system)) {
            --browse->user_index;
        }
        if (result != win32::ERROR_FILE_NOT_FOUND) {
            return 0;
        }
    }
}

uint32_t WINAPI GetFileSystemEntryFirst(const char16_t* host, NAME_SPACE space, REG_BROWSE* browse,
                                        API_SESS_PARAM* record) {
    if (browse == nullptr || record == nullptr || !HasText(host)) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    if (win32::DWORD refused = RefusedNames(host, nullptr, space)) {
        return refused;
    }
    // Obsolete aliases go before the walk starts, so that none is deleted
    // behind the cursor while it walks.
    if (IncludesUser(space)) {
        CleanUserTree();
    }
    *browse = REG_BROWSE{0, 0};
    return GetFileSystemEntryNext(host, space, browse, record);
}

int32_t WINAPI CheckUserAccess(void) {
    std::u16string path = Wide(kSystemTreeKey);
    return win32::RegCheckKeyAccess(win32::HKEY_LOCAL_MACHINE, path.c_str(), win32::KEY_SET_VALUE)
               ? 1
               : 0;
}

}  // extern "C"
