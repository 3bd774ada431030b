#include "platform/service_names.h"

#include <cstdlib>

namespace win32::service_detail {

namespace {

constexpr size_t kMaxServiceName = 256;
constexpr size_t kMaxUnitName = 255;

// Services of the system whose units are named after their programs.
struct InstalledUnit {
    std::string_view service;
    std::string_view unit;
};
constexpr InstalledUnit kInstalledUnits[] = {
    {"Corvane", "cvagent.service"},
};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsUnitCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
           c == '-' || c == '_' || c == '.' || c == '@' || c == '\\';
}

// A name systemd accepts as a unit, and that systemctl cannot take for an
// option.
bool IsValidUnitName(std::string_view unit) {
    if (unit.empty() || unit.size() > kMaxUnitName || unit.front() == '-' ||
        unit.find('.') == std::string_view::npos) {
        return false;
    }
    for (char c : unit) {
        if (!IsUnitCharacter(c)) {
            return false;
        }
    }
    return true;
}

std::string ConfiguredUnit(std::string_view name) {
    std::string variable = "CVN_SERVICE_UNIT_";
    for (char c : name) {
        if (c == '=') {
            return {};  // no environment variable can have this name
        }
        variable += AsciiUpper(c);
    }
    const char* unit = std::getenv(variable.c_str());
    return unit != nullptr ? unit : "";
}

}  // namespace

bool IsValidServiceName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxServiceName &&
           name.find_first_of("/\\") == std::string_view::npos;
}

bool ServiceNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string LowerServiceName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = AsciiLower(c);
    }
    return lower;
}

std::string UnitForService(std::string_view name) {
    std::string unit = ConfiguredUnit(name);
    if (unit.empty()) {
        for (const InstalledUnit& installed : kInstalledUnits) {
            if (ServiceNamesEqual(installed.service, name)) {
                unit = installed.unit;
            }
        }
    }
    if (unit.empty()) {
        unit = LowerServiceName(name) + ".service";
    }
    return IsValidUnitName(unit) ? unit : std::string();
}

}  // namespace win32::service_detail
