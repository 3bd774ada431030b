// Sizes, time-outs and counters of the mount display: groups of three
// digits, each with its leading zeros, joined by commas.
#pragma once

#include <cstdint>
#include <string>

namespace cvstat {

// "0" for 0; otherwise every group of three digits from the right, the
// first included, with leading zeros: 7 -> "007", 1000 -> "001,000". The
// zeros keep the groups of all values in the same columns.
std::u16string GroupedNumber(std::uint64_t value);

// The grouped number and a line end.
void PrintNumber(std::uint64_t value);

}  // namespace cvstat
