#include "client/kvl_aes_hardware.h"

#include <cpuid.h>
#include <immintrin.h>

namespace {

#define KVL_AES_TARGET __attribute__((target("aes,ssse3")))

// The schedule holds big-endian words; the instructions take each round key as
// its 16 bytes.
KVL_AES_TARGET __m128i roundKey(const AesContext *context, int round) {
  const __m128i swapWords = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i *>(context->roundKeys + 4 * round));
  return _mm_shuffle_epi8(words, swapWords);
}

bool detect() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
  return (ecx & bit_AES) != 0 && (ecx & bit_SSSE3) != 0;
}

// Blocks decrypted side by side: the instructions' latency is hidden behind
// each other's. Processors that start two AES rounds a cycle need eight
// blocks in flight to do so; four left them at two thirds of that.
constexpr std::size_t kLanes = 8;

}  // namespace

bool aes_hardware_present() {
  static const bool present = detect();
  return present;
}

KVL_AES_TARGET void aes_hardware_encrypt_block(std::uint8_t out[16], const std::uint8_t in[16],
                                               const AesContext *context) {
  __m128i state = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in)), roundKey(context, 0));
  for (int r = 1; r < context->rounds; ++r) state = _mm_aesenc_si128(state, roundKey(context, r));
  state = _mm_aesenclast_si128(state, roundKey(context, context->rounds));
  _mm_storeu_si128(reinterpret_cast<__m128i *>(out), state);
}

// The decryption schedule is already the equivalent inverse cipher's, the form
// aesdec expects.
KVL_AES_TARGET void aes_hardware_decrypt_blocks(std::uint8_t *out, const std::uint8_t *in, std::size_t count,
                                                const AesContext *context) {
  __m128i keys[15];
  for (int r = 0; r <= context->rounds; ++r) keys[r] = roundKey(context, r);
  const int rounds = context->rounds;
  std::size_t done = 0;
  for (; done + kLanes <= count; done += kLanes) {
    __m128i s[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) {
      s[i] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 16 * (done + i))), keys[0]);
    }
    for (int r = 1; r < rounds; ++r) {
      for (std::size_t i = 0; i < kLanes; ++i) s[i] = _mm_aesdec_si128(s[i], keys[r]);
    }
    for (std::size_t i = 0; i < kLanes; ++i) {
      _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * (done + i)), _mm_aesdeclast_si128(s[i], keys[rounds]));
    }
  }
  for (; done < count; ++done) {
    __m128i s = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 16 * done)), keys[0]);
    for (int r = 1; r < rounds; ++r) s = _mm_aesdec_si128(s, keys[r]);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * done), _mm_aesdeclast_si128(s, keys[rounds]));
  }
}
