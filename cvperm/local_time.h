// The date and time of a file in the user's short formats, as the listing
// line shows them: the short date, and hours and minutes in 24-hour form.
#pragma once

#include <optional>
#include <string>

#include "platform/types.h"

namespace cvperm {

struct DateAndTime {
    std::u16string date;  // the locale's short date, e.g. "1/5/97"
    std::u16string time;  // hours and minutes in 24-hour form, e.g. "9:05"
};

// `time` converted to local time and formatted for the user's locale;
// nullopt when it cannot be converted.
std::optional<DateAndTime> LocalDateAndTime(win32::FILETIME time);

}  // namespace cvperm
