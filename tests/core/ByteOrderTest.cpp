#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "core/ByteOrder.h"

namespace {

TEST(ByteOrder, ReversesEveryWidth) {
  EXPECT_EQ(reverseBytes(std::uint16_t{0x1234}), 0x3412);
  EXPECT_EQ(reverseBytes(std::uint32_t{0x12345678}), 0x78563412u);
  EXPECT_EQ(reverseBytes(std::int32_t{0x000000FF}), std::int32_t{-16777216});
  EXPECT_EQ(reverseBytes(std::uint64_t{0x0102030405060708}), 0x0807060504030201u);
  // 1.0f is 3F800000, 1.0 is 3FF0000000000000; reversed twice they come back.
  EXPECT_EQ(reverseBytes(reverseBytes(1.5f)), 1.5f);
  EXPECT_EQ(reverseBytes(reverseBytes(-2.25)), -2.25);
  const float reversed = reverseBytes(1.0f);
  std::uint32_t bits;
  std::memcpy(&bits, &reversed, sizeof bits);
  EXPECT_EQ(bits, 0x0000803Fu);
  const double reversedDouble = reverseBytes(1.0);
  std::uint64_t wide;
  std::memcpy(&wide, &reversedDouble, sizeof wide);
  EXPECT_EQ(wide, 0x000000000000F03Fu);
}

}  // namespace
