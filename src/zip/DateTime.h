// DateTime: the program's date-time value, a wall-clock time in local time with one-second
// resolution. The default value is the zero date-time, 30 December 1899 00:00:00.
#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <ctime>
#include <optional>

namespace zip {

struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

class DateTime {
 public:
  using Seconds = std::chrono::local_seconds;

  constexpr DateTime() = default;
  constexpr explicit DateTime(Seconds value) : value_(value) {}

  // The date-time of the given fields, or nothing when a field is out of range (a day beyond the
  // end of its month included).
  static std::optional<DateTime> FromParts(const DateParts& parts);
  static std::optional<DateTime> FromParts(int year, int month, int day, int hour = 0,
                                           int minute = 0, int second = 0) {
    return FromParts(DateParts{year, month, day, hour, minute, second});
  }
  // The current local date and time, to the second.
  static DateTime Now();
  // Local wall-clock time of a POSIX time stamp, and back (mktime's choice for ambiguous times).
  static DateTime FromTimeT(std::time_t t);
  std::time_t ToTimeT() const;

  DateParts Parts() const;
  Seconds Value() const { return value_; }
  // Midnight of the same day.
  DateTime DatePart() const;
  DateTime AddSeconds(std::int64_t seconds) const {
    return DateTime(value_ + std::chrono::seconds(seconds));
  }
  DateTime AddDays(std::int64_t days) const { return AddSeconds(days * 86400); }
  // Day of the week, 0 = Sunday to 6 = Saturday.
  int WeekDay() const;

  friend constexpr auto operator<=>(const DateTime&, const DateTime&) = default;

 private:
  Seconds value_{std::chrono::local_days{std::chrono::year{1899} / 12 / 30}};
};

}  // namespace zip
