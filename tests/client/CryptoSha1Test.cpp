#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "client/kvl_sha1.h"
#include "tests/client/CryptoTestHex.h"

namespace {

std::string sha1Hex(const std::string& text) {
  std::uint8_t digest[20];
  sha1_digest(digest, text.data(), text.size());
  return toHex(digest, 20);
}

TEST(CryptoSha1, ReproducesTheFipsVectors) {
  EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(CryptoSha1, PadsCorrectlyAroundTheBlockBoundaries) {
  // Lengths where the bit count does or does not fit in the last block.
  const struct {
    std::size_t length;
    const char* digest;
  } cases[] = {
      {55, "c1c8bbdc22796e28c0e15163d20899b65621d65a"}, {56, "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
      {63, "03f09f5b158a7a8cdad920bddc29b81c18a551f5"}, {64, "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
      {119, "ee971065aaa017e0632a8ca6c77bb3bf8b1dfc56"}, {120, "f34c1488385346a55709ba056ddd08280dd4c6d6"},
  };
  for (const auto& c : cases) EXPECT_EQ(sha1Hex(std::string(c.length, 'a')), c.digest) << c.length;
}

TEST(CryptoSha1, IncrementalUpdatesEqualTheOneShotDigest) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += static_cast<char>(i * 31 + 7);
  for (std::size_t chunk : {1u, 3u, 63u, 64u, 65u, 200u}) {
    Sha1Context context;
    sha1_init(&context);
    for (std::size_t at = 0; at < text.size(); at += chunk) {
      sha1_update(&context, text.data() + at, std::min(chunk, text.size() - at));
    }
    std::uint8_t digest[20];
    sha1_final(&context, digest);
    EXPECT_EQ(toHex(digest, 20), sha1Hex(text)) << chunk;
  }
}

TEST(CryptoSha1, ModeTwoHashesTheDigestAgain) {
  // The login's P1 and P2 of the password "secret".
  std::uint8_t digest[20];
  kvl_sha1(digest, "secret", 6, 1);
  EXPECT_EQ(toHex(digest, 20), "e5e9fa1ba31ecd1ae84f75caaa474f3a663f05f4");
  kvl_sha1(digest, "secret", 6, 2);
  EXPECT_EQ(toHex(digest, 20), "14e65567abdb5135d0cfd9a70b3032c179a49ee7");
}

}  // namespace
