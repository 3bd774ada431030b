#include "platform/winsock_hostent.h"

#include <algorithm>

#include "platform/winsock.h"

namespace win32 {

namespace {

// The answer owns the texts and addresses; the pointer lists and the hostent
// point into it, so all of them are rebuilt together whenever it changes.
struct ThreadHostent {
    HostAnswer answer;
    std::vector<char*> aliases;
    std::vector<char*> addresses;
    hostent entry{};
};

thread_local ThreadHostent t_hostent;

}  // namespace

void AddAddress(HostAnswer& answer, std::uint32_t address) {
    if (std::find(answer.addresses.begin(), answer.addresses.end(), address) ==
        answer.addresses.end()) {
        answer.addresses.push_back(address);
    }
}

hostent* StoreHostAnswer(HostAnswer answer) {
    ThreadHostent& stored = t_hostent;
    stored.answer = std::move(answer);
    stored.aliases.clear();
    for (std::string& alias : stored.answer.aliases) {
        stored.aliases.push_back(alias.data());
    }
    stored.aliases.push_back(nullptr);
    stored.addresses.clear();
    for (std::uint32_t& address : stored.answer.addresses) {
        stored.addresses.push_back(reinterpret_cast<char*>(&address));
    }
    stored.addresses.push_back(nullptr);
    stored.entry.h_name = stored.answer.name.data();
    stored.entry.h_aliases = stored.aliases.data();
    stored.entry.h_addrtype = AF_INET;
    stored.entry.h_length = sizeof(std::uint32_t);
    stored.entry.h_addr_list = stored.addresses.data();
    return &stored.entry;
}

}  // namespace win32
