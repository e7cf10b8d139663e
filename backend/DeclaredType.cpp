#include "backend/DeclaredType.h"

#include <algorithm>
#include <cctype>


namespace {

constexpr std::uint32_t unlimited = 1000000000;

std::string upperCase(const std::string& text) {
  std::string upper = text;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

bool beginsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// The decimal number at `from` after blanks, as atoi reads it, stopping at the first non-digit;
// `fallback` at the end of the text. Values past 32 bits are capped.
std::uint32_t numberAt(const std::string& text, std::size_t from, std::uint32_t fallback) {
  if (from >= text.size()) return fallback;
  while (from < text.size() && text[from] == ' ') ++from;
  std::uint64_t value = 0;
  for (std::size_t i = from; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
       ++i) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<std::uint32_t>(value);
}

// The number after the first "(", or `fallback` without a "(".
std::uint32_t sizeInParentheses(const std::string& text, std::uint32_t fallback) {
  const std::size_t open = text.find('(');
  return open == std::string::npos ? fallback : numberAt(text, open + 1, 0);
}

// s of "(p,s)": the number after the "," that follows the precision; 0 without one.
SQLSMALLINT scaleInParentheses(const std::string& text) {
  const std::size_t open = text.find('(');
  if (open == std::string::npos) return 0;
  std::size_t i = open + 1;
  while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == ' '))
    ++i;
  if (i >= text.size() || text[i] != ',') return 0;
  const std::uint32_t scale = numberAt(text, i + 1, 0);
  return static_cast<SQLSMALLINT>(scale > 0x7FFF ? 0x7FFF : scale);
}

SQLSMALLINT precisionOf(std::uint32_t size) {
  return static_cast<SQLSMALLINT>(size > 0x7FFF ? 0x7FFF : size);
}

void setNumber(DeclaredType& type, SQLSMALLINT sqlType, std::uint32_t size,
               std::uint32_t octetLength, SQLSMALLINT scale = 0) {
  type.sqlType = sqlType;
  type.columnSize = size;
  type.octetLength = octetLength;
  type.precision = precisionOf(size);
  type.radix = 10;
  type.scale = scale;
}

// A floating type's size counts the decimal digits it keeps (radix 10); it has no fixed digits
// after the point.
void setFloating(DeclaredType& type, SQLSMALLINT sqlType) {
  const bool single = sqlType == SQL_REAL;
  setNumber(type, sqlType, single ? 7 : 15, single ? 4 : 8);
  type.scale.reset();
}

// NUMERIC(p,s) travels as the text of its digits, a sign and a point: p + 2 bytes.
void setDecimal(DeclaredType& type, SQLSMALLINT sqlType, const std::string& declared) {
  const std::uint32_t size = sizeInParentheses(declared, 20);
  setNumber(type, sqlType, size, size > 0xFFFFFFFDu ? 0xFFFFFFFFu : size + 2,
            scaleInParentheses(declared));
}

// A bit is no number: it has no radix.
void setBit(DeclaredType& type) {
  setNumber(type, SQL_BIT, 1, 1);
  type.radix.reset();
}

void setLong(DeclaredType& type, SQLSMALLINT sqlType) {
  type.sqlType = sqlType;
  type.columnSize = unlimited;
  type.octetLength = unlimited;
  type.charOctetLength = unlimited;
}

void setText(DeclaredType& type, SQLSMALLINT sqlType, const char* name, std::uint32_t size) {
  type.sqlType = sqlType;
  if (name != nullptr) type.typeName = name;
  type.columnSize = size;
  type.octetLength = size;
  type.charOctetLength = size;
}

