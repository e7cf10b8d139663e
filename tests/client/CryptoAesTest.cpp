#include <gtest/gtest.h>

#include "client/kvl_aes.h"
#include "tests/client/CryptoTestHex.h"

namespace {

// FIPS-197 Appendix C: the same plaintext under a 128-, 192- and 256-bit key.
const struct {
  const char* key;
  const char* cipher;
} kAppendixC[] = {
    {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "8ea2b7ca516745bfeafc49904b496089"},
};
const char kAppendixCPlain[] = "00112233445566778899aabbccddeeff";

TEST(CryptoAes, ReproducesFips197AppendixC) {
  for (const auto& v : kAppendixC) {
    auto key = fromHex(v.key);
    auto plain = fromHex(kAppendixCPlain);
    AesContext encrypt, decrypt;
    ASSERT_EQ(aes_key_schedule_enc(key.data(), static_cast<int>(key.size()), &encrypt), 0);
    ASSERT_EQ(aes_key_schedule_dec(key.data(), static_cast<int>(key.size()), &decrypt), 0);
    EXPECT_EQ(encrypt.rounds, static_cast<int>(key.size()) / 4 + 6);

    std::uint8_t block[16];
    ASSERT_EQ(aes_encrypt_block(block, plain.data(), &encrypt), 0);
    EXPECT_EQ(toHex(block, 16), v.cipher) << v.key;
    // In place, as the CBC code uses it.
    ASSERT_EQ(aes_decrypt_block(block, block, &decrypt), 0);
    EXPECT_EQ(toHex(block, 16), kAppendixCPlain) << v.key;
  }
}

TEST(CryptoAes, KeyLengthsMayBeGivenInBits) {
  auto key = fromHex(kAppendixC[2].key);
  auto plain = fromHex(kAppendixCPlain);
  for (int bits : {128, 192, 256}) {
    AesContext inBits, inBytes;
    ASSERT_EQ(aes_key_schedule_enc(key.data(), bits, &inBits), 0);
    ASSERT_EQ(aes_key_schedule_enc(key.data(), bits / 8, &inBytes), 0);
    std::uint8_t a[16], b[16];
    aes_encrypt_block(a, plain.data(), &inBits);
    aes_encrypt_block(b, plain.data(), &inBytes);
    EXPECT_EQ(toHex(a, 16), toHex(b, 16)) << bits;
  }
}

TEST(CryptoAes, RefusesOtherKeyLengthsAndEmptySchedules) {
  std::uint8_t key[32] = {};
  for (int length : {0, 8, 20, 31, 64, 512}) {
    AesContext context{};
    EXPECT_EQ(aes_key_schedule_enc(key, length, &context), -1) << length;
    EXPECT_EQ(aes_key_schedule_dec(key, length, &context), -1) << length;
  }
  AesContext empty{};
  std::uint8_t block[16] = {};
  EXPECT_FALSE(aes_valid_context(&empty));
  EXPECT_EQ(aes_encrypt_block(block, block, &empty), -1);
  EXPECT_EQ(aes_decrypt_block(block, block, &empty), -1);
}

}  // namespace
