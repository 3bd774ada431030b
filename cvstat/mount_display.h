// One mount entry in detail: its kind and name, the server, the transfer
// and cache options, the state flags and the redirector's counters.
#pragma once

#include "common/records.h"

namespace cvstat {

void ShowMountEntry(const cvn::MountEntry& entry);

}  // namespace cvstat
