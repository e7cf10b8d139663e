// Parameters reach the server as literals written into the statement text. Every value goes in
// as one literal the server's lexer reads back as exactly that value: numbers unquoted only when
// they are numbers, everything else quoted with its quotes doubled or as a hex blob, and each
// literal kept apart from its neighbours so that it never joins them into another token.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "core/AppBuffer.h"
#include "core/Charset.h"
#include "core/Connection.h"
#include "core/SqlTypeClass.h"
#include "core/TraceWriter.h"
#include "core/Unicode.h"
#include "platform/Clock.h"
#include "statement/Descriptor.h"
#include "statement/SqlTextScanner.h"
#include "statement/Statement.h"

namespace {

bool isDateSqlType(SQLSMALLINT type) { return type == SQL_TYPE_DATE || type == SQL_DATE; }
bool isTimeSqlType(SQLSMALLINT type) { return type == SQL_TYPE_TIME || type == SQL_TIME; }
bool isTimestampSqlType(SQLSMALLINT type) {
  return type == SQL_TYPE_TIMESTAMP || type == SQL_TIMESTAMP;
}

// The SQL types whose literals are bare numbers.
bool takesNumber(SQLSMALLINT sqlType) { return isNumericType(sqlType) || sqlType == SQL_BIT; }

// Types a date or time has no text for: it would not read back as the value.
bool refusesDateTime(SQLSMALLINT sqlType) { return takesNumber(sqlType) || isBinaryType(sqlType); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A sign, digits with at most one point (at least one digit), and an optional exponent.
bool isNumberText(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&text, &i] {
    const std::size_t start = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

// Bits of the exact integer SQL types, SQL_BIT's one among them; 0 for the other types.
int integerBits(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_BIT:
      return 1;
    case SQL_TINYINT:
      return 8;
    case SQL_SMALLINT:
      return 16;
    case SQL_INTEGER:
      return 32;
    case SQL_BIGINT:
      return 64;
    default:
      return 0;
  }
}

enum class IntegerFit { exact, truncated, outOfRange };

// Past any exponent that could matter to a 64-bit value; the bound keeps the count of whole
// digits from overflowing.
constexpr long long exponentBound = 1000000000;

// `number`, a number text, as the integer an integer type of `bits` holds, cut toward zero. The
// digits are worked as text: through a double the 64-bit values would lose their last digits.
IntegerFit exactInteger(std::string_view number, int bits, bool isUnsigned, std::string& integer) {
  const bool negative = number.front() == '-';
  if (number.front() == '+' || negative) number.remove_prefix(1);
  std::string digits;
  std::size_t point = std::string::npos;
  std::size_t i = 0;
  for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
    if (number[i] == '.') {
      point = digits.size();
    } else {
      digits += number[i];
    }
  }
  long long exponent = 0;
  if (i < number.size()) {
    const bool negativeExponent = number[++i] == '-';
    if (number[i] == '+' || negativeExponent) ++i;
    for (; i < number.size(); ++i) {
      exponent = std::min(exponent * 10 + (number[i] - '0'), exponentBound);
    }
    if (negativeExponent) exponent = -exponent;
  }
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) {
    integer = "0";
    return IntegerFit::exact;
  }
  // The digits from the first significant one, and how many of them stand before the point.
  const long long wholeDigits =
      static_cast<long long>(point == std::string::npos ? digits.size() : point) -
      static_cast<long long>(first) + exponent;
  digits.erase(0, first);
  if (wholeDigits > std::numeric_limits<std::uint64_t>::digits10 + 1) {
    return IntegerFit::outOfRange;
  }
  const auto whole = static_cast<std::size_t>(std::max(wholeDigits, 0LL));
  const bool truncated = digits.find_first_not_of('0', whole) != std::string::npos;
  std::string magnitude = digits.substr(0, whole);
  magnitude.append(whole - magnitude.size(), '0');
  if (magnitude.empty()) magnitude = "0";
  std::uint64_t value = 0;
  if (std::from_chars(magnitude.data(), magnitude.data() + magnitude.size(), value).ec !=
      std::errc()) {
    return IntegerFit::outOfRange;
  }
  // An unsigned type takes no value below zero, -0.5 included.
  if (negative && isUnsigned) return IntegerFit::outOfRange;
  const std::uint64_t largest = isUnsigned
                                    ? std::numeric_limits<std::uint64_t>::max() >> (64 - bits)
                                    : (std::uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
  if (value > largest) return IntegerFit::outOfRange;
  integer = negative && value != 0 ? "-" + magnitude : magnitude;
  return truncated ? IntegerFit::truncated : IntegerFit::exact;
}

// Hex digits in pairs, the body of an X'..' literal.
bool isHexText(std::string_view text) {
  if (text.size() % 2 != 0) return false;
  for (char c : text) {
    if (!isHexDigit(c)) return false;
  }
  return true;
}

// Bytes that would join across the seam into one token (a longer name or number, "5." and "e3"
// reading as 5000, "--" opening a comment, two quoted strings reading as one with a quote
// inside, x'..' becoming a blob).
bool joinsAcross(char before, char after) {
  const auto wordLike = [](char c) { return isIdentifierByte(c) || c == '\'' || c == '.'; };
  return (before == '-' && after == '-') || (wordLike(before) && wordLike(after));
}

void appendSeparated(std::string& text, std::string_view piece) {
  if (!text.empty() && !piece.empty() && joinsAcross(text.back(), piece.front())) text += ' ';
  text.append(piece.data(), piece.size());
}

template <typename Integer>
std::string integerText(Integer value) {
  char buffer[24];
  const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end.ptr);
}

