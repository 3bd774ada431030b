// cvnreg: shows and edits the NFS client's configuration in the registry
// through the name-space API.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/records.h"
#include "cvprov/cvprov.h"
#include "cvprov/options.h"
#include "cvprov/upgrade.h"
#include "platform/errors.h"
#include "platform/host_text.h"
#include "platform/registry_store.h"
#include "platform/system_messages.h"

namespace {

namespace me = cvn::mount_entry;

constexpr const char* kUsage =
    "Usage: cvnreg [--space system|combined|user] command ...\n"
    "\n"
    "  hosts                        list the hosts of the name space\n"
    "  filesystems HOST             list the named file systems of a host\n"
    "  show [HOST [FS]]             the options of the global, host or file-system entry,\n"
    "                               every level applied\n"
    "  add-host HOST                add a host\n"
    "  add-fs HOST FS EXPORT        add a named file system with its export path\n"
    "  set [HOST [FS]] NAME=VALUE...  change options of that entry\n"
    "  remove-host HOST             remove a host and its file systems\n"
    "  remove-fs HOST FS            remove one file system\n"
    "  upgrade                      convert what the previous version stored\n"
    "  access                       whether this user may change the system tree\n"
    "\n"
    "--space: system (the machine's tree), user (this user's tree, read over the\n"
    "machine's), combined (both listed; the default). Changes go to the system tree\n"
    "for system and to the user tree otherwise.\n";

int Fail(uint32_t error, const std::string& what) {
    std::optional<std::string_view> text = win32::SystemMessageText(error);
    std::cerr << "cvnreg: " << what << ": " << (text ? std::string(*text) : "error") << " (error "
              << error << ")\n";
    if (error == win32::ERROR_BADDB) {
        std::cerr << "cvnreg: " << win32::RegistryDiagnostic() << "\n";
    }
    return 1;
}

cvn::MountEntry Entry(const API_SESS_PARAM& record) {
    cvn::MountEntry entry;
    std::memcpy(entry.data(), record.bytes, entry.size());
    return entry;
}

void ShowRecord(const API_SESS_PARAM& record) {
    cvn::MountEntry entry = Entry(record);
    for (const cvprov::OptionRow& row : cvprov::OptionTable()) {
        std::string value;
        switch (row.kind) {
            case cvprov::OptionKind::Text:
                value = "\"" + win32::WideToDisplay(entry.Text({row.offset, row.capacity})) + "\"";
                break;
            case cvprov::OptionKind::Password:
                value = entry.Text({row.offset, row.capacity}).empty() ? "(none)" : "(set)";
                break;
            case cvprov::OptionKind::Flag:
            case cvprov::OptionKind::Number:
                value = std::to_string(cvprov::GetNumber(entry, row));
                break;
        }
        std::printf("%-24s %s\n", row.name, value.c_str());
    }
}

bool SetOption(cvn::MountEntry& entry, const std::string& assignment) {
    size_t equals = assignment.find('=');
    const cvprov::OptionRow* row =
        equals == std::string::npos ? nullptr : cvprov::FindOption(assignment.substr(0, equals));
    if (row == nullptr) {
        std::cerr << "cvnreg: not an option assignment: " << assignment << "\n";
        return false;
    }
    std::string value = assignment.substr(equals + 1);
    if (row->kind == cvprov::OptionKind::Text || row->kind == cvprov::OptionKind::Password) {
        entry.SetText({row->offset, row->capacity}, win32::HostToWide(value));
        return true;
    }
    char* end = nullptr;
    errno = 0;
    unsigned long long number = std::strtoull(value.c_str(), &end, 0);
    // strtoull would take "-1" as the largest number: options have no sign.
    if (value.empty() || *end != '\0' || value.find('-') != std::string::npos) {
        std::cerr << "cvnreg: " << row->name << " takes a number: " << value << "\n";
        return false;
    }
    // A number beyond 32 bits is clamped like any other out of range, not
    // cut to its low bits.
    if (errno == ERANGE || number > UINT32_MAX) {
        number = UINT32_MAX;
    }
    cvprov::SetNumber(entry, *row, static_cast<uint32_t>(number));
    return true;
}

struct Command {
    NAME_SPACE space = NAME_SPACE_COMBINED;
    std::string name;
    std::vector<std::u16string> words;  // host and file-system names
    std::vector<std::string> arguments;
};

int ListHosts(const Command& command) {
    REG_BROWSE browse;
    API_SESS_PARAM record;
    for (uint32_t status = GetHostEntryFirst(command.space, &browse, &record);
         status != win32::ERROR_NO_MORE_ITEMS;
         status = GetHostEntryNext(command.space, &browse, &record)) {
        if (status != 0) {
            return status == win32::ERROR_FILE_NOT_FOUND ? 0 : Fail(status, "listing the hosts");
        }
        std::cout << win32::WideToDisplay(Entry(record).Text(me::kHost)) << "\n";
    }
    return 0;
}

int ListFileSystems(const Command& command) {
    REG_BROWSE browse;
    API_SESS_PARAM record;
    const char16_t* host = command.words[0].c_str();
    for (uint32_t status = GetFileSystemEntryFirst(host, command.space, &browse, &record);
         status != win32::ERROR_NO_MORE_ITEMS;
         status = GetFileSystemEntryNext(host, command.space, &browse, &record)) {
        if (status != 0) {
            return status == win32::ERROR_FILE_NOT_FOUND ? 0
                                                         : Fail(status, "listing the file systems");
        }
        cvn::MountEntry entry = Entry(record);
        std::cout << win32::WideToDisplay(entry.Text(me::kPath)) << "\t"
                  << win32::WideToDisplay(entry.Text(me::kRoot)) << "\n";
    }
    return 0;
}

uint32_t Read(const Command& command, API_SESS_PARAM* record) {
    switch (command.words.size()) {
        case 0:
            return GetCorvParam(command.space, record);
        case 1:
            return GetHostEntry(command.words[0].c_str(), command.space, record);
        default:
            return GetFileSystemEntry(command.words[0].c_str(), command.words[1].c_str(),
                                      command.space, record);
    }
}

uint32_t Write(const Command& command, API_SESS_PARAM* record) {
    switch (command.words.size()) {
        case 0:
            return SetCorvParam(command.space, record);
        case 1:
            return AddHostEntry(command.words[0].c_str(), command.space, record);
        default:
            return AddFileSystemEntry(command.words[0].c_str(), command.words[1].c_str(),
                                      command.space, record);
    }
}

int Show(const Command& command) {
    API_SESS_PARAM record;
    uint32_t status = Read(command, &record);
    if (status != 0 && status != win32::ERROR_FILE_NOT_FOUND) {
        return Fail(status, "reading the entry");
    }
    if (status == win32::ERROR_FILE_NOT_FOUND && !command.words.empty()) {
        return Fail(status, "reading the entry");
    }
    ShowRecord(record);
    return 0;
}

int Set(const Command& command) {
    API_SESS_PARAM record;
    uint32_t status = Read(command, &record);
    if (status != 0 && !(status == win32::ERROR_FILE_NOT_FOUND && command.words.empty())) {
        return Fail(status, "reading the entry");
    }
    cvn::MountEntry entry = Entry(record);
    for (const std::string& assignment : command.arguments) {
        if (!SetOption(entry, assignment)) {
            return 2;
        }
    }
    std::memcpy(record.bytes, entry.data(), entry.size());
    status = Write(command, &record);
    return status == 0 ? 0 : Fail(status, "writing the entry");
}

int Run(Command& command) {
    const std::string& name = command.name;
    const size_t names = command.words.size();
    if (name == "hosts" && names == 0)
        return ListHosts(command);
    if (name == "filesystems" && names == 1)
        return ListFileSystems(command);
    if (name == "show" && names <= 2)
        return Show(command);
    if (name == "set" && names <= 2 && !command.arguments.empty())
        return Set(command);
    if (name == "add-host" && names == 1) {
        uint32_t status = AddHostEntry(command.words[0].c_str(), command.space, nullptr);
        return status == 0 ? 0 : Fail(status, "adding the host");
    }
    if (name == "add-fs" && names == 2 && command.arguments.size() == 1) {
        API_SESS_PARAM record;
        GetFileSystemEntry(command.words[0].c_str(), command.words[1].c_str(), command.space,
                           &record);
        cvn::MountEntry entry = Entry(record);
        entry.SetText(me::kRoot, win32::HostToWide(command.arguments[0]));
        std::memcpy(record.bytes, entry.data(), entry.size());
        uint32_t status = AddFileSystemEntry(command.words[0].c_str(), command.words[1].c_str(),
                                             command.space, &record);
        return status == 0 ? 0 : Fail(status, "adding the file system");
    }
    if (name == "remove-host" && names == 1) {
        uint32_t status = RemoveHostEntry(command.words[0].c_str(), command.space);
        return status == 0 ? 0 : Fail(status, "removing the host");
    }
    if (name == "remove-fs" && names == 2) {
        uint32_t status = RemoveFileSystemEntry(command.words[0].c_str(), command.words[1].c_str(),
                                                command.space);
        return status == 0 ? 0 : Fail(status, "removing the file system");
    }
    if (name == "upgrade" && names == 0) {
        bool requested = true;
        cvprov::RunUpgradePass(&requested);
        return 0;
    }
    if (name == "access" && names == 0) {
        std::cout << (CheckUserAccess() ? "yes" : "no") << "\n";
        return 0;
    }
    std::cerr << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Command command;
    int i = 1;
    if (i < argc && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-?") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (i + 1 < argc && std::strcmp(argv[i], "--space") == 0) {
        std::string space = argv[i + 1];
        if (space == "system") {
            command.space = NAME_SPACE_SYSTEM;
        } else if (space == "user") {
            command.space = NAME_SPACE_USER;
        } else if (space != "combined") {
            std::cerr << kUsage;
            return 2;
        }
        i += 2;
    }
    if (i >= argc) {
        std::cerr << kUsage;
        return 2;
    }
    command.name = argv[i++];
    // Names first, then assignments (set) or the export path (add-fs).
    const bool has_export_path = command.name == "add-fs";
    std::vector<std::string> rest(argv + i, argv + argc);
    for (size_t k = 0; k < rest.size(); ++k) {
        const bool is_assignment = rest[k].find('=') != std::string::npos && command.name == "set";
        const bool is_export_path = has_export_path && k == 2;
        if (is_assignment || is_export_path) {
            command.arguments.push_back(rest[k]);
        } else if (command.arguments.empty()) {
            command.words.push_back(win32::HostToWide(rest[k]));
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    return Run(command);
}
