#pragma once
// AES rounds on the processor's AES instructions, for schedules the portable
// code built.
#include <cstddef>
#include <cstdint>

#include "client/kvl_aes.h"

// True where the processor has the AES and SSSE3 instructions; asked once per
// process.
bool aes_hardware_present();
// The same results as the portable blocks; only called when
// aes_hardware_present().
void aes_hardware_encrypt_block(std::uint8_t out[16], const std::uint8_t in[16], const AesContext *context);
// count blocks, in to out (which may be in).
void aes_hardware_decrypt_blocks(std::uint8_t *out, const std::uint8_t *in, std::size_t count,
                                 const AesContext *context);
