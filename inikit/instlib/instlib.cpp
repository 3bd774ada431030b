#include "inikit/instlib/instlib.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inikit/instlib/file_access.h"
#include "inikit/instlib/ini_text.h"

namespace instlib {

namespace {

constexpr size_t kNameBufferSize = 260;

struct Change {
    std::string section;
    std::string key;
    std::optional<std::string> value;
    unsigned flags;
};

// The library's single current file; callers do not overlap calls.
struct State {
    std::optional<IniText> file;
    std::vector<std::string> sections;  // for the section walk
    size_t next_section = 0;
    std::optional<size_t> current_section;
    int last_handle = 0;
    std::vector<Change> queue;
};

State& TheState() {
    static State state;
    return state;
}

int WriteSectionName(char* buffer) {
    State& state = TheState();
    if (!state.file || state.next_section >= state.sections.size()) {
        return 0;
    }
    const std::string& name = state.sections[state.next_section++];
    size_t size = std::min(name.size(), kNameBufferSize - 1);
    std::memcpy(buffer, name.data(), size);
    buffer[size] = '\0';
    return 1;
}

// A change must stay on its own line and keep its meaning when read back: a
// line end in any part, a key that holds '=' or would read as a comment or a
// header, or a section name that holds ']' would write something else.
bool FitsOneLine(const char* section, const char* key, const char* value) {
    if (section == nullptr || key == nullptr || section[0] == '\0' || key[0] == '\0') {
        return false;
    }
    std::string_view name(section), key_text(key), value_text(value ? value : "");
    auto has_line_end = [](std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    };
    return !has_line_end(name) && !has_line_end(key_text) && !has_line_end(value_text) &&
           name.find(']') == std::string_view::npos &&
           key_text.find('=') == std::string_view::npos && key[0] != ';' && key[0] != '[';
}

}  // namespace

int config_open(const char* path, int) {
    State& state = TheState();
    state.file.reset();
    state.current_section.reset();
    if (path == nullptr) {
        return 0;
    }
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) {
        return 0;
    }
    state.file = IniText::Parse(*bytes);
    state.sections = state.file->SectionNames();
    state.next_section = 0;
    state.last_handle = state.last_handle == 0x7fffffff ? 1 : state.last_handle + 1;
    return state.last_handle;
}

int config_seek(char* name, int, int, int mode) {
    State& state = TheState();
    if (!state.file || name == nullptr) {
        return 0;
    }
    if (mode == 2) {
        return WriteSectionName(name);
    }
    if (name[0] == '\0') {
        state.next_section = 0;
        return WriteSectionName(name);
    }
    state.current_section = state.file->FindSection(name);
    return state.current_section ? 1 : 0;
}

int config_read(const char* key, int key_length, char* buffer, int size, unsigned) {
    State& state = TheState();
    if (!state.file || !state.current_section || key == nullptr || buffer == nullptr || size <= 0) {
        return 0;
    }
    std::string name = key_length < 0 ? std::string(key) : std::string(key, key_length);
    std::optional<std::string> value = state.file->Value(*state.current_section, name);
    if (!value) {
        return 0;
    }
    size_t copied = std::min(value->size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, value->data(), copied);
    buffer[copied] = '\0';
    return 1;
}

int config_write(const char* section, int, int, const char* key, const char* value,
                 unsigned flags) {
    if (!FitsOneLine(section, key, value)) {
        return 0;
    }
    std::optional<std::string> text;
    if (value != nullptr) {
        text = value;
    }
    TheState().queue.push_back(Change{section, key, std::move(text), flags});
    return 1;
}

int config_flush(const char* path, int, unsigned) {
    std::vector<Change> queue;
    queue.swap(TheState().queue);
    if (path == nullptr || path[0] == '\0') {
        return 0;
    }
    std::optional<std::string> before = ReadWholeFile(path);
    bool creates = !before;
    if (creates && !FileIsMissing(path)) {
        return 0;  // there but unreadable: never overwrite what we cannot keep
    }
    IniText text = IniText::Parse(before.value_or(""));
    for (const Change& change : queue) {
        if (change.value) {
            text.Set(change.section, change.key, *change.value);
        } else {
            text.Remove(change.section, change.key);
        }
    }
    std::string after = text.Render();
    if (after == before.value_or("") && !(creates && !after.empty())) {
        return 1;  // nothing changed: the file is left alone
    }
    return ReplaceWholeFile(path, after) ? 1 : 0;
}

int config_close(int) {
    State& state = TheState();
    state.file.reset();
    state.current_section.reset();
    state.sections.clear();
    state.next_section = 0;
    return 1;
}

}  // namespace instlib
