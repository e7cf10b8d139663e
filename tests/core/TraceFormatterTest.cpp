#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "core/ConstantNames.h"
#include "core/TraceFormatter.h"
#include "platform/Odbc.h"

namespace {

struct Stamp {
  std::tm fields{};
  long microseconds = 0;
};

// Parses "year-month-day hour:minute:second.microseconds" and checks that no number is padded.
Stamp parseStamp(const std::string& text) {
  static const std::regex shape(R"((\d+)-(\d+)-(\d+) (\d+):(\d+):(\d+)\.(\d+))");
  std::smatch match;
  EXPECT_TRUE(std::regex_match(text, match, shape)) << text;
  Stamp stamp;
  if (match.empty()) return stamp;
  for (std::size_t i = 1; i < match.size(); ++i) {
    EXPECT_TRUE(match[i].length() == 1 || match[i].str()[0] != '0') << "padded: " << text;
  }
  stamp.fields.tm_year = std::stoi(match[1]) - 1900;
  stamp.fields.tm_mon = std::stoi(match[2]) - 1;
  stamp.fields.tm_mday = std::stoi(match[3]);
  stamp.fields.tm_hour = std::stoi(match[4]);
  stamp.fields.tm_min = std::stoi(match[5]);
  stamp.fields.tm_sec = std::stoi(match[6]);
  stamp.fields.tm_isdst = -1;
  stamp.microseconds = std::stol(match[7]);
  return stamp;
}

TEST(TraceTimestamp, IsTheLocalTimeWithoutPadding) {
  const std::time_t before = std::time(nullptr);
  Stamp stamp = parseStamp(traceTimestamp());
  const std::time_t after = std::time(nullptr);
  const std::time_t stamped = std::mktime(&stamp.fields);
  EXPECT_GE(stamped, before);
  EXPECT_LE(stamped, after);
  EXPECT_LT(stamp.microseconds, 1000000);
}

// Seconds and microseconds of one stamp come from one clock reading, so successive stamps never
// run backwards across a second boundary (as they would with the microseconds of an earlier
// reading and the seconds of a later one).
TEST(TraceTimestamp, NeverRunsBackwardsAcrossASecond) {
  auto key = [](const Stamp& s) {
    return std::make_tuple(s.fields.tm_hour, s.fields.tm_min, s.fields.tm_sec, s.microseconds);
  };
  Stamp previous = parseStamp(traceTimestamp());
  int boundaries = 0;
  const std::time_t deadline = std::time(nullptr) + 3;
  while (boundaries < 2 && std::time(nullptr) <= deadline) {
    Stamp next = parseStamp(traceTimestamp());
    if (next.fields.tm_hour == 0 && previous.fields.tm_hour == 23) return;  // midnight
    ASSERT_LE(key(previous), key(next));
    if (next.fields.tm_sec != previous.fields.tm_sec) ++boundaries;
    previous = next;
  }
  EXPECT_EQ(boundaries, 2);
}

TEST(ConstantNames, UnknownValuesAndFirstRowWins) {
  EXPECT_EQ(constantName(-7, constants::returnCodes), "-7");
  EXPECT_EQ(returnCodeName(99), "SQL_NEED_DATA");
  EXPECT_EQ(returnCodeName(SQL_SUCCESS_WITH_INFO), "SQL_SUCCESS_WITH_INFO");
  EXPECT_EQ(returnCodeName(12345), "12345");
  // Values shared within a table read as the earlier row.
  EXPECT_EQ(constantName(3, constants::datetimeIntervalCodes), "SQL_CODE_TIMESTAMP");
  EXPECT_EQ(cTypeName(-27), "SQL_C_UBIGINT");
  EXPECT_EQ(cTypeName(SQL_C_VARBOOKMARK), "SQL_C_BINARY");
  EXPECT_EQ(descFieldName(1), "SQL_COLUMN_NAME");
  EXPECT_EQ(descFieldName(SQL_COLUMN_MONEY), "SQL_COLUMN_MONEY");
  EXPECT_EQ(functionIdName(6), "SQL_API_SQLCOLATTRIBUTE");
  // A 16-bit argument widens with its sign.
  const SQLSMALLINT cursorSensitivity = SQL_ATTR_CURSOR_SENSITIVITY;
  EXPECT_EQ(stmtAttrName(cursorSensitivity), "SQL_ATTR_CURSOR_SENSITIVITY");
  EXPECT_EQ(connectAttrName(1057), "1057");
  EXPECT_EQ(connectAttrName(SQL_ATTR_CONNECTION_DEAD), "1209");
}

TEST(ConstantNames, FlagSets) {
  EXPECT_EQ(flagNames(0, constants::txnIsolation), "0");
  EXPECT_EQ(flagNames(10, constants::txnIsolation),
            "SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE");
  // A composite row follows its single flags and shows whenever any of its bits is set.
  EXPECT_EQ(flagNames(3, constants::indexKeywords), "SQL_IK_ASC | SQL_IK_DESC | SQL_IK_ALL");
  EXPECT_EQ(flagNames(2, constants::indexKeywords), "SQL_IK_DESC | SQL_IK_ALL");
  // A row of value 0 shares no bit with anything, so it never shows, not even for 0.
  const ConstantNameEntry withZero[] = {{0, "NONE"}, {1, "ONE"}};
  const ConstantTable zeroTable{withZero, 2};
  EXPECT_EQ(flagNames(0, zeroTable), "0");
  EXPECT_EQ(flagNames(3, zeroTable), "ONE");
  EXPECT_EQ(flagNames(SQL_CA2_MAX_ROWS_DELETE, constants::cursorAttributes2),
            "SQL_CA2_MAX_ROWS_DELETE | SQL_CA2_MAX_ROWS_AFFECTS_ALL");
  // Bits no row names are dropped; with no known bit at all the number stands.
  EXPECT_EQ(flagNames(0x10 | SQL_TXN_READ_UNCOMMITTED, constants::txnIsolation),
            "SQL_TXN_READ_UNCOMMITTED");
  EXPECT_EQ(flagNames(0x80000000u, constants::txnIsolation), "2147483648");
  // No ODBC 2 alias names a bit twice.
  EXPECT_EQ(flagNames(SQL_FD_FETCH_PRIOR, constants::fetchDirections), "SQL_FD_FETCH_PRIOR");
}

TEST(TraceFormatter, NamedArguments) {
  EXPECT_EQ(bufferLengthName(SQL_IS_POINTER), "SQL_IS_POINTER");
  EXPECT_EQ(bufferLengthName(SQL_IS_SMALLINT), "SQL_IS_SMALLINT");
  EXPECT_EQ(bufferLengthName(-3), "-3");
  EXPECT_EQ(bufferLengthName(-9), "-9");
  EXPECT_EQ(bufferLengthName(256), "256");
  EXPECT_EQ(sqlTypeNameOrAll(SQL_ALL_TYPES), "SQL_ALL_TYPES");
  EXPECT_EQ(sqlTypeNameOrAll(SQL_WVARCHAR), "SQL_WVARCHAR");
  EXPECT_EQ(functionIdName(SQL_API_ALL_FUNCTIONS), "SQL_API_ALL_FUNCTIONS");
  EXPECT_EQ(functionIdName(SQL_API_ODBC3_ALL_FUNCTIONS), "SQL_API_ODBC3_ALL_FUNCTIONS");
  EXPECT_EQ(functionIdName(SQL_API_SQLFETCHSCROLL), "SQL_API_SQLFETCHSCROLL");
  EXPECT_EQ(lengthOrNts(SQL_NTS), "SQL_NTS");
  EXPECT_EQ(lengthOrNts(0), "0");
  EXPECT_EQ(lengthOrNts(static_cast<SQLSMALLINT>(SQL_NTS)), "SQL_NTS");
  EXPECT_EQ(lengthOrNts(100000), "100000");
}

TEST(TraceFormatter, QuotedStringsAreCLiterals) {
  EXPECT_EQ(quotedStringOrNull(nullptr), "NULL");
  EXPECT_EQ(quotedStringOrNull(nullptr, 5), "NULL");
  EXPECT_EQ(quotedStringOrNull(""), "\"\"");
  EXPECT_EQ(quotedStringOrNull("say \"hi\"\r\nnow"), R"("say \"hi\"\015\012now")");
  EXPECT_EQ(quotedStringOrNull("C:\\dir\\?" "?/\x7F\x01" "7"), R"("C:\\dir\\\?\?/\177\0017")");
  EXPECT_EQ(quotedStringOrNull("abcdef", 3), "\"abc\"");
  EXPECT_EQ(quotedStringOrNull("abc", SQL_NTS), "\"abc\"");
  EXPECT_EQ(quotedStringOrNull("abc", -1), "\"\"");
  EXPECT_EQ(quotedStringOrNull("ab\0cd", 5), "\"ab\"");
}

// A buffer of exactly its length without a NUL, as a cut or untouched output buffer may be:
// AddressSanitizer fails the test when a formatter reads one byte more.
TEST(TraceFormatter, BoundedTextStopsAtTheBuffersEnd) {
  std::unique_ptr<char[]> buffer(new char[4]);
  std::memcpy(buffer.get(), "wxyz", 4);
  EXPECT_EQ(quotedStringOrNull(buffer.get(), 4), "\"wxyz\"");
  EXPECT_EQ(boundedText(buffer.get(), 0), "");
  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[2]{u'\u00e9', u'x'});
  EXPECT_EQ(boundedWideText(wide.get(), 4), "\xc3\xa9x");
  EXPECT_EQ(boundedWideText(wide.get(), 3), "\xc3\xa9");
}

