#include "cvagent/answers.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <new>
#include <optional>
#include <string>

#include "common/records.h"
#include "common/redirector_codes.h"
#include "platform/bytes.h"
#include "platform/codepage.h"
#include "platform/device.h"
#include "platform/handles.h"
#include "platform/winsock.h"

namespace cvagent {

namespace {

namespace hr = cvn::helper_request;
namespace ar = cvn::address_record;

// A host name of more bytes than this is no name the redirector can use.
constexpr std::size_t kMaxHostBytes = 40;
constexpr std::size_t kMaxNameChars = 40;

win32::ByteView View(std::vector<std::uint8_t>& buffer) {
    return win32::ByteView(buffer.data(), buffer.size());
}

// The request's host name in the ANSI code page, or nothing when it is
// empty, longer than its buffer, beyond the record, or has characters the
// code page cannot give (a name cut or changed would be another host's).
std::optional<std::string> RequestedHost(win32::ByteView request) {
    const std::uint32_t length = request.U32(hr::kDataLength);
    if (length == 0 || length % 2 != 0 || length > request.size() - hr::kData) {
        return std::nullopt;
    }
    std::u16string name;
    for (std::uint32_t i = 0; i < length; i += 2) {
        name.push_back(static_cast<char16_t>(request.U16(hr::kData + i)));
    }
    std::string ansi = win32::WideToAnsi(name);
    if (ansi.size() > kMaxHostBytes || win32::AnsiToWide(ansi) != name ||
        ansi.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return ansi;
}

// The address in network byte order, as the redirector expects the bytes.
std::uint32_t AddressOf(const char* bytes) {
    std::uint32_t address;
    std::memcpy(&address, bytes, 4);
    return address;
}

struct NamedAddress {
    std::uint32_t address;
    std::u16string name;
};

// The host's short name for an address: the part before the first period.
std::optional<std::u16string> NameOfAddress(std::uint32_t address) {
    win32::hostent* host =
        win32::gethostbyaddr(reinterpret_cast<const char*>(&address), 4, win32::AF_INET);
    if (host == nullptr || host->h_name == nullptr) {
        return std::nullopt;
    }
    std::u16string name = win32::AnsiToWide(host->h_name).substr(0, kMaxNameChars);
    return name.substr(0, name.find(u'.'));
}

// The addresses the redirector has seen, each once, with a name; the most
// recently found first. Sets `status` to 501 when memory runs out.
std::list<NamedAddress> CollectNames(win32::HANDLE device, std::uint16_t* status) {
    std::list<NamedAddress> names;
    for (;;) {
        cvn::FixedRecord<ar::kSize> record;
        cvn::InitializeHeader(record.view());
        win32::DWORD returned = 0;
        if (!win32::DeviceIoControl(device, cvn::FSCTL_SERVER_NEXT_PENDING_ADDRESS, record.data(),
                                    ar::kSize, record.data(), ar::kSize, &returned, nullptr)) {
            return names;
        }
        const std::uint32_t address =
            AddressOf(reinterpret_cast<const char*>(record.data()) + ar::kAddress);
        if (std::any_of(names.begin(), names.end(), [address](const NamedAddress& known) {
                return known.address == address;
            })) {
            continue;
        }
        std::optional<std::u16string> name = NameOfAddress(address);
        if (!name) {
            continue;
        }
        try {
            names.push_front({address, std::move(*name)});
        } catch (const std::bad_alloc&) {
            *status = kStatusNoMemory;
            return names;
        }
    }
}

}  // namespace

void AnswerNameToAddress(std::vector<std::uint8_t>& buffer) {
    win32::ByteView request = View(buffer);
    std::optional<std::string> host = RequestedHost(request);
    request.SetU32(hr::kDataLength, 4);
    std::uint32_t address = win32::INADDR_NONE;
    if (host) {
        address = win32::inet_addr(host->c_str());
        if (address == win32::INADDR_NONE) {
            if (win32::hostent* found = win32::gethostbyname(host->c_str());
                found != nullptr && found->h_addr_list != nullptr &&
                found->h_addr_list[0] != nullptr) {
                address = AddressOf(found->h_addr_list[0]);
            } else {
                request.SetU16(hr::kAnswerStatus, kStatusHostNotFound);
            }
        }
    } else {
        request.SetU16(hr::kAnswerStatus, kStatusHostNotFound);
    }
    std::memcpy(buffer.data() + hr::kData, &address, 4);
}

void AnswerPendingAddressNames(std::vector<std::uint8_t>& buffer) {
    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\CVNCTL", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) {
        View(buffer).SetU16(hr::kAnswerStatus, kStatusNotServed);
        return;
    }
    win32::UniqueHandle owner(device);
    std::uint16_t status = 0;
    std::list<NamedAddress> names = CollectNames(device, &status);
    std::size_t needed = hr::kBasicSize;
    for (const NamedAddress& named : names) {
        needed += named.name.size() * 2 + 2;
    }
    if (needed > buffer.size()) {
        try {
            buffer.resize(needed);
        } catch (const std::bad_alloc&) {
            View(buffer).SetU16(hr::kAnswerStatus, kStatusNoMemory);
            return;
        }
    }
    win32::ByteView answer = View(buffer);
    std::size_t offset = hr::kData;
    for (const NamedAddress& named : names) {
        answer.SetU16(offset, static_cast<std::uint16_t>(named.name.size() * 2));
        offset += 2;
        for (char16_t c : named.name) {
            answer.SetU16(offset, c);
            offset += 2;
        }
    }
    answer.SetU32(hr::kDataLength, static_cast<std::uint32_t>(offset - hr::kData));
    answer.SetU16(hr::kAnswerStatus, status);
}

}  // namespace cvagent