// The six-decimal text when it reads back as the same value (compared in the value's own type)
// and holds no more integer digits than the value has significant ones; else the shortest text
// that reads back as a float (1e-07, 1e+300, 2.1102508233173741e+17). False for NaN and the
// infinities, which have no literal.
template <typename Float>
bool floatText(Float value, std::string& text) {
  if (!std::isfinite(value)) return false;
  char buffer[64];
  std::to_chars_result end{buffer, std::errc()};
  bool exact = false;
  if (std::fabs(value) < 1e15) {
    end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                        std::chars_format::fixed, 6);
    double readBack = 0;
    std::from_chars(buffer, end.ptr, readBack);
    exact = static_cast<Float>(readBack) == value;
  }
  if (!exact) {
    end = std::to_chars(buffer, buffer + sizeof buffer, value);
    // Digits alone would read back as an integer; the exponent keeps the literal a float.
    if (std::string_view(buffer, static_cast<std::size_t>(end.ptr - buffer))
            .find_first_of(".e") == std::string_view::npos) {
      end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    }
  }
  text.assign(buffer, end.ptr);
  return true;
}

// A field of `width` digits, zero-filled; a negative value keeps its sign in front.
void appendPadded(std::string& text, long value, int width) {
  if (value < 0) text += '-';
  const std::string digits = integerText(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < width) text.append(width - digits.size(), '0');
  text += digits;
}

// Three zero-filled fields joined by the separator: a date, whose year takes four digits, or a
// time.
std::string threeFields(long first, int firstWidth, char separator, long second, long third) {
  std::string text;
  appendPadded(text, first, firstWidth);
  for (long field : {second, third}) {
    text += separator;
    appendPadded(text, field, 2);
  }
  return text;
}

std::string dateText(long year, long month, long day) {
  return threeFields(year, 4, '-', month, day);
}

std::string timeText(long hour, long minute, long second) {
  return threeFields(hour, 2, ':', minute, second);
}

// Nanoseconds after the point without trailing zeros, and nothing for none: the server compares
// date-time texts as text, so "00:00:37.0" would not equal a stored "00:00:37".
std::string fractionText(SQLUINTEGER nanoseconds) {
  if (nanoseconds == 0) return std::string();
  std::string text;
  appendPadded(text, static_cast<long>(nanoseconds), 9);
  text.erase(text.find_last_not_of('0') + 1);
  return "." + text;
}

constexpr SQLUINTEGER maxFraction = 999999999;