TEST(TraceFormatter, PointedToNumbers) {
  EXPECT_EQ(smallIntPointerValue(nullptr), "NULL");
  EXPECT_EQ(integerPointerValue(nullptr), "NULL");
  EXPECT_EQ(lengthPointerValue(static_cast<const SQLLEN*>(nullptr)), "NULL");
  const SQLSMALLINT small = -32768;
  const SQLINTEGER integer = -2147483647 - 1;
  const SQLLEN length = std::numeric_limits<SQLLEN>::min();
  const SQLULEN size = 4294967296u;
  EXPECT_EQ(smallIntPointerValue(&small), "-32768");
  EXPECT_EQ(integerPointerValue(&integer), "-2147483648");
  EXPECT_EQ(lengthPointerValue(&length), "-9223372036854775808");
  EXPECT_EQ(lengthPointerValue(&size), "4294967296");
}

TEST(TraceFormatter, Addresses) {
  const void* handle = reinterpret_cast<const void*>(std::uintptr_t{0x34A2B0});
  EXPECT_EQ(traceAddress(handle), "000000000034A2B0");
  EXPECT_EQ(traceAddress(nullptr), "0000000000000000");
  EXPECT_EQ(hexPointerText(handle), "0x000000000034A2B0");
  const void* high = reinterpret_cast<const void*>(~std::uintptr_t{0});
  EXPECT_EQ(traceAddress(high), "FFFFFFFFFFFFFFFF");
}

