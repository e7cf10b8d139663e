#include <gtest/gtest.h>

#include "statement/CTypeTable.h"

namespace {

TEST(CTypeSize, ElementSizesOfEveryCType) {
  struct Case {
    SQLSMALLINT cType;
    SQLLEN bufferLength;
    SQLLEN size;
  };
  const Case cases[] = {
      {SQL_C_CHAR, 50, 50},
      {SQL_C_WCHAR, 64, 64},
      {SQL_C_BINARY, 7, 7},
      {SQL_C_CHAR, 0, 0},
      {SQL_C_BINARY, -4, 0},
      {SQL_C_TINYINT, 50, 1},
      {SQL_C_STINYINT, 0, 1},
      {SQL_C_UTINYINT, 0, 1},
      {SQL_C_BIT, 0, 1},
      {SQL_C_SHORT, 50, 2},
      {SQL_C_SSHORT, 0, 2},
      {SQL_C_USHORT, 0, 2},
      {SQL_C_LONG, 50, 4},
      {SQL_C_SLONG, 0, 4},
      {SQL_C_ULONG, 0, 4},
      {SQL_C_FLOAT, 0, 4},
      {SQL_C_DOUBLE, 0, 8},
      {SQL_C_SBIGINT, 0, 8},
      {SQL_C_UBIGINT, 0, 8},
      {SQL_C_BOOKMARK, 0, static_cast<SQLLEN>(sizeof(BOOKMARK))},
      {SQL_C_DATE, 0, 6},
      {SQL_C_TYPE_DATE, 0, 6},
      {SQL_C_TIME, 0, 6},
      {SQL_C_TYPE_TIME, 0, 6},
      {SQL_C_TIMESTAMP, 0, 16},
      {SQL_C_TYPE_TIMESTAMP, 50, 16},
      {SQL_C_NUMERIC, 0, 19},
      {SQL_C_GUID, 0, 16},
      {SQL_C_INTERVAL_YEAR, 0, 28},
      {SQL_C_INTERVAL_DAY_TO_SECOND, 0, 28},
      {SQL_C_INTERVAL_MINUTE_TO_SECOND, 0, 28},
      {1234, 50, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cType);
    EXPECT_EQ(cTypeElementSize(c.cType, c.bufferLength), c.size);
  }
}

TEST(CTypeTable, ClassesAndTraceLabels) {
  struct Case {
    SQLSMALLINT cType;
    CTypeClass kind;
    const char* traceLabel;
  };
  const Case cases[] = {
      {SQL_C_CHAR, CTypeClass::piecewise, ""},
      {SQL_C_WCHAR, CTypeClass::piecewise, ""},
      {SQL_C_BINARY, CTypeClass::piecewise, ""},
      {SQL_C_STINYINT, CTypeClass::number, " to SQL_C_TINYINT: "},
      {SQL_C_UTINYINT, CTypeClass::number, " to SQL_C_UTINYINT: "},
      {SQL_C_SLONG, CTypeClass::number, " to SQL_C_LONG: "},
      {SQL_C_UBIGINT, CTypeClass::number, " to SQL_C_BIGINT: "},
      {SQL_C_BIT, CTypeClass::number, " to SQL_C_BIT: "},
      {SQL_C_DOUBLE, CTypeClass::number, " to SQL_C_DOUBLE: "},
      {SQL_C_DATE, CTypeClass::dateTime, ""},
      {SQL_C_TYPE_TIMESTAMP, CTypeClass::dateTime, ""},
      {SQL_C_NUMERIC, CTypeClass::unconverted, ""},
      {SQL_C_INTERVAL_DAY, CTypeClass::unconverted, ""},
      {1234, CTypeClass::unconverted, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cType);
    EXPECT_EQ(cTypeClass(c.cType), c.kind);
    EXPECT_EQ(isPiecewiseCType(c.cType), c.kind == CTypeClass::piecewise);
    EXPECT_EQ(isNumericCType(c.cType), c.kind == CTypeClass::number);
    EXPECT_EQ(isDateTimeCType(c.cType), c.kind == CTypeClass::dateTime);
    EXPECT_STREQ(cTypeTraceLabel(c.cType), c.traceLabel);
  }
}

}  // namespace
