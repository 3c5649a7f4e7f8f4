// DOS date and time: normalisation of stored values and conversion to date-time values.
#include <gtest/gtest.h>

#include "zip/DosDateTime.h"

using namespace zip;

namespace {
std::uint32_t Dos(unsigned year, unsigned month, unsigned day, unsigned h, unsigned m,
                  unsigned s2) {
  return ((((year - 1980) << 9) | (month << 5) | day) << 16) | (h << 11) | (m << 5) | s2;
}
}  // namespace

TEST(DosDateTime, NormalisationClampsOnlyWhatIsOutOfRange) {
  struct Case {
    std::uint32_t in, out;
  };
  const Case cases[] = {
      {Dos(2024, 2, 29, 23, 59, 29), Dos(2024, 2, 29, 23, 59, 29)},  // valid: bit for bit
      {Dos(2024, 0, 0, 12, 0, 0), Dos(2024, 1, 1, 12, 0, 0)},        // month 0, day 0
      {Dos(2024, 13, 5, 0, 0, 0), Dos(2024, 12, 5, 0, 0, 0)},        // month above 12
      {Dos(2024, 5, 5, 24, 0, 0), Dos(2024, 5, 5, 23, 0, 0)},        // hour 24
      {Dos(2024, 5, 5, 31, 63, 31), Dos(2024, 5, 5, 23, 59, 29)},    // everything too big
      {Dos(2100, 5, 5, 1, 2, 3), Dos(2099, 5, 5, 1, 2, 3)},          // year beyond 2099
      {Dos(2024, 2, 31, 1, 2, 3), Dos(2024, 2, 31, 1, 2, 3)},        // day not checked
      {0xFFFFFFFF, Dos(2099, 12, 31, 23, 59, 29)},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeDosDateTime(c.in), c.out) << std::hex << c.in;
}

TEST(DosDateTime, ConversionRoundTripsAndRejectsImpossibleDays) {
  auto dt = DosToDateTime(Dos(2024, 2, 29, 13, 45, 10));
  ASSERT_TRUE(dt);
  DateParts p = dt->Parts();
  EXPECT_EQ(p.year, 2024);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.second, 20);
  EXPECT_EQ(DateTimeToDos(*dt), Dos(2024, 2, 29, 13, 45, 10));
  EXPECT_FALSE(DosToDateTime(Dos(2023, 2, 29, 0, 0, 0)));
  EXPECT_FALSE(DosToDateTime(Dos(2024, 4, 31, 0, 0, 0)));
  EXPECT_EQ(DateTimeToDos(*DateTime::FromParts(1970, 1, 1)), Dos(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(DateTimeToDos(*DateTime::FromParts(2024, 1, 1, 0, 0, 59)), Dos(2024, 1, 1, 0, 0, 29));
}
