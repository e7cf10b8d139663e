#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/ParseInt64.h"

namespace {

TEST(ParseInt64, LenientDecimalText) {
  struct Case {
    const char* text;
    std::int64_t value;
  };
  const Case cases[] = {
      {"-42", -42},
      {"  17", 17},
      {"12.5", 12},
      {"", 0},
      {"abc", 0},
      {"x-7y", -7},
      {"+5", 5},
      {"--5", 0},
      {"- 5", 0},
      {"1e5", 1},
      {"007", 7},
      {"-0", 0},
      {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
      {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
  };
  for (const Case& c : cases) EXPECT_EQ(parseInt64(c.text), c.value) << c.text;
  EXPECT_EQ(parseInt64(nullptr), 0);
}

// Beyond 64 bits the value wraps around instead of overflowing a signed accumulator (which the
// undefined-behaviour sanitizer would stop).
TEST(ParseInt64, OverflowWrapsWithoutUndefinedBehaviour) {
  EXPECT_EQ(parseInt64("9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(parseInt64("18446744073709551616"), 0);
  EXPECT_EQ(parseInt64("99999999999999999999"), 7766279631452241919);
  EXPECT_EQ(parseInt64("-99999999999999999999"), -7766279631452241919);
}

}  // namespace
