#include "client/kvl_sha1.h"

#include <cstring>

namespace {

std::uint32_t rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void compress(std::uint32_t state[5], const std::uint8_t block[64]) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i) {
    w[i] = std::uint32_t{block[4 * i]} << 24 | std::uint32_t{block[4 * i + 1]} << 16 |
           std::uint32_t{block[4 * i + 2]} << 8 | block[4 * i + 3];
  }
  for (int i = 16; i < 80; ++i) w[i] = rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
  for (int i = 0; i < 80; ++i) {
    std::uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    std::uint32_t t = rotl(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = rotl(b, 30);
    b = a;
    a = t;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
}

}  // namespace

void sha1_init(Sha1Context* context) {
  std::memset(context, 0, sizeof *context);
  context->state[0] = 0x67452301u;
  context->state[1] = 0xEFCDAB89u;
  context->state[2] = 0x98BADCFEu;
  context->state[3] = 0x10325476u;
  context->state[4] = 0xC3D2E1F0u;
}

void sha1_update(Sha1Context* context, const void* data, std::size_t length) {
  const auto* in = static_cast<const std::uint8_t*>(data);
  context->bitCount += static_cast<std::uint64_t>(length) * 8;
  while (length > 0) {
    std::size_t take = sizeof context->block - context->fill;
    if (take > length) take = length;
    std::memcpy(context->block + context->fill, in, take);
    context->fill += take;
    in += take;
    length -= take;
    if (context->fill == sizeof context->block) {
      compress(context->state, context->block);
      context->fill = 0;
    }
  }
}

void sha1_final(Sha1Context* context, std::uint8_t digest[20]) {
  std::uint64_t bits = context->bitCount;
  std::uint8_t pad[72] = {0x80};
  std::size_t padLength = (context->fill < 56 ? 56 : 120) - context->fill;
  for (int i = 0; i < 8; ++i) pad[padLength + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  sha1_update(context, pad, padLength + 8);
  for (int i = 0; i < 20; ++i) digest[i] = static_cast<std::uint8_t>(context->state[i / 4] >> (24 - 8 * (i % 4)));
}

void sha1_digest(std::uint8_t digest[20], const void* data, std::size_t length) {
  Sha1Context context;
  sha1_init(&context);
  sha1_update(&context, data, length);
  sha1_final(&context, digest);
}

void kvl_sha1(std::uint8_t digest[20], const void* data, std::size_t length, int mode) {
  sha1_digest(digest, data, length);
  if (mode == 2) sha1_digest(digest, digest, 20);
}
