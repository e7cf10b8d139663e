#include "core/ParseInt64.h"

std::int64_t parseInt64(const char* text) {
  if (text == nullptr) return 0;
  while (*text != '\0' && *text != '-' && (*text < '0' || *text > '9')) ++text;
  const bool negative = *text == '-';
  if (negative) ++text;
  // Unsigned arithmetic wraps where signed arithmetic would overflow.
  std::uint64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + static_cast<std::uint64_t>(*text - '0');
  }
  return static_cast<std::int64_t>(negative ? 0 - value : value);
}
