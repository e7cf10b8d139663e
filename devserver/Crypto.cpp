#include "devserver/Crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace devserver {

namespace {

constexpr std::size_t kBlock = 16;
const std::uint8_t kZeroIv[kBlock] = {};

const EVP_CIPHER* cbcCipher(std::size_t keyLength) {
  switch (keyLength) {
    case 16:
      return EVP_aes_128_cbc();
    case 24:
      return EVP_aes_192_cbc();
    case 32:
      return EVP_aes_256_cbc();
  }
  throw std::invalid_argument("AES key of " + std::to_string(keyLength) + " bytes");
}

EVP_CIPHER_CTX* makeContext(const EVP_CIPHER* cipher, const std::uint8_t* key, bool encrypt) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  if (!context || EVP_CipherInit_ex(context, cipher, nullptr, key, kZeroIv, encrypt) != 1)
    throw std::runtime_error("cannot set up AES");
  EVP_CIPHER_CTX_set_padding(context, 0);
  return context;
}

EVP_CIPHER_CTX* copyContext(const EVP_CIPHER_CTX* from) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  if (!context || EVP_CIPHER_CTX_copy(context, from) != 1)
    throw std::runtime_error("cannot set up AES");
  return context;
}

void runCbc(EVP_CIPHER_CTX* context, std::uint8_t* data, std::size_t length,
            const std::uint8_t* iv) {
  int written = 0;
  if (length == 0) return;
  if (EVP_CipherInit_ex(context, nullptr, nullptr, nullptr, iv, -1) != 1 ||
      EVP_CipherUpdate(context, data, &written, data, static_cast<int>(length)) != 1)
    throw std::runtime_error("AES failed");
}

void xorInto(std::uint8_t* target, const std::uint8_t* other, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) target[i] ^= other[i];
}

}  // namespace

Sha1::Sha1() : context_(EVP_MD_CTX_new()) {
  if (!context_ || EVP_DigestInit_ex(context_, EVP_sha1(), nullptr) != 1)
    throw std::runtime_error("cannot set up SHA-1");
}

Sha1::~Sha1() { EVP_MD_CTX_free(context_); }

Sha1& Sha1::update(const void* data, std::size_t length) {
  EVP_DigestUpdate(context_, data, length);
  return *this;
}

Digest Sha1::final() {
  Digest digest{};
  EVP_DigestFinal_ex(context_, digest.data(), nullptr);
  return digest;
}

Digest sha1(const void* data, std::size_t length) { return Sha1().update(data, length).final(); }

std::string hex(const std::uint8_t* data, std::size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string text(length * 2, '0');
  for (std::size_t i = 0; i < length; ++i) {
    text[2 * i] = digits[data[i] >> 4];
    text[2 * i + 1] = digits[data[i] & 15];
  }
  return text;
}

void randomBytes(std::uint8_t* out, std::size_t length) {
  // Without randomness neither challenges nor IVs mean anything; there is nothing to fall back on.
  if (RAND_bytes(out, static_cast<int>(length)) != 1) std::abort();
}

AesKey::AesKey(const std::uint8_t* key, std::size_t length)
    : encrypt_(makeContext(cbcCipher(length), key, true)),
      decrypt_(makeContext(cbcCipher(length), key, false)) {}

AesKey::AesKey(EVP_CIPHER_CTX* encrypt, EVP_CIPHER_CTX* decrypt)
    : encrypt_(encrypt), decrypt_(decrypt) {}

std::unique_ptr<AesKey> AesKey::copy() const {
  return std::unique_ptr<AesKey>(new AesKey(copyContext(encrypt_), copyContext(decrypt_)));
}

AesKey::~AesKey() {
  EVP_CIPHER_CTX_free(encrypt_);
  EVP_CIPHER_CTX_free(decrypt_);
}

void AesKey::cbcEncrypt(std::uint8_t* data, std::size_t length, const std::uint8_t* iv) const {
  runCbc(encrypt_, data, length, iv);
}

