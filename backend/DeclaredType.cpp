#include "backend/DeclaredType.h"

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
  if (u == "BOOL" || u == "BOOLEAN") return setNumber(type, SQL_BIT, 1, 1);
  if (u == "REAL") return setNumber(type, SQL_REAL, 13, 4);
  if (u == "FLOAT" || u == "CURRENCY") return setNumber(type, SQL_FLOAT, 13, 4);
  if (u == "DOUBLE") return setNumber(type, SQL_DOUBLE, 20, 8);
  if (beginsWith(u, "NUMERIC"))
    return setNumber(type, SQL_NUMERIC, sizeInParentheses(declared, 20), 8,
                     scaleInParentheses(declared));
  if (beginsWith(u, "DECIMAL"))
    return setNumber(type, SQL_DECIMAL, sizeInParentheses(declared, 20), 8,
                     scaleInParentheses(declared));
  // A date or time type takes the length its CREATE_PARAMS offer: TIMESTAMP(9) is a TIMESTAMP.
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
    type.columnSize = time ? 8 : 19;
    type.octetLength = time ? 6 : 16;
    type.precision = 0;
    type.scale = 0;
    return;
  }
  if (contains(u, "INT")) return setNumber(type, SQL_INTEGER, 10, 4);
  if (contains(u, "CHAR") || contains(u, "CLOB") || contains(u, "TEXT"))
    return setLong(type, SQL_LONGVARCHAR);
  if (contains(u, "BLOB")) return setLong(type, SQL_LONGVARBINARY);
  if (contains(u, "REAL") || contains(u, "FLOA") || contains(u, "DOUB"))
    return setNumber(type, SQL_DOUBLE, 20, 8);
  setNumber(type, SQL_NUMERIC, 20, 8);
}

}  // namespace

DeclaredType mapDeclaredType(const std::string& declared, SQLUINTEGER odbcVersion,
                             bool unicodeTextTypes) {
  DeclaredType type;
  type.typeName = declared;
  mapByRules(declared, upperCase(declared), odbcVersion != SQL_OV_ODBC2, type);
  if (unicodeTextTypes) {
    if (type.sqlType == SQL_LONGVARCHAR) type.sqlType = SQL_WLONGVARCHAR;
    if (type.sqlType == SQL_CHAR) type.sqlType = SQL_WCHAR;
    if (type.sqlType == SQL_VARCHAR) type.sqlType = SQL_WVARCHAR;
  }
  type.verboseType = type.datetimeSub ? SQLSMALLINT{SQL_DATETIME} : type.sqlType;
  return type;
}
