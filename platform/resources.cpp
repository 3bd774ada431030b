#include "platform/resources.h"

#include <algorithm>
#include <string>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/modules.h"
#include "platform/resource_table.h"

namespace win32 {

namespace {

const ResourceString* FindString(HINSTANCE module, UINT id) {
    if (module == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    auto* table =
        static_cast<const ResourceStringTable*>(GetModuleDataExport(module, kStringTableExport));
    if (table == nullptr || table->version != kStringTableVersion) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const ResourceString* begin = table->strings;
    const ResourceString* end = begin + table->count;
    const ResourceString* found = std::lower_bound(
        begin, end, id, [](const ResourceString& entry, UINT key) { return entry.id < key; });
    // An empty text is no text: the platform's string tables cannot tell the
    // two apart.
    if (found == end || found->id != id || found->length == 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return found;
}

template <typename Char>
int CopyCut(const Char* text, size_t length, Char* buffer, int size) {
    size_t count = std::min(length, static_cast<size_t>(size - 1));
    std::copy(text, text + count, buffer);
    buffer[count] = Char{};
    return static_cast<int>(count);
}

}  // namespace

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const ResourceString* entry = FindString(module, id);
    if (entry == nullptr) {
        buffer[0] = u'\0';
        return 0;
    }
    return CopyCut(entry->text, entry->length, buffer, size);
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const ResourceString* entry = FindString(module, id);
    if (entry == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    std::string narrow = WideToAnsi(std::u16string_view(entry->text, entry->length));
    return CopyCut(narrow.data(), narrow.size(), buffer, size);
}

}  // namespace win32