// Bytes before the first NUL among the first `limit`.
std::size_t lengthBeforeNul(const char* value, std::size_t limit) {
  const void* nul = std::memchr(value, '\0', limit);
  return nul == nullptr ? limit : static_cast<std::size_t>(static_cast<const char*>(nul) - value);
}

// Bytes of a character or binary value: `length` of them when it is one (cut at a NUL for text,
// which the server's strings cannot hold), else up to the first NUL within a positive buffer
// length.
std::size_t byteCount(const char* value, SQLLEN length, SQLLEN bufferLength, bool stopAtNul) {
  if (length >= 0) {
    const auto bytes = static_cast<std::size_t>(length);
    return stopAtNul ? lengthBeforeNul(value, bytes) : bytes;
  }
  if (bufferLength <= 0) return std::strlen(value);
  return lengthBeforeNul(value, static_cast<std::size_t>(bufferLength));
}

// UTF-16 units of a wide value: the byte length halved, or up to the first zero unit within a
// positive buffer length; either way never past a zero unit.
std::size_t wideUnitCount(const SQLWCHAR* value, SQLLEN length, SQLLEN bufferLength) {
  const SQLLEN bytes = length >= 0 ? length : bufferLength;
  if (bytes <= 0 && length < 0) return utf16Length(value);
  const auto limit = static_cast<std::size_t>(bytes) / 2;
  std::size_t units = 0;
  while (units < limit && loadAppValue<SQLWCHAR>(value + units) != 0) ++units;
  return units;
}

// Whether characters follow a NUL within the value's explicit length: the statement text ends a
// text at its first NUL, so NULs that only pad the value are dropped but data after one would be.
template <typename Unit>
bool hasDataAfterNul(const Unit* value, std::size_t kept, SQLLEN length) {
  const auto whole = static_cast<std::size_t>(std::max<SQLLEN>(length, 0)) / sizeof(Unit);
  for (std::size_t k = kept; k < whole; ++k) {
    if (loadAppValue<Unit>(value + k) != 0) return true;
  }
  return false;
}

// A high surrogate without the low one right behind it, or a low one on its own: UTF-8 has no
// form for either, and the server would store a replacement character instead.
bool hasUnpairedSurrogate(const SQLWCHAR* value, std::size_t units) {
  for (std::size_t k = 0; k < units; ++k) {
    const char32_t unit = loadAppValue<SQLWCHAR>(value + k);
    if (isHighSurrogate(unit) && k + 1 < units &&
        isLowSurrogate(loadAppValue<SQLWCHAR>(value + k + 1))) {
      ++k;
    } else if (isSurrogate(unit)) {
      return true;
    }
  }
  return false;
}

bool isDataAtExecutionIndicator(SQLLEN indicator) {
  return indicator == SQL_DATA_AT_EXEC || indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

}  // namespace

SQLPOINTER Statement::parameterData(SQLUSMALLINT parameter, Descriptor& apd, Descriptor& ipd,
                                    SQLULEN set, bool& isNull, bool& needsData, SQLLEN& length) {
  isNull = false;
  needsData = false;
  length = SQL_NTS;
  const auto number = static_cast<SQLSMALLINT>(parameter);
  const DescriptorRecord& application = *apd.getRecord(number);
  const DescriptorRecord& implementation = *ipd.getRecord(number);
  const SQLLEN* indicator = apd.lengthElementAddress(application.getIndicatorPtr(), set);
  if (indicator != nullptr && isDataAtExecutionIndicator(*indicator)) {
    // The value putData gathered into the implementation record, with its length.
    const SQLLEN* gathered = implementation.getIndicatorPtr();
    if (gathered == nullptr && implementation.getDataPtr() == nullptr) {
      needsData = true;
      return nullptr;
    }
    if (gathered != nullptr) length = *gathered;
    isNull = length == SQL_NULL_DATA;
    return isNull ? nullptr : implementation.getDataPtr();
  }
  if (indicator != nullptr && *indicator == SQL_NULL_DATA) {
    isNull = true;
    return nullptr;
  }
  const SQLLEN* octetLength = apd.lengthElementAddress(application.getOctetLengthPtr(), set);
  if (octetLength != nullptr) length = *octetLength;
  SQLSMALLINT cType = application.getConciseType();
  if (cType == SQL_C_DEFAULT) cType = connection_->defaultCType(implementation.getConciseType());
  return apd.elementAddress(application.getDataPtr(), cType, set, application.getOctetLength());
}

