#pragma once
// The UTF-16 surrogate ranges, which the code-page conversions and the driver's own codec both
// need to keep a pair whole.

namespace platform {

constexpr bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool isSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

}  // namespace platform