void mapByRules(const std::string& declared, const std::string& u, bool odbc3,
                DeclaredType& type) {
  if (beginsWith(u, "VARCHAR"))
    return setText(type, SQL_VARCHAR, "VARCHAR", sizeInParentheses(declared, 255));
  if (beginsWith(u, "CHAR"))
    return setText(type, SQL_CHAR, "CHAR", sizeInParentheses(declared, 255));
  if (u == "TEXT") return setText(type, SQL_LONGVARCHAR, nullptr, unlimited);
  if (u == "BLOB") return setLong(type, SQL_LONGVARBINARY);
  if (u == "INT" || u == "INTEGER") return setNumber(type, SQL_INTEGER, 10, 4);
  if (beginsWith(u, "BIGINT")) return setNumber(type, SQL_BIGINT, 19, 8);
  if (u == "TINYINT") return setNumber(type, SQL_TINYINT, 3, 1);
  if (u == "SMALLINT") return setNumber(type, SQL_SMALLINT, 5, 2);
  if (u == "BOOL" || u == "BOOLEAN") return setBit(type);
  if (u == "REAL") return setFloating(type, SQL_REAL);
  if (u == "FLOAT" || u == "CURRENCY") return setFloating(type, SQL_FLOAT);
  if (u == "DOUBLE") return setFloating(type, SQL_DOUBLE);
  if (beginsWith(u, "NUMERIC")) return setDecimal(type, SQL_NUMERIC, declared);
  if (beginsWith(u, "DECIMAL")) return setDecimal(type, SQL_DECIMAL, declared);
  // A date or time type takes the length its CREATE_PARAMS offer: TIMESTAMP(3) is a TIMESTAMP
  // with three digits of the second, a TIME keeps none.
  std::string dateTime = u.substr(0, u.find('('));
  while (!dateTime.empty() && dateTime.back() == ' ') dateTime.pop_back();
  if (dateTime == "DATE") {
    type.sqlType = odbc3 ? SQL_TYPE_DATE : SQL_DATE;
    type.datetimeSub = SQL_CODE_DATE;
    type.columnSize = 10;
    type.octetLength = 6;
    return;
  }
  if (dateTime == "TIME" || dateTime == "DATETIME" || dateTime == "TIMESTAMP") {
    const bool time = dateTime == "TIME";
    type.sqlType = time ? (odbc3 ? SQL_TYPE_TIME : SQL_TIME)
                        : (odbc3 ? SQL_TYPE_TIMESTAMP : SQL_TIMESTAMP);
    type.datetimeSub = time ? SQL_CODE_TIME : SQL_CODE_TIMESTAMP;
    const std::uint32_t digits = time ? 0 : std::min(sizeInParentheses(declared, 0), 9u);
    type.columnSize = (time ? 8 : 19) + (digits > 0 ? digits + 1 : 0);
    type.octetLength = time ? 6 : 16;
    type.precision = static_cast<SQLSMALLINT>(digits);
    type.scale = static_cast<SQLSMALLINT>(digits);
    return;
  }
  if (contains(u, "INT")) return setNumber(type, SQL_INTEGER, 10, 4);
  if (contains(u, "CHAR") || contains(u, "CLOB") || contains(u, "TEXT"))
    return setLong(type, SQL_LONGVARCHAR);
  if (contains(u, "BLOB")) return setLong(type, SQL_LONGVARBINARY);
  if (contains(u, "REAL") || contains(u, "FLOA") || contains(u, "DOUB"))
    return setFloating(type, SQL_DOUBLE);
  setDecimal(type, SQL_NUMERIC, declared);
}

}  // namespace

DeclaredType mapDeclaredType(const std::string& declared, SQLUINTEGER odbcVersion,
                             bool unicodeTextTypes) {
  DeclaredType type;
  type.typeName = declared;
  mapByRules(declared, upperCase(declared), odbcVersion != SQL_OV_ODBC2, type);
  if (unicodeTextTypes) {
    const SQLSMALLINT narrow = type.sqlType;
    if (narrow == SQL_LONGVARCHAR) type.sqlType = SQL_WLONGVARCHAR;
    if (narrow == SQL_CHAR) type.sqlType = SQL_WCHAR;
    if (narrow == SQL_VARCHAR) type.sqlType = SQL_WVARCHAR;
    // A wide character takes two bytes of SQL_C_WCHAR.
    if (type.sqlType != narrow) {
      type.octetLength = type.octetLength > 0x7FFFFFFFu ? 0xFFFFFFFFu : 2 * type.octetLength;
      type.charOctetLength = type.octetLength;
    }
  }
  type.verboseType = type.datetimeSub ? SQLSMALLINT{SQL_DATETIME} : type.sqlType;
  return type;
}
