#include <gtest/gtest.h>

#include <set>

#include "core/SqlTypeClass.h"

namespace {

// Every code from -100 to 120 against the sets each predicate accepts.
TEST(SqlTypeClass, AcceptsExactlyItsTypes) {
  const std::set<int> text = {1, 12, -1, -8, -9, -10};
  const std::set<int> numeric = {-6, -5, 2, 3, 4, 5, 6, 7, 8};
  const std::set<int> binary = {-2, -3, -4};
  const std::set<int> dateTime = {91, 92, 93};
  for (int type = -100; type <= 120; ++type) {
    const auto code = static_cast<SQLSMALLINT>(type);
    EXPECT_EQ(isTextType(code), text.count(type) == 1) << type;
    EXPECT_EQ(isNumericType(code), numeric.count(type) == 1) << type;
    EXPECT_EQ(isBinaryType(code), binary.count(type) == 1) << type;
    EXPECT_EQ(isDateTimeType(code), dateTime.count(type) == 1) << type;
    EXPECT_EQ(isIntervalType(code), type >= 101 && type <= 113) << type;
    const bool odbcType = text.count(type) + numeric.count(type) + binary.count(type) +
                              dateTime.count(type) ==
                          1;
    const bool other = (type >= 101 && type <= 113) || type == -7 || type == -11 ||
                       (type >= 9 && type <= 11);
    EXPECT_EQ(isSqlType(code), odbcType || other) << type;
  }
}

}  // namespace
