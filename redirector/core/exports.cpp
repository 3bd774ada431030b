#include "redirector/core/exports.h"

#include <fstream>
#include <sstream>

#include "platform/case_fold.h"
#include "platform/host_text.h"

namespace cvnrd {

namespace {

// Splits a line into fields: blanks and tabs separate, double quotes group.
std::optional<std::vector<std::string>> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
        }
        if (pos >= line.size()) {
            break;
        }
        std::string field;
        if (line[pos] == '"') {
            size_t close = line.find('"', pos + 1);
            if (close == std::string::npos) {
                return std::nullopt;
            }
            field = line.substr(pos + 1, close - pos - 1);
            pos = close + 1;
        } else {
            size_t end = line.find_first_of(" \t", pos);
            field = line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? line.size() : end;
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

}  // namespace

std::u16string NormalizeRemotePath(std::u16string_view path) {
    std::u16string normalized;
    size_t pos = 0;
    while (pos < path.size()) {
        while (pos < path.size() && IsSeparator(path[pos])) {
            ++pos;
        }
        size_t end = pos;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        if (end > pos) {
            if (!normalized.empty()) {
                normalized += u'\\';
            }
            normalized.append(path.substr(pos, end - pos));
        }
        pos = end;
    }
    return normalized;
}

std::optional<ExportTable> ExportTable::Parse(const std::string& text, std::string* error) {
    ExportTable table;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A comment is free text: a quote in it opens nothing.
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::optional<std::vector<std::string>> fields = Fields(line);
        auto fail = [&](const std::string& why) {
            *error = "line " + std::to_string(number) + ": " + why;
            return std::nullopt;
        };
        if (!fields) {
            return fail("a quote is not closed");
        }
        if (fields->size() != 2 && fields->size() != 4) {
            return fail(
                "expected \\\\host\\export, a directory, and optionally a user and a password");
        }
        std::u16string name = win32::HostToWide((*fields)[0]);
        if (name.size() < 3 || !IsSeparator(name[0]) || !IsSeparator(name[1])) {
            return fail("the export must be written \\\\host\\export");
        }
        std::u16string rest = NormalizeRemotePath(name);
        size_t separator = rest.find(u'\\');
        if (separator == std::u16string::npos || separator == 0 || separator + 1 >= rest.size()) {
            return fail("the export must be written \\\\host\\export");
        }
        Export entry;
        std::string directory = (*fields)[1];
        if (directory.starts_with("printer:")) {
            entry.kind = Export::Kind::Printer;
            directory = directory.substr(8);
        }
        if (directory.empty() || directory[0] != '/') {
            return fail("the directory must be an absolute host path");
        }
        entry.host = rest.substr(0, separator);
        entry.path = rest.substr(separator + 1);
        entry.directory = directory;
        if (fields->size() == 4) {
            entry.user = win32::HostToWide((*fields)[2]);
            entry.password = win32::HostToWide((*fields)[3]);
        }
        table.exports_.push_back(std::move(entry));
    }
    return table;
}

std::optional<ExportTable> ExportTable::Load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<ExportTable> table = Parse(text.str(), error);
    if (!table) {
        *error = path + ": " + *error;
    }
    return table;
}

ExportTable ExportTable::Demo(const std::string& directory) {
    ExportTable table;
    table.exports_.push_back(
        Export{Export::Kind::Disk, u"localhost", u"demo", directory, u"", u""});
    return table;
}

const Export* ExportTable::FindPrinter(std::u16string_view host, std::u16string_view name) const {
    const std::u16string wanted = NormalizeRemotePath(name);
    for (const Export& entry : exports_) {
        // The queue's name compares exactly, as an export's path does: a
        // connection is later found and cancelled by the name it was made
        // with, and two spellings must not connect one queue twice.
        if (entry.kind == Export::Kind::Printer && win32::FileNamesEqual(entry.host, host) &&
            entry.path == wanted) {
            return &entry;
        }
    }
    return nullptr;
}

bool ExportTable::HasHost(std::u16string_view host) const {
    for (const Export& entry : exports_) {
        if (win32::FileNamesEqual(entry.host, host)) {
            return true;
        }
    }
    return false;
}

const Export* ExportTable::Find(std::u16string_view host, std::u16string_view path,
                                std::u16string* rest) const {
    std::u16string wanted = NormalizeRemotePath(path);
    const Export* best = nullptr;
    for (const Export& entry : exports_) {
        if (entry.kind != Export::Kind::Disk || !win32::FileNamesEqual(entry.host, host) ||
            !wanted.starts_with(entry.path)) {
            continue;
        }
        if (wanted.size() != entry.path.size() && wanted[entry.path.size()] != u'\\') {
            continue;
        }
        if (best == nullptr || entry.path.size() > best->path.size()) {
            best = &entry;
        }
    }
    if (best != nullptr && rest != nullptr) {
        *rest = wanted.size() > best->path.size() ? wanted.substr(best->path.size() + 1) : u"";
    }
    return best;
}

}  // namespace cvnrd
