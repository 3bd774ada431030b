// Service names: which are valid, how they compare, and the host unit that
// serves each one.
#pragma once

#include <string>
#include <string_view>

namespace win32::service_detail {

// A service name the control manager accepts: not empty, at most 256
// characters, without '/' or '\' (which would also make it a path).
bool IsValidServiceName(std::string_view name);

// Service names compare without regard to case (ASCII letters).
bool ServiceNamesEqual(std::string_view a, std::string_view b);
std::string LowerServiceName(std::string_view name);

// The systemd unit of a service: CVN_SERVICE_UNIT_<NAME upper-case> when it
// is set, else the unit a service of the system is installed as ("Corvane"
// runs as cvagent.service), else <name lower-case>.service. Empty when that
// is no valid unit name, so that no name can reach systemctl as an option.
std::string UnitForService(std::string_view name);

}  // namespace win32::service_detail
