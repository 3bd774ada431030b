#include "cvlink/provider.h"

#include <string>

#include "common/platform_kind.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/memory.h"
#include "platform/modules.h"

namespace cvlink {

namespace {

constexpr win32::DWORD kResourceTypeDisk = 1;
constexpr win32::DWORD kConnectTemporary = 4;
constexpr char16_t kProviderName[] = u"Corvane NT";

struct NetResourceW {
    win32::DWORD scope, type, display_type, usage;
    char16_t* local_name;
    char16_t* remote_name;
    char16_t* comment;
    char16_t* provider;
};

struct NetResourceA {
    win32::DWORD scope, type, display_type, usage;
    char* local_name;
    char* remote_name;
    char* comment;
    char* provider;
};

using AddConnection3 = win32::DWORD (*)(void*, NetResourceW*, char16_t*, char16_t*, win32::DWORD);
using AddConnection95 = win32::DWORD (*)(void*, NetResourceA*, char*, char*, win32::DWORD, char*,
                                         win32::DWORD*, win32::DWORD*);
using CancelConnection = win32::DWORD (*)(const void*, win32::BOOL, win32::DWORD);

// Loads the provider, calls `entry` through `call`, and frees it; a failure
// to free replaces the entry point's result.
template <typename Function, typename Call>
win32::DWORD WithProvider(const char* entry, Call call) {
    win32::HMODULE module = cvn::GetPlatformKind() == cvn::PLATFORM_NT
                                ? win32::LoadLibraryW(u"cvprov.dll")
                                : win32::LoadLibraryA("cvprov.dll");
    if (module == nullptr) {
        return win32::GetLastError();
    }
    auto function = reinterpret_cast<Function>(win32::GetProcAddress(module, entry));
    if (function == nullptr) {
        win32::DWORD error = win32::GetLastError();
        win32::FreeLibrary(module);
        return error;
    }
    win32::DWORD result = call(function);
    if (!win32::FreeLibrary(module)) {
        result = win32::GetLastError();
    }
    return result;
}

// A text in the ANSI code page, in a buffer of its length + 1 bytes that is
// cleared when it goes (it may hold a password).
class NarrowCopy {
public:
    explicit NarrowCopy(const std::u16string& text) : text_(win32::WideToAnsi(text)) {}
    ~NarrowCopy() { win32::SecureZeroMemory(text_.data(), text_.size()); }
    char* get() { return text_.data(); }

private:
    std::string text_;
};

}  // namespace

win32::DWORD ProviderAddConnection(const std::u16string& local_name,
                                   const std::u16string& remote_name,
                                   const std::u16string& password,
                                   const std::u16string& user_name) {
    if (cvn::GetPlatformKind() == cvn::PLATFORM_NT) {
        std::u16string local = local_name;
        std::u16string remote = remote_name;
        std::u16string provider = kProviderName;
        std::u16string secret = password;
        std::u16string user = user_name;
        NetResourceW resource{0,       kResourceTypeDisk, 0, 0, local.data(), remote.data(),
                              nullptr, provider.data()};
        win32::DWORD result =
            WithProvider<AddConnection3>("NPAddConnection3", [&](AddConnection3 add) {
                return add(nullptr, &resource, secret.data(), user.data(), kConnectTemporary);
            });
        win32::SecureZeroMemory(secret.data(), secret.size() * sizeof(char16_t));
        return result;
    }
    NarrowCopy local(local_name);
    NarrowCopy remote(remote_name);
    NarrowCopy provider(kProviderName);
    NarrowCopy secret(password);
    NarrowCopy user(user_name);
    NetResourceA resource{0,           kResourceTypeDisk, 0,       0,
                          local.get(), remote.get(),      nullptr, provider.get()};
    return WithProvider<AddConnection95>("NPAddConnection", [&](AddConnection95 add) {
        return add(nullptr, &resource, secret.get(), user.get(), kConnectTemporary, nullptr,
                   nullptr, nullptr);
    });
}

win32::DWORD ProviderCancelConnection(const std::u16string& name, int force) {
    if (cvn::GetPlatformKind() == cvn::PLATFORM_NT) {
        return WithProvider<CancelConnection>("NPCancelConnection", [&](CancelConnection cancel) {
            return cancel(name.c_str(), force, 0);
        });
    }
    NarrowCopy narrow(name);
    return WithProvider<CancelConnection>("NPCancelConnection", [&](CancelConnection cancel) {
        return cancel(narrow.get(), force, 0);
    });
}

}  // namespace cvlink
