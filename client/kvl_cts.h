#pragma once
// AES-CBC with ciphertext stealing: the ciphertext is as long as the clear text and travels
// after its 16-byte IV.
#include <cstddef>
#include <cstdint>

#include "client/kvl_aes.h"

// Encrypts length bytes in place. From 16 bytes on the IV is left as it is; below 16 it becomes
// part of the ciphertext. Answers length + 16, the bytes on the wire (IV, then data), or 0 when
// the context holds no schedule.
std::size_t kvl_aes_cbc_encrypt(std::uint8_t* data, std::size_t length, std::uint8_t iv[16],
                                const AesContext* context);
// data holds the IV followed by length - 16 bytes of ciphertext; the clear text lands at its
// start. 0, or -1 when length is below 16 or the context holds no schedule.
int kvl_aes_cbc_decrypt(std::uint8_t* data, std::size_t length, const AesContext* context);
