#include "platform/winsock.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/hosts_file.h"
#include "platform/winsock_address.h"
#include "platform/winsock_hostent.h"
#include "platform/winsock_resolver.h"

namespace win32 {

namespace {

std::atomic<int> g_startups{0};
thread_local int t_wsa_error = 0;

// Longer than any host name the host allows (64 bytes on Linux), with room
// for the terminator that gethostname may leave out when it truncates.
constexpr size_t kHostNameBuffer = 256;

// An empty variable counts as unset, as for the layer's other variables.
std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<std::string> LocalHostName() {
    if (auto name = Variable("CVN_HOSTNAME")) {
        return name;
    }
    char name[kHostNameBuffer] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return std::nullopt;
    }
    return std::string(name);
}

int ToWinsockError(HostLookupError error) {
    switch (error) {
        case HostLookupError::kNone:
            return 0;
        case HostLookupError::kNotFound:
            return WSAHOST_NOT_FOUND;
        case HostLookupError::kNoData:
            return WSANO_DATA;
        case HostLookupError::kTryAgain:
            return WSATRY_AGAIN;
        case HostLookupError::kNoRecovery:
            break;
    }
    return WSANO_RECOVERY;
}

hostent* Fail(int error) {
    t_wsa_error = error;
    return nullptr;
}

// A failed look-up leaves the thread's previous answer as it was.
hostent* Answer(HostLookup lookup) {
    if (lookup.error != HostLookupError::kNone) {
        return Fail(ToWinsockError(lookup.error));
    }
    return StoreHostAnswer(std::move(lookup.answer));
}

HostLookup LookUpName(const std::string& name) {
    if (const auto address = ParseDottedAddress(name, AddressEnd::kTerminator)) {
        HostLookup found;
        found.answer.name = name;
        found.answer.addresses.push_back(ToNetworkOrder(*address));
        return found;
    }
    // A hosts file answers alone: a name it lacks never reaches the resolver,
    // so tests get the same answers on every machine, with or without DNS.
    if (const auto hosts = Variable("CVN_HOSTS")) {
        return HostsFileByName(*hosts, name);
    }
    return ResolveHostName(name);
}

}  // namespace

int WSAStartup(WORD version, WSADATA* data) {
    const BYTE major = static_cast<BYTE>(version);
    const BYTE minor = static_cast<BYTE>(version >> 8);
    if (major < 1 || (major == 1 && minor < 1)) {
        return WSAVERNOTSUPPORTED;
    }
    if (data != nullptr) {
        std::memset(data, 0, sizeof *data);
        data->wVersion = MakeWord(1, 1);
        data->wHighVersion = MakeWord(2, 2);
        std::strcpy(data->szDescription, "Host sockets");
        std::strcpy(data->szSystemStatus, "Running");
        data->iMaxSockets = 1024;
        data->iMaxUdpDg = 65467;
    }
    ++g_startups;
    return 0;
}

int WSACleanup() {
    int outstanding = g_startups.load();
    while (outstanding > 0 && !g_startups.compare_exchange_weak(outstanding, outstanding - 1)) {
    }
    return outstanding > 0 ? 0 : -1;
}

int WSAGetLastError() {
    return t_wsa_error;
}

int gethostname(char* name, int length) {
    if (name == nullptr) {
        t_wsa_error = WSAEFAULT;
        return SOCKET_ERROR;
    }
    const auto local = LocalHostName();
    if (!local) {
        t_wsa_error = WSANO_RECOVERY;
        return SOCKET_ERROR;
    }
    // The buffer is left untouched unless the whole name and its terminator
    // fit: a cut name would be another host's.
    if (length <= 0 || local->size() >= static_cast<size_t>(length)) {
        t_wsa_error = WSAEFAULT;
        return SOCKET_ERROR;
    }
    std::memcpy(name, local->c_str(), local->size() + 1);
    return 0;
}

std::uint32_t inet_addr(const char* text) {
    if (text == nullptr) {
        return INADDR_NONE;
    }
    const auto address = ParseDottedAddress(text, AddressEnd::kBlankOrTerminator);
    return address ? ToNetworkOrder(*address) : INADDR_NONE;
}

hostent* gethostbyname(const char* name) {
    if (name == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (*name != '\0') {
        return Answer(LookUpName(name));
    }
    const auto local = LocalHostName();
    if (!local) {
        return Fail(WSANO_RECOVERY);
    }
    return Answer(LookUpName(*local));
}

hostent* gethostbyaddr(const char* address, int length, int type) {
    if (address == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (type != AF_INET) {
        return Fail(WSAEAFNOSUPPORT);
    }
    if (length < static_cast<int>(sizeof(std::uint32_t))) {
        return Fail(WSAEFAULT);
    }
    std::uint32_t wanted;
    std::memcpy(&wanted, address, sizeof wanted);
    if (const auto hosts = Variable("CVN_HOSTS")) {
        return Answer(HostsFileByAddress(*hosts, wanted));
    }
    return Answer(ResolveHostAddress(wanted));
}

}  // namespace win32
