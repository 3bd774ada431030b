#include "cvprov/local_device.h"

namespace cvprov {

LocalDevice ParseLocalDevice(std::u16string_view name) {
    if (name.size() >= 2 && name[1] == u':') {
        char16_t letter = name[0];
        if (letter >= u'a' && letter <= u'z') {
            letter = static_cast<char16_t>(letter - 0x20);
        }
        if (letter >= u'A' && letter <= u'Z') {
            return {letter - u'A' + 1, DeviceKind::Disk};
        }
    }
    if (name.size() >= 4 && (name[0] | 0x20) == u'l' && (name[1] | 0x20) == u'p' &&
        (name[2] | 0x20) == u't' && name[3] >= u'1' && name[3] <= u'9') {
        return {name[3] - u'0', DeviceKind::Printer};
    }
    return {};
}

std::uint8_t DeviceCode(const LocalDevice& device) {
    switch (device.kind) {
        case DeviceKind::Disk:
            return static_cast<std::uint8_t>(64 + device.number);
        case DeviceKind::Printer:
            return static_cast<std::uint8_t>(48 + device.number);
        default:
            return 0;
    }
}

}  // namespace cvprov
