#include "platform/crt_argv.h"

namespace win32 {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

void SkipBlanks(std::u16string_view line, size_t* pos) {
    while (*pos < line.size() && IsBlank(line[*pos])) {
        ++*pos;
    }
}

// The program name: a quoted run, or the run to the first blank or tab.
std::u16string ProgramName(std::u16string_view line, size_t* pos) {
    std::u16string name;
    if (*pos < line.size() && line[*pos] == u'"') {
        size_t close = line.find(u'"', *pos + 1);
        size_t end = close == std::u16string_view::npos ? line.size() : close;
        name = line.substr(*pos + 1, end - *pos - 1);
        *pos = close == std::u16string_view::npos ? line.size() : close + 1;
        return name;
    }
    while (*pos < line.size() && line[*pos] != u' ' && line[*pos] != u'\t') {
        name += line[(*pos)++];
    }
    return name;
}

std::u16string Argument(std::u16string_view line, size_t* pos) {
    std::u16string word;
    bool quoted = false;
    while (*pos < line.size()) {
        char16_t c = line[*pos];
        if (!quoted && IsBlank(c)) {
            break;
        }
        if (c == u'\\') {
            size_t run = 0;
            while (*pos < line.size() && line[*pos] == u'\\') {
                ++run;
                ++*pos;
            }
            if (*pos < line.size() && line[*pos] == u'"') {
                word.append(run / 2, u'\\');
                if (run % 2 == 1) {
                    word += u'"';
                    ++*pos;
                }
                // An even run leaves the quote to be read as a delimiter.
            } else {
                word.append(run, u'\\');
            }
            continue;
        }
        if (c == u'"') {
            if (quoted && *pos + 1 < line.size() && line[*pos + 1] == u'"') {
                word += u'"';
                *pos += 2;
                continue;
            }
            quoted = !quoted;
            ++*pos;
            continue;
        }
        word += c;
        ++*pos;
    }
    return word;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> words;
    size_t pos = 0;
    SkipBlanks(line, &pos);
    if (pos >= line.size()) {
        return words;
    }
    words.push_back(ProgramName(line, &pos));
    for (;;) {
        SkipBlanks(line, &pos);
        if (pos >= line.size()) {
            break;
        }
        words.push_back(Argument(line, &pos));
    }
    return words;
}

}  // namespace win32
