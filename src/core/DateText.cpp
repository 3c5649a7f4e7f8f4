// Formatting and parsing the date and time text forms.
#include "core/DateText.h"

#include <cstdio>

#include "zip/Exceptions.h"
#include "zip/Text.h"

namespace core {

namespace {

// Reads minDigits to maxDigits decimal digits at pos.
bool Number(std::string_view s, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits,
            int& out) {
  std::size_t start = pos;
  out = 0;
  while (pos < s.size() && pos - start < maxDigits && s[pos] >= '0' && s[pos] <= '9')
    out = out * 10 + (s[pos++] - '0');
  return pos - start >= minDigits;
}

bool Expect(std::string_view s, std::size_t& pos, char c) {
  if (pos >= s.size() || s[pos] != c) return false;
  ++pos;
  return true;
}

bool Digit(std::string_view s, std::size_t pos) {
  return pos < s.size() && s[pos] >= '0' && s[pos] <= '9';
}

}  // namespace

std::string FormatDate(const zip::DateTime& value) {
  zip::DateParts p = value.Parts();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
  return buffer;
}

std::string FormatTime(const zip::DateTime& value) {
  zip::DateParts p = value.Parts();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  return buffer;
}

std::string FormatDateTime(const zip::DateTime& value) {
  if (value == value.DatePart()) return FormatDate(value);
  return FormatDateAndTime(value);
}

std::string FormatDateAndTime(const zip::DateTime& value) {
  return FormatDate(value) + " " + FormatTime(value);
}

std::optional<zip::DateTime> TryParseDateTime(std::string_view input) {
  std::string text = zip::Trim(input);
  std::string_view s = text;
  std::size_t pos = 0;
  zip::DateParts p;
  p.hour = p.minute = p.second = 0;
  if (!Number(s, pos, 4, 4, p.year) || Digit(s, pos) || !Expect(s, pos, '-') ||
      !Number(s, pos, 1, 2, p.month) || Digit(s, pos) || !Expect(s, pos, '-') ||
      !Number(s, pos, 1, 2, p.day) || Digit(s, pos))
    return std::nullopt;
  if (pos < s.size()) {
    std::size_t before = pos;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    if (pos == before || !Number(s, pos, 1, 2, p.hour) || Digit(s, pos) || !Expect(s, pos, ':') ||
        !Number(s, pos, 1, 2, p.minute) || Digit(s, pos))
      return std::nullopt;
    if (pos < s.size() &&
        (!Expect(s, pos, ':') || !Number(s, pos, 1, 2, p.second) || Digit(s, pos)))
      return std::nullopt;
    if (pos != s.size()) return std::nullopt;
  }
  return zip::DateTime::FromParts(p);
}

zip::DateTime ParseDateTime(std::string_view text) {
  std::optional<zip::DateTime> value = TryParseDateTime(text);
  if (!value) throw zip::EConvertError("'" + std::string(text) + "' is not a valid date and time");
  return *value;
}

}  // namespace core
