// The exports of the local backend: which host directory serves each
// \\host\export, and which user and password, if any, it asks for.
//
// The exports file holds one export per line:
//
//     \\host\export   /host/directory           [user password]
//     \\host\queue    printer:/spool/directory  [user password]
//
// A "printer:" line is a printer queue: the jobs printed to it are kept as
// files in that directory.
//
// Fields are separated by blanks or tabs; a field holding blanks is put in
// double quotes. '#' starts a comment line. Host names compare without
// regard to case, export paths exactly; '/' and '\' both separate them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cvnrd {

struct Export {
    enum class Kind { Disk, Printer };
    Kind kind = Kind::Disk;
    std::u16string host;
    std::u16string path;    // without leading separators, '\' between components
    std::string directory;  // host directory
    std::u16string user;    // empty: anyone may connect
    std::u16string password;
};

class ExportTable {
public:
    // Nullopt with a message naming the line when the text is malformed.
    static std::optional<ExportTable> Parse(const std::string& text, std::string* error);
    static std::optional<ExportTable> Load(const std::string& path, std::string* error);
    // The embedded default: \\localhost\demo serving `directory`.
    static ExportTable Demo(const std::string& directory);

    bool HasHost(std::u16string_view host) const;
    // The disk export whose path is `path` or a leading part of it (ending
    // at a separator); `rest` receives what follows, without leading
    // separators.
    const Export* Find(std::u16string_view host, std::u16string_view path,
                       std::u16string* rest) const;
    // The printer queue of that exact name.
    const Export* FindPrinter(std::u16string_view host, std::u16string_view name) const;
    const std::vector<Export>& exports() const { return exports_; }

private:
    std::vector<Export> exports_;
};

// "export\sub" from "/export/sub", "\export\sub\" and the like.
std::u16string NormalizeRemotePath(std::u16string_view path);

}  // namespace cvnrd
