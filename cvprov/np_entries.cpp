#include "cvprov/np_entries.h"

#include <cstring>
#include <optional>
#include <string>

#include "common/platform_kind.h"
#include "cvprov/connections.h"
#include "cvprov/provider_state.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/memory.h"

namespace cvprov {

namespace {

constexpr uint32_t kSpecificationVersion = 0x00050001;
constexpr uint32_t kNetworkType = 0x000C0000;
constexpr uint32_t kProviderVersion = 0x00030001;

std::optional<std::u16string> Wide(const char* text) {
    return text != nullptr ? std::optional<std::u16string>(win32::AnsiToWide(text)) : std::nullopt;
}

std::optional<std::u16string> Wide(const char16_t* text) {
    return text != nullptr ? std::optional<std::u16string>(text) : std::nullopt;
}

// Password copies are wiped before they are let go.
void Wipe(std::optional<std::u16string>& text) {
    if (text && !text->empty()) {
        win32::SecureZeroMemory(text->data(), text->size() * sizeof(char16_t));
    }
}

// Copies narrow text with its terminator when `*size` holds it; otherwise
// sets `*size` to what is needed and returns 234.
uint32_t HandOut(const std::u16string& text, char* buffer, uint32_t* size) {
    std::string narrow = win32::WideToAnsi(text);
    const uint32_t needed = static_cast<uint32_t>(narrow.size() + 1);
    if (size == nullptr || buffer == nullptr || *size < needed) {
        if (size != nullptr) {
            *size = needed;
        }
        return win32::ERROR_MORE_DATA;
    }
    std::memcpy(buffer, narrow.c_str(), needed);
    return 0;
}

uint32_t Connect(Form form, void* owner, std::optional<std::u16string> local,
                 std::optional<std::u16string> remote, uint32_t type,
                 std::optional<std::u16string> password, std::optional<std::u16string> user,
                 uint32_t flags) {
    ConnectRequest request;
    request.owner = static_cast<win32::HWND>(owner);
    request.local_name = std::move(local);
    request.remote_name = std::move(remote);
    request.type = type;
    request.password = std::move(password);
    request.user_name = std::move(user);
    request.flags = flags;
    uint32_t result = AddConnection(form, request);
    Wipe(request.password);
    return result;
}

}  // namespace

}  // namespace cvprov

using namespace cvprov;

