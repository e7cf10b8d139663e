#include "platform/Random.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Random, FillsLargeBuffersWithVariedBytes) {
  std::vector<unsigned char> buffer(1 << 20, 0);
  ASSERT_TRUE(platform::randomBytes(buffer.data(), buffer.size()));
  std::vector<int> counts(256);
  for (unsigned char b : buffer) ++counts[b];
  // Each value is expected 4096 times; a broken source is far off.
  for (int value = 0; value < 256; ++value) {
    EXPECT_GT(counts[value], 3500) << value;
    EXPECT_LT(counts[value], 4700) << value;
  }
  EXPECT_TRUE(platform::randomBytes(buffer.data(), 0));
}
