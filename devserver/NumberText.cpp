#include "devserver/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace devserver {

namespace {

constexpr int kSqliteDigits = 15;

// The significant digits (trailing zeros dropped) and the decimal exponent of the first, read
// from std::to_chars' scientific text.
struct Decimal {
  char digits[24];
  int count = 0;
  int exponent = 0;
  bool negative = false;
};

Decimal readScientific(const char* text, const char* end) {
  Decimal d;
  if (*text == '-') {
    d.negative = true;
    ++text;
  }
  for (; text != end && *text != 'e'; ++text)
    if (*text != '.') d.digits[d.count++] = *text;
  if (text != end) std::from_chars(text + (text[1] == '+' ? 2 : 1), end, d.exponent);
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kFifteenDigits = 1e15;

// A value of few decimals, as data mostly holds, comes out of scaling by a power of ten as a whole
// number below 10^15 that gives the value back; that number's digits are those that rounding to
// 15 digits gives (the value is within half an ulp of it), found at a fraction of the cost of the
// shortest digits.
bool fewDecimals(double value, Decimal& d) {
  const double magnitude = std::fabs(value);
  for (int k = 0; k < static_cast<int>(std::size(kPowersOfTen)); ++k) {
    const double scaled = magnitude * kPowersOfTen[k];
    if (!(scaled < kFifteenDigits)) return false;
    const auto whole = static_cast<std::uint64_t>(scaled);
    if (whole == 0 || static_cast<double>(whole) != scaled ||
        static_cast<double>(whole) / kPowersOfTen[k] != magnitude)
      continue;
    d.count = static_cast<int>(std::to_chars(d.digits, d.digits + sizeof d.digits, whole).ptr - d.digits);
    d.exponent = d.count - 1 - k;
    d.negative = value < 0;
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    return true;
  }
  return false;
}

// SQLite's "%!.15g" layout of digits that already fit in 15.
std::size_t layOut(const Decimal& d, char* out) {
  char* p = out;
  if (d.negative) *p++ = '-';
  const auto put = [&p](const char* from, int n) {
    std::memcpy(p, from, static_cast<std::size_t>(n));
    p += n;
  };
  if (d.exponent < -4 || d.exponent >= kSqliteDigits) {
    *p++ = d.digits[0];
    *p++ = '.';
    if (d.count > 1)
      put(d.digits + 1, d.count - 1);
    else
      *p++ = '0';
    *p++ = 'e';
    *p++ = d.exponent < 0 ? '-' : '+';
    const int magnitude = std::abs(d.exponent);
    if (magnitude >= 100) *p++ = static_cast<char>('0' + magnitude / 100);
    *p++ = static_cast<char>('0' + magnitude / 10 % 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
  } else if (d.exponent < 0) {
    *p++ = '0';
    *p++ = '.';
    for (int i = -1; i > d.exponent; --i) *p++ = '0';
    put(d.digits, d.count);
  } else {
    const int whole = d.exponent + 1;
    if (d.count <= whole) {
      put(d.digits, d.count);
      for (int i = d.count; i < whole; ++i) *p++ = '0';
      *p++ = '.';
      *p++ = '0';
    } else {
      put(d.digits, whole);
      *p++ = '.';
      put(d.digits + whole, d.count - whole);
    }
  }
  return static_cast<std::size_t>(p - out);
}

std::size_t seventeenDigits(double value, char (&out)[32]) {
  return static_cast<std::size_t>(std::to_chars(out, out + sizeof out, value, std::chars_format::general, 17).ptr -
                                  out);
}

}  // namespace

std::size_t realText(double value, char (&out)[32]) {
  if (std::isinf(value)) {
    const char* text = value < 0 ? "-Inf" : "Inf";
    std::memcpy(out, text, std::strlen(text));
    return std::strlen(text);
  }
  // SQLite writes negative zero without its sign.
  if (value == 0) value = 0;
  char scientific[32];
  if (std::fpclassify(value) != FP_SUBNORMAL) {
    Decimal few;
    if (fewDecimals(value, few)) return layOut(few, out);
    // A normal double's shortest digits that give it back are, when there are at most 15 of
    // them, exactly what rounding to 15 digits gives.
    const char* end =
        std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific).ptr;
    const Decimal d = readScientific(scientific, end);
    return d.count <= kSqliteDigits ? layOut(d, out) : seventeenDigits(value, out);
  }
  // Subnormals carry fewer digits than 15: round to 15 and see whether that gives the value back.
  const char* end =
      std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific, kSqliteDigits - 1)
          .ptr;
  double back = 0;
  std::from_chars(scientific, end, back);
  return back == value ? layOut(readScientific(scientific, end), out) : seventeenDigits(value, out);
}

}  // namespace devserver
