// The translation of the redirector's status words into Win32 results.
#pragma once

#include <cstdint>
#include <span>

#include "platform/types.h"

namespace cvprov {

struct StatusRow {
    std::uint16_t status;
    win32::DWORD result;
};

std::span<const StatusRow> StatusTable();

// The result for a status word; a word in no row gives the calling thread's
// last error.
win32::DWORD MapRedirectorStatus(std::uint16_t status);

}  // namespace cvprov
