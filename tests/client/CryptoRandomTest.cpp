#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "client/kvl_random.h"
#include "tests/client/CryptoTestHex.h"

namespace {

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

}  // namespace
