#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "client/kvl_cts.h"
#include "tests/client/CryptoAesPaths.h"
#include "tests/client/CryptoTestHex.h"

namespace {

const std::uint8_t kIv[16] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                              0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF};

std::vector<std::uint8_t> pattern(std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

// The path the running test chose; the helpers below schedule for it.
bool onInstructions = false;

class CryptoCts : public AesPaths {
 protected:
  void SetUp() override {
    AesPaths::SetUp();
    onInstructions = GetParam();
  }
};

AesContext schedule(bool encrypt, const std::vector<std::uint8_t>& key) {
  AesContext context{};
  int length = static_cast<int>(key.size());
  EXPECT_EQ(encrypt ? aes_key_schedule_enc(key.data(), length, &context)
                    : aes_key_schedule_dec(key.data(), length, &context),
            0);
  context.hardware = onInstructions;
  return context;
}

// The wire form: the IV buffer after encryption, then the ciphertext.
std::vector<std::uint8_t> encrypt(const std::vector<std::uint8_t>& key, const std::uint8_t iv[16],
                                  std::vector<std::uint8_t> data) {
  AesContext context = schedule(true, key);
  std::uint8_t ivBuffer[16];
  std::memcpy(ivBuffer, iv, 16);
  EXPECT_EQ(kvl_aes_cbc_encrypt(data.data(), data.size(), ivBuffer, &context), data.size() + 16);
  data.insert(data.begin(), ivBuffer, ivBuffer + 16);
  return data;
}

std::vector<std::uint8_t> decrypt(const std::vector<std::uint8_t>& key, std::vector<std::uint8_t> wire) {
  AesContext context = schedule(false, key);
  EXPECT_EQ(kvl_aes_cbc_decrypt(wire.data(), wire.size(), &context), 0);
  wire.resize(wire.size() - 16);
  return wire;
}

std::vector<std::uint8_t> keyOf(std::size_t length) {
  std::vector<std::uint8_t> key(length);
  for (std::size_t i = 0; i < length; ++i) key[i] = static_cast<std::uint8_t>(i);
  return key;
}

TEST_P(CryptoCts, FullBlocksArePlainCbc) {
  // NIST SP 800-38A F.2.1, CBC-AES128; one, two and four blocks.
  auto key = fromHex("2b7e151628aed2a6abf7158809cf4f3c");
  auto plain = fromHex(
      "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
      "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
  std::string cipher =
      "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
      "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7";
  std::uint8_t iv[16];
  for (int i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(i);
  for (std::size_t length : {16u, 32u, 64u}) {
    std::vector<std::uint8_t> data(plain.begin(), plain.begin() + length);
    auto wire = encrypt(key, iv, data);
    EXPECT_EQ(toHex(wire.data(), 16), toHex(iv, 16)) << "the IV is left as it is";
    EXPECT_EQ(toHex(wire.data() + 16, length), cipher.substr(0, 2 * length)) << length;
    EXPECT_EQ(decrypt(key, wire), data) << length;
  }
}

TEST_P(CryptoCts, StealsLikeCbcCs2) {
  // Reference ciphertexts of the pattern bytes, key 00 01 02 ..., IV a0 .. af (OpenSSL, CS2).
  const struct {
    std::size_t keyLength, length;
    const char* cipher;
  } cases[] = {
      {16, 17, "5e966abed6c6dccf313f60ff5ecb469443"},
      {16, 47, "43b9c056cc9c709a426c2b4267f87ffd57fac0954839fed9d8445df5576aa9f32c7125f02eae1dcf959cf1f87dca8f"},
      {16, 100,
       "43b9c056cc9c709a426c2b4267f87ffd2c7125f02eae1dcf959cf1f87dca8f3dd9fdcfc6c21e1bc000d5238fd5349cc6b84369b669eab"
       "eec8d0eb141961951602bc1ab55057f74da0a29dfa5176c34b2e2d55ded10df23a822df2d7b5791c527ebc1cc40"},
      {24, 17, "756cbfd6a3884d5dc578ab260f90c45607"},
      {24, 47, "076d3f4cdd2735aa063ac37144a56f5cb13b8575e9f7996991ba49db3c69aeea5fda1177323172dcb02b225f2e5f13"},
      {32, 17, "cd47b141584c2c98bedfbaceb17464688f"},
      {32, 100,
       "8f01886432ea03dc8854560b9e30de00cd5da46299b12f132ca7e363235e5273a40d70f47f17de6324bc3ccd7382970061364680244d9"
       "b431f7ec0c7245eddd21f02d67a5414b2215bbc0ca3a5291902e91d99db0af8b2952ef5d9d7319fc9db0c3b9c00"},
  };
  for (const auto& c : cases) {
    auto key = keyOf(c.keyLength);
    auto wire = encrypt(key, kIv, pattern(c.length));
    EXPECT_EQ(toHex(wire.data(), 16), toHex(kIv, 16));
    EXPECT_EQ(toHex(wire.data() + 16, c.length), c.cipher) << c.keyLength << "/" << c.length;
    EXPECT_EQ(decrypt(key, wire), pattern(c.length)) << c.keyLength << "/" << c.length;
  }
}

TEST_P(CryptoCts, ShortDataEncryptsTheWindowThatEndsWithIt) {
  // The IV buffer is part of the ciphertext: 21 bytes carry 5 bytes of data.
  const struct {
    std::size_t length;
    const char* wire;
  } cases[] = {
      {5, "a0a1a2a3a483b056ab3827622d9c09b8bd24ad8a85"},
      {15, "a0a1a2a3a4a5a6a7a8a9aaabacadaeeb0c5e77e6ce3188a48a50af56f43de0"},
  };
  auto key = keyOf(16);
  for (const auto& c : cases) {
    auto wire = encrypt(key, kIv, pattern(c.length));
    EXPECT_EQ(toHex(wire), c.wire) << c.length;
    EXPECT_EQ(decrypt(key, wire), pattern(c.length)) << c.length;
  }
}

TEST_P(CryptoCts, EmptyDataStillCarriesAnIv) {
  auto key = keyOf(16);
  auto wire = encrypt(key, kIv, {});
  ASSERT_EQ(wire.size(), 16u);
  EXPECT_NE(toHex(wire), toHex(kIv, 16));
  EXPECT_TRUE(decrypt(key, wire).empty());
}

TEST_P(CryptoCts, RoundTripsEveryLengthUpTo300) {
  for (std::size_t keyLength : {16u, 24u, 32u}) {
    auto key = keyOf(keyLength);
    for (std::size_t length = 1; length <= 300; ++length) {
      auto plain = pattern(length);
      auto wire = encrypt(key, kIv, plain);
      ASSERT_EQ(wire.size(), length + 16);
      ASSERT_EQ(decrypt(key, wire), plain) << keyLength << "/" << length;
    }
  }
}

TEST_P(CryptoCts, RefusesBuffersWithoutIvAndEmptySchedules) {
  auto key = keyOf(16);
  AesContext context = schedule(false, key);
  std::uint8_t buffer[40] = {};
  EXPECT_EQ(kvl_aes_cbc_decrypt(buffer, 15, &context), -1);
  EXPECT_EQ(kvl_aes_cbc_decrypt(buffer, 0, &context), -1);
  AesContext empty{};
  std::uint8_t iv[16] = {};
  EXPECT_EQ(kvl_aes_cbc_decrypt(buffer, sizeof buffer, &empty), -1);
  EXPECT_EQ(kvl_aes_cbc_encrypt(buffer, 24, iv, &empty), 0u);
  EXPECT_EQ(toHex(buffer, sizeof buffer), std::string(80, '0')) << "nothing is written";
}

INSTANTIATE_TEST_SUITE_P(BothPaths, CryptoCts, ::testing::Bool(), aesPathName);

}  // namespace
