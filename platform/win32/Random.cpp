#include "platform/Random.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>

namespace platform {

bool randomBytes(void* buffer, std::size_t length) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (length > 0) {
    ULONG chunk = length > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(length);
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
    out += chunk;
    length -= chunk;
  }
  return true;
}

}  // namespace platform
