// The narrow exports: argument checks, then the operations. Nothing escapes
// as an exception; a failure leaves the caller's buffers as the rules say.
#include <algorithm>
#include <cstring>

#include "inikit/inikit.h"
#include "inikit/operations.h"

namespace {

bool Given(const char* text) {
    return text != nullptr;
}

bool Filled(const char* text) {
    return text != nullptr && text[0] != '\0';
}

template <typename Action>
void Guarded(Action action) {
    try {
        action();
    } catch (...) {
        // No exception crosses the library's boundary; the call reports nothing.
    }
}

}  // namespace

extern "C" {

void NCGetSectionNames(char* buffer, uint32_t size, const char* file) {
    if (!Given(buffer) || !Filled(file)) {
        return;
    }
    Guarded([&] {
        auto names = inikit::ListSectionNames(file);
        inikit::CopyListToBuffer(names.value_or(std::vector<std::string>{}), buffer, size);
    });
}

void NCGetSection(const char* section, char* buffer, uint32_t size, const char* file) {
    if (!Given(section) || !Given(buffer) || !Filled(file)) {
        return;
    }
    Guarded([&] {
        std::vector<std::string> entries;
        for (const auto& entry : inikit::GetSection(section, file).entries) {
            entries.push_back(entry.text);
        }
        inikit::CopyListToBuffer(entries, buffer, size);
    });
}

void NCGetIniKeyString(const char* section, const char* key, const char* default_text, char* buffer,
                       uint32_t size, const char* file) {
    if (!Given(section) || !Given(key) || !Given(default_text) || !Given(buffer) || !Filled(file)) {
        return;
    }
    Guarded([&] {
        // A failed lookup yields the empty string, whatever the default.
        std::string result = inikit::GetKeyValue(section, key, file).value_or("");
        if (size == 0) {
            return;
        }
        // A value that does not fit is cut and still terminated.
        size_t copied = std::min<size_t>(result.size(), size - 1);
        std::memcpy(buffer, result.data(), copied);
        buffer[copied] = '\0';
    });
}

void NCWriteIniKeyString(const char* section, const char* key, const char* value,
                         const char* file) {
    if (!Filled(section) || !Filled(key) || !Filled(value) || !Filled(file)) {
        return;
    }
    Guarded([&] { inikit::WriteKey(section, key, value, file); });
}

void NCWriteSection(const char* section, const char* entries, const char* file) {
    if (!Filled(section) || !Given(entries) || !Filled(file)) {
        return;
    }
    Guarded([&] {
        inikit::ReplaceSection(section, inikit::SplitEntries(inikit::SplitList(entries)), file);
    });
}

void NCDeleteIniKeyString(const char* section, const char* key, const char* file) {
    if (!Filled(section) || !Filled(key) || !Filled(file)) {
        return;
    }
    Guarded([&] { inikit::DeleteKey(section, key, file); });
}

}  // extern "C"
