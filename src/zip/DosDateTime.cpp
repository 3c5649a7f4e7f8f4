// DOS date-time normalisation and conversion.
#include "zip/DosDateTime.h"

namespace zip {

namespace {
struct DosFields {
  unsigned year, month, day, hour, minute, second2;
};

DosFields Split(std::uint32_t dos) {
  std::uint32_t date = dos >> 16, time = dos & 0xFFFF;
  return DosFields{(date >> 9) & 0x7F,  (date >> 5) & 0x0F, date & 0x1F,
                   (time >> 11) & 0x1F, (time >> 5) & 0x3F, time & 0x1F};
}

std::uint32_t Join(const DosFields& f) {
  std::uint32_t date = (f.year << 9) | (f.month << 5) | f.day;
  std::uint32_t time = (f.hour << 11) | (f.minute << 5) | f.second2;
  return (date << 16) | time;
}
}  // namespace

std::uint32_t NormalizeDosDateTime(std::uint32_t dos) {
  DosFields f = Split(dos);
  bool changed = false;
  auto clamp = [&changed](unsigned& v, unsigned lo, unsigned hi) {
    if (v < lo) v = lo, changed = true;
    if (v > hi) v = hi, changed = true;
  };
  clamp(f.hour, 0, 23);
  clamp(f.minute, 0, 59);
  clamp(f.second2, 0, 29);
  clamp(f.year, 0, 2099 - 1980);
  clamp(f.month, 1, 12);
  clamp(f.day, 1, 31);
  return changed ? Join(f) : dos;
}

std::optional<DateTime> DosToDateTime(std::uint32_t dos) {
  DosFields f = Split(dos);
  return DateTime::FromParts(static_cast<int>(f.year + 1980), static_cast<int>(f.month),
                             static_cast<int>(f.day), static_cast<int>(f.hour),
                             static_cast<int>(f.minute), static_cast<int>(f.second2 * 2));
}

std::uint32_t DateTimeToDos(const DateTime& dt) {
  DateParts p = dt.Parts();
  if (p.year < 1980) return Join(DosFields{0, 1, 1, 0, 0, 0});
  if (p.year > 2107) return Join(DosFields{127, 12, 31, 23, 59, 29});
  return Join(DosFields{static_cast<unsigned>(p.year - 1980), static_cast<unsigned>(p.month),
                        static_cast<unsigned>(p.day), static_cast<unsigned>(p.hour),
                        static_cast<unsigned>(p.minute), static_cast<unsigned>(p.second / 2)});
}

}  // namespace zip
