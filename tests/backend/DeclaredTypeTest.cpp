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
    {"BOOL", SQL_BIT, "BOOL", 1, 1, 1, -1, 0},
    {"boolean", SQL_BIT, "boolean", 1, 1, 1, -1, 0},
    // The floating types count decimal digits: 7 for a single, 15 for a double (SQL_FLOAT is one).
    {"REAL", SQL_REAL, "REAL", 7, 4, 7, 10, -1},
    {"FLOAT", SQL_FLOAT, "FLOAT", 15, 8, 15, 10, -1},
    {"CURRENCY", SQL_FLOAT, "CURRENCY", 15, 8, 15, 10, -1},
    {"double", SQL_DOUBLE, "double", 15, 8, 15, 10, -1},
    {"DOUBLE PRECISION", SQL_DOUBLE, "DOUBLE PRECISION", 15, 8, 15, 10, -1},
    {"NUMERIC(10,2)", SQL_NUMERIC, "NUMERIC(10,2)", 10, 12, 10, 10, 2},
    {"NUMERIC( 12 , 3 )", SQL_NUMERIC, "NUMERIC( 12 , 3 )", 12, 14, 12, 10, 3},
    {"NUMERIC", SQL_NUMERIC, "NUMERIC", 20, 22, 20, 10, 0},
    {"decimal(7)", SQL_DECIMAL, "decimal(7)", 7, 9, 7, 10, 0},
    {"DATE", SQL_TYPE_DATE, "DATE", 10, 6, -1, -1, -1},
    {"TIME", SQL_TYPE_TIME, "TIME", 8, 6, 0, -1, 0},
    {"DATETIME", SQL_TYPE_TIMESTAMP, "DATETIME", 19, 16, 0, -1, 0},
    {"timestamp", SQL_TYPE_TIMESTAMP, "timestamp", 19, 16, 0, -1, 0},
    {"TIMESTAMP(9)", SQL_TYPE_TIMESTAMP, "TIMESTAMP(9)", 29, 16, 9, -1, 9},
    {"datetime(3)", SQL_TYPE_TIMESTAMP, "datetime(3)", 23, 16, 3, -1, 3},
    {"TIMESTAMP(12)", SQL_TYPE_TIMESTAMP, "TIMESTAMP(12)", 29, 16, 9, -1, 9},
    {"time (3)", SQL_TYPE_TIME, "time (3)", 8, 6, 0, -1, 0},
    {"TIMESTAMPS", SQL_NUMERIC, "TIMESTAMPS", 20, 22, 20, 10, 0},
    {"NVARCHAR2", SQL_LONGVARCHAR, "NVARCHAR2", 1000000000, 1000000000, -1, -1, -1},
    {"CLOB", SQL_LONGVARCHAR, "CLOB", 1000000000, 1000000000, -1, -1, -1},
    {"MEDIUMTEXT", SQL_LONGVARCHAR, "MEDIUMTEXT", 1000000000, 1000000000, -1, -1, -1},
    {"LONGBLOB", SQL_LONGVARBINARY, "LONGBLOB", 1000000000, 1000000000, -1, -1, -1},
    {"FLOAT8", SQL_DOUBLE, "FLOAT8", 15, 8, 15, 10, -1},
    {"", SQL_NUMERIC, "", 20, 22, 20, 10, 0},
    {"boolean_ish", SQL_NUMERIC, "boolean_ish", 20, 22, 20, 10, 0},
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
        // A wide character takes two bytes.
        const bool text = c.odbc3Type == SQL_CHAR || c.odbc3Type == SQL_VARCHAR ||
                          c.odbc3Type == SQL_LONGVARCHAR;
        const std::uint32_t octets = wide && text ? 2 * c.octetLength : c.octetLength;
        EXPECT_EQ(type.octetLength, octets);
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
          EXPECT_EQ(*type.charOctetLength, octets);
        }
      }
    }
  }
}

TEST(DeclaredTypeTest, HugeSizesAreCappedNotWrapped) {
  EXPECT_EQ(mapDeclaredType("VARCHAR(99999999999)", SQL_OV_ODBC3, false).columnSize, 0xFFFFFFFFu);
  EXPECT_EQ(mapDeclaredType("VARCHAR(3000000000)", SQL_OV_ODBC3, true).octetLength, 0xFFFFFFFFu);
  EXPECT_EQ(mapDeclaredType("NUMERIC(99999999999)", SQL_OV_ODBC3, false).octetLength,
            0xFFFFFFFFu);
  const DeclaredType numeric = mapDeclaredType("NUMERIC(99999,99999)", SQL_OV_ODBC3, false);
  EXPECT_EQ(numeric.columnSize, 99999u);
  EXPECT_EQ(*numeric.precision, 0x7FFF);
  EXPECT_EQ(*numeric.scale, 0x7FFF);
}

}  // namespace
