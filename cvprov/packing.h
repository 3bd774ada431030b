// Results handed to the caller's buffer: fixed NETRESOURCE records from the
// start, their strings from the end backwards, each string placed right
// below the one before it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "cvprov/netresource.h"
#include "platform/types.h"

namespace cvprov {

struct Resource {
    win32::DWORD scope = 0;
    win32::DWORD type = 0;
    win32::DWORD display_type = 0;
    win32::DWORD usage = 0;
    std::optional<std::u16string> local_name;
    std::optional<std::u16string> remote_name;
    std::optional<std::u16string> comment;
    std::optional<std::u16string> provider;
};

// Bytes one record needs in narrow form: the record, and for each present
// string its characters and terminator times the code page's longest
// character.
std::size_t NarrowBytesNeeded(const Resource& resource);

class NarrowPacker {
public:
    NarrowPacker(void* buffer, std::size_t size)
        : buffer_(static_cast<char*>(buffer)), size_(size), back_(size) {}

    // False, with nothing written, when the record does not fit.
    bool Add(const Resource& resource);
    // A string alone at the back; null when it does not fit.
    char* AddString(std::u16string_view text);
    std::size_t free_bytes() const { return back_ - front_; }

private:
    char* PlaceString(const std::optional<std::u16string>& text);

    char* buffer_;
    std::size_t size_;
    std::size_t front_ = 0;
    std::size_t back_;
};

}  // namespace cvprov