void AesKey::cbcDecrypt(std::uint8_t* data, std::size_t length, const std::uint8_t* iv) const {
  runCbc(decrypt_, data, length, iv);
}

void AesKey::encryptBlock(std::uint8_t* block) const { cbcEncrypt(block, kBlock, kZeroIv); }

void AesKey::decryptBlock(std::uint8_t* block) const { cbcDecrypt(block, kBlock, kZeroIv); }

void ctsEncrypt(const AesKey& key, std::uint8_t* iv, std::uint8_t* data, std::size_t length) {
  if (length == 0) return;
  if (length < kBlock) {
    // IV and data side by side; the data is XORed with the IV's head and the 16-byte window
    // that ends the arrangement is encrypted.
    std::uint8_t arrangement[2 * kBlock];
    std::memcpy(arrangement, iv, kBlock);
    std::memcpy(arrangement + kBlock, data, length);
    xorInto(arrangement + kBlock, arrangement, length);
    key.encryptBlock(arrangement + length);
    std::memcpy(iv, arrangement, kBlock);
    std::memcpy(data, arrangement + kBlock, length);
    return;
  }
  const std::size_t full = length / kBlock * kBlock;
  const std::size_t rest = length - full;
  key.cbcEncrypt(data, full, iv);
  if (rest == 0) return;
  std::uint8_t* lastFull = data + full - kBlock;
  std::uint8_t stolen[kBlock];
  std::memcpy(stolen, lastFull, kBlock);
  std::uint8_t tail[kBlock] = {};
  std::memcpy(tail, data + full, rest);
  xorInto(tail, stolen, kBlock);
  key.encryptBlock(tail);
  std::memcpy(lastFull, tail, kBlock);
  std::memcpy(data + full, stolen, rest);
}

void ctsDecrypt(const AesKey& key, std::uint8_t* buffer, std::size_t length) {
  std::uint8_t* cipher = buffer + kBlock;
  if (length < kBlock) {
    key.decryptBlock(buffer + length);
    xorInto(buffer, buffer + kBlock, length);
    return;
  }
  const std::size_t full = length / kBlock * kBlock;
  const std::size_t rest = length - full;
  if (rest == 0) {
    std::uint8_t iv[kBlock];
    std::memcpy(iv, buffer, kBlock);
    key.cbcDecrypt(cipher, length, iv);
    std::memmove(buffer, cipher, length);
    return;
  }
  // The stolen pair: the last full slot X and the r bytes Y after it.
  const std::size_t pairStart = full - kBlock;
  std::uint8_t previous[kBlock];
  std::memcpy(previous, pairStart == 0 ? buffer : cipher + pairStart - kBlock, kBlock);
  std::uint8_t d[kBlock];
  std::memcpy(d, cipher + pairStart, kBlock);
  key.decryptBlock(d);
  std::uint8_t lastClear[kBlock];
  std::memcpy(lastClear, d, rest);
  xorInto(lastClear, cipher + full, rest);
  std::uint8_t block[kBlock];
  std::memcpy(block, cipher + full, rest);
  std::memcpy(block + rest, d + rest, kBlock - rest);
  key.decryptBlock(block);
  xorInto(block, previous, kBlock);

  std::uint8_t iv[kBlock];
  std::memcpy(iv, buffer, kBlock);
  key.cbcDecrypt(cipher, pairStart, iv);
  std::memmove(buffer, cipher, pairStart);
  std::memcpy(buffer + pairStart, block, kBlock);
  std::memcpy(buffer + full, lastClear, rest);
}

void sealPayload(const AesKey& key, const std::uint8_t* clear, std::size_t length,
                 std::vector<std::uint8_t>& sealed) {
  sealed.resize(kBlock + length);
  randomBytes(sealed.data(), kBlock);
  if (length) std::memcpy(sealed.data() + kBlock, clear, length);
  ctsEncrypt(key, sealed.data(), sealed.data() + kBlock, length);
}

}  // namespace devserver