TEST(TraceFormatter, LengthIndicators) {
  EXPECT_EQ(formatLengthIndicator(nullptr), "NULL");
  // Small values in place of a pointer are never dereferenced (reading them would crash).
  EXPECT_EQ(formatLengthIndicator(reinterpret_cast<const SQLLEN*>(std::intptr_t{200})), "200");
  EXPECT_EQ(formatLengthIndicator(reinterpret_cast<const SQLLEN*>(std::intptr_t{1})), "1");
  EXPECT_EQ(formatLengthIndicator(reinterpret_cast<const SQLLEN*>(std::intptr_t{65534})),
            "65534");
  struct Case {
    SQLLEN value;
    const char* text;
  };
  const Case cases[] = {
      {SQL_COLUMN_IGNORE, "SQL_COLUMN_IGNORE"},
      {SQL_NO_TOTAL, "SQL_NO_TOTAL"},
      {SQL_NTS, "SQL_NTS"},
      {SQL_DATA_AT_EXEC, "SQL_DATA_AT_EXEC"},
      {SQL_NULL_DATA, "SQL_NULL_DATA"},
      {SQL_LEN_DATA_AT_EXEC(5), "SQL_LEN_DATA_AT_EXEC( 5 )"},
      {-105, "SQL_LEN_DATA_AT_EXEC( 5 )"},
      {-5, "SQL_LEN_DATA_AT_EXEC( -95 )"},
      {SQL_LEN_DATA_AT_EXEC(0), "SQL_LEN_DATA_AT_EXEC( 0 )"},
      {std::numeric_limits<SQLLEN>::min(), "SQL_LEN_DATA_AT_EXEC( 9223372036854775708 )"},
      {0, "0"},
      {70000, "70000"},
      {std::numeric_limits<SQLLEN>::max(), "9223372036854775807"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatLengthIndicator(&c.value), c.text) << c.value;
  }
}

