// The test client's cryptography against references, before it serves as the server's reference.
#include <gtest/gtest.h>

#include "tests/devserver/TestCrypto.h"

namespace wiretest {
namespace {

Bytes pattern(std::size_t length, std::uint8_t seed) {
  Bytes data(length);
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(seed + 7 * i);
  return data;
}

TEST(TestCrypto, CtsMatchesOpensslCs2FromOneBlockOn) {
  for (std::size_t keyLength : {16, 24, 32}) {
    for (std::size_t length : {16, 17, 20, 31, 32, 33, 47, 48, 100, 1000}) {
      const Bytes key = pattern(keyLength, 1);
      const Bytes iv = pattern(16, 99);
      const Bytes data = pattern(length, static_cast<std::uint8_t>(length));
      const Bytes sealed = ctsSeal(key, iv, data);
      ASSERT_EQ(sealed.size(), 16 + length);
      EXPECT_EQ(Bytes(sealed.begin(), sealed.begin() + 16), iv) << "the IV travels unchanged";
      EXPECT_EQ(Bytes(sealed.begin() + 16, sealed.end()), opensslCs2Encrypt(key, iv, data))
          << "key " << keyLength << ", length " << length;
    }
  }
}

// Below one block the text is mixed into the IV and the last 16 bytes are one ECB block.
TEST(TestCrypto, CtsBelowOneBlockIsOneBlockOverIvAndText) {
  const Bytes key = pattern(16, 3);
  const Bytes iv = pattern(16, 40);
  for (std::size_t length = 1; length < 16; ++length) {
    const Bytes data = pattern(length, 200);
    Bytes expected = concat(iv, data);
    for (std::size_t i = 0; i < length; ++i) expected[16 + i] ^= iv[i];
    const Bytes window = aesEncryptBlock(key, Bytes(expected.begin() + length, expected.end()));
    std::copy(window.begin(), window.end(), expected.begin() + length);
    EXPECT_EQ(ctsSeal(key, iv, data), expected) << length;
  }
}

TEST(TestCrypto, CtsRoundTrips) {
  for (std::size_t keyLength : {16, 24, 32}) {
    const Bytes key = randomBytes(keyLength);
    for (std::size_t length = 1; length <= 300; ++length) {
      const Bytes data = randomBytes(length);
      EXPECT_EQ(ctsOpen(key, ctsSeal(key, randomBytes(16), data)), data) << length;
    }
  }
}

// The worked login values, checked beforehand with Python's hashlib and the openssl tool.
TEST(TestCrypto, WorkedLoginValues) {
  const Bytes p1 = sha1("secret");
  const Bytes p2 = sha1(p1);
  EXPECT_EQ(toHex(p1), "e5e9fa1ba31ecd1ae84f75caaa474f3a663f05f4");
  EXPECT_EQ(toHex(p2), "14e65567abdb5135d0cfd9a70b3032c179a49ee7");
  Bytes r(20), s(20);
  for (int i = 0; i < 20; ++i) {
    r[i] = static_cast<std::uint8_t>(i);
    s[i] = static_cast<std::uint8_t>(20 + i);
  }
  EXPECT_EQ(toHex(sessionKey(2, p2, r, s)), "a88387de373c6a79db50213def78fdcd");
  EXPECT_EQ(toHex(sessionKey(3, p2, r, s)), "0207a2b3373c6a79db50213def78fdcd946ccf4000000000");
  EXPECT_EQ(toHex(sessionKey(4, p2, r, s)),
            "0207a2b35398c3bdb1920ef4ef78fdcd946ccf40000000000000000000000000");
}

}  // namespace
}  // namespace wiretest
