// The text forms of dates and times in the data files and grids: date "yyyy-mm-dd", time
// "HH:mm:ss" (24-hour clock), joined by one blank.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "zip/DateTime.h"

namespace core {

// "yyyy-mm-dd".
std::string FormatDate(const zip::DateTime& value);
// "HH:mm:ss".
std::string FormatTime(const zip::DateTime& value);
// Date, one blank, time; the time is left out when it is exactly 00:00:00.
std::string FormatDateTime(const zip::DateTime& value);
// Date, one blank, time, always both (the form of a project's NewDateTime).
std::string FormatDateAndTime(const zip::DateTime& value);

// Parses a date ("yyyy-m-d", a four-digit year, one or two digits for month and day), optionally
// followed by blanks and a time ("H:m" or "H:m:s", one or two digits each); surrounding blanks are
// ignored and a date alone means midnight. Nothing when the text has another form or names no
// real date or time (2023-02-29, 24:00).
std::optional<zip::DateTime> TryParseDateTime(std::string_view text);
// Like TryParseDateTime; throws zip::EConvertError ("'text' is not a valid date and time") instead
// of returning nothing.
zip::DateTime ParseDateTime(std::string_view text);

}  // namespace core
