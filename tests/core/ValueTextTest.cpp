#include <gtest/gtest.h>

#include <locale>

#include "core/ValueText.h"

namespace {

TEST(ValueText, WritesDecimalWithoutPadding) {
  EXPECT_EQ(intToString(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(intToString(0), "0");
  EXPECT_EQ(doubleToString(3.14159265), "3.14159");
  EXPECT_EQ(doubleToString(1234567.0), "1.23457e+06");
  const unsigned char byte = 'Z';
  EXPECT_EQ(charToString(&byte), "Z");

  SQL_DATE_STRUCT date{2024, 3, 7};
  EXPECT_EQ(dateToString(date), "2024-3-7");
  SQL_TIME_STRUCT time{9, 5, 0};
  EXPECT_EQ(timeToString(time), "9:5:0");
  SQL_TIMESTAMP_STRUCT stamp{2024, 3, 7, 9, 5, 0, 123456};
  EXPECT_EQ(timestampToString(stamp), "2024-3-7 9:5:0");
}

// A locale with digit grouping and a comma as decimal point, as a host application may set.
struct GroupingPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(ValueText, IgnoresTheHostsGlobalLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new GroupingPunct));
  EXPECT_EQ(intToString(1234567), "1234567");
  EXPECT_EQ(doubleToString(2.5), "2.5");
  std::locale::global(previous);
}

}  // namespace
