// Tests of the date and time text forms: formatting, the midnight rule, parsing and its errors.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <string>

#include "core/DateText.h"
#include "zip/Exceptions.h"

namespace core {
namespace {

using testsupport::At;

TEST(DateTextTest, FormatsAndLeavesOutMidnight) {
  EXPECT_EQ(FormatDateTime(At(2024, 7, 4, 9, 5, 3)), "2024-07-04 09:05:03");
  EXPECT_EQ(FormatDateTime(At(2024, 7, 4)), "2024-07-04");
  EXPECT_EQ(FormatDateTime(At(2024, 7, 4, 0, 0, 1)), "2024-07-04 00:00:01");
  EXPECT_EQ(FormatDateAndTime(At(2024, 7, 4)), "2024-07-04 00:00:00");
  EXPECT_EQ(FormatDateTime(At(987, 12, 31, 23, 59, 59)), "0987-12-31 23:59:59");
}

TEST(DateTextTest, ParsesWhatItWritesAndLenientDigits) {
  for (zip::DateTime t : {At(2024, 7, 4, 9, 5, 3), At(2024, 7, 4), At(2000, 2, 29, 23, 59, 59)}) {
    EXPECT_EQ(ParseDateTime(FormatDateTime(t)), t);
    EXPECT_EQ(ParseDateTime(FormatDateAndTime(t)), t);
  }
  EXPECT_EQ(TryParseDateTime("  2024-7-4 9:5  "), At(2024, 7, 4, 9, 5));
}

TEST(DateTextTest, RejectsOtherForms) {
  for (const char* text : {"", "2024-07", "24-07-04", "2024/07/04", "2024-07-04T09:05:03",
                           "2024-07-04 09", "2024-07-04 09:05:03:01", "2024-02-30",
                           "2024-07-04 24:00:00", "2024-07-04 09:60", "2024-007-04", "today"}) {
    EXPECT_FALSE(TryParseDateTime(text).has_value()) << text;
  }
  try {
    ParseDateTime("2024-13-01");
    FAIL() << "no error";
  } catch (const zip::EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'2024-13-01' is not a valid date and time");
  }
}

}  // namespace
}  // namespace core
