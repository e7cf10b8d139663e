#include "tests/devserver/TestCrypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace wiretest {

namespace {

const EVP_CIPHER* ecb(std::size_t keyLength) {
  switch (keyLength) {
    case 16:
      return EVP_aes_128_ecb();
    case 24:
      return EVP_aes_192_ecb();
    case 32:
      return EVP_aes_256_ecb();
  }
  throw std::invalid_argument("bad AES key length");
}

Bytes aesBlock(const Bytes& key, const Bytes& block, int encrypt) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  Bytes out(32);
  int length = 0;
  EVP_CipherInit_ex(context, ecb(key.size()), nullptr, key.data(), nullptr, encrypt);
  EVP_CIPHER_CTX_set_padding(context, 0);
  EVP_CipherUpdate(context, out.data(), &length, block.data(), 16);
  EVP_CIPHER_CTX_free(context);
  out.resize(16);
  return out;
}

Bytes xorBytes(Bytes a, const Bytes& b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) a[i] ^= b[i];
  return a;
}

Bytes slice(const Bytes& data, std::size_t from, std::size_t count) {
  return Bytes(data.begin() + from, data.begin() + from + count);
}

}  // namespace

Bytes sha1(const Bytes& data) {
  Bytes digest(20);
  EVP_Digest(data.data(), data.size(), digest.data(), nullptr, EVP_sha1(), nullptr);
  return digest;
}

Bytes sha1(const std::string& text) { return sha1(Bytes(text.begin(), text.end())); }

std::string toHex(const Bytes& data) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : data) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

Bytes fromHex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

Bytes concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Bytes randomBytes(std::size_t count) {
  Bytes bytes(count);
  RAND_bytes(bytes.data(), static_cast<int>(count));
  return bytes;
}

Bytes aesEncryptBlock(const Bytes& key, const Bytes& block) { return aesBlock(key, block, 1); }
Bytes aesDecryptBlock(const Bytes& key, const Bytes& block) { return aesBlock(key, block, 0); }

Bytes ctsSeal(const Bytes& key, const Bytes& iv, const Bytes& data) {
  const std::size_t n = data.size();
  if (n < 16) {
    // IV then data; the data XOR the IV's head; the last 16 bytes encrypted as one block.
    Bytes arrangement = concat(iv, data);
    for (std::size_t i = 0; i < n; ++i) arrangement[16 + i] ^= arrangement[i];
    const Bytes window = aesEncryptBlock(key, slice(arrangement, n, 16));
    std::copy(window.begin(), window.end(), arrangement.begin() + n);
    return arrangement;
  }
  Bytes out = iv;
  Bytes previous = iv;
  const std::size_t full = n / 16;
  for (std::size_t k = 0; k < full; ++k) {
    previous = aesEncryptBlock(key, xorBytes(slice(data, 16 * k, 16), previous));
    out.insert(out.end(), previous.begin(), previous.end());
  }
  const std::size_t r = n % 16;
  if (r) {
    // The padded tail is chained on the last full block, and the two swap places.
    Bytes tail = slice(data, 16 * full, r);
    tail.resize(16, 0);
    const Bytes last = aesEncryptBlock(key, xorBytes(tail, previous));
    out.resize(out.size() - 16);
    out.insert(out.end(), last.begin(), last.end());
    out.insert(out.end(), previous.begin(), previous.begin() + r);
  }
  return out;
}

Bytes ctsOpen(const Bytes& key, const Bytes& sealed) {
  const std::size_t n = sealed.size() - 16;
  if (n < 16) {
    Bytes buffer = sealed;
    const Bytes window = aesDecryptBlock(key, slice(buffer, n, 16));
    std::copy(window.begin(), window.end(), buffer.begin() + n);
    Bytes clear(n);
    for (std::size_t i = 0; i < n; ++i) clear[i] = buffer[i] ^ buffer[16 + i];
    return clear;
  }
  const Bytes iv = slice(sealed, 0, 16);
  const Bytes cipher = slice(sealed, 16, n);
  const std::size_t full = n / 16;
  const std::size_t r = n % 16;
  Bytes clear;
  Bytes previous = iv;
  const std::size_t plain = r ? full - 1 : full;
  for (std::size_t k = 0; k < plain; ++k) {
    const Bytes block = slice(cipher, 16 * k, 16);
    const Bytes p = xorBytes(aesDecryptBlock(key, block), previous);
    clear.insert(clear.end(), p.begin(), p.end());
    previous = block;
  }
  if (r) {
    const Bytes d = aesDecryptBlock(key, slice(cipher, 16 * plain, 16));
    const Bytes y = slice(cipher, 16 * full, r);
    Bytes lastFullCipher = y;
    lastFullCipher.insert(lastFullCipher.end(), d.begin() + r, d.end());
    const Bytes p = xorBytes(aesDecryptBlock(key, lastFullCipher), previous);
    clear.insert(clear.end(), p.begin(), p.end());
    const Bytes tail = xorBytes(slice(d, 0, r), y);
    clear.insert(clear.end(), tail.begin(), tail.end());
  }
  return clear;
}

Bytes opensslCs2Encrypt(const Bytes& key, const Bytes& iv, const Bytes& data) {
  const std::string name = "AES-" + std::to_string(key.size() * 8) + "-CBC-CTS";
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
  if (!cipher) throw std::runtime_error("OpenSSL has no " + name);
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  char mode[] = "CS2";
  const OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_CIPHER_PARAM_CTS_MODE, mode, 0), OSSL_PARAM_END};
  Bytes out(data.size() + 16);
  int length = 0;
  EVP_EncryptInit_ex2(context, cipher, key.data(), iv.data(), params);
  EVP_EncryptUpdate(context, out.data(), &length, data.data(), static_cast<int>(data.size()));
  EVP_CIPHER_CTX_free(context);
  EVP_CIPHER_free(cipher);
  out.resize(static_cast<std::size_t>(length));
  return out;
}

Bytes sessionKey(int level, const Bytes& p2, const Bytes& r, const Bytes& s) {
  const Bytes h1 = sha1(concat(concat(p2, r), s));
  const Bytes h2 = sha1(xorBytes(r, s));
  // Level 2 is H1's head; levels 3 and 4 lay H2's head over H1 and pad with zeros.
  Bytes key(h1.begin(), h1.end());
  key.resize(32, 0);
  const std::size_t fromH2 = level == 3 ? 4 : level == 4 ? 12 : 0;
  std::copy(h2.begin(), h2.begin() + fromH2, key.begin());
  key.resize(level == 3 ? 24 : level == 4 ? 32 : 16);
  return key;
}

}  // namespace wiretest
