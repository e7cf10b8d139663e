#pragma once
// AES (FIPS-197) block cipher: run-time built tables, or the processor's AES instructions.
#include <cstddef>
#include <cstdint>

// One schedule, either for encryption or for the equivalent inverse cipher.
struct AesContext {
  std::uint32_t roundKeys[60];
  int rounds;  // 10, 12 or 14
  // Set by the schedule builders where the processor has AES instructions; when false the
  // tables do the rounds (the same results).
  bool hardware;
};

// Builds the tables once per process; the schedule builders call it too.
void aes_build_tables();
// Key length in bytes (16, 24, 32) or bits (128, 192, 256); 0, or -1 for any other length.
int aes_key_schedule_enc(const std::uint8_t* key, int keyLength, AesContext* context);
int aes_key_schedule_dec(const std::uint8_t* key, int keyLength, AesContext* context);
// True once a schedule builder has filled the context (10, 12 or 14 rounds).
bool aes_valid_context(const AesContext* context);
// out may be in; 0, or -1 when the context holds no valid schedule.
int aes_encrypt_block(std::uint8_t out[16], const std::uint8_t in[16], const AesContext* context);
int aes_decrypt_block(std::uint8_t out[16], const std::uint8_t in[16], const AesContext* context);
// count independent blocks, in to out (which may be in); several at once on the AES instructions.
int aes_decrypt_blocks(std::uint8_t* out, const std::uint8_t* in, std::size_t count, const AesContext* context);
