// inikit-cli: the configuration library from the command line.
//
//   inikit-cli get FILE SECTION KEY
//   inikit-cli set FILE SECTION KEY VALUE
//   inikit-cli del FILE SECTION KEY
//   inikit-cli sections FILE
//   inikit-cli section FILE SECTION
//
// Exit statuses: 0 done, 1 usage, 2 the file cannot be read, 3 no such
// section or key, 4 the file could not be written.
#include <optional>
#include <string>
#include <vector>

#include "inikit/operations.h"
#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/crt_stdio.h"

namespace {

using win32::crt::Stream;

enum Exit { kDone = 0, kUsage = 1, kUnreadable = 2, kNotFound = 3, kUnwritten = 4 };

constexpr char kUsageText[] =
    "usage: inikit-cli get FILE SECTION KEY\n"
    "       inikit-cli set FILE SECTION KEY VALUE\n"
    "       inikit-cli del FILE SECTION KEY\n"
    "       inikit-cli sections FILE\n"
    "       inikit-cli section FILE SECTION\n";

int Fail(int status, const std::string& ansi_text) {
    Stream::Err().WriteAnsiText("inikit-cli: " + ansi_text + "\n");
    Stream::Err().Flush();
    return status;
}

int Usage() {
    Stream::Err().WriteAnsiText(kUsageText);
    Stream::Err().Flush();
    return kUsage;
}

void PrintLine(const std::string& ansi_text) {
    Stream::Out().WriteAnsiText(ansi_text + "\n");
}

bool Readable(const std::string& file) {
    return inikit::ListSectionNames(file.c_str()).has_value();
}

int Get(const std::vector<std::string>& a) {
    auto value = inikit::GetKeyValue(a[1].c_str(), a[2].c_str(), a[0].c_str());
    if (!value) {
        if (!Readable(a[0])) {
            return Fail(kUnreadable, "cannot read " + a[0]);
        }
        return Fail(kNotFound, "no key " + a[2] + " in section [" + a[1] + "]");
    }
    PrintLine(*value);
    return kDone;
}

int Set(const std::vector<std::string>& a) {
    if (!inikit::WriteKey(a[1].c_str(), a[2].c_str(), a[3].c_str(), a[0].c_str())) {
        return Fail(kUnwritten, "could not write " + a[0]);
    }
    return kDone;
}

int Delete(const std::vector<std::string>& a) {
    if (!inikit::GetKeyValue(a[1].c_str(), a[2].c_str(), a[0].c_str())) {
        if (!Readable(a[0])) {
            return Fail(kUnreadable, "cannot read " + a[0]);
        }
        return Fail(kNotFound, "no key " + a[2] + " in section [" + a[1] + "]");
    }
    if (!inikit::DeleteKey(a[1].c_str(), a[2].c_str(), a[0].c_str())) {
        return Fail(kUnwritten, "could not write " + a[0]);
    }
    return kDone;
}

int Sections(const std::vector<std::string>& a) {
    auto names = inikit::ListSectionNames(a[0].c_str());
    if (!names) {
        return Fail(kUnreadable, "cannot read " + a[0]);
    }
    for (const std::string& name : *names) {
        PrintLine(name);
    }
    return kDone;
}

int Section(const std::vector<std::string>& a) {
    inikit::SectionContents contents = inikit::GetSection(a[1].c_str(), a[0].c_str());
    if (!contents.found) {
        if (!Readable(a[0])) {
            return Fail(kUnreadable, "cannot read " + a[0]);
        }
        return Fail(kNotFound, "no section [" + a[1] + "]");
    }
    for (const inikit::SectionEntry& entry : contents.entries) {
        PrintLine(entry.text);
    }
    return kDone;
}

struct Command {
    const char* name;
    size_t operands;
    int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"get", 3, Get},           {"set", 4, Set},         {"del", 3, Delete},
    {"sections", 1, Sections}, {"section", 2, Section},
};

int Run(const std::vector<std::u16string>& arguments) {
    if (arguments.size() < 2) {
        return Usage();
    }
    std::vector<std::string> operands;
    for (size_t i = 2; i < arguments.size(); ++i) {
        std::string ansi = win32::WideToAnsi(arguments[i]);
        if (win32::AnsiToWide(ansi) != arguments[i]) {
            return Fail(kUsage, "argument " + std::to_string(i - 1) +
                                    " has characters outside the ANSI code page");
        }
        operands.push_back(std::move(ansi));
    }
    std::string command = win32::WideToAnsi(arguments[1]);
    for (const Command& candidate : kCommands) {
        if (command == candidate.name) {
            return operands.size() == candidate.operands ? candidate.run(operands) : Usage();
        }
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    int status = Run(win32::CommandLineArguments(argc, argv));
    Stream::Out().Flush();
    return status;
}
