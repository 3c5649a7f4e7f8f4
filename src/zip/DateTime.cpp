// Calendar arithmetic and local-time conversions of DateTime.
#include "zip/DateTime.h"

namespace zip {

namespace chr = std::chrono;

std::optional<DateTime> DateTime::FromParts(const DateParts& p) {
  if (p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59 ||
      p.month < 1 || p.month > 12 || p.day < 1 || p.year < 1 || p.year > 9999)
    return std::nullopt;
  chr::year_month_day ymd{chr::year{p.year}, chr::month{static_cast<unsigned>(p.month)},
                          chr::day{static_cast<unsigned>(p.day)}};
  if (!ymd.ok()) return std::nullopt;
  auto days = chr::local_days{ymd};
  return DateTime(days + chr::hours{p.hour} + chr::minutes{p.minute} + chr::seconds{p.second});
}

DateTime DateTime::Now() {
  return FromTimeT(std::time(nullptr));
}

DateTime DateTime::FromTimeT(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  auto parts = FromParts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec > 59 ? 59 : tm.tm_sec);
  return parts ? *parts : DateTime();
}

std::time_t DateTime::ToTimeT() const {
  DateParts p = Parts();
  std::tm tm{};
  tm.tm_year = p.year - 1900;
  tm.tm_mon = p.month - 1;
  tm.tm_mday = p.day;
  tm.tm_hour = p.hour;
  tm.tm_min = p.minute;
  tm.tm_sec = p.second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

DateParts DateTime::Parts() const {
  auto days = chr::floor<chr::days>(value_);
  chr::year_month_day ymd{days};
  chr::hh_mm_ss hms{value_ - days};
  return DateParts{static_cast<int>(ymd.year()),
                   static_cast<int>(unsigned(ymd.month())),
                   static_cast<int>(unsigned(ymd.day())),
                   static_cast<int>(hms.hours().count()),
                   static_cast<int>(hms.minutes().count()),
                   static_cast<int>(hms.seconds().count())};
}

DateTime DateTime::DatePart() const {
  return DateTime(chr::floor<chr::days>(value_));
}

int DateTime::WeekDay() const {
  return static_cast<int>(chr::weekday{chr::floor<chr::days>(value_)}.c_encoding());
}

}  // namespace zip
