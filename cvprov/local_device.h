// Local device names: drive letters and printer ports.
#pragma once

#include <cstdint>
#include <string_view>

namespace cvprov {

enum class DeviceKind { None, Disk, Printer };

struct LocalDevice {
    int number = 0;  // 1..26 for A..Z, 1..9 for LPT1..LPT9, 0 for none
    DeviceKind kind = DeviceKind::None;
};

// "X:" followed by anything is a disk, "LPTn" (any case) followed by
// anything a printer; anything else is none.
LocalDevice ParseLocalDevice(std::u16string_view name);

// The device code a mount entry stores: 64 + number for a disk, 48 + number
// for a printer, 0 for none.
std::uint8_t DeviceCode(const LocalDevice& device);

}  // namespace cvprov
