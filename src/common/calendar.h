// The calendar time the player stamps into file names and files (screenshots, saves).
#pragma once

#include <cstdint>
#include <string>

namespace tsuzuri {

// The date and time now, by strftime's `format`: from SOURCE_DATE_EPOCH (seconds since 1970,
// in UTC) when it is set, advanced by `runMs`, the time the run has been going on its clock,
// so that tests and reproducible runs do not depend on the calendar; else the calendar clock
// in local time.
std::string calendarNow(const char* format, std::uint32_t runMs);

}  // namespace tsuzuri
