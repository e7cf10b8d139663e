#pragma once
// How a column's declared type text (or the server's name for an expression's type) is described
// to ODBC applications.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Odbc.h"

// The characters the server's VARCHAR holds (0xFFFFCA00); a longer text is SQL_LONGVARCHAR.
constexpr std::uint32_t serverVarcharCapacity = 4294953472u;

struct DeclaredType {
  SQLSMALLINT sqlType = 0;
  // SQL_DATA_TYPE: SQL_DATETIME for dates and times, with SQL_DATETIME_SUB 1, 2 or 3; the SQL
  // type itself otherwise, without a subcode.
  SQLSMALLINT verboseType = 0;
  std::optional<SQLSMALLINT> datetimeSub;
  // The declared text, or the canonical name of a character type.
  std::string typeName;
  std::uint32_t columnSize = 0;
  std::uint32_t octetLength = 0;
  std::optional<std::uint32_t> charOctetLength;
  std::optional<SQLSMALLINT> precision;
  // 10 for the numbers, whose sizes count decimal digits; absent for the rest, bits included.
  std::optional<SQLSMALLINT> radix;
  // Digits after the decimal point: 0 for integers and bits, s of NUMERIC(p,s); of the seconds
  // for times and timestamps (none at their sizes). Absent where nothing has fixed digits there,
  // the floating types included.
  std::optional<SQLSMALLINT> scale;
};

// `odbcVersion` is the environment's SQL_ATTR_ODBC_VERSION: any version but 2 gets the ODBC 3
// date and time codes. With `unicodeTextTypes` the character types are the wide ones.
// SQLColumns, SQLSpecialColumns and the SQLGetTypeInfo rows all describe through this mapping, so
// that a table created with the type names SQLGetTypeInfo lists reads back with their types.
// A declared INT or INTEGER is SQL_INTEGER, as the type information names it; the server's own
// integers, which result columns carry, are 64-bit whatever the column declares.
DeclaredType mapDeclaredType(const std::string& declared, SQLUINTEGER odbcVersion,
                             bool unicodeTextTypes);
