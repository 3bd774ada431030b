#include "cvprov/packing.h"

#include <cstring>

#include "cvprov/provider_state.h"
#include "platform/codepage.h"

namespace cvprov {

std::size_t NarrowBytesNeeded(const Resource& resource) {
    std::size_t bytes = sizeof(NETRESOURCEA);
    for (const auto* text :
         {&resource.local_name, &resource.remote_name, &resource.comment, &resource.provider}) {
        if (*text) {
            bytes += ((*text)->size() + 1) * MaximumCharacterSize();
        }
    }
    return bytes;
}

char* NarrowPacker::PlaceString(const std::optional<std::u16string>& text) {
    if (!text) {
        return nullptr;
    }
    std::string narrow = win32::WideToAnsi(*text);
    back_ -= narrow.size() + 1;
    std::memcpy(buffer_ + back_, narrow.c_str(), narrow.size() + 1);
    return buffer_ + back_;
}

bool NarrowPacker::Add(const Resource& resource) {
    if (NarrowBytesNeeded(resource) > free_bytes()) {
        return false;
    }
    NETRESOURCEA record{};
    record.dwScope = resource.scope;
    record.dwType = resource.type;
    record.dwDisplayType = resource.display_type;
    record.dwUsage = resource.usage;
    record.lpLocalName = PlaceString(resource.local_name);
    record.lpRemoteName = PlaceString(resource.remote_name);
    record.lpComment = PlaceString(resource.comment);
    record.lpProvider = PlaceString(resource.provider);
    std::memcpy(buffer_ + front_, &record, sizeof record);
    front_ += sizeof record;
    return true;
}

char* NarrowPacker::AddString(std::u16string_view text) {
    std::string narrow = win32::WideToAnsi(text);
    if (narrow.size() + 1 > free_bytes()) {
        return nullptr;
    }
    return PlaceString(std::u16string(text));
}

}  // namespace cvprov
