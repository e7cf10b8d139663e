// Declared column types as ODBC describes them, under ODBC 2, 3 and 3.80 and with the wide
// character types.
#include <gtest/gtest.h>

#include "backend/DeclaredType.h"

namespace {

// SQL_OV_ODBC3_80, which not every header set defines.
constexpr SQLUINTEGER odbc380 = 380;

struct Case {
  const char* declared;
  SQLSMALLINT odbc3Type;  // SQL type under ODBC 3 without the wide types
  const char* typeName;
  std::uint32_t size;
  std::uint32_t octetLength;
  int precision;  // -1: none
  int radix;      // -1: none
  int scale;      // -1: none
};

const Case cases[] = {
    {"varchar(40)", SQL_VARCHAR, "VARCHAR", 40, 40, -1, -1, -1},
    {"VARCHAR", SQL_VARCHAR, "VARCHAR", 255, 255, -1, -1, -1},
    {"VARCHAR(", SQL_VARCHAR, "VARCHAR", 0, 0, -1, -1, -1},
    {"character(10)", SQL_CHAR, "CHAR", 10, 10, -1, -1, -1},
    {"CHAR", SQL_CHAR, "CHAR", 255, 255, -1, -1, -1},
    {"text", SQL_LONGVARCHAR, "text", 1000000000, 1000000000, -1, -1, -1},
    {"BLOB", SQL_LONGVARBINARY, "BLOB", 1000000000, 1000000000, -1, -1, -1},
    // INT is SQL_INTEGER, as the type information lists it; BIGINT is 64-bit.
    {"INT", SQL_INTEGER, "INT", 10, 4, 10, 10, 0},
    {"integer", SQL_INTEGER, "integer", 10, 4, 10, 10, 0},
    {"BIGINT", SQL_BIGINT, "BIGINT", 19, 8, 19, 10, 0},
    {"BIGINT(20)", SQL_BIGINT, "BIGINT(20)", 19, 8, 19, 10, 0},
    {"MEDIUMINT", SQL_INTEGER, "MEDIUMINT", 10, 4, 10, 10, 0},
    {"TINYINT", SQL_TINYINT, "TINYINT", 3, 1, 3, 10, 0},
    {"SMALLINT", SQL_SMALLINT, "SMALLINT", 5, 2, 5, 10, 0},
    {"BOOL", SQL_BIT, "BOOL", 1, 1, 1, 10, 0},
    {"boolean", SQL_BIT, "boolean", 1, 1, 1, 10, 0},
    {"REAL", SQL_REAL, "REAL", 13, 4, 13, 10, 0},
    {"FLOAT", SQL_FLOAT, "FLOAT", 13, 4, 13, 10, 0},
    {"CURRENCY", SQL_FLOAT, "CURRENCY", 13, 4, 13, 10, 0},
    {"double", SQL_DOUBLE, "double", 20, 8, 20, 10, 0},
    {"DOUBLE PRECISION", SQL_DOUBLE, "DOUBLE PRECISION", 20, 8, 20, 10, 0},
    {"NUMERIC(10,2)", SQL_NUMERIC, "NUMERIC(10,2)", 10, 8, 10, 10, 2},
    {"NUMERIC( 12 , 3 )", SQL_NUMERIC, "NUMERIC( 12 , 3 )", 12, 8, 12, 10, 3},
    {"NUMERIC", SQL_NUMERIC, "NUMERIC", 20, 8, 20, 10, 0},
    {"decimal(7)", SQL_DECIMAL, "decimal(7)", 7, 8, 7, 10, 0},
    {"DATE", SQL_TYPE_DATE, "DATE", 10, 6, -1, -1, -1},
    {"TIME", SQL_TYPE_TIME, "TIME", 8, 6, 0, -1, 0},
    {"DATETIME", SQL_TYPE_TIMESTAMP, "DATETIME", 19, 16, 0, -1, 0},
    {"timestamp", SQL_TYPE_TIMESTAMP, "timestamp", 19, 16, 0, -1, 0},
    {"TIMESTAMP(9)", SQL_TYPE_TIMESTAMP, "TIMESTAMP(9)", 19, 16, 0, -1, 0},
    {"time (3)", SQL_TYPE_TIME, "time (3)", 8, 6, 0, -1, 0},
    {"TIMESTAMPS", SQL_NUMERIC, "TIMESTAMPS", 20, 8, 20, 10, 0},
    {"NVARCHAR2", SQL_LONGVARCHAR, "NVARCHAR2", 1000000000, 1000000000, -1, -1, -1},
    {"CLOB", SQL_LONGVARCHAR, "CLOB", 1000000000, 1000000000, -1, -1, -1},
    {"MEDIUMTEXT", SQL_LONGVARCHAR, "MEDIUMTEXT", 1000000000, 1000000000, -1, -1, -1},
    {"LONGBLOB", SQL_LONGVARBINARY, "LONGBLOB", 1000000000, 1000000000, -1, -1, -1},
    {"FLOAT8", SQL_DOUBLE, "FLOAT8", 20, 8, 20, 10, 0},
    {"", SQL_NUMERIC, "", 20, 8, 20, 10, 0},
    {"boolean_ish", SQL_NUMERIC, "boolean_ish", 20, 8, 20, 10, 0},
};

SQLSMALLINT wideType(SQLSMALLINT type) {
  switch (type) {
    case SQL_CHAR:
      return SQL_WCHAR;
    case SQL_VARCHAR:
      return SQL_WVARCHAR;
    case SQL_LONGVARCHAR:
      return SQL_WLONGVARCHAR;
    default:
      return type;
  }
}

SQLSMALLINT odbc2Type(SQLSMALLINT type) {
  switch (type) {
    case SQL_TYPE_DATE:
      return SQL_DATE;
    case SQL_TYPE_TIME:
      return SQL_TIME;
    case SQL_TYPE_TIMESTAMP:
      return SQL_TIMESTAMP;
    default:
      return type;
  }
}

int optionalValue(const std::optional<SQLSMALLINT>& value) { return value ? *value : -1; }

TEST(DeclaredTypeTest, EveryRuleUnderEachVersionAndTheWideTypes) {
  for (const Case& c : cases) {
    for (const SQLUINTEGER version : {SQLUINTEGER{SQL_OV_ODBC2}, SQLUINTEGER{SQL_OV_ODBC3}, odbc380}) {
      for (const bool wide : {false, true}) {
        SCOPED_TRACE(std::string(c.declared) + " version " + std::to_string(version) +
                     (wide ? " wide" : ""));
        const DeclaredType type = mapDeclaredType(c.declared, version, wide);
        SQLSMALLINT expected = version == SQL_OV_ODBC2 ? odbc2Type(c.odbc3Type) : c.odbc3Type;
        if (wide) expected = wideType(expected);
        EXPECT_EQ(type.sqlType, expected);
        EXPECT_EQ(type.typeName, c.typeName);
        EXPECT_EQ(type.columnSize, c.size);
        EXPECT_EQ(type.octetLength, c.octetLength);
        EXPECT_EQ(optionalValue(type.precision), c.precision);
        EXPECT_EQ(optionalValue(type.radix), c.radix);
        EXPECT_EQ(optionalValue(type.scale), c.scale);
        // SQL_DATA_TYPE and SQL_DATETIME_SUB, as SQLColumns and SQLGetTypeInfo give them.
        const bool dateTime = c.odbc3Type == SQL_TYPE_DATE || c.odbc3Type == SQL_TYPE_TIME ||
                              c.odbc3Type == SQL_TYPE_TIMESTAMP;
        EXPECT_EQ(type.verboseType, dateTime ? SQL_DATETIME : expected);
        EXPECT_EQ(optionalValue(type.datetimeSub),
                  dateTime ? c.odbc3Type - SQL_TYPE_DATE + SQL_CODE_DATE : -1);
        const bool character = c.precision < 0 && c.radix < 0 &&
                               (c.odbc3Type == SQL_CHAR || c.odbc3Type == SQL_VARCHAR ||
                                c.odbc3Type == SQL_LONGVARCHAR || c.odbc3Type == SQL_LONGVARBINARY);
        EXPECT_EQ(type.charOctetLength.has_value(), character);
        if (character) {
          EXPECT_EQ(*type.charOctetLength, c.octetLength);
        }
      }
    }
  }
}

TEST(DeclaredTypeTest, HugeSizesAreCappedNotWrapped) {
  EXPECT_EQ(mapDeclaredType("VARCHAR(99999999999)", SQL_OV_ODBC3, false).columnSize, 0xFFFFFFFFu);
  const DeclaredType numeric = mapDeclaredType("NUMERIC(99999,99999)", SQL_OV_ODBC3, false);
  EXPECT_EQ(numeric.columnSize, 99999u);
  EXPECT_EQ(*numeric.precision, 0x7FFF);
  EXPECT_EQ(*numeric.scale, 0x7FFF);
}

}  // namespace
