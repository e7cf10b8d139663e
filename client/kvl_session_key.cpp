#include "client/kvl_session_key.h"

#include <cstring>

#include "client/kvl_sha1.h"

int kvl_session_key(std::uint8_t key[32], unsigned level, const std::uint8_t p2[20],
                    const std::uint8_t r[20], const std::uint8_t s[20]) {
  // How many leading bytes of the key come from the nonces' XOR hash; the rest of the first
  // 20 bytes comes from the hash of P2, R and S, and the remainder stays zero.
  int length, fromMixed;
  switch (level) {
    case 2:
      length = 16;
      fromMixed = 0;
      break;
    case 3:
      length = 24;
      fromMixed = 4;
      break;
    case 4:
      length = 32;
      fromMixed = 12;
      break;
    default:
      return -1;
  }
  Sha1Context context;
  sha1_init(&context);
  sha1_update(&context, p2, 20);
  sha1_update(&context, r, 20);
  sha1_update(&context, s, 20);
  std::uint8_t joined[20];
  sha1_final(&context, joined);

  std::uint8_t mixed[20];
  for (int i = 0; i < 20; ++i) mixed[i] = r[i] ^ s[i];
  sha1_digest(mixed, mixed, sizeof mixed);

  std::memset(key, 0, 32);
  std::memcpy(key, joined, length < 20 ? length : 20);
  std::memcpy(key, mixed, fromMixed);
  return length;
}
