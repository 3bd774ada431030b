#include "common/remote_name.h"

#include <string_view>

#include "common/debug_report.h"
#include "platform/errors.h"

namespace cvn {

int ParseRemoteName(const char16_t* remote_name, const char16_t** host_p, const char16_t** path_p) {
    *host_p = nullptr;
    *path_p = nullptr;
    const char16_t* p = remote_name;
    while (p != nullptr && *p == u'\\') {
        ++p;
    }
    if (p == nullptr || *p == u'\0') {
        DebugReport(u"ParseRemoteName(): No remote name, host_p->NULL, path_p->NULL\n",
                    "ParseRemoteName(): No remote name, host_p->NULL, path_p->NULL\n", 0);
        return 1;
    }
    *host_p = p;
    while (*p != u'\0' && *p != u'\\') {
        ++p;
    }
    if (*p == u'\\') {
        *path_p = p + 1;
    }
    return 0;
}

int FillMountEntryName(MountEntry& entry, const char16_t* remote_name) {
    const char16_t* host = nullptr;
    const char16_t* path = nullptr;
    if (ParseRemoteName(remote_name, &host, &path) != 0) {
        return 1;
    }
    std::u16string_view host_text(host);
    host_text = host_text.substr(0, host_text.find(u'\\'));
    std::u16string_view path_text =
        path != nullptr ? std::u16string_view(path) : std::u16string_view();
    if (host_text.size() > mount_entry::kHost.capacity ||
        path_text.size() > mount_entry::kPath.capacity) {
        return 1;
    }
    entry.SetText(mount_entry::kHost, host_text);
    entry.SetText(mount_entry::kPath, path_text);
    return 0;
}

win32::DWORD BuildUncName(const char16_t* host, const char16_t* path, char16_t* output,
                          std::size_t size) {
    if (output == nullptr || host == nullptr || path == nullptr || *host == u'\0' ||
        *path == u'\0') {
        return win32::ERROR_INVALID_PARAMETER;
    }
    std::u16string_view host_text(host);
    std::u16string_view path_text(path);
    // Two backslashes, one between host and path, and the terminator.
    if (size < host_text.size() + path_text.size() + 3 + 1) {
        return win32::ERROR_MORE_DATA;
    }
    // The format "\\%s\%s" with host and path: two backslashes, the host, one
    // backslash, the path.
    std::u16string unc = u"\\\\" + std::u16string(host_text) + u"\\" + std::u16string(path_text);
    unc.copy(output, unc.size());
    output[unc.size()] = u'\0';
    return 0;
}

}  // namespace cvn
