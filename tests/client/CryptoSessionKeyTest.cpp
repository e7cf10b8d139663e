#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "client/kvl_aes.h"
#include "client/kvl_session_key.h"
#include "client/kvl_sha1.h"
#include "tests/client/CryptoTestHex.h"

namespace {

TEST(CryptoSessionKey, DerivesTheKeyOfEachLevel) {
  // P2 of the password "secret", R = bytes 0..19, S = bytes 20..39.
  std::uint8_t p2[20], r[20], s[20];
  kvl_sha1(p2, "secret", 6, 2);
  for (int i = 0; i < 20; ++i) {
    r[i] = static_cast<std::uint8_t>(i);
    s[i] = static_cast<std::uint8_t>(20 + i);
  }
  const struct {
    unsigned level;
    const char* key;
  } cases[] = {
      {2, "a88387de373c6a79db50213def78fdcd"},
      {3, "0207a2b3373c6a79db50213def78fdcd946ccf4000000000"},
      {4, "0207a2b35398c3bdb1920ef4ef78fdcd946ccf40000000000000000000000000"},
  };
  for (const auto& c : cases) {
    std::uint8_t key[32];
    std::memset(key, 0xEE, sizeof key);
    int length = kvl_session_key(key, c.level, p2, r, s);
    ASSERT_EQ(length, static_cast<int>(std::string(c.key).size() / 2)) << c.level;
    EXPECT_EQ(toHex(key, static_cast<std::size_t>(length)), c.key) << c.level;
    EXPECT_EQ(toHex(key + length, 32 - static_cast<std::size_t>(length)), std::string(64 - 2 * length, '0'));
    AesContext context;
    EXPECT_EQ(aes_key_schedule_enc(key, length, &context), 0) << "a usable AES key length";
  }
}

TEST(CryptoSessionKey, RefusesOtherLevels) {
  std::uint8_t key[32], nonce[20] = {};
  for (unsigned level : {0u, 1u, 5u, 128u}) EXPECT_EQ(kvl_session_key(key, level, nonce, nonce, nonce), -1);
}

}  // namespace
