// Throughput of the client's own cryptography over 64 KiB, with OpenSSL's figures beside it as
// the reference: SHA-1, and AES-CBC with ciphertext stealing both ways.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "client/kvl_aes.h"
#include "client/kvl_cts.h"
#include "client/kvl_sha1.h"

namespace {

constexpr std::size_t kBytes = 64 * 1024;

std::vector<std::uint8_t> pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return bytes;
}

void countBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void sha1(benchmark::State& state) {
  const std::vector<std::uint8_t> data = pattern(kBytes);
  std::uint8_t digest[20];
  for (auto _ : state) {
    sha1_digest(digest, data.data(), data.size());
    benchmark::DoNotOptimize(digest);
  }
  countBytes(state);
}

void opensslSha1(benchmark::State& state) {
  const std::vector<std::uint8_t> data = pattern(kBytes);
  unsigned char digest[EVP_MAX_MD_SIZE];
  for (auto _ : state) {
    if (EVP_Digest(data.data(), data.size(), digest, nullptr, EVP_sha1(), nullptr) != 1) {
      state.SkipWithError("EVP_Digest failed");
      break;
    }
    benchmark::DoNotOptimize(digest);
  }
  countBytes(state);
}

// keyBits 128 or 256. Encryption works in place on the clear text; decryption on the IV and the
// ciphertext that follows it, as they arrive.
void ctsEncrypt(benchmark::State& state, int keyBits) {
  const std::vector<std::uint8_t> key = pattern(32);
  AesContext context;
  aes_key_schedule_enc(key.data(), keyBits, &context);
  std::vector<std::uint8_t> data = pattern(kBytes);
  std::uint8_t iv[16] = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(kvl_aes_cbc_encrypt(data.data(), data.size(), iv, &context));
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

void ctsDecrypt(benchmark::State& state, int keyBits) {
  const std::vector<std::uint8_t> key = pattern(32);
  AesContext context;
  aes_key_schedule_dec(key.data(), keyBits, &context);
  std::vector<std::uint8_t> data = pattern(16 + kBytes);
  for (auto _ : state) {
    benchmark::DoNotOptimize(kvl_aes_cbc_decrypt(data.data(), data.size(), &context));
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

// Plain CBC over whole blocks: the work ciphertext stealing adds to it is one block.
void opensslCbc(benchmark::State& state, int keyBits, bool encrypt) {
  const std::vector<std::uint8_t> key = pattern(32);
  const std::uint8_t iv[16] = {};
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  const EVP_CIPHER* cipher = keyBits == 128 ? EVP_aes_128_cbc() : EVP_aes_256_cbc();
  if (!context || EVP_CipherInit_ex(context.get(), cipher, nullptr, key.data(), iv, encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
    state.SkipWithError("EVP_CipherInit_ex failed");
    return;
  }
  std::vector<std::uint8_t> data = pattern(kBytes);
  for (auto _ : state) {
    int written = 0;
    if (EVP_CipherInit_ex(context.get(), nullptr, nullptr, nullptr, iv, -1) != 1 ||
        EVP_CipherUpdate(context.get(), data.data(), &written, data.data(), static_cast<int>(data.size())) != 1) {
      state.SkipWithError("EVP_CipherUpdate failed");
      break;
    }
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

BENCHMARK(sha1);
BENCHMARK(opensslSha1);
BENCHMARK_CAPTURE(ctsEncrypt, aes128, 128);
BENCHMARK_CAPTURE(ctsEncrypt, aes256, 256);
BENCHMARK_CAPTURE(ctsDecrypt, aes128, 128);
BENCHMARK_CAPTURE(ctsDecrypt, aes256, 256);
BENCHMARK_CAPTURE(opensslCbc, aes128_encrypt, 128, true);
BENCHMARK_CAPTURE(opensslCbc, aes256_encrypt, 256, true);
BENCHMARK_CAPTURE(opensslCbc, aes128_decrypt, 128, false);
BENCHMARK_CAPTURE(opensslCbc, aes256_decrypt, 256, false);

}  // namespace
