#include "cvprov/status_table.h"

#include "platform/last_error.h"

namespace cvprov {

namespace {

constexpr StatusRow kStatusTable[] = {
#include "cvprov/status_table.inc"
};

static_assert(std::size(kStatusTable) == 127);

}  // namespace

std::span<const StatusRow> StatusTable() {
    return kStatusTable;
}

win32::DWORD MapRedirectorStatus(std::uint16_t status) {
    for (const StatusRow& row : kStatusTable) {
        if (row.status == status) {
            return row.result;
        }
    }
    return win32::GetLastError();
}

}  // namespace cvprov
