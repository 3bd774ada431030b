// What the shell asks about a remote name: its kind and parent, and how to
// show it.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cvprov/connections.h"
#include "cvprov/export_listing.h"
#include "cvprov/np_entries.h"
#include "cvprov/packing.h"
#include "cvprov/provider_state.h"
#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/errors.h"

namespace cvprov {

namespace {

constexpr uint32_t kFormatInEnumeration = 0x10;

bool IsSeparator(char16_t c) {
    return c == u'/' || c == u'\\';
}

bool IsContainerName(std::u16string_view name) {
    const ProviderState& state = State();
    return (!state.name_space_container.empty() &&
            win32::FileNamesEqual(name, state.name_space_container)) ||
           (!state.subnet_container.empty() && win32::FileNamesEqual(name, state.subnet_container));
}

// A host may be named like a container only when the name space holds a
// host of that name.
bool HostAllowed(const std::u16string& host) {
    if (!IsContainerName(host)) {
        return true;
    }
    API_SESS_PARAM record;
    return GetHostEntry(host.c_str(), NAME_SPACE_COMBINED, &record) == 0;
}

// Where an export's path ends in the requested path, or nullopt when it is
// not a leading part of it. Separators of either kind match, letters match
// without regard to case, and one ':' on each side may be passed over.
std::optional<size_t> ExportPrefixEnd(std::u16string_view export_path,
                                      std::u16string_view requested) {
    size_t e = 0;
    size_t r = 0;
    if (!export_path.empty() && export_path[0] == u'/' &&
        (requested.empty() || requested[0] != u'/')) {
        e = 1;
    }
    bool export_colon_skipped = false;
    bool requested_colon_skipped = false;
    while (e < export_path.size()) {
        if (export_path[e] == u':' && !export_colon_skipped) {
            export_colon_skipped = true;
            ++e;
            continue;
        }
        if (r < requested.size() && requested[r] == u':' && !requested_colon_skipped) {
            requested_colon_skipped = true;
            ++r;
            continue;
        }
        if (r >= requested.size()) {
            return std::nullopt;
        }
        const char16_t a = export_path[e];
        const char16_t b = requested[r];
        if (!(win32::FileNameUpper(a) == win32::FileNameUpper(b) || IsSeparator(a) ||
              IsSeparator(b))) {
            return std::nullopt;
        }
        ++e;
        ++r;
    }
    if (r < requested.size() && !IsSeparator(requested[r])) {
        return std::nullopt;
    }
    return r;
}

Resource ServerNode(std::u16string name) {
    return Resource{RESOURCE_GLOBALNET,
                    RESOURCETYPE_ANY,
                    RESOURCEDISPLAYTYPE_SERVER,
                    RESOURCEUSAGE_CONTAINER,
                    std::nullopt,
                    std::move(name),
                    std::nullopt,
                    std::nullopt};
}

Resource DiskShare(std::u16string name) {
    return Resource{RESOURCE_GLOBALNET,
                    RESOURCETYPE_DISK,
                    RESOURCEDISPLAYTYPE_SHARE,
                    RESOURCEUSAGE_CONNECTABLE,
                    std::nullopt,
                    std::move(name),
                    std::nullopt,
                    std::nullopt};
}

uint32_t PackOne(const Resource& resource, std::optional<std::u16string> system_part, void* buffer,
                 uint32_t* size, char** system_pointer) {
    size_t needed = NarrowBytesNeeded(resource);
    if (system_part && !system_part->empty()) {
        needed += (system_part->size() + 1) * MaximumCharacterSize();
    }
    if (buffer == nullptr || size == nullptr || *size < needed) {
        if (size != nullptr) {
            *size = static_cast<uint32_t>(needed);
        }
        return win32::ERROR_MORE_DATA;
    }
    NarrowPacker packer(buffer, *size);
    // The system part sits at the very end of the buffer.
    char* system = system_part && !system_part->empty() ? packer.AddString(*system_part) : nullptr;
    packer.Add(resource);
    if (system_pointer != nullptr) {
        *system_pointer = system;
    }
    return 0;
}

}  // namespace

}  // namespace cvprov

using namespace cvprov;

