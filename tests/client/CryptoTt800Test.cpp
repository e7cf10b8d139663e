#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "client/kvl_tt800.h"

namespace {

// The generator's published initial state.
Tt800State referenceState() {
  return Tt800State{{0x95f24dab, 0x0b685215, 0xe76ccae7, 0xaf3ec239, 0x715fad23, 0x24a590ad, 0x69e4b5ef,
                     0xbf456141, 0x96bc1b7b, 0xa7bdf825, 0xc1de75b7, 0x8858a9c9, 0x2da87693, 0xb657f9dd,
                     0xffdc8a9f, 0x8121da71, 0x8b823ecb, 0x885d05f5, 0x4e20cd47, 0x5a9ad5d9, 0x512c0c03,
                     0xea857ccd, 0x4cc1d30f, 0x8891a8a1, 0xa6b7aadb},
                    0};
}

TEST(CryptoTt800, ReproducesTheReferenceSequence) {
  Tt800State state = referenceState();
  const std::uint32_t first[] = {3169973338u, 2724982910u, 347012937u, 1735893326u, 2282497071u};
  for (std::uint32_t expected : first) EXPECT_EQ(tt800_next(state), expected);
  std::uint32_t y = 0;
  for (int i = 5; i < 10000; ++i) y = tt800_next(state);
  EXPECT_EQ(y, 2856609219u);
}

TEST(CryptoTt800, AnIndexPastTheEndRegeneratesInsteadOfReadingBeyondTheState) {
  Tt800State atEnd = referenceState(), pastEnd = referenceState();
  atEnd.index = 25;
  pastEnd.index = 1000;
  for (int i = 0; i < 30; ++i) EXPECT_EQ(tt800_next(pastEnd), tt800_next(atEnd)) << i;
}

TEST(CryptoTt800, SeedingFillsTheWordsAndKeepsTheIndex) {
  Tt800State state = referenceState();
  state.index = 7;
  tt800_seed(state, 1000);  // even: the low bit is forced on
  EXPECT_EQ(state.words[0], 1001u);
  EXPECT_EQ(state.words[1], 1001u * 69069u);
  EXPECT_EQ(state.words[24], state.words[23] * 69069u);
  EXPECT_EQ(state.index, 7u);
}

TEST(CryptoTt800, FillStoresOutputsLittleEndianAndCutsTheLast) {
  Tt800State outputs = referenceState(), bytes = referenceState();
  std::uint8_t buffer[7];
  std::memset(buffer, 0xEE, sizeof buffer);
  tt800_fill(bytes, buffer, 6);
  std::uint32_t y0 = tt800_next(outputs), y1 = tt800_next(outputs);
  const std::uint8_t expected[7] = {std::uint8_t(y0),       std::uint8_t(y0 >> 8), std::uint8_t(y0 >> 16),
                                    std::uint8_t(y0 >> 24), std::uint8_t(y1),      std::uint8_t(y1 >> 8),
                                    0xEE};
  EXPECT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0);
  EXPECT_EQ(tt800_next(bytes), tt800_next(outputs)) << "a cut output is consumed whole";
}

TEST(CryptoTt800, TheProcessGeneratorServesThreadsConcurrently) {
  tt800_seed_from_time();
  constexpr int kThreads = 8, kDraws = 2000;
  std::vector<std::vector<std::uint32_t>> drawn(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&drawn, t] {
      for (int i = 0; i < kDraws; ++i) {
        std::uint32_t value;
        tt800_fill(reinterpret_cast<std::uint8_t*>(&value), sizeof value);
        drawn[t].push_back(value);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  // Under the lock every output goes to exactly one caller, so the draws are (almost surely) distinct.
  std::set<std::uint32_t> distinct;
  for (const auto& values : drawn) distinct.insert(values.begin(), values.end());
  EXPECT_GT(distinct.size(), static_cast<std::size_t>(kThreads * kDraws * 99 / 100));
}

}  // namespace
