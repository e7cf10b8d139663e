#pragma once
// Lenient text-to-integer parsing for values the server sends as text.
#include <cstdint>

// Skips to the first decimal digit or "-", takes a "-" there as the sign, then reads decimal
// digits up to the first other character. Nothing is validated: no digits (or a null text) give
// 0, and a value beyond 64 bits wraps around modulo 2^64 instead of overflowing.
std::int64_t parseInt64(const char* text);
