#pragma once
// SHA-1, AES and the ciphertext-stealing CBC mode of encrypted sessions, on OpenSSL's libcrypto.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct evp_cipher_ctx_st EVP_CIPHER_CTX;
typedef struct evp_md_ctx_st EVP_MD_CTX;

namespace devserver {

using Digest = std::array<std::uint8_t, 20>;

class Sha1 {
 public:
  Sha1();
  ~Sha1();
  Sha1(const Sha1&) = delete;
  Sha1& operator=(const Sha1&) = delete;
  Sha1& update(const void* data, std::size_t length);
  Sha1& update(const std::string& text) { return update(text.data(), text.size()); }
  Digest final();

 private:
  EVP_MD_CTX* context_;
};

Digest sha1(const void* data, std::size_t length);
inline Digest sha1(const std::string& text) { return sha1(text.data(), text.size()); }
// Lower-case hexadecimal, two digits a byte.
std::string hex(const std::uint8_t* data, std::size_t length);
void randomBytes(std::uint8_t* out, std::size_t length);

// An AES key of 16, 24 or 32 bytes, ready for CBC in both directions.
class AesKey {
 public:
  AesKey(const std::uint8_t* key, std::size_t length);
  ~AesKey();
  AesKey(const AesKey&) = delete;
  AesKey& operator=(const AesKey&) = delete;

  // CBC over whole blocks, in place; a zero IV makes one block a plain block cipher call.
  void cbcEncrypt(std::uint8_t* data, std::size_t length, const std::uint8_t* iv) const;
  void cbcDecrypt(std::uint8_t* data, std::size_t length, const std::uint8_t* iv) const;
  void encryptBlock(std::uint8_t* block) const;
  void decryptBlock(std::uint8_t* block) const;
  // The same key in contexts of its own, for another thread: one key's contexts are not to be
  // used by two threads at once.
  std::unique_ptr<AesKey> copy() const;

 private:
  AesKey(EVP_CIPHER_CTX* encrypt, EVP_CIPHER_CTX* decrypt);

  EVP_CIPHER_CTX* encrypt_;
  EVP_CIPHER_CTX* decrypt_;
};

// CBC with ciphertext stealing, in place. From 16 bytes on this is CBC-CS2; a shorter text is
// mixed into the IV, which then belongs to the ciphertext (hence the IV is in/out).
void ctsEncrypt(const AesKey& key, std::uint8_t* iv, std::uint8_t* data, std::size_t length);
// buffer holds the 16-byte IV and then `length` bytes of ciphertext; the clear text ends up at
// the start of the buffer.
void ctsDecrypt(const AesKey& key, std::uint8_t* buffer, std::size_t length);

// An encrypted payload as it travels: a fresh IV followed by the ciphertext.
void sealPayload(const AesKey& key, const std::uint8_t* clear, std::size_t length,
                 std::vector<std::uint8_t>& sealed);

}  // namespace devserver
