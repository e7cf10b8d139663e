#include "backend/LongestText.h"

#include <algorithm>

LongestText::LongestText(bool wide) : wide_(wide) {}

void LongestText::add(std::string_view utf8) {
  bytes_ = std::max<std::uint64_t>(bytes_, utf8.size());
  if (utf8.size() <= characters_) return;
  std::uint64_t characters = 0;
  for (const char byte : utf8) {
    const auto b = static_cast<unsigned char>(byte);
    // Every byte but a continuation byte starts a character; a four-byte one is a surrogate
    // pair in UTF-16.
    if ((b & 0xC0) != 0x80) ++characters;
    if (wide_ && b >= 0xF0) ++characters;
  }
  characters_ = std::max(characters_, characters);
}

std::uint64_t LongestText::characters() const { return std::max<std::uint64_t>(characters_, 1); }

std::uint64_t LongestText::octets() const {
  return wide_ ? 2 * characters() : std::max<std::uint64_t>(bytes_, 1);
}
