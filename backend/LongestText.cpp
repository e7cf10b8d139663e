#include "backend/LongestText.h"

#include <algorithm>

LongestText::LongestText(bool wide, const TextEncodings& encodings)
    : wide_(wide), encodings_(encodings) {}

void LongestText::add(std::string_view utf8) {
  if (!wide_) {
    // Measured as SQL_C_CHAR hands the value over: a code page may take other byte counts than
    // UTF-8 for the same characters.
    SQLULEN position = 0;
    PieceRemainder remainder;
    const ConversionOutcome measured = convertPiece(SQL_C_CHAR, utf8.data(), utf8.size(), nullptr,
                                                    0, position, encodings_, remainder);
    longest_ = std::max<std::uint64_t>(longest_, static_cast<std::uint64_t>(measured.length));
    return;
  }
  // A value no longer in bytes than the units found so far cannot hold more of them.
  if (utf8.size() <= longest_) return;
  std::uint64_t units = 0;
  for (const char byte : utf8) {
    const auto b = static_cast<unsigned char>(byte);
    // Every byte but a continuation byte starts a character; a four-byte one is a surrogate
    // pair.
    if ((b & 0xC0) != 0x80) ++units;
    if (b >= 0xF0) ++units;
  }
  longest_ = std::max(longest_, units);
}

std::uint64_t LongestText::length() const { return std::max<std::uint64_t>(longest_, 1); }

std::uint64_t LongestText::octets() const { return wide_ ? 2 * length() : length(); }
