#pragma once
// Byte-reversed values, for data whose byte order differs from the machine's.
#include <cstdint>
#include <cstring>

inline std::uint16_t reverseBytes(std::uint16_t value) {
  return static_cast<std::uint16_t>(value << 8 | value >> 8);
}

inline std::uint32_t reverseBytes(std::uint32_t value) {
  return (value << 24) | ((value << 8) & 0x00FF0000u) | ((value >> 8) & 0x0000FF00u) |
         (value >> 24);
}

inline std::int32_t reverseBytes(std::int32_t value) {
  return static_cast<std::int32_t>(reverseBytes(static_cast<std::uint32_t>(value)));
}

inline std::uint64_t reverseBytes(std::uint64_t value) {
  return static_cast<std::uint64_t>(reverseBytes(static_cast<std::uint32_t>(value))) << 32 |
         reverseBytes(static_cast<std::uint32_t>(value >> 32));
}

// Floating-point values are reversed through their bit patterns.
template <typename Float, typename Bits>
Float reverseFloatBytes(Float value) {
  static_assert(sizeof(Float) == sizeof(Bits), "same width");
  Bits bits;
  std::memcpy(&bits, &value, sizeof bits);
  bits = reverseBytes(bits);
  std::memcpy(&value, &bits, sizeof bits);
  return value;
}

inline float reverseBytes(float value) { return reverseFloatBytes<float, std::uint32_t>(value); }

inline double reverseBytes(double value) { return reverseFloatBytes<double, std::uint64_t>(value); }
