#include "client/kvl_cts.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBlock = 16;
constexpr std::size_t kBatch = 16;

void xorInto(std::uint8_t* target, const std::uint8_t* with, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) target[i] ^= with[i];
}

}  // namespace

std::size_t kvl_aes_cbc_encrypt(std::uint8_t* data, std::size_t length, std::uint8_t iv[16],
                                const AesContext* context) {
  if (!aes_valid_context(context)) return 0;
  if (length < kBlock) {
    // Too short to steal from: the IV and the data form one window that ends at the data's end.
    std::uint8_t joined[2 * kBlock];
    std::memcpy(joined, iv, kBlock);
    std::copy_n(data, length, joined + kBlock);  // data may be null when length is 0
    xorInto(joined + kBlock, joined, length);
    aes_encrypt_block(joined + length, joined + length, context);
    std::memcpy(iv, joined, kBlock);
    std::copy_n(joined + kBlock, length, data);
    return length + kBlock;
  }
  std::size_t full = length / kBlock;
  std::size_t rest = length % kBlock;
  const std::uint8_t* previous = iv;
  for (std::size_t k = 0; k < full; ++k) {
    std::uint8_t* block = data + k * kBlock;
    xorInto(block, previous, kBlock);
    aes_encrypt_block(block, block, context);
    previous = block;
  }
  if (rest > 0) {
    // The last full block's ciphertext chains the zero-padded tail and lends the tail its bytes.
    std::uint8_t* last = data + (full - 1) * kBlock;
    std::uint8_t* tail = last + kBlock;
    std::uint8_t stolen[kBlock] = {};
    std::memcpy(stolen, tail, rest);
    xorInto(stolen, last, kBlock);
    std::memcpy(tail, last, rest);
    aes_encrypt_block(last, stolen, context);
  }
  return length + kBlock;
}

int kvl_aes_cbc_decrypt(std::uint8_t* data, std::size_t length, const AesContext* context) {
  if (length < kBlock || !aes_valid_context(context)) return -1;
  std::size_t n = length - kBlock;
  std::uint8_t clear[kBlock];
  if (n < kBlock) {
    aes_decrypt_block(data + n, data + n, context);
    for (std::size_t i = 0; i < n; ++i) data[i] ^= data[kBlock + i];
    return 0;
  }
  std::size_t full = n / kBlock;
  std::size_t rest = n % kBlock;
  std::size_t chained = rest > 0 ? full - 1 : full;
  // Block k's ciphertext sits at 16 (k + 1); its clear text goes over the block before it, which
  // is the chaining value already used. CBC decryption does not chain the cipher itself, so the
  // blocks go through it a batch at a time.
  std::uint8_t batch[kBatch * kBlock];
  for (std::size_t k = 0; k < chained; k += kBatch) {
    std::size_t count = std::min(kBatch, chained - k);
    std::uint8_t* cipher = data + (k + 1) * kBlock;
    aes_decrypt_blocks(batch, cipher, count, context);
    xorInto(batch, cipher - kBlock, count * kBlock);
    std::memcpy(cipher - kBlock, batch, count * kBlock);
  }
  if (rest > 0) {
    std::uint8_t* stolenBlock = data + full * kBlock;
    std::uint8_t* tail = stolenBlock + kBlock;
    std::uint8_t* previous = stolenBlock - kBlock;  // ciphertext of the block before, or the IV
    std::uint8_t padded[kBlock];
    aes_decrypt_block(padded, stolenBlock, context);
    std::uint8_t lastCipher[kBlock];
    std::memcpy(lastCipher, tail, rest);
    std::memcpy(lastCipher + rest, padded + rest, kBlock - rest);
    xorInto(padded, tail, rest);
    aes_decrypt_block(clear, lastCipher, context);
    xorInto(clear, previous, kBlock);
    std::memcpy(previous, clear, kBlock);
    std::memcpy(stolenBlock, padded, rest);
  }
  return 0;
}
