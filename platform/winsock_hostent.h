// Host answers of the name services and the per-thread hostent that hands
// them to callers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

struct hostent;

struct HostAnswer {
    std::string name;
    std::vector<std::string> aliases;
    std::vector<std::uint32_t> addresses;  // network byte order
};

// Why a look-up has no answer; the Winsock calls turn it into their codes.
enum class HostLookupError { kNone, kNotFound, kNoData, kTryAgain, kNoRecovery };

struct HostLookup {
    HostLookupError error = HostLookupError::kNone;
    HostAnswer answer;
};

inline HostLookup LookupFailure(HostLookupError error) {
    return HostLookup{error, {}};
}

// Adds an address unless the answer has it already: a name listed twice, or
// returned once per socket type by the resolver, keeps one entry.
void AddAddress(HostAnswer& answer, std::uint32_t address);

// Makes `answer` the calling thread's hostent. It stays valid until that
// thread's next successful look-up; other threads have their own.
hostent* StoreHostAnswer(HostAnswer answer);

}  // namespace win32
