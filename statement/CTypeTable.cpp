#include "statement/CTypeTable.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <iterator>

namespace {

struct CTypeFacts {
  SQLSMALLINT cType;
  CTypeClass kind;
  SQLLEN size;  // 0: the buffer length
  const char* traceLabel;
};

constexpr SQLLEN intervalSize = sizeof(SQL_INTERVAL_STRUCT);

constexpr CTypeFacts cTypes[] = {
    {SQL_C_CHAR, CTypeClass::piecewise, 0, ""},
    {SQL_C_WCHAR, CTypeClass::piecewise, 0, ""},
    {SQL_C_BINARY, CTypeClass::piecewise, 0, ""},
    {SQL_C_TINYINT, CTypeClass::number, sizeof(SQLSCHAR), " to SQL_C_TINYINT: "},
    {SQL_C_STINYINT, CTypeClass::number, sizeof(SQLSCHAR), " to SQL_C_TINYINT: "},
    {SQL_C_UTINYINT, CTypeClass::number, sizeof(SQLCHAR), " to SQL_C_UTINYINT: "},
    {SQL_C_BIT, CTypeClass::number, sizeof(SQLCHAR), " to SQL_C_BIT: "},
    {SQL_C_SHORT, CTypeClass::number, sizeof(SQLSMALLINT), " to SQL_C_SHORT: "},
    {SQL_C_SSHORT, CTypeClass::number, sizeof(SQLSMALLINT), " to SQL_C_SHORT: "},
    {SQL_C_USHORT, CTypeClass::number, sizeof(SQLUSMALLINT), " to SQL_C_USHORT: "},
    {SQL_C_LONG, CTypeClass::number, sizeof(SQLINTEGER), " to SQL_C_LONG: "},
    {SQL_C_SLONG, CTypeClass::number, sizeof(SQLINTEGER), " to SQL_C_LONG: "},
    {SQL_C_ULONG, CTypeClass::number, sizeof(SQLUINTEGER), " to SQL_C_ULONG: "},
    {SQL_C_SBIGINT, CTypeClass::number, sizeof(SQLBIGINT), " to SQL_C_BIGINT: "},
    {SQL_C_UBIGINT, CTypeClass::number, sizeof(SQLUBIGINT), " to SQL_C_BIGINT: "},
    {SQL_C_FLOAT, CTypeClass::number, sizeof(SQLREAL), " to SQL_C_FLOAT: "},
    {SQL_C_DOUBLE, CTypeClass::number, sizeof(SQLDOUBLE), " to SQL_C_DOUBLE: "},
    {SQL_C_DATE, CTypeClass::dateTime, sizeof(SQL_DATE_STRUCT), ""},
    {SQL_C_TYPE_DATE, CTypeClass::dateTime, sizeof(SQL_DATE_STRUCT), ""},
    {SQL_C_TIME, CTypeClass::dateTime, sizeof(SQL_TIME_STRUCT), ""},
    {SQL_C_TYPE_TIME, CTypeClass::dateTime, sizeof(SQL_TIME_STRUCT), ""},
    {SQL_C_TIMESTAMP, CTypeClass::dateTime, sizeof(SQL_TIMESTAMP_STRUCT), ""},
    {SQL_C_TYPE_TIMESTAMP, CTypeClass::dateTime, sizeof(SQL_TIMESTAMP_STRUCT), ""},
    {SQL_C_NUMERIC, CTypeClass::unconverted, sizeof(SQL_NUMERIC_STRUCT), ""},
    {SQL_C_GUID, CTypeClass::unconverted, sizeof(SQLGUID), ""},
    {SQL_C_INTERVAL_YEAR, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_MONTH, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_DAY, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_HOUR, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_MINUTE, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_SECOND, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_YEAR_TO_MONTH, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_DAY_TO_HOUR, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_DAY_TO_MINUTE, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_DAY_TO_SECOND, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_HOUR_TO_MINUTE, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_HOUR_TO_SECOND, CTypeClass::unconverted, intervalSize, ""},
    {SQL_C_INTERVAL_MINUTE_TO_SECOND, CTypeClass::unconverted, intervalSize, ""},
};

// The C types span a small range of codes: an index over it answers the per-cell look-ups of a
// fetch without walking the table.
constexpr int lowestCType = SQL_C_UTINYINT;
constexpr int highestCType = SQL_C_INTERVAL_MINUTE_TO_SECOND;
constexpr std::size_t noFacts = std::size(cTypes);

struct CTypeIndex {
  std::array<std::uint8_t, highestCType - lowestCType + 1> slots{};
  constexpr CTypeIndex() {
    for (std::uint8_t& slot : slots) slot = static_cast<std::uint8_t>(noFacts);
    for (std::size_t i = 0; i < std::size(cTypes); ++i) {
      slots[static_cast<std::size_t>(cTypes[i].cType - lowestCType)] = static_cast<std::uint8_t>(i);
    }
  }
};

constexpr CTypeIndex cTypeIndex;

const CTypeFacts* factsOf(SQLSMALLINT cType) {
  if (cType < lowestCType || cType > highestCType) return nullptr;
  const std::size_t slot = cTypeIndex.slots[static_cast<std::size_t>(cType - lowestCType)];
  return slot < noFacts ? &cTypes[slot] : nullptr;
}

}  // namespace

CTypeClass cTypeClass(SQLSMALLINT cType) {
  const CTypeFacts* facts = factsOf(cType);
  return facts != nullptr ? facts->kind : CTypeClass::unconverted;
}

bool isPiecewiseCType(SQLSMALLINT cType) { return cTypeClass(cType) == CTypeClass::piecewise; }

bool isNumericCType(SQLSMALLINT cType) { return cTypeClass(cType) == CTypeClass::number; }

bool isDateTimeCType(SQLSMALLINT cType) { return cTypeClass(cType) == CTypeClass::dateTime; }

SQLLEN cTypeElementSize(SQLSMALLINT cType, SQLLEN bufferLength) {
  assert(cType != SQL_C_DEFAULT);
  const CTypeFacts* facts = factsOf(cType);
  if (facts == nullptr) return 1;
  if (facts->size == 0) return bufferLength > 0 ? bufferLength : 0;
  return facts->size;
}

SQLLEN cTypeFixedSize(SQLSMALLINT cType) {
  const CTypeFacts* facts = factsOf(cType);
  return facts != nullptr ? facts->size : 0;
}

const char* cTypeTraceLabel(SQLSMALLINT cType) {
  const CTypeFacts* facts = factsOf(cType);
  return facts != nullptr ? facts->traceLabel : "";
}
