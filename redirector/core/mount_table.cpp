#include "redirector/core/mount_table.h"

#include "platform/case_fold.h"

namespace cvnrd {

namespace me = cvn::mount_entry;

Mount& MountTable::Add(const cvn::MountEntry& entry, std::string directory,
                       std::string export_directory) {
    Mount mount;
    mount.id = next_id_++;
    mount.entry = entry;
    mount.directory = std::move(directory);
    mount.export_directory = std::move(export_directory);
    mounts_.push_back(std::move(mount));
    return mounts_.back();
}

bool MountTable::Remove(std::uint64_t id) {
    for (auto it = mounts_.begin(); it != mounts_.end(); ++it) {
        if (it->id == id) {
            mounts_.erase(it);
            return true;
        }
    }
    return false;
}

Mount* MountTable::FindById(std::uint64_t id) {
    for (Mount& mount : mounts_) {
        if (mount.id == id) {
            return &mount;
        }
    }
    return nullptr;
}

Mount* MountTable::FindByDevice(std::uint8_t device_code) {
    for (Mount& mount : mounts_) {
        if (mount.entry.device_code() == device_code) {
            return &mount;
        }
    }
    return nullptr;
}

Mount* MountTable::FindByName(std::u16string_view host, std::u16string_view path,
                              bool deviceless_only) {
    const std::u16string wanted = NormalizeRemotePath(path);
    Mount* with_device = nullptr;
    for (Mount& mount : mounts_) {
        if (win32::FileNamesEqual(mount.entry.Text(me::kHost), host) &&
            NormalizeRemotePath(mount.entry.Text(me::kPath)) == wanted) {
            if (mount.entry.device_code() == 0) {
                return &mount;
            }
            if (with_device == nullptr) {
                with_device = &mount;
            }
        }
    }
    return deviceless_only ? nullptr : with_device;
}

Mount* MountTable::FindByUncPrefix(std::u16string_view host, std::u16string_view path,
                                   std::u16string* rest) {
    const std::u16string wanted = NormalizeRemotePath(path);
    Mount* best = nullptr;
    size_t best_length = 0;
    for (Mount& mount : mounts_) {
        if (!win32::FileNamesEqual(mount.entry.Text(me::kHost), host)) {
            continue;
        }
        std::u16string mounted = NormalizeRemotePath(mount.entry.Text(me::kPath));
        bool leads = wanted == mounted || (wanted.starts_with(mounted) &&
                                           (mounted.empty() || wanted[mounted.size()] == u'\\'));
        if (leads && (best == nullptr || mounted.size() > best_length)) {
            best = &mount;
            best_length = mounted.size();
        }
    }
    if (best != nullptr) {
        *rest = wanted.size() > best_length ? wanted.substr(best_length == 0 ? 0 : best_length + 1)
                                            : u"";
    }
    return best;
}

Mount* MountTable::Next(std::uint64_t after) {
    for (Mount& mount : mounts_) {
        if (mount.id > after) {
            return &mount;
        }
    }
    return nullptr;
}

std::uint32_t MountTable::DriveMask() const {
    std::uint32_t mask = 0;
    for (const Mount& mount : mounts_) {
        std::uint8_t code = mount.entry.device_code();
        if (code >= 'A' && code <= 'Z' && mount.entry.device_type() == me::kDeviceTypeDisk) {
            mask |= 1u << (code - 'A');
        }
    }
    return mask;
}

}  // namespace cvnrd
