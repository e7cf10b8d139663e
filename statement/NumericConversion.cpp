#include "statement/NumericConversion.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/TextUtilities.h"
#include "core/ValueText.h"
#include "statement/CTypeTable.h"

namespace {

// A number as its text gives it, before it meets its target.
struct ParsedNumber {
  // For the real targets.
  double real = 0;
  bool outOfRange = false;  // beyond a double's range
  // For the others, exactly.
  bool negative = false;
  std::uint64_t magnitude = 0;
  bool overflow = false;         // the magnitude needs more than 64 bits
  bool fractionDropped = false;  // non-zero digits after the point
};

bool isExponentMark(char c) { return c == 'e' || c == 'E'; }

// The longest decimal number at the start of the text, as a double; 0 when there is none, and
// when its magnitude is too small for a double. False when it is too large.
bool readReal(const char* p, const char* end, double& value) {
  if (p < end && *p == '+') ++p;
  value = 0;
  const std::from_chars_result read = std::from_chars(p, end, value);
  if (read.ec == std::errc::invalid_argument) value = 0;
  if (read.ec != std::errc::result_out_of_range) return true;
  // from_chars leaves the value alone; a negative exponent is the one too small.
  const char* mark = std::find_if(p, read.ptr, isExponentMark);
  return mark + 1 < read.ptr && mark[1] == '-';
}

const char* skipDigits(const char* p, const char* end) {
  while (p < end && isAsciiDigit(*p)) ++p;
  return p;
}

// The exponent that directly follows a number's digits, as "e[sign]digits"; p is left behind it,
// or where it was when none follows. Beyond any exponent a value can use, it saturates.
long readExponent(const char*& p, const char* end) {
  const char* q = p;
  if (q == end || !isExponentMark(*q)) return 0;
  ++q;
  const bool negative = q < end && *q == '-';
  if (q < end && (*q == '+' || *q == '-')) ++q;
  if (q == end || !isAsciiDigit(*q)) return 0;
  constexpr long saturation = 100000;
  long exponent = 0;
  for (; q < end && isAsciiDigit(*q); ++q) {
    exponent = std::min(saturation, exponent * 10 + (*q - '0'));
  }
  p = q;
  return negative ? -exponent : exponent;
}

// "[sign]digits[.digits][e[sign]digits]" read exactly: the whole part of the value and whether
// non-zero digits fell behind the point.
void readExactly(const char* p, const char* end, ParsedNumber& number) {
  if (p < end && (*p == '+' || *p == '-')) number.negative = *p++ == '-';
  const char* wholeBegin = p;
  const char* wholeEnd = skipDigits(p, end);
  const char* fractionBegin = wholeEnd;
  const char* fractionEnd = wholeEnd;
  if (wholeEnd < end && *wholeEnd == '.') {
    fractionBegin = wholeEnd + 1;
    fractionEnd = skipDigits(fractionBegin, end);
  }
  if (wholeBegin == wholeEnd && fractionBegin == fractionEnd) return;
  p = fractionEnd;
  const long exponent = readExponent(p, end);
  // The digits of both parts in a row, and where the point stands among them after the
  // exponent has moved it.
  const auto wholeDigits = static_cast<long>(wholeEnd - wholeBegin);
  const long digits = wholeDigits + static_cast<long>(fractionEnd - fractionBegin);
  const auto digit = [&](long i) -> std::uint64_t {
    if (i >= digits) return 0;
    return static_cast<std::uint64_t>(
        (i < wholeDigits ? wholeBegin[i] : fractionBegin[i - wholeDigits]) - '0');
  };
  long first = 0;
  while (first < digits && digit(first) == 0) ++first;
  if (first == digits) return;
  const long point = wholeDigits + exponent;
  constexpr long widest = std::numeric_limits<std::uint64_t>::digits10 + 1;
  if (point - first > widest) {
    number.overflow = true;
    return;
  }
  constexpr std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
  for (long i = first; i < point; ++i) {
    if (number.magnitude > (limit - digit(i)) / 10) number.overflow = true;
    number.magnitude = number.magnitude * 10 + digit(i);
  }
  for (long i = std::max(point, first); i < digits && !number.fractionDropped; ++i) {
    number.fractionDropped = digit(i) != 0;
  }
}

// "[sign]digits" with nothing after the digits that could move a point, which is how the server
// writes an integer, read in one pass; false leaves the text to readExactly.
bool readPlainInteger(const char* p, const char* end, ParsedNumber& number) {
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '+' || *p == '-')) ++p;
  const char* digitsEnd = skipDigits(p, end);
  // Nineteen digits cannot overflow 64 bits.
  constexpr long safeDigits = std::numeric_limits<std::uint64_t>::digits10;
  if (digitsEnd == p || digitsEnd - p > safeDigits) return false;
  if (digitsEnd < end && (*digitsEnd == '.' || isExponentMark(*digitsEnd))) return false;
  std::uint64_t magnitude = 0;
  for (; p < digitsEnd; ++p) magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
  number.negative = negative;
  number.magnitude = magnitude;
  return true;
}

