#pragma once
// SHA-1 (FIPS 180-1) for the login hashes.
#include <cstddef>
#include <cstdint>

struct Sha1Context {
  std::uint32_t state[5];
  std::uint64_t bitCount;
  std::uint8_t block[64];
  std::size_t fill;
};

void sha1_init(Sha1Context* context);
void sha1_update(Sha1Context* context, const void* data, std::size_t length);
void sha1_final(Sha1Context* context, std::uint8_t digest[20]);
void sha1_digest(std::uint8_t digest[20], const void* data, std::size_t length);
// Mode 2 hashes the digest once more (SHA1(SHA1(data))); any other mode hashes once.
void kvl_sha1(std::uint8_t digest[20], const void* data, std::size_t length, int mode);
