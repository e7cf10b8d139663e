#include "statement/NumericConversion.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/TextUtilities.h"
#include "core/ValueText.h"

namespace {

// A number as its text gives it, before it meets its target.
struct ParsedNumber {
  bool isReal = false;
  double real = 0;          // when isReal
  bool outOfRange = false;  // a real beyond a double's range
  bool negative = false;
  std::uint64_t magnitude = 0;
  bool overflow = false;         // the magnitude needs more than 64 bits
  bool fractionDropped = false;  // non-zero digits after the point
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

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

ParsedNumber parseNumber(const char* text, std::size_t length, bool asReal) {
  const char* end = text + length;
  const char* p = text;
  while (p < end && isAsciiSpace(*p)) ++p;
  ParsedNumber number;
  if (asReal || std::find_if(p, end, isExponentMark) != end) {
    number.isReal = true;
    number.outOfRange = !readReal(p, end, number.real);
    return number;
  }
  // An integer, or the whole part of a number with a point, read exactly.
  if (p < end && (*p == '+' || *p == '-')) number.negative = *p++ == '-';
  constexpr std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
  for (; p < end && isDigit(*p); ++p) {
    const auto digit = static_cast<std::uint64_t>(*p - '0');
    if (number.magnitude > (limit - digit) / 10) number.overflow = true;
    number.magnitude = number.magnitude * 10 + digit;
  }
  if (p < end && *p == '.') {
    for (++p; p < end && isDigit(*p); ++p) {
      if (*p != '0') number.fractionDropped = true;
    }
  }
  return number;
}

template <typename T>
ConversionOutcome storeInteger(const ParsedNumber& number, void* target, std::string* trace) {
  T value = 0;
  bool fractionDropped = false;
  if (number.outOfRange) return conversionFailure("22003");
  if (number.isReal) {
    const double whole = std::trunc(number.real);
    const double bound = std::ldexp(1.0, std::numeric_limits<T>::digits);
    // Not-a-number fails both tests.
    const bool fits =
        whole < bound && (std::numeric_limits<T>::is_signed ? whole >= -bound : whole > -1.0);
    if (!fits) return conversionFailure("22003");
    value = static_cast<T>(whole);
    fractionDropped = whole != number.real;
  } else {
    constexpr auto highest = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    if (number.overflow) return conversionFailure("22003");
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
    fractionDropped = number.fractionDropped;
  }
  if (trace != nullptr) *trace += std::to_string(value);
  return storeFixedValue(&value, sizeof value, fractionDropped, target);
}

ConversionOutcome storeBit(const ParsedNumber& number, void* target, std::string* trace) {
  const bool nonZero = number.isReal ? number.outOfRange || std::trunc(number.real) != 0
                                     : number.magnitude != 0 || number.overflow;
  const SQLCHAR bit = nonZero ? 1 : 0;
  if (trace != nullptr) *trace += std::to_string(bit);
  return storeFixedValue(&bit, sizeof bit, false, target);
}

ConversionOutcome storeReal(SQLSMALLINT cType, const ParsedNumber& number, void* target,
                            std::string* trace) {
  if (number.outOfRange) return conversionFailure("22003");
  const double value = number.real;
  if (trace != nullptr) *trace += doubleToString(value);
  if (cType == SQL_C_DOUBLE) return storeFixedValue(&value, sizeof value, false, target);
  if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return conversionFailure("22003");
  const auto single = static_cast<SQLREAL>(value);
  return storeFixedValue(&single, sizeof single, false, target);
}

// The trace's name of a target: one name for the types that share a width and sign.
const char* traceLabel(SQLSMALLINT cType) {
  switch (cType) {
    case SQL_C_UTINYINT:
      return " to SQL_C_UTINYINT: ";
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
      return " to SQL_C_BIGINT: ";
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
      return " to SQL_C_TINYINT: ";
    case SQL_C_ULONG:
      return " to SQL_C_ULONG: ";
    case SQL_C_USHORT:
      return " to SQL_C_USHORT: ";
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return " to SQL_C_LONG: ";
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return " to SQL_C_SHORT: ";
    case SQL_C_BIT:
      return " to SQL_C_BIT: ";
    case SQL_C_FLOAT:
      return " to SQL_C_FLOAT: ";
    default:
      return " to SQL_C_DOUBLE: ";
  }
}

}  // namespace

bool isNumericCType(SQLSMALLINT cType) {
  switch (cType) {
    case SQL_C_UTINYINT:
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
    case SQL_C_BIT:
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
    case SQL_C_USHORT:
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_ULONG:
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE:
      return true;
    default:
      return false;
  }
}

ConversionOutcome convertToNumber(SQLSMALLINT cType, const char* text, std::size_t length,
                                  void* target, std::string* trace) {
  const bool real = cType == SQL_C_FLOAT || cType == SQL_C_DOUBLE;
  const ParsedNumber number = parseNumber(text, length, real);
  if (trace != nullptr) *trace = traceLabel(cType);
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
