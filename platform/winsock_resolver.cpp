// The host's socket headers define AF_INET and INADDR_NONE as macros, which
// would rewrite the platform's constants of the same names; they are kept to
// this file, which does not see those declarations.
#include "platform/winsock_resolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

namespace win32 {

namespace {

HostLookupError FromResolverError(int error) {
    switch (error) {
        case EAI_NONAME:
            return HostLookupError::kNotFound;
#ifdef EAI_NODATA
        case EAI_NODATA:
            return HostLookupError::kNoData;
#endif
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY:
            return HostLookupError::kNoData;
#endif
        case EAI_AGAIN:
            return HostLookupError::kTryAgain;
        default:
            return HostLookupError::kNoRecovery;
    }
}

struct AddrInfoRelease {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

}  // namespace

HostLookup ResolveHostName(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* raw = nullptr;
    const int error = getaddrinfo(name.c_str(), nullptr, &hints, &raw);
    if (error != 0) {
        return LookupFailure(FromResolverError(error));
    }
    const std::unique_ptr<addrinfo, AddrInfoRelease> list(raw);
    HostLookup found;
    found.answer.name = list->ai_canonname != nullptr ? list->ai_canonname : name;
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) {
            continue;
        }
        sockaddr_in host{};
        std::memcpy(&host, entry->ai_addr, sizeof host);
        AddAddress(found.answer, host.sin_addr.s_addr);
    }
    if (found.answer.addresses.empty()) {
        return LookupFailure(HostLookupError::kNoData);
    }
    return found;
}

HostLookup ResolveHostAddress(std::uint32_t address) {
    sockaddr_in host{};
    host.sin_family = AF_INET;
    host.sin_addr.s_addr = address;
    char name[NI_MAXHOST];
    const int error = getnameinfo(reinterpret_cast<const sockaddr*>(&host), sizeof host, name,
                                  sizeof name, nullptr, 0, NI_NAMEREQD);
    if (error != 0) {
        return LookupFailure(FromResolverError(error));
    }
    HostLookup found;
    found.answer.name = name;
    found.answer.addresses.push_back(address);
    return found;
}

}  // namespace win32