// The bitmap as the application reads it with the header's own macro.
std::string expectedOdbc3List(SQLUSMALLINT* bitmap) {
  std::string text;
  for (const ConstantNameEntry& row : constants::functionIds) {
    if (SQL_FUNC_EXISTS(bitmap, row.value) == SQL_TRUE) {
      text += (text.empty() ? "" : " | ") + std::string(row.name);
    }
  }
  return text;
}

void setFunction(SQLUSMALLINT* bitmap, SQLUSMALLINT id) {
  bitmap[id >> 4] |= static_cast<SQLUSMALLINT>(1u << (id & 0xF));
}

TEST(SupportedFunctions, Odbc3BitmapFollowsSqlFuncExists) {
  std::vector<SQLUSMALLINT> bitmap(SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, 0);
  EXPECT_EQ(formatSupportedFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap.data()), "");
  setFunction(bitmap.data(), SQL_API_SQLFETCH);
  EXPECT_EQ(formatSupportedFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap.data()),
            "SQL_API_SQLFETCH");

  const SQLUSMALLINT ids[] = {SQL_API_SQLALLOCCONNECT, SQL_API_SQLCOLATTRIBUTE,
                              SQL_API_SQLTRANSACT,     SQL_API_SQLALLOCHANDLE,
                              SQL_API_SQLFETCHSCROLL,  SQL_API_SQLSETSTMTATTR,
                              SQL_API_LOADBYORDINAL,   SQL_API_SQLBULKOPERATIONS,
                              1022 /* not a row of the table */};
  for (SQLUSMALLINT id : ids) setFunction(bitmap.data(), id);
  const std::string listed = formatSupportedFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap.data());
  EXPECT_EQ(listed, expectedOdbc3List(bitmap.data()));
  // Both names of the shared id 6 appear, in table order.
  EXPECT_NE(listed.find("SQL_API_SQLCOLATTRIBUTE | SQL_API_SQLCOLATTRIBUTES"), std::string::npos);

  std::fill(bitmap.begin(), bitmap.end(), 0xFFFF);
  EXPECT_EQ(formatSupportedFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap.data()),
            expectedOdbc3List(bitmap.data()));
}

TEST(SupportedFunctions, AllFunctionsArrayAndSingleIds) {
  SQLUSMALLINT entries[100] = {};
  EXPECT_EQ(formatSupportedFunctions(SQL_API_ALL_FUNCTIONS, entries), "");
  entries[SQL_API_SQLALLOCCONNECT] = SQL_TRUE;
  entries[SQL_API_SQLCOLATTRIBUTES] = SQL_TRUE;
  entries[SQL_API_SQLFETCH] = SQL_TRUE;
  entries[99] = SQL_TRUE;
  EXPECT_EQ(formatSupportedFunctions(SQL_API_ALL_FUNCTIONS, entries),
            "SQL_API_SQLALLOCCONNECT | SQL_API_SQLCOLATTRIBUTE | SQL_API_SQLFETCH | 99");

  const SQLUSMALLINT yes = SQL_TRUE;
  const SQLUSMALLINT no = SQL_FALSE;
  EXPECT_EQ(formatSupportedFunctions(SQL_API_SQLFETCH, &yes), "SQL_TRUE");
  EXPECT_EQ(formatSupportedFunctions(SQL_API_SQLSETPOS, &no), "SQL_FALSE");
  EXPECT_EQ(formatSupportedFunctions(SQL_API_SQLFETCH, nullptr), "NULL");
}

}  // namespace