SQLRETURN Statement::formatParameterValue(SQLUSMALLINT parameter, Descriptor& apd,
                                          Descriptor& ipd, SQLULEN set, std::string& text,
                                          bool& isNull) {
  text.clear();
  isNull = false;
  const auto number = static_cast<SQLSMALLINT>(parameter);
  if (number < 1 || number > apd.getCount() || number > ipd.getCount()) return post("07002");
  const DescriptorRecord& application = *apd.getRecord(number);
  const DescriptorRecord& implementation = *ipd.getRecord(number);
  const SQLSMALLINT sqlType = implementation.getConciseType();
  SQLSMALLINT cType = application.getConciseType();
  if (cType == SQL_C_DEFAULT) cType = connection_->defaultCType(sqlType);

  bool needsData = false;
  SQLLEN length = 0;
  const void* value = parameterData(parameter, apd, ipd, set, isNull, needsData, length);
  if (needsData) return SQL_NEED_DATA;
  if (isNull) {
    text = "NULL";
    return SQL_SUCCESS;
  }
  if (value == nullptr) return post("07002");
  if (length < 0 && length != SQL_NTS) return post("HY090");

  // An integer type holds the number within its range; the bit holds 0 or 1. A fraction is cut
  // toward zero from a number of the application's, and refused from its text (ODBC's tables of
  // conversions from C to SQL types).
  const int bits = integerBits(sqlType);
  const auto integerLiteral = [&](std::string_view number, bool fromText) -> SQLRETURN {
    const bool isUnsigned = sqlType == SQL_BIT || implementation.getUnsigned() == SQL_TRUE;
    const IntegerFit fit = exactInteger(number, bits, isUnsigned, text);
    if (fit == IntegerFit::outOfRange) return post("22003");
    if (fit == IntegerFit::truncated && fromText) return post("22001");
    // Above the signed range the server would read the digits as an approximate number; quoted
    // they keep every digit.
    std::int64_t signedValue = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), signedValue).ec != std::errc()) {
      quoteLiteral(text, cType, sqlType);
    }
    return SQL_SUCCESS;
  };
  // A number: bare for the numeric types, quoted for the others, refused for binary ones.
  const auto numberLiteral = [&](std::string digits, bool keepQuoted) -> SQLRETURN {
    if (isBinaryType(sqlType)) return post("07006");
    if (bits > 0) return integerLiteral(digits, false);
    text = std::move(digits);
    if (keepQuoted || !takesNumber(sqlType)) quoteLiteral(text, cType, sqlType);
    return SQL_SUCCESS;
  };
  // Text: a number for the numeric types, hex digits for the binary ones, else quoted.
  const auto textLiteral = [&](std::string_view characters) -> SQLRETURN {
    if (takesNumber(sqlType)) {
      const std::string_view trimmed = trimBlanks(characters);
      if (!isNumberText(trimmed)) return post("22018");
      if (bits > 0) return integerLiteral(trimmed, true);
      text.assign(trimmed.data(), trimmed.size());
      return SQL_SUCCESS;
    }
    if (isBinaryType(sqlType) && !isHexText(characters)) return post("22018");
    text.assign(characters.data(), characters.size());
    quoteLiteral(text, cType, sqlType);
    return SQL_SUCCESS;
  };
  const auto dateTimeLiteral = [&](std::string formatted) -> SQLRETURN {
    if (formatted.empty()) return post("07006");
    text = std::move(formatted);
    quoteLiteral(text, cType, sqlType);
    return SQL_SUCCESS;
  };

  switch (cType) {
    case SQL_C_UTINYINT:
      return numberLiteral(integerText(loadAppValue<unsigned char>(value)), false);
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
    case SQL_C_BIT:
      return numberLiteral(integerText(loadAppValue<signed char>(value)), false);
    case SQL_C_USHORT:
      return numberLiteral(integerText(loadAppValue<SQLUSMALLINT>(value)), false);
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return numberLiteral(integerText(loadAppValue<SQLSMALLINT>(value)), false);
    case SQL_C_ULONG:
      return numberLiteral(integerText(loadAppValue<SQLUINTEGER>(value)), false);
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return numberLiteral(integerText(loadAppValue<SQLINTEGER>(value)), false);
    case SQL_C_SBIGINT:
      return numberLiteral(integerText(loadAppValue<SQLBIGINT>(value)), false);
    case SQL_C_UBIGINT: {
      // Above the signed range the server would read the digits as an approximate number;
      // quoted they keep every digit.
      const auto unsignedValue = loadAppValue<SQLUBIGINT>(value);
      return numberLiteral(integerText(unsignedValue),
                           unsignedValue > std::numeric_limits<std::int64_t>::max());
    }
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE: {
      std::string digits;
      const bool finite = cType == SQL_C_FLOAT ? floatText(loadAppValue<float>(value), digits)
                                               : floatText(loadAppValue<double>(value), digits);
      if (!finite) return post("22003");
      return numberLiteral(std::move(digits), false);
    }
    case SQL_C_CHAR: {
      const auto* characters = static_cast<const char*>(value);
      const std::size_t bytes = byteCount(characters, length, application.getOctetLength(), true);
      if (isTracing()) traceStream().writeLine("// octet len: " + std::to_string(bytes));
      if (hasDataAfterNul(characters, bytes, length)) return post("22018");
      // Text in the application's code page reaches a UTF-8 server as UTF-8, as the server's
      // text reaches SQL_C_CHAR buffers in that code page. ASCII reads the same in every one.
      const bool ascii = std::all_of(characters, characters + bytes,
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
      if (!ascii && connection_->encoding() == utf8Charset &&
          connection_->sendEncoding() != utf8Charset) {
        return textLiteral(convertCodePageToUtf8(characters, bytes, connection_->sendEncoding()));
      }
      return textLiteral(std::string_view(characters, bytes));
    }
    case SQL_C_WCHAR: {
      const auto* wide = static_cast<const SQLWCHAR*>(value);
      const std::size_t units = wideUnitCount(wide, length, application.getOctetLength());
      if (isTracing()) traceStream().writeLine("// wide len: " + std::to_string(units));
      if (hasDataAfterNul(wide, units, length) || hasUnpairedSurrogate(wide, units)) {
        return post("22018");
      }
      SQLINTEGER utf8Length = 0;
      const std::unique_ptr<char, decltype(&std::free)> utf8(
          utf16ToUtf8(wide, static_cast<SQLINTEGER>(units), &utf8Length), &std::free);
      if (utf8 == nullptr) return post("HY001");
      return textLiteral(std::string_view(utf8.get(), static_cast<std::size_t>(utf8Length)));
    }
    case SQL_C_BINARY: {
      if (takesNumber(sqlType)) return post("07006");
      const auto* bytes = static_cast<const char*>(value);
      if (isTextType(sqlType)) {
        // Bytes for a character column are its characters, as the server's text holds them.
        const std::size_t kept = byteCount(bytes, length, application.getOctetLength(), true);
        if (hasDataAfterNul(bytes, kept, length)) return post("22018");
        return textLiteral(std::string_view(bytes, kept));
      }
      text = hexEncode(reinterpret_cast<const unsigned char*>(bytes),
                       byteCount(bytes, length, application.getOctetLength(), false));
      quoteLiteral(text, cType, sqlType);
      return SQL_SUCCESS;
    }
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
      return dateTimeLiteral(formatDateLiteral(loadAppValue<SQL_DATE_STRUCT>(value), sqlType));
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME:
      return dateTimeLiteral(formatTimeLiteral(loadAppValue<SQL_TIME_STRUCT>(value), sqlType));
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP: {
      const auto timestamp = loadAppValue<SQL_TIMESTAMP_STRUCT>(value);
      if (timestamp.fraction > maxFraction) return post("22008");
      return dateTimeLiteral(formatTimestampLiteral(timestamp, sqlType));
    }
    default:
      if (isTracing()) {
        traceStream().writeLine("// No handler for parameter: " + std::to_string(parameter) +
                                " type: " + std::to_string(cType) + " " + std::to_string(sqlType));
      }
      return post("07006");
  }
}