ParsedNumber parseNumber(const char* text, std::size_t length, bool asReal) {
  const char* end = text + length;
  const char* p = text;
  while (p < end && isAsciiSpace(*p)) ++p;
  ParsedNumber number;
  if (asReal) {
    number.outOfRange = !readReal(p, end, number.real);
  } else if (!readPlainInteger(p, end, number)) {
    readExactly(p, end, number);
  }
  return number;
}

template <typename T>
ConversionOutcome storeInteger(const ParsedNumber& number, void* target, std::string* trace) {
  constexpr auto highest = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
  if (number.overflow) return conversionFailure("22003");
  T value = 0;
  if (number.negative && number.magnitude != 0) {
    // The lowest signed value is one beyond the highest.
    if (!std::numeric_limits<T>::is_signed || number.magnitude - 1 > highest) {
      return conversionFailure("22003");
    }
    value = static_cast<T>(-static_cast<T>(number.magnitude - 1) - 1);
  } else {
    if (number.magnitude > highest) return conversionFailure("22003");
    value = static_cast<T>(number.magnitude);
  }
  if (trace != nullptr) *trace += std::to_string(value);
  return storeFixedValue(&value, sizeof value, number.fractionDropped, target);
}

ConversionOutcome storeBit(const ParsedNumber& number, void* target, std::string* trace) {
  const SQLCHAR bit = number.magnitude != 0 || number.overflow ? 1 : 0;
  if (trace != nullptr) *trace += std::to_string(bit);
  return storeFixedValue(&bit, sizeof bit, false, target);
}

ConversionOutcome storeReal(SQLSMALLINT cType, const ParsedNumber& number, void* target,
                            std::string* trace) {
  if (number.outOfRange) return conversionFailure("22003");
  const double value = number.real;
  if (trace != nullptr) *trace += doubleToString(value);
  if (cType == SQL_C_DOUBLE) return storeFixedValue(&value, sizeof value, false, target);
  // Out of a float's range is what rounds to its infinity: from halfway between the largest
  // float and the next power of two on.
  const double floatOverflow = std::ldexp(2.0 - std::ldexp(1.0, -FLT_MANT_DIG), FLT_MAX_EXP - 1);
  if (std::isfinite(value) && std::fabs(value) >= floatOverflow) return conversionFailure("22003");
  const auto single = static_cast<SQLREAL>(value);
  return storeFixedValue(&single, sizeof single, false, target);
}

}  // namespace

ConversionOutcome convertToNumber(SQLSMALLINT cType, const char* text, std::size_t length,
                                  void* target, std::string* trace) {
  const bool real = cType == SQL_C_FLOAT || cType == SQL_C_DOUBLE;
  const ParsedNumber number = parseNumber(text, length, real);
  if (trace != nullptr) *trace = cTypeTraceLabel(cType);
  switch (cType) {
    case SQL_C_UTINYINT:
      return storeInteger<SQLCHAR>(number, target, trace);
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
      return storeInteger<SQLSCHAR>(number, target, trace);
    case SQL_C_BIT:
      return storeBit(number, target, trace);
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return storeInteger<SQLSMALLINT>(number, target, trace);
    case SQL_C_USHORT:
      return storeInteger<SQLUSMALLINT>(number, target, trace);
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return storeInteger<SQLINTEGER>(number, target, trace);
    case SQL_C_ULONG:
      return storeInteger<SQLUINTEGER>(number, target, trace);
    case SQL_C_SBIGINT:
      return storeInteger<SQLBIGINT>(number, target, trace);
    case SQL_C_UBIGINT:
      return storeInteger<SQLUBIGINT>(number, target, trace);
    default:
      return storeReal(cType, number, target, trace);
  }
}
