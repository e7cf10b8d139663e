#pragma once
// Random bytes for login nonces and encryption IVs: the operating system's source, or the
// process-wide TT800 generator when that source fails.
#include <cstdint>

void kvl_random_bytes20(std::uint8_t out[20]);  // a nonce
void kvl_random_bytes16(std::uint8_t out[16]);  // an IV
