#pragma once
// Hex texts for the cryptography tests' expected values.
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::uint8_t> fromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

inline std::string toHex(const std::uint8_t* data, std::size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t i = 0; i < length; ++i) {
    hex += digits[data[i] >> 4];
    hex += digits[data[i] & 15];
  }
  return hex;
}

inline std::string toHex(const std::vector<std::uint8_t>& data) { return toHex(data.data(), data.size()); }