std::string Statement::formatDateLiteral(const SQL_DATE_STRUCT& date, SQLSMALLINT sqlType) {
  if (refusesDateTime(sqlType) || isTimeSqlType(sqlType)) return std::string();
  std::string text = dateText(date.year, date.month, date.day);
  if (isTimestampSqlType(sqlType)) text += " " + timeText(0, 0, 0);
  return text;
}

std::string Statement::formatTimeLiteral(const SQL_TIME_STRUCT& time, SQLSMALLINT sqlType) {
  if (refusesDateTime(sqlType) || isDateSqlType(sqlType)) return std::string();
  std::string text = timeText(time.hour, time.minute, time.second);
  if (!isTimestampSqlType(sqlType)) return text;
  // A time stands for that time today.
  platform::TimeOfDay now{};
  platform::getTimeOfDay(&now, nullptr);
  std::tm today{};
  platform::localTime(static_cast<std::time_t>(now.seconds), today);
  return dateText(today.tm_year + 1900L, today.tm_mon + 1L, today.tm_mday) + " " + text;
}

std::string Statement::formatTimestampLiteral(const SQL_TIMESTAMP_STRUCT& timestamp,
                                              SQLSMALLINT sqlType) {
  if (refusesDateTime(sqlType) || timestamp.fraction > maxFraction) return std::string();
  const std::string date = dateText(timestamp.year, timestamp.month, timestamp.day);
  const std::string time = timeText(timestamp.hour, timestamp.minute, timestamp.second);
  if (isDateSqlType(sqlType)) return date;
  if (isTimeSqlType(sqlType)) return time;
  return date + " " + time + fractionText(timestamp.fraction);
}

