// The redirector's connections, in the order they were made. Each has an
// identity that is never used again, so an enumeration can remember where it
// stands by the identity of the last mount it returned: mounts removed
// meanwhile do not make it skip or repeat any.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>

#include "common/records.h"
#include "redirector/core/exports.h"

namespace cvnrd {

// What was asked of one mount, shown by the information tool.
struct MountCounters {
    std::uint32_t attribute_requests = 0;
    std::uint32_t directory_listings = 0;
    std::uint32_t files_opened = 0;
};

struct Mount {
    std::uint64_t id = 0;
    cvn::MountEntry entry;         // as connected, password removed
    std::string directory;         // host directory of the mount's root
    std::string export_directory;  // host directory of its export: nothing leaves it
    MountCounters counters;
};

class MountTable {
public:
    Mount& Add(const cvn::MountEntry& entry, std::string directory, std::string export_directory);
    bool Remove(std::uint64_t id);

    Mount* FindById(std::uint64_t id);
    Mount* FindByDevice(std::uint8_t device_code);
    // Host without regard to case, path as given (separators of either kind).
    // A connection without a local device is preferred; with
    // `deviceless_only` no other is taken.
    Mount* FindByName(std::u16string_view host, std::u16string_view path, bool deviceless_only);
    // The mount whose remote name leads `unc_path` (\\host\path\rest...),
    // the longest first; `rest` receives what follows.
    Mount* FindByUncPrefix(std::u16string_view host, std::u16string_view path,
                           std::u16string* rest);
    // The first mount made after the one with identity `after` (0: the first).
    Mount* Next(std::uint64_t after);

    std::uint32_t DriveMask() const;
    std::size_t size() const { return mounts_.size(); }

private:
    std::list<Mount> mounts_;
    std::uint64_t next_id_ = 1;
};

}  // namespace cvnrd
