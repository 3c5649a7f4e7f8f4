// DOS date and time as stored in ZIP headers: one 32-bit value, date in the high half and time in
// the low half, and its conversion to and from DateTime.
#pragma once

#include <cstdint>
#include <optional>

#include "zip/DateTime.h"

namespace zip {

// Brings every field into range: hours to 23, minutes to 59, seconds to 59 (29 stored), years to
// 1980..2099, month 0 to 1 and above 12 to 12, day 0 to 1. A value that needs no change is
// returned bit for bit; the day is not checked against the month's length.
std::uint32_t NormalizeDosDateTime(std::uint32_t dos);

// The date-time a (normalised) DOS value stands for, or nothing when it is not a real date (a day
// beyond the end of its month, or a field still out of range).
std::optional<DateTime> DosToDateTime(std::uint32_t dos);

// The DOS value of a date-time; years before 1980 give 1980-01-01 00:00:00, years after 2107 give
// the last representable value. Odd seconds round down.
std::uint32_t DateTimeToDos(const DateTime& dt);

}  // namespace zip
