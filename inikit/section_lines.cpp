#include "inikit/section_lines.h"

#include <memory>
#include <optional>

#include "inikit/entry_text.h"
#include "inikit/instlib/ini_text.h"
#include "platform/codepage.h"
#include "platform/crt_stdio.h"

namespace inikit {

namespace {

// Lines of a text-mode stream, line ends removed.
class LineReader {
public:
    explicit LineReader(win32::crt::Stream& stream) : stream_(stream) {}

    std::optional<std::string> Next() {
        int c = stream_.GetChar();
        if (c < 0) {
            return std::nullopt;
        }
        std::string line;
        while (c >= 0 && c != '\n') {
            line += static_cast<char>(c);
            c = stream_.GetChar();
        }
        ++number_;
        return line;
    }

    std::uint16_t number() const { return number_; }

private:
    win32::crt::Stream& stream_;
    std::uint16_t number_ = 0;
};

bool IsHeaderOf(const std::string& line, const std::string& section, bool any_case) {
    if (line.size() != section.size() + 2 || line.front() != '[' || line.back() != ']') {
        return false;
    }
    std::string_view name = std::string_view(line).substr(1, section.size());
    // Windows-1252 has no lead bytes, so a byte comparison is multibyte-aware.
    return any_case ? instlib::SameName(name, section) : name == section;
}

}  // namespace

SectionContents ReadSectionLines(const char* ansi_path, const std::string& section, bool any_case,
                                 bool normalise) {
    SectionContents contents;
    auto stream = win32::crt::Stream::Open(win32::AnsiToWide(ansi_path), u"r");
    if (!stream) {
        return contents;
    }
    LineReader reader(*stream);
    std::optional<std::string> line;
    while ((line = reader.Next())) {
        if (!line->empty() && line->front() != ';' && IsHeaderOf(*line, section, any_case)) {
            contents.found = true;
            break;
        }
    }
    while (contents.found && (line = reader.Next())) {
        if (line->empty() || line->front() == ';') {
            continue;
        }
        if (line->front() == '[') {
            break;
        }
        contents.entries.push_back({normalise ? NormaliseEntry(*line) : *line, reader.number()});
    }
    stream->Close();
    return contents;
}

}  // namespace inikit