extern "C" {

uint32_t WINAPI NPGetCaps(uint32_t index) {
    switch (index) {
        case 1:
            return kSpecificationVersion;
        case 2:
            return kNetworkType;
        case 3:
            return kProviderVersion;
        case 4:
            return 0x1;
        case 6:
            return 0x7;
        case 8:
            return 0x980;
        case 11:
            return 0x7;
        case 12:
            return State().enumeration_start != -1 && State().print_start != -1 ? 1 : 0;
        case 13:
            return 0x80;
        case 14:
            return 0x36;
        default:
            return 0;
    }
}

uint32_t WINAPI NPAddConnection(void* owner, NETRESOURCEA* resource, char* password,
                                char* user_name, uint32_t flags, char*, uint32_t*, uint32_t*) {
    if (resource == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    return Connect(Form::Win95, owner, Wide(resource->lpLocalName), Wide(resource->lpRemoteName),
                   resource->dwType, Wide(password), Wide(user_name), flags);
}

uint32_t WINAPI NPAddConnection3(void* owner, NETRESOURCEW* resource, char16_t* password,
                                 char16_t* user_name, uint32_t flags) {
    if (resource == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    return Connect(Form::Nt, owner, Wide(resource->lpLocalName), Wide(resource->lpRemoteName),
                   resource->dwType, Wide(password), Wide(user_name), flags);
}

uint32_t WINAPI NPCancelConnection(const void* name, int32_t force, uint32_t) {
    if (cvn::GetPlatformKind() == cvn::PLATFORM_NT) {
        std::optional<std::u16string> wide = Wide(static_cast<const char16_t*>(name));
        return CancelConnection(Form::Nt, wide ? &*wide : nullptr, force != 0);
    }
    std::optional<std::u16string> wide = Wide(static_cast<const char*>(name));
    return CancelConnection(Form::Win95, wide ? &*wide : nullptr, force != 0);
}

uint32_t WINAPI NPGetConnection(const char* local_name, char* remote_name, uint32_t* size) {
    std::optional<std::u16string> local = Wide(local_name);
    std::u16string remote;
    if (uint32_t error = GetConnection(Form::Win95, local ? &*local : nullptr, &remote)) {
        return error;
    }
    uint32_t result = HandOut(remote, remote_name, size);
    if (size != nullptr) {
        *size = static_cast<uint32_t>(win32::WideToAnsi(remote).size() + 1);
    }
    return result;
}

uint32_t WINAPI NPGetUser(const char* name, char* user_name, uint32_t* size) {
    std::optional<std::u16string> local = Wide(name);
    std::u16string user;
    if (uint32_t error = GetUser(Form::Win95, local ? &*local : nullptr, &user)) {
        return error;
    }
    // A buffer too small is told the size it needs, instead of receiving
    // nothing with success reported.
    return HandOut(user, user_name, size);
}

uint32_t WINAPI NPGetUniversalName(const char* local_path, uint32_t level, void* buffer,
                                   uint32_t* size) {
    if (local_path == nullptr || size == nullptr) {
        return win32::ERROR_INVALID_PARAMETER;
    }
    std::u16string connection;
    std::u16string remainder;
    if (uint32_t error = GetDriveConnection(Form::Win95, win32::AnsiToWide(local_path), &connection,
                                            &remainder)) {
        return error;
    }
    if (level != UNIVERSAL_NAME_INFO_LEVEL && level != REMOTE_NAME_INFO_LEVEL) {
        return win32::ERROR_NOT_SUPPORTED;
    }
    const std::string universal = win32::WideToAnsi(connection + remainder);
    const std::string connection_name = win32::WideToAnsi(connection);
    const std::string remaining = win32::WideToAnsi(remainder);
    // The needed size is that of the narrow result the caller receives:
    // the pointers, then the strings with their terminators.
    const size_t needed = level == UNIVERSAL_NAME_INFO_LEVEL
                              ? sizeof(UNIVERSAL_NAME_INFOA) + universal.size() + 1
                              : sizeof(REMOTE_NAME_INFOA) + universal.size() +
                                    connection_name.size() + remaining.size() + 3;
    if (buffer == nullptr || *size < needed) {
        *size = static_cast<uint32_t>(needed);
        return win32::ERROR_MORE_DATA;
    }
    char* strings = static_cast<char*>(buffer) + (level == UNIVERSAL_NAME_INFO_LEVEL
                                                      ? sizeof(UNIVERSAL_NAME_INFOA)
                                                      : sizeof(REMOTE_NAME_INFOA));
    auto place = [&](const std::string& text) {
        char* at = strings;
        std::memcpy(at, text.c_str(), text.size() + 1);
        strings += text.size() + 1;
        return at;
    };
    if (level == UNIVERSAL_NAME_INFO_LEVEL) {
        UNIVERSAL_NAME_INFOA info{place(universal)};
        std::memcpy(buffer, &info, sizeof info);
    } else {
        REMOTE_NAME_INFOA info{};
        info.lpUniversalName = place(universal);
        info.lpConnectionName = place(connection_name);
        info.lpRemainingPath = place(remaining);
        std::memcpy(buffer, &info, sizeof info);
    }
    return 0;
}

uint32_t WINAPI NPValidLocalDevice(uint32_t kind, uint32_t number) {
    if (kind == 1 && number == 0) {
        return 0x01FFFFFF;  // drives A to Y
    }
    if (kind == 2 && number == 0) {
        return 0x000001FF;  // LPT1 to LPT9
    }
    return 0;
}

uint32_t WINAPI NPGetConnectionPerformance(void*, void*) {
    return win32::ERROR_NOT_SUPPORTED;
}

uint32_t WINAPI NPChangePassword(void*, void*, void*) {
    return 0;
}

}  // extern "C"
