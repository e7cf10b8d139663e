#include "client/kvl_random.h"

#include <cstring>

#include "client/kvl_tt800.h"
#include "platform/Random.h"

void kvl_random_bytes20(std::uint8_t out[20]) {
  if (!platform::randomBytes(out, 20)) tt800_fill(out, 20);
}

void kvl_random_bytes16(std::uint8_t out[16]) {
  if (platform::randomBytes(out, 16)) return;
  // The generator's IVs are the first 16 bytes of a nonce-sized draw (five outputs).
  std::uint8_t nonce[20];
  tt800_fill(nonce, sizeof nonce);
  std::memcpy(out, nonce, 16);
}
