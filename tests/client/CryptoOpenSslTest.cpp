// Our cryptography against OpenSSL's; OpenSSL is only at hand in the Linux build.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "client/kvl_cts.h"
#include "client/kvl_sha1.h"
#include "tests/client/CryptoTestHex.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct CipherDeleter {
  void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

const char* ecbName(std::size_t keyLength) {
  return keyLength == 16 ? "AES-128-ECB" : keyLength == 24 ? "AES-192-ECB" : "AES-256-ECB";
}

const char* ctsName(std::size_t keyLength) {
  return keyLength == 16 ? "AES-128-CBC-CTS" : keyLength == 24 ? "AES-192-CBC-CTS" : "AES-256-CBC-CTS";
}

// One OpenSSL pass over the data; ECB without padding, CTS in the CS2 variant.
Bytes openssl(const char* name, bool encrypt, const Bytes& key, const std::uint8_t* iv, const Bytes& data) {
  std::unique_ptr<EVP_CIPHER, CipherDeleter> cipher(EVP_CIPHER_fetch(nullptr, name, nullptr));
  std::unique_ptr<EVP_CIPHER_CTX, CipherDeleter> context(EVP_CIPHER_CTX_new());
  EXPECT_TRUE(cipher && context);
  char mode[] = "CS2";
  OSSL_PARAM params[2] = {OSSL_PARAM_construct_end(), OSSL_PARAM_construct_end()};
  if (iv != nullptr) params[0] = OSSL_PARAM_construct_utf8_string(OSSL_CIPHER_PARAM_CTS_MODE, mode, 0);
  EXPECT_EQ(EVP_CipherInit_ex2(context.get(), cipher.get(), key.data(), iv, encrypt ? 1 : 0, params), 1);
  EVP_CIPHER_CTX_set_padding(context.get(), 0);
  Bytes out(data.size() + 32);
  int length = 0, last = 0;
  EXPECT_EQ(EVP_CipherUpdate(context.get(), out.data(), &length, data.data(), static_cast<int>(data.size())), 1);
  EXPECT_EQ(EVP_CipherFinal_ex(context.get(), out.data() + length, &last), 1);
  out.resize(static_cast<std::size_t>(length + last));
  return out;
}

class CryptoOpenSsl : public ::testing::Test {
 protected:
  Bytes random(std::size_t length) {
    Bytes bytes(length);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(engine());
    return bytes;
  }

  std::mt19937 engine{20240517};
};

TEST_F(CryptoOpenSsl, BlocksMatchEcb) {
  for (std::size_t keyLength : {16u, 24u, 32u}) {
    for (int round = 0; round < 200; ++round) {
      Bytes key = random(keyLength), plain = random(16);
      AesContext encrypt, decrypt;
      ASSERT_EQ(aes_key_schedule_enc(key.data(), static_cast<int>(keyLength), &encrypt), 0);
      ASSERT_EQ(aes_key_schedule_dec(key.data(), static_cast<int>(keyLength), &decrypt), 0);
      Bytes cipher(16), clear(16);
      aes_encrypt_block(cipher.data(), plain.data(), &encrypt);
      ASSERT_EQ(cipher, openssl(ecbName(keyLength), true, key, nullptr, plain)) << keyLength;
      aes_decrypt_block(clear.data(), cipher.data(), &decrypt);
      ASSERT_EQ(clear, plain) << keyLength;
    }
  }
}

TEST_F(CryptoOpenSsl, CiphertextStealingMatchesCs2BothWays) {
  for (std::size_t keyLength : {16u, 24u, 32u}) {
    for (std::size_t length : {16u, 17u, 20u, 31u, 32u, 33u, 47u, 48u, 100u, 1000u}) {
      Bytes key = random(keyLength), iv = random(16), plain = random(length);
      AesContext encrypt, decrypt;
      aes_key_schedule_enc(key.data(), static_cast<int>(keyLength), &encrypt);
      aes_key_schedule_dec(key.data(), static_cast<int>(keyLength), &decrypt);

      Bytes theirs = openssl(ctsName(keyLength), true, key, iv.data(), plain);
      Bytes data = plain, ivBuffer = iv;
      ASSERT_EQ(kvl_aes_cbc_encrypt(data.data(), length, ivBuffer.data(), &encrypt), length + 16);
      EXPECT_EQ(ivBuffer, iv);
      EXPECT_EQ(toHex(data), toHex(theirs)) << keyLength << "/" << length;

      // OpenSSL's ciphertext behind its IV decrypts to the clear text.
      Bytes wire = iv;
      wire.insert(wire.end(), theirs.begin(), theirs.end());
      ASSERT_EQ(kvl_aes_cbc_decrypt(wire.data(), wire.size(), &decrypt), 0);
      wire.resize(length);
      EXPECT_EQ(wire, plain) << keyLength << "/" << length;
    }
  }
}

TEST_F(CryptoOpenSsl, ShortDataIsOneEcbBlockOfTheWindow) {
  for (std::size_t keyLength : {16u, 24u, 32u}) {
    for (std::size_t length = 1; length < 16; ++length) {
      Bytes key = random(keyLength), iv = random(16), plain = random(length);
      AesContext encrypt, decrypt;
      aes_key_schedule_enc(key.data(), static_cast<int>(keyLength), &encrypt);
      aes_key_schedule_dec(key.data(), static_cast<int>(keyLength), &decrypt);

      // The IV followed by the data XORed with the IV's head; the last 16 bytes are encrypted.
      Bytes expected = iv;
      for (std::size_t i = 0; i < length; ++i) expected.push_back(plain[i] ^ iv[i]);
      Bytes window(expected.begin() + static_cast<std::ptrdiff_t>(length), expected.end());
      Bytes block = openssl(ecbName(keyLength), true, key, nullptr, window);
      std::copy(block.begin(), block.end(), expected.begin() + static_cast<std::ptrdiff_t>(length));

      Bytes data = plain, ivBuffer = iv;
      ASSERT_EQ(kvl_aes_cbc_encrypt(data.data(), length, ivBuffer.data(), &encrypt), length + 16);
      Bytes wire = ivBuffer;
      wire.insert(wire.end(), data.begin(), data.end());
      EXPECT_EQ(toHex(wire), toHex(expected)) << keyLength << "/" << length;

      ASSERT_EQ(kvl_aes_cbc_decrypt(wire.data(), wire.size(), &decrypt), 0);
      wire.resize(length);
      EXPECT_EQ(wire, plain) << keyLength << "/" << length;
    }
  }
}

TEST_F(CryptoOpenSsl, Sha1MatchesForRandomLengths) {
  for (int round = 0; round < 100; ++round) {
    Bytes data = random(engine() % 2000);
    std::uint8_t ours[20], theirs[20];
    unsigned int length = 0;
    sha1_digest(ours, data.data(), data.size());
    ASSERT_EQ(EVP_Digest(data.data(), data.size(), theirs, &length, EVP_sha1(), nullptr), 1);
    ASSERT_EQ(toHex(ours, 20), toHex(theirs, 20)) << data.size();
  }
}

}  // namespace
#endif
