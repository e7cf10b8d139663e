#include <gtest/gtest.h>

#include <ctime>
#include <set>
#include <string>

#include "client/kvl_random.h"
#include "client/kvl_tt800.h"
#include "tests/client/CryptoTestHex.h"

namespace {

std::uint32_t firstOutput(const std::uint8_t* bytes) {
  return bytes[0] | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
}

TEST(CryptoRandom, NoncesAndIvsAreFreshEachTime) {
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    std::uint8_t nonce[20], iv[16];
    kvl_random_bytes20(nonce);
    kvl_random_bytes16(iv);
    EXPECT_TRUE(seen.insert(toHex(nonce, 20)).second);
    EXPECT_TRUE(seen.insert(toHex(iv, 16)).second);
  }
}

TEST(CryptoRandom, NoncesAndIvsDoNotComeFromTheClockSeededGenerator) {
  // Seeded from the clock, the process generator's next outputs are among the first 50 of a
  // generator seeded with the same second (its index, which seeding keeps, is at most 25).
  std::uint32_t seed;
  do {
    seed = static_cast<std::uint32_t>(std::time(nullptr));
    tt800_seed_from_time();
  } while (seed != static_cast<std::uint32_t>(std::time(nullptr)));
  std::uint8_t nonce[20], iv[16];
  kvl_random_bytes20(nonce);
  kvl_random_bytes16(iv);
  Tt800State sameSecond{};
  tt800_seed(sameSecond, seed);
  std::set<std::uint32_t> predictable;
  for (int i = 0; i < 50; ++i) predictable.insert(tt800_next(sameSecond));
  EXPECT_EQ(predictable.count(firstOutput(nonce)), 0u);
  EXPECT_EQ(predictable.count(firstOutput(iv)), 0u);
}

}  // namespace
