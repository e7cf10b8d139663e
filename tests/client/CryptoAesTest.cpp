#include <gtest/gtest.h>

#include <vector>

#include "client/kvl_aes.h"
#include "tests/client/CryptoAesPaths.h"
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

class CryptoAes : public AesPaths {};

TEST_P(CryptoAes, ReproducesFips197AppendixC) {
  for (const auto& v : kAppendixC) {
    auto key = fromHex(v.key);
    auto plain = fromHex(kAppendixCPlain);
    AesContext encrypt, decrypt;
    ASSERT_EQ(aes_key_schedule_enc(key.data(), static_cast<int>(key.size()), &encrypt), 0);
    ASSERT_EQ(aes_key_schedule_dec(key.data(), static_cast<int>(key.size()), &decrypt), 0);
    usePath(encrypt);
    usePath(decrypt);
    EXPECT_EQ(encrypt.rounds, static_cast<int>(key.size()) / 4 + 6);

    std::uint8_t block[16];
    ASSERT_EQ(aes_encrypt_block(block, plain.data(), &encrypt), 0);
    EXPECT_EQ(toHex(block, 16), v.cipher) << v.key;
    // In place, as the CBC code uses it.
    ASSERT_EQ(aes_decrypt_block(block, block, &decrypt), 0);
    EXPECT_EQ(toHex(block, 16), kAppendixCPlain) << v.key;
  }
}

TEST_P(CryptoAes, KeyLengthsMayBeGivenInBits) {
  auto key = fromHex(kAppendixC[2].key);
  auto plain = fromHex(kAppendixCPlain);
  for (int bits : {128, 192, 256}) {
    AesContext inBits, inBytes;
    ASSERT_EQ(aes_key_schedule_enc(key.data(), bits, &inBits), 0);
    ASSERT_EQ(aes_key_schedule_enc(key.data(), bits / 8, &inBytes), 0);
    usePath(inBits);
    usePath(inBytes);
    std::uint8_t a[16], b[16];
    aes_encrypt_block(a, plain.data(), &inBits);
    aes_encrypt_block(b, plain.data(), &inBytes);
    EXPECT_EQ(toHex(a, 16), toHex(b, 16)) << bits;
  }
}

TEST_P(CryptoAes, RefusesOtherKeyLengthsAndEmptySchedules) {
  std::uint8_t key[32] = {};
  for (int length : {0, 8, 20, 31, 64, 512}) {
    AesContext context{};
    EXPECT_EQ(aes_key_schedule_enc(key, length, &context), -1) << length;
    EXPECT_EQ(aes_key_schedule_dec(key, length, &context), -1) << length;
  }
  AesContext empty{};
  usePath(empty);
  std::uint8_t block[16] = {};
  EXPECT_FALSE(aes_valid_context(&empty));
  EXPECT_EQ(aes_encrypt_block(block, block, &empty), -1);
  EXPECT_EQ(aes_decrypt_block(block, block, &empty), -1);
  EXPECT_EQ(aes_decrypt_blocks(block, block, 1, &empty), -1);
}

TEST_P(CryptoAes, BlocksDecryptedTogetherMatchOneByOne) {
  // Runs of every length around the instructions' eight lanes, each block its own ciphertext.
  auto key = fromHex(kAppendixC[2].key);
  AesContext encrypt, decrypt;
  ASSERT_EQ(aes_key_schedule_enc(key.data(), 32, &encrypt), 0);
  ASSERT_EQ(aes_key_schedule_dec(key.data(), 32, &decrypt), 0);
  usePath(encrypt);
  usePath(decrypt);
  for (std::size_t count = 0; count <= 17; ++count) {
    std::vector<std::uint8_t> plain(16 * count), cipher(16 * count);
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i * 13 + count);
    for (std::size_t k = 0; k < count; ++k) aes_encrypt_block(&cipher[16 * k], &plain[16 * k], &encrypt);
    std::vector<std::uint8_t> apart(cipher), inPlace(cipher);
    ASSERT_EQ(aes_decrypt_blocks(apart.data(), cipher.data(), count, &decrypt), 0);
    ASSERT_EQ(aes_decrypt_blocks(inPlace.data(), inPlace.data(), count, &decrypt), 0);
    EXPECT_EQ(toHex(apart), toHex(plain)) << count;
    EXPECT_EQ(toHex(inPlace), toHex(plain)) << count;
  }
}

TEST(CryptoAesSchedule, UsesTheInstructionsWhereTheProcessorHasThem) {
  std::uint8_t key[16] = {};
  AesContext encrypt, decrypt;
  ASSERT_EQ(aes_key_schedule_enc(key, 16, &encrypt), 0);
  ASSERT_EQ(aes_key_schedule_dec(key, 16, &decrypt), 0);
  EXPECT_EQ(encrypt.hardware, aes_hardware_present());
  EXPECT_EQ(decrypt.hardware, aes_hardware_present());
}

INSTANTIATE_TEST_SUITE_P(BothPaths, CryptoAes, ::testing::Bool(), aesPathName);

}  // namespace