std::string Statement::escapeQuotes(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\'') escaped += '\'';
    escaped += c;
  }
  return escaped;
}

void Statement::quoteLiteral(std::string& text, SQLSMALLINT, SQLSMALLINT sqlType) {
  if (isBinaryType(sqlType)) {
    text = "X'" + text + "'";
  } else {
    text = "'" + escapeQuotes(text) + "'";
  }
}

SQLRETURN Statement::substituteParameters(const std::string& sqlTemplate,
                                          const std::vector<std::size_t>& markers, Descriptor& apd,
                                          Descriptor& ipd, SQLULEN set, std::string& finalText) {
  return substituteRecords(sqlTemplate, markers, nullptr, apd, ipd, set, finalText);
}

SQLRETURN Statement::substituteRecords(const std::string& sqlTemplate,
                                       const std::vector<std::size_t>& markers,
                                       const SQLUSMALLINT* records, Descriptor& apd,
                                       Descriptor& ipd, SQLULEN set, std::string& finalText) {
  finalText.clear();
  finalText.reserve(sqlTemplate.size() + markers.size() * 8);
  const std::string_view source(sqlTemplate);
  std::string literal;
  std::size_t copied = 0;
  for (std::size_t k = 0; k < markers.size(); ++k) {
    bool isNull = false;
    const auto record = records != nullptr ? records[k] : static_cast<SQLUSMALLINT>(k + 1);
    const SQLRETURN rc = formatParameterValue(record, apd, ipd, set, literal, isNull);
    if (rc != SQL_SUCCESS) return rc;
    appendSeparated(finalText, source.substr(copied, markers[k] - copied));
    appendSeparated(finalText, literal);
    copied = markers[k] + 1;
  }
  appendSeparated(finalText, source.substr(copied));
  return SQL_SUCCESS;
}

std::string Statement::hexEncode(const unsigned char* bytes, std::size_t length) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text(length * 2, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    text[2 * i] = digits[bytes[i] >> 4];
    text[2 * i + 1] = digits[bytes[i] & 0x0F];
  }
  return text;
}