extern "C" {

uint32_t WINAPI NPGetResourceInformation(NETRESOURCEA* resource, void* buffer, uint32_t* size,
                                         char** system_part) {
    if (resource == nullptr || resource->lpRemoteName == nullptr ||
        *resource->lpRemoteName == '\0') {
        return win32::ERROR_BAD_NET_NAME;
    }
    std::u16string remote = win32::AnsiToWide(resource->lpRemoteName);
    std::u16string host;
    std::optional<std::u16string> path;
    if (!SplitRemoteName(remote, &host, &path) || !HostAllowed(host)) {
        return win32::ERROR_BAD_NET_NAME;
    }
    std::u16string system;
    if (path) {
        std::vector<ListedResource> exports;
        if (uint32_t error = ListHostResources(Form::Win95, host, true, false, &exports)) {
            return error;
        }
        std::optional<size_t> end;
        for (const ListedResource& listed : exports) {
            std::u16string_view export_path =
                std::u16string_view(listed.remote_name).substr(host.size() + 3);
            if ((end = ExportPrefixEnd(export_path, *path))) {
                break;
            }
        }
        if (!end) {
            return win32::ERROR_INVALID_PARAMETER;
        }
        system = path->substr(*end);
        remote.resize(remote.size() - system.size());
    }
    Resource result = path ? DiskShare(remote) : ServerNode(remote);
    if (!path && IsContainerName(remote)) {
        result.display_type = RESOURCEDISPLAYTYPE_DOMAIN;
    }
    result.provider = kProviderName;
    return PackOne(result, system, buffer, size, system_part);
}

uint32_t WINAPI NPGetResourceParent(NETRESOURCEA* resource, void* buffer, uint32_t* size) {
    if (resource == nullptr || resource->lpRemoteName == nullptr ||
        *resource->lpRemoteName == '\0') {
        return win32::ERROR_BAD_NET_NAME;
    }
    const std::u16string remote = win32::AnsiToWide(resource->lpRemoteName);
    std::u16string host;
    std::optional<std::u16string> path;
    Resource parent;
    if (!SplitRemoteName(remote, &host, &path)) {
        parent = Resource{RESOURCE_CONTEXT,
                          RESOURCETYPE_ANY,
                          RESOURCEDISPLAYTYPE_GENERIC,
                          0,
                          std::nullopt,
                          std::nullopt,
                          std::nullopt,
                          std::nullopt};
        return PackOne(parent, std::nullopt, buffer, size, nullptr);
    }
    if (!path) {
        if (!HostAllowed(host)) {
            return win32::ERROR_BAD_NET_NAME;
        }
        parent = Resource{RESOURCE_GLOBALNET,
                          RESOURCETYPE_ANY,
                          RESOURCEDISPLAYTYPE_DOMAIN,
                          RESOURCEUSAGE_CONTAINER,
                          std::nullopt,
                          u"",
                          std::nullopt,
                          std::nullopt};
    } else {
        std::vector<ListedResource> exports;
        if (uint32_t error = ListHostResources(Form::Win95, host, true, false, &exports)) {
            return error;
        }
        std::optional<size_t> end;
        for (const ListedResource& listed : exports) {
            if ((end = ExportPrefixEnd(
                     std::u16string_view(listed.remote_name).substr(host.size() + 3), *path))) {
                break;
            }
        }
        if (!end) {
            return win32::ERROR_INVALID_PARAMETER;
        }
        if (*end == path->size()) {
            parent = ServerNode(host);  // the export itself: its parent is the host
        } else {
            // The last component goes; a trailing "\X:" component goes with it.
            size_t cut = remote.size() >= 2 ? remote.size() - 2 : 0;
            while (cut > 0 && !IsSeparator(remote[cut])) {
                --cut;
            }
            if (remote[cut] == u'/' && cut > 0 && remote[cut - 1] == u'\\') {
                --cut;
            } else if (cut >= 3 && remote[cut - 1] == u':' && remote[cut - 3] == u'\\' &&
                       ((remote[cut - 2] | 0x20) >= u'a' && (remote[cut - 2] | 0x20) <= u'z')) {
                cut -= 3;
            }
            std::u16string shortened = remote.substr(0, cut);
            std::u16string short_host;
            std::optional<std::u16string> short_path;
            SplitRemoteName(shortened, &short_host, &short_path);
            parent = short_path ? DiskShare(shortened) : ServerNode(shortened);
        }
    }
    parent.provider = kProductName;
    return PackOne(parent, std::nullopt, buffer, size, nullptr);
}

uint32_t WINAPI NPFormatNetworkName(const char* remote_name, char* out, uint32_t* length,
                                    uint32_t flags, uint32_t) {
    if (remote_name == nullptr) {
        return win32::ERROR_BAD_NET_NAME;
    }
    if (out == nullptr || length == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    const uint32_t given = *length;
    std::string_view text(remote_name);
    uint32_t result = 0;
    if (flags & kFormatInEnumeration) {
        size_t separator = text.size() > 2 ? text.find('\\', 2) : std::string_view::npos;
        if (separator == std::string_view::npos) {
            result = win32::ERROR_BAD_NET_NAME;
        } else {
            text.remove_prefix(separator + 1);
        }
    }
    if (result == 0) {
        *length = static_cast<uint32_t>(text.size() + 1);
        if (text.size() < given) {
            std::memcpy(out, text.data(), text.size());
            out[text.size()] = '\0';
            return 0;
        }
        result = win32::ERROR_MORE_DATA;
    }
    // On any failure the caller gets the name as it is, cut to its buffer.
    if (given > 0) {
        size_t copied = std::min<size_t>(std::strlen(remote_name), given - 1);
        std::memcpy(out, remote_name, copied);
        out[copied] = '\0';
    }
    return result;
}

}  // extern "C"
