#pragma once
// How a column's declared type text (or the server's name for an expression's type) is described
// to ODBC applications.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Odbc.h"

struct DeclaredType {
  SQLSMALLINT sqlType = 0;
  // The declared text, or the canonical name of a character type.
  std::string typeName;
  std::uint32_t columnSize = 0;
  std::uint32_t octetLength = 0;
  std::optional<std::uint32_t> charOctetLength;
  std::optional<SQLSMALLINT> precision;
  std::optional<SQLSMALLINT> radix;
  // Digits after the decimal point: 0 for integers and floating types, s of NUMERIC(p,s); of
  // the seconds for times and timestamps (none at their sizes). Absent where nothing has digits.
  std::optional<SQLSMALLINT> scale;
};

// `odbcVersion` is the environment's SQL_ATTR_ODBC_VERSION: any version but 2 gets the ODBC 3
// date and time codes. With `unicodeTextTypes` the character types are the wide ones.
// The server stores integers in 64 bits, so every integer type but TINYINT and SMALLINT is
// described as SQL_BIGINT.
DeclaredType mapDeclaredType(const std::string& declared, SQLUINTEGER odbcVersion,
                             bool unicodeTextTypes);
