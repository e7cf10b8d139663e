#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/SqlTextScanner.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/TracedEnvironment.h"

namespace {

template <typename Value>
std::string bytesOf(const Value& value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(&bytes[0], &value, sizeof value);
  return bytes;
}

std::string wideBytes(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2) + '\0' + '\0';
}

SQL_DATE_STRUCT date(SQLSMALLINT year, SQLUSMALLINT month, SQLUSMALLINT day) {
  return SQL_DATE_STRUCT{year, month, day};
}

SQL_TIME_STRUCT timeOfDay(SQLUSMALLINT hour, SQLUSMALLINT minute, SQLUSMALLINT second) {
  return SQL_TIME_STRUCT{hour, minute, second};
}

SQL_TIMESTAMP_STRUCT timestamp(SQLUINTEGER fraction) {
  return SQL_TIMESTAMP_STRUCT{2012, 3, 7, 10, 4, 9, fraction};
}

std::string today() {
  const std::time_t now = std::time(nullptr);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&now));
  return text;
}

// What a parameter's literal is, or the state that refuses it ("state 22018"), or "need data".
struct LiteralCase {
  const char* name;
  SQLSMALLINT cType;
  SQLSMALLINT sqlType;
  std::string value;  // the bytes of the bound buffer
  SQLLEN bufferLength;
  SQLLEN lengthWord;  // StrLen_or_IndPtr's word
  std::string expected;
};

constexpr SQLLEN kNts = SQL_NTS;

class ParameterLiteralTest : public ::testing::Test {
 protected:
  // The final text of `sqlTemplate` with the parameters bound so far, or the refusal.
  std::string substitute(const std::string& sqlTemplate) {
    std::string finalText = "(stale)";
    const SQLRETURN rc = statement_.substituteParameters(
        sqlTemplate, findAllOutsideQuotes(sqlTemplate, "?"), *statement_.appParamDesc(),
        *statement_.impParamDesc(), 0, finalText);
    if (rc == SQL_NEED_DATA) return "need data";
    if (rc != SQL_SUCCESS) return "state " + testsupport::takeState(statement_.diagnostics());
    return finalText;
  }

  // Binds `value` (kept alive by the fixture) as the next parameter.
  void bind(SQLSMALLINT cType, SQLSMALLINT sqlType, const std::string& value, SQLLEN bufferLength,
            SQLLEN lengthWord, bool nullData = false) {
    buffers_.push_back(value);
    words_.push_back(lengthWord);
    const auto number = static_cast<SQLUSMALLINT>(buffers_.size());
    ASSERT_EQ(statement_.bindParameter(number, SQL_PARAM_INPUT, cType, sqlType, 0, 0,
                                       nullData ? nullptr : &buffers_.back()[0], bufferLength,
                                       &words_.back()),
              SQL_SUCCESS);
  }

  void SetUp() override {
    buffers_.reserve(16);
    words_.reserve(16);
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC literal test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  Statement statement_{&connection_};
  std::vector<std::string> buffers_;
  std::vector<SQLLEN> words_;
};

TEST_F(ParameterLiteralTest, EachValueBecomesOneLiteralOrARefusal) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  const std::string abc = "abcdef";
  const LiteralCase cases[] = {
      // Character data: quotes doubled, a backslash leaves the quote active.
      {"apostrophe", SQL_C_CHAR, SQL_VARCHAR, "O'Brien", 0, kNts, "'O''Brien'"},
      {"backslash quote", SQL_C_CHAR, SQL_VARCHAR, "a\\'b", 0, kNts, "'a\\''b'"},
      {"backslash at end", SQL_C_CHAR, SQL_CHAR, "C:\\dir\\", 0, kNts, "'C:\\dir\\'"},
      {"marker inside", SQL_C_CHAR, SQL_LONGVARCHAR, "?--/*;", 0, kNts, "'?--/*;'"},
      {"length counts", SQL_C_CHAR, SQL_VARCHAR, abc, 0, 3, "'abc'"},
      {"zero length is empty", SQL_C_CHAR, SQL_VARCHAR, abc, 0, 0, "''"},
      // The statement text ends a text at a NUL: padding NULs go, data after one is refused.
      {"NUL padding dropped", SQL_C_CHAR, SQL_VARCHAR, std::string("ab\0\0", 4), 0, 4, "'ab'"},
      {"data after NUL", SQL_C_CHAR, SQL_VARCHAR, std::string("ab\0cd", 5), 0, 5, "state 22018"},
      {"NTS stops at buffer length", SQL_C_CHAR, SQL_VARCHAR, abc, 3, kNts, "'abc'"},
      {"NTS within buffer", SQL_C_CHAR, SQL_VARCHAR, std::string("ab\0", 3), 10, kNts, "'ab'"},
      {"bad length", SQL_C_CHAR, SQL_VARCHAR, abc, 0, -7, "state HY090"},
      {"default parameter", SQL_C_CHAR, SQL_VARCHAR, abc, 0, SQL_DEFAULT_PARAM, "state HY090"},
      {"data at execution", SQL_C_CHAR, SQL_VARCHAR, abc, 0, SQL_DATA_AT_EXEC, "need data"},
      {"length at execution", SQL_C_CHAR, SQL_VARCHAR, abc, 0, SQL_LEN_DATA_AT_EXEC(3),
       "need data"},
      {"NULL text", SQL_C_CHAR, SQL_VARCHAR, abc, 0, SQL_NULL_DATA, "NULL"},
      {"NULL number", SQL_C_SLONG, SQL_INTEGER, bytesOf(SQLINTEGER{1}), 0, SQL_NULL_DATA, "NULL"},
      {"NULL blob", SQL_C_BINARY, SQL_VARBINARY, abc, 6, SQL_NULL_DATA, "NULL"},
      // Character data to numbers: a number or nothing.
      {"number text", SQL_C_CHAR, SQL_DOUBLE, " -12.5e3 ", 0, kNts, "-12.5e3"},
      {"point first", SQL_C_CHAR, SQL_NUMERIC, ".5", 0, kNts, ".5"},
      {"point last", SQL_C_CHAR, SQL_DECIMAL, "+1.", 0, kNts, "+1."},
      {"bit text", SQL_C_CHAR, SQL_BIT, "1", 0, kNts, "1"},
      {"injection as integer", SQL_C_CHAR, SQL_INTEGER, "0 OR 1=1", 0, kNts, "state 22018"},
      {"comment as integer", SQL_C_CHAR, SQL_INTEGER, "--5", 0, kNts, "state 22018"},
      {"empty as integer", SQL_C_CHAR, SQL_INTEGER, "", 0, kNts, "state 22018"},
      {"exponent without digits", SQL_C_CHAR, SQL_REAL, "1e", 0, kNts, "state 22018"},
      {"two points", SQL_C_CHAR, SQL_FLOAT, "1.2.3", 0, kNts, "state 22018"},
      {"infinity text", SQL_C_CHAR, SQL_DOUBLE, "Infinity", 0, kNts, "state 22018"},
      {"hex text", SQL_C_CHAR, SQL_VARBINARY, "0aFF", 0, kNts, "X'0aFF'"},
      {"odd hex text", SQL_C_CHAR, SQL_BINARY, "abc", 0, kNts, "state 22018"},
      {"not hex text", SQL_C_CHAR, SQL_LONGVARBINARY, "0g", 0, kNts, "state 22018"},
      {"quote as blob", SQL_C_CHAR, SQL_VARBINARY, "'", 0, kNts, "state 22018"},
      // Wide text: lengths are bytes; UTF-16 becomes UTF-8.
      {"wide", SQL_C_WCHAR, SQL_WVARCHAR, wideBytes(u"h\u00e9llo"), 0, kNts, "'h\xC3\xA9llo'"},
      {"wide length in bytes", SQL_C_WCHAR, SQL_WCHAR, wideBytes(u"abcd"), 0, 4, "'ab'"},
      {"wide odd byte length", SQL_C_WCHAR, SQL_WCHAR, wideBytes(u"abcd"), 0, 5, "'ab'"},
      {"wide NTS in buffer", SQL_C_WCHAR, SQL_WLONGVARCHAR, wideBytes(u"abcd"), 6, kNts, "'abc'"},
      {"wide data after NUL", SQL_C_WCHAR, SQL_WVARCHAR, wideBytes(std::u16string(u"a\0b", 3)), 0,
       6, "state 22018"},
      {"wide quote", SQL_C_WCHAR, SQL_VARCHAR, wideBytes(u"it's"), 0, kNts, "'it''s'"},
      // UTF-8 has no form for half a surrogate pair.
      {"wide lone surrogate", SQL_C_WCHAR, SQL_VARCHAR, wideBytes(std::u16string(1, u'\xD800')), 0,
       kNts, "state 22018"},
      {"wide lone low surrogate", SQL_C_WCHAR, SQL_WVARCHAR, wideBytes(u"a\xDC00"), 0, kNts,
       "state 22018"},
      {"wide misordered pair", SQL_C_WCHAR, SQL_WVARCHAR, wideBytes(u"\xDE00\xD83D"), 0, kNts,
       "state 22018"},
      {"wide pair cut by length", SQL_C_WCHAR, SQL_WVARCHAR, wideBytes(u"\U0001F600"), 0, 2,
       "state 22018"},
      {"wide pair", SQL_C_WCHAR, SQL_WVARCHAR, wideBytes(u"\U0001F600"), 0, 4,
       "'\xF0\x9F\x98\x80'"},
      {"wide number", SQL_C_WCHAR, SQL_INTEGER, wideBytes(u"42"), 0, kNts, "42"},
      // Binary data: hex of exactly its length.
      {"blob", SQL_C_BINARY, SQL_VARBINARY, "\x0a\xff", 2, 2, "X'0aff'"},
      {"empty blob", SQL_C_BINARY, SQL_VARBINARY, abc, 6, 0, "X''"},
      {"blob with NUL", SQL_C_BINARY, SQL_BINARY, std::string("a\0b", 3), 3, 3, "X'610062'"},
      {"blob NTS", SQL_C_BINARY, SQL_VARBINARY, std::string("ab\0cd", 5), 5, kNts, "X'6162'"},
      {"blob NTS stops at buffer", SQL_C_BINARY, SQL_VARBINARY, abc, 3, kNts, "X'616263'"},
      {"blob bad length", SQL_C_BINARY, SQL_VARBINARY, abc, 6, -7, "state HY090"},
      // Bytes for a character type are its characters.
      {"blob as text", SQL_C_BINARY, SQL_VARCHAR, "\x0a\xff", 2, 2, "'\x0a\xff'"},
      {"blob with quote as text", SQL_C_BINARY, SQL_WCHAR, "a'b", 3, 3, "'a''b'"},
      {"blob with NUL as text", SQL_C_BINARY, SQL_LONGVARCHAR, std::string("a\0b", 3), 3, 3,
       "state 22018"},
      {"blob as number", SQL_C_BINARY, SQL_INTEGER, "\x0a\xff", 2, 2, "state 07006"},
      // Integers: bare for numbers, quoted for text, never into binary.
      {"unsigned long", SQL_C_ULONG, SQL_INTEGER, bytesOf(SQLUINTEGER{2147483647u}), 0, 0,
       "2147483647"},
      {"unsigned long beyond integer", SQL_C_ULONG, SQL_INTEGER, bytesOf(SQLUINTEGER{2147483648u}),
       0, 0, "state 22003"},
      {"big beyond integer", SQL_C_SBIGINT, SQL_INTEGER, bytesOf(SQLBIGINT{-2147483649LL}), 0, 0,
       "state 22003"},
      {"signed long", SQL_C_SLONG, SQL_INTEGER, bytesOf(SQLINTEGER{-5}), 0, 0, "-5"},
      {"long ignores length", SQL_C_LONG, SQL_BIGINT, bytesOf(SQLINTEGER{7}), 0, 123, "7"},
      {"signed long as text", SQL_C_SLONG, SQL_VARCHAR, bytesOf(SQLINTEGER{-5}), 0, 0, "'-5'"},
      {"long as date", SQL_C_SLONG, SQL_TYPE_DATE, bytesOf(SQLINTEGER{5}), 0, 0, "'5'"},
      {"long as blob", SQL_C_SLONG, SQL_VARBINARY, bytesOf(SQLINTEGER{5}), 0, 0, "state 07006"},
      {"short", SQL_C_SSHORT, SQL_SMALLINT, bytesOf(SQLSMALLINT{-32768}), 0, 0, "-32768"},
      {"unsigned short", SQL_C_USHORT, SQL_SMALLINT, bytesOf(SQLUSMALLINT{65535}), 0, 0,
       "state 22003"},
      {"tiny", SQL_C_STINYINT, SQL_TINYINT, bytesOf(static_cast<signed char>(-128)), 0, 0, "-128"},
      {"unsigned tiny", SQL_C_UTINYINT, SQL_TINYINT, bytesOf(static_cast<unsigned char>(127)), 0,
       0, "127"},
      {"unsigned tiny beyond", SQL_C_UTINYINT, SQL_TINYINT,
       bytesOf(static_cast<unsigned char>(128)), 0, 0, "state 22003"},
      {"bit", SQL_C_BIT, SQL_BIT, bytesOf(static_cast<unsigned char>(1)), 0, 0, "1"},
      {"big", SQL_C_SBIGINT, SQL_BIGINT, bytesOf(std::numeric_limits<SQLBIGINT>::min()), 0, 0,
       "-9223372036854775808"},
      {"unsigned big", SQL_C_UBIGINT, SQL_BIGINT, bytesOf(SQLUBIGINT{9223372036854775807u}), 0, 0,
       "9223372036854775807"},
      {"unsigned big above signed", SQL_C_UBIGINT, SQL_BIGINT,
       bytesOf(SQLUBIGINT{9223372036854775808u}), 0, 0, "state 22003"},
      {"unsigned big as numeric", SQL_C_UBIGINT, SQL_NUMERIC,
       bytesOf(std::numeric_limits<SQLUBIGINT>::max()), 0, 0, "'18446744073709551615'"},
      // The integer types hold a number worked as digits, so that every 64-bit value stays exact,
      // and refuse one beyond their range; a fraction is refused in text, cut from a number.
      {"fraction in text", SQL_C_CHAR, SQL_INTEGER, "2.5", 0, kNts, "state 22001"},
      {"negative fraction in text", SQL_C_CHAR, SQL_INTEGER, "-2.5", 0, kNts, "state 22001"},
      {"below one", SQL_C_CHAR, SQL_SMALLINT, "-0.75", 0, kNts, "state 22001"},
      {"exponent exact", SQL_C_CHAR, SQL_INTEGER, "2.5e3", 0, kNts, "2500"},
      {"exponent leaves fraction", SQL_C_CHAR, SQL_INTEGER, "25e-1", 0, kNts, "state 22001"},
      {"zero fraction", SQL_C_CHAR, SQL_INTEGER, "+7.000", 0, kNts, "7"},
      {"blanks around", SQL_C_CHAR, SQL_INTEGER, " 7 ", 0, kNts, "7"},
      {"leading zeros", SQL_C_CHAR, SQL_TINYINT, "-000127.0e0", 0, kNts, "-127"},
      {"zero with huge exponent", SQL_C_CHAR, SQL_INTEGER, "0.0e99999999999999999999", 0, kNts,
       "0"},
      {"tiny fraction", SQL_C_CHAR, SQL_INTEGER, "1e-99999999999999999999", 0, kNts,
       "state 22001"},
      {"beyond integer", SQL_C_CHAR, SQL_INTEGER, "1e20", 0, kNts, "state 22003"},
      {"integer top", SQL_C_CHAR, SQL_INTEGER, "2147483647.9", 0, kNts, "state 22001"},
      {"integer bottom", SQL_C_CHAR, SQL_INTEGER, "-2147483648", 0, kNts, "-2147483648"},
      {"past integer bottom", SQL_C_CHAR, SQL_INTEGER, "-2147483649", 0, kNts, "state 22003"},
      {"smallint top", SQL_C_CHAR, SQL_SMALLINT, "32767", 0, kNts, "32767"},
      {"past smallint", SQL_C_CHAR, SQL_SMALLINT, "32768", 0, kNts, "state 22003"},
      {"past tinyint", SQL_C_CHAR, SQL_TINYINT, "-129", 0, kNts, "state 22003"},
      {"bigint top", SQL_C_CHAR, SQL_BIGINT, "9223372036854775807", 0, kNts,
       "9223372036854775807"},
      {"bigint bottom", SQL_C_CHAR, SQL_BIGINT, "-9223372036854775808", 0, kNts,
       "-9223372036854775808"},
      {"bigint bottom with fraction", SQL_C_CHAR, SQL_BIGINT, "-9223372036854775808.5", 0, kNts,
       "state 22001"},
      {"past bigint", SQL_C_CHAR, SQL_BIGINT, "9223372036854775808", 0, kNts, "state 22003"},
      {"past unsigned 64 bits", SQL_C_CHAR, SQL_BIGINT, "99999999999999999999", 0, kNts,
       "state 22003"},
      {"bigint by exponent", SQL_C_CHAR, SQL_BIGINT, "9.223372036854775807e18", 0, kNts,
       "9223372036854775807"},
      {"wide fraction", SQL_C_WCHAR, SQL_BIGINT, wideBytes(u"-3.9"), 0, kNts, "state 22001"},
      {"not a number", SQL_C_CHAR, SQL_INTEGER, "2.5x", 0, kNts, "state 22018"},
      {"double cut", SQL_C_DOUBLE, SQL_INTEGER, bytesOf(2.75), 0, 0, "2"},
      {"double exact", SQL_C_DOUBLE, SQL_BIGINT, bytesOf(-1e15), 0, 0, "-1000000000000000"},
      {"double beyond", SQL_C_DOUBLE, SQL_BIGINT, bytesOf(1e19), 0, 0, "state 22003"},
      {"float cut", SQL_C_FLOAT, SQL_SMALLINT, bytesOf(-1.5f), 0, 0, "-1"},
      {"decimal keeps fraction", SQL_C_CHAR, SQL_DECIMAL, "2.5", 0, kNts, "2.5"},
      {"double keeps fraction", SQL_C_CHAR, SQL_DOUBLE, "2.5", 0, kNts, "2.5"},
      // The bit holds 0 and 1; between 0 and 2 a number is cut to one of them, a text refused.
      {"bit zero", SQL_C_CHAR, SQL_BIT, "0", 0, kNts, "0"},
      {"bit half", SQL_C_CHAR, SQL_BIT, "0.5", 0, kNts, "state 22001"},
      {"bit one and a half", SQL_C_CHAR, SQL_BIT, "1.5", 0, kNts, "state 22001"},
      {"bit two", SQL_C_CHAR, SQL_BIT, "2", 0, kNts, "state 22003"},
      {"bit below zero", SQL_C_CHAR, SQL_BIT, "-0.5", 0, kNts, "state 22003"},
      {"bit negative zero", SQL_C_CHAR, SQL_BIT, "-0", 0, kNts, "0"},
      {"bit from long", SQL_C_SLONG, SQL_BIT, bytesOf(SQLINTEGER{2}), 0, 0, "state 22003"},
      {"bit from double", SQL_C_DOUBLE, SQL_BIT, bytesOf(0.25), 0, 0, "0"},
      {"bit from double above one", SQL_C_DOUBLE, SQL_BIT, bytesOf(1.75), 0, 0, "1"},
      {"default C type", SQL_C_DEFAULT, SQL_INTEGER, bytesOf(SQLINTEGER{-7}), 0, 0, "-7"},
      {"default C type text", SQL_C_DEFAULT, SQL_VARCHAR, "x'y", 0, kNts, "'x''y'"},
      // Floats keep their value.
      {"double", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(1.5), 0, 0, "1.500000"},
      {"double as text", SQL_C_DOUBLE, SQL_VARCHAR, bytesOf(1.5), 0, 0, "'1.500000'"},
      {"small double", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(1e-7), 0, 0, "1e-07"},
      {"huge double", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(1e300), 0, 0, "1e+300"},
      {"large integral double", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(123456789012345.0), 0, 0,
       "123456789012345.000000"},
      {"beyond the digits held", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(1e15), 0, 0, "1e+15"},
      {"integral beyond them", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(211025082331737408.0), 0, 0,
       "2.110250823317374e+17"},
      {"most negative", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(-std::numeric_limits<double>::max()), 0,
       0, "-1.7976931348623157e+308"},
      {"least positive", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(std::numeric_limits<double>::denorm_min()),
       0, 0, "5e-324"},
      {"long fraction", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(0.1234567), 0, 0, "0.1234567"},
      {"negative zero", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(-0.0), 0, 0, "-0.000000"},
      {"NaN", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(nan), 0, 0, "state 22003"},
      {"infinity", SQL_C_DOUBLE, SQL_DOUBLE, bytesOf(-infinity), 0, 0, "state 22003"},
      {"float", SQL_C_FLOAT, SQL_REAL, bytesOf(0.1f), 0, 0, "0.100000"},
      {"small float", SQL_C_FLOAT, SQL_REAL, bytesOf(1e-7f), 0, 0, "1e-07"},
      {"float infinity", SQL_C_FLOAT, SQL_REAL,
       bytesOf(std::numeric_limits<float>::infinity()), 0, 0, "state 22003"},
      // Dates and times: the server's form, quoted once.
      {"date", SQL_C_TYPE_DATE, SQL_TYPE_DATE, bytesOf(date(2012, 3, 7)), 0, 0, "'2012-03-07'"},
      {"date as text", SQL_C_TYPE_DATE, SQL_VARCHAR, bytesOf(date(2012, 3, 7)), 0, 0,
       "'2012-03-07'"},
      {"old date types", SQL_C_DATE, SQL_DATE, bytesOf(date(2012, 3, 7)), 0, 0, "'2012-03-07'"},
      {"year 999", SQL_C_TYPE_DATE, SQL_TYPE_DATE, bytesOf(date(999, 1, 2)), 0, 0,
       "'0999-01-02'"},
      {"date as timestamp", SQL_C_TYPE_DATE, SQL_TYPE_TIMESTAMP, bytesOf(date(2012, 3, 7)), 0, 0,
       "'2012-03-07 00:00:00'"},
      {"date as time", SQL_C_TYPE_DATE, SQL_TYPE_TIME, bytesOf(date(2012, 3, 7)), 0, 0,
       "state 07006"},
      {"date as number", SQL_C_TYPE_DATE, SQL_INTEGER, bytesOf(date(2012, 3, 7)), 0, 0,
       "state 07006"},
      {"date as blob", SQL_C_TYPE_DATE, SQL_VARBINARY, bytesOf(date(2012, 3, 7)), 0, 0,
       "state 07006"},
      {"time", SQL_C_TYPE_TIME, SQL_TYPE_TIME, bytesOf(timeOfDay(10, 4, 9)), 0, 0, "'10:04:09'"},
      {"time as text", SQL_C_TIME, SQL_CHAR, bytesOf(timeOfDay(10, 4, 9)), 0, 0, "'10:04:09'"},
      {"time as date", SQL_C_TYPE_TIME, SQL_TYPE_DATE, bytesOf(timeOfDay(10, 4, 9)), 0, 0,
       "state 07006"},
      {"timestamp", SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, bytesOf(timestamp(5)), 0, 0,
       "'2012-03-07 10:04:09.000000005'"},
      {"half second", SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, bytesOf(timestamp(500000000)), 0,
       0, "'2012-03-07 10:04:09.5'"},
      {"no fraction", SQL_C_TIMESTAMP, SQL_TIMESTAMP, bytesOf(timestamp(0)), 0, 0,
       "'2012-03-07 10:04:09'"},
      {"timestamp as text", SQL_C_TYPE_TIMESTAMP, SQL_VARCHAR, bytesOf(timestamp(5)), 0, 0,
       "'2012-03-07 10:04:09.000000005'"},
      {"timestamp as date", SQL_C_TYPE_TIMESTAMP, SQL_TYPE_DATE, bytesOf(timestamp(5)), 0, 0,
       "'2012-03-07'"},
      {"timestamp as time", SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIME, bytesOf(timestamp(5)), 0, 0,
       "'10:04:09'"},
      {"fraction too large", SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
       bytesOf(timestamp(1000000000)), 0, 0, "state 22008"},
      // C types without a literal.
      {"numeric struct", SQL_C_NUMERIC, SQL_NUMERIC, std::string(19, '\0'), 0, 0, "state 07006"},
      {"guid", SQL_C_GUID, SQL_GUID, std::string(16, '\0'), 0, 0, "state 07006"},
      {"interval", SQL_C_INTERVAL_DAY, SQL_INTERVAL_DAY, std::string(28, '\0'), 0, 0,
       "state 07006"},
  };
  for (const LiteralCase& c : cases) {
    SCOPED_TRACE(c.name);
    statement_.freeStmt(SQL_RESET_PARAMS);
    buffers_.clear();
    words_.clear();
    bind(c.cType, c.sqlType, c.value, c.bufferLength, c.lengthWord);
    EXPECT_EQ(substitute("?"), c.expected);
  }
}

TEST_F(ParameterLiteralTest, ATimeBoundAsTimestampTakesToday) {
  bind(SQL_C_TYPE_TIME, SQL_TYPE_TIMESTAMP, bytesOf(timeOfDay(10, 4, 9)), 0, 0);
  const std::string before = today();
  const std::string literal = substitute("?");
  const std::string after = today();
  EXPECT_TRUE(literal == "'" + before + " 10:04:09'" || literal == "'" + after + " 10:04:09'")
      << literal;
}

TEST_F(ParameterLiteralTest, LiteralsNeverJoinTheirNeighbours) {
  const struct {
    const char* sqlTemplate;
    const char* expected;
  } cases[] = {
      {"SELECT 1 -?", "SELECT 1 - -5"},
      {"SELECT ?-1", "SELECT -5-1"},
      {"SELECT x?", "SELECT x-5"},
      {"SELECT ?, X?", "SELECT -5, X 'it''s'"},
      {"SELECT ?,?X?", "SELECT -5,'it''s' X X'0aff'"},
      {"SELECT ?e1", "SELECT -5 e1"},
      {"SELECT ?x", "SELECT -5 x"},
      {"SELECT ??", "SELECT -5 'it''s'"},
      {"SELECT ?'a'", "SELECT -5 'a'"},
      {"SELECT ?,?||?", "SELECT -5,'it''s'||X'0aff'"},
      {"SELECT '?', ?", "SELECT '?', -5"},
      {"SELECT ? -- ?\n, ?", "SELECT -5 -- ?\n, 'it''s'"},
      {"SELECT /* ? */ ?", "SELECT /* ? */ -5"},
      {"SELECT \"?\", `?`, ?", "SELECT \"?\", `?`, -5"},
  };
  bind(SQL_C_SLONG, SQL_INTEGER, bytesOf(SQLINTEGER{-5}), 0, 0);
  bind(SQL_C_CHAR, SQL_VARCHAR, "it's", 0, kNts);
  bind(SQL_C_BINARY, SQL_VARBINARY, "\x0a\xff", 2, 2);
  for (const auto& c : cases) {
    EXPECT_EQ(substitute(c.sqlTemplate), c.expected) << c.sqlTemplate;
  }
  // A point at the seam: "5." then "e3" would read as 5000, "t" then ".5" as a column of t.
  statement_.freeStmt(SQL_RESET_PARAMS);
  buffers_.clear();
  words_.clear();
  bind(SQL_C_CHAR, SQL_DOUBLE, "5.", 0, kNts);
  bind(SQL_C_CHAR, SQL_DOUBLE, ".5", 0, kNts);
  EXPECT_EQ(substitute("SELECT ?e3, t?"), "SELECT 5. e3, t .5");
}

TEST_F(ParameterLiteralTest, ALiteralIsNeverScannedAgain) {
  bind(SQL_C_CHAR, SQL_INTEGER, "5", 0, kNts);
  bind(SQL_C_CHAR, SQL_VARCHAR, "?", 0, kNts);
  bind(SQL_C_CHAR, SQL_VARCHAR, "'?", 0, kNts);
  bind(SQL_C_SLONG, SQL_INTEGER, bytesOf(SQLINTEGER{9}), 0, 0);
  EXPECT_EQ(substitute("VALUES (?, ?, ?, ?)"), "VALUES (5, '?', '''?', 9)");
}

TEST_F(ParameterLiteralTest, AMarkerWithoutAParameterSendsNothing) {
  bind(SQL_C_SLONG, SQL_INTEGER, bytesOf(SQLINTEGER{1}), 0, 0);
  EXPECT_EQ(substitute("SELECT ?, ?"), "state 07002");
  EXPECT_EQ(substitute("SELECT 1"), "SELECT 1");  // more parameters than markers
  EXPECT_EQ(substitute("SELECT ?"), "SELECT 1");

  // A null data pointer is bound only as NULL or as data at execution.
  words_.reserve(4);
  bind(SQL_C_SLONG, SQL_INTEGER, "", 0, 0, true);
  EXPECT_EQ(substitute("SELECT ?, ?"), "state 07002");
  words_[1] = SQL_NULL_DATA;
  EXPECT_EQ(substitute("SELECT ?, ?"), "SELECT 1, NULL");
  words_[1] = SQL_DATA_AT_EXEC;
  EXPECT_EQ(substitute("SELECT ?, ?"), "need data");

  // An implementation record missing for the marker.
  statement_.impParamDesc()->setCount(1);
  words_[1] = 0;
  EXPECT_EQ(substitute("SELECT ?, ?"), "state 07002");
}

TEST_F(ParameterLiteralTest, LengthsAndIndicatorsAreReadAtExecution) {
  bind(SQL_C_CHAR, SQL_VARCHAR, "abcdef", 0, 2);
  EXPECT_EQ(substitute("?"), "'ab'");
  words_[0] = SQL_NULL_DATA;
  EXPECT_EQ(substitute("?"), "NULL");
  words_[0] = kNts;
  EXPECT_EQ(substitute("?"), "'abcdef'");
  words_[0] = SQL_DATA_AT_EXEC;
  EXPECT_EQ(substitute("?"), "need data");
}

TEST_F(ParameterLiteralTest, AnExplicitDescriptorsLengthsCount) {
  Descriptor explicitApd(&connection_, DescriptorType::explicitlyAllocated);
  char value[] = "abcdef";
  SQLLEN length = 3;
  explicitApd.setField(1, SQL_DESC_CONCISE_TYPE, reinterpret_cast<SQLPOINTER>(SQLLEN{SQL_C_CHAR}), 0);
  explicitApd.setField(1, SQL_DESC_OCTET_LENGTH_PTR, &length, 0);
  explicitApd.setField(1, SQL_DESC_DATA_PTR, value, 0);
  statement_.impParamDesc()->setCount(1);
  statement_.impParamDesc()->setField(1, SQL_DESC_CONCISE_TYPE,
                                      reinterpret_cast<SQLPOINTER>(SQLLEN{SQL_VARCHAR}), 0);
  std::string finalText;
  ASSERT_EQ(statement_.substituteParameters("?", {0}, explicitApd, *statement_.impParamDesc(), 0,
                                            finalText),
            SQL_SUCCESS);
  EXPECT_EQ(finalText, "'abc'");
}

TEST_F(ParameterLiteralTest, ArraysAndBindOffsetsAddressEachSet) {
  // Two sets, column-wise: integers and 4-byte texts with their own length words.
  SQLINTEGER numbers[2] = {10, 20};
  char texts[2][4] = {{'a', 'b', 'c', 'd'}, {'x', '\0', 0, 0}};
  SQLLEN numberWords[2] = {0, SQL_NULL_DATA};
  SQLLEN textWords[2] = {4, kNts};
  ASSERT_EQ(statement_.bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, numbers, 0,
                                     numberWords),
            SQL_SUCCESS);
  ASSERT_EQ(statement_.bindParameter(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 0, 0, texts, 4,
                                     textWords),
            SQL_SUCCESS);
  Descriptor& apd = *statement_.appParamDesc();
  Descriptor& ipd = *statement_.impParamDesc();
  apd.setArraySize(2);
  std::string text;
  ASSERT_EQ(statement_.substituteParameters("?,?", {0, 2}, apd, ipd, 0, text), SQL_SUCCESS);
  EXPECT_EQ(text, "10,'abcd'");
  ASSERT_EQ(statement_.substituteParameters("?,?", {0, 2}, apd, ipd, 1, text), SQL_SUCCESS);
  EXPECT_EQ(text, "NULL,'x'");
}

TEST_F(ParameterLiteralTest, TheBindOffsetMovesTheValueAndItsWordAlike) {
  // Bound at the start of the area; with the offset the value and its word are 64 bytes on.
  alignas(8) unsigned char area[128] = {};
  const auto put = [&area](std::size_t at, auto value) { std::memcpy(area + at, &value, sizeof value); };
  put(0, SQLINTEGER{10});
  put(8, SQLLEN{SQL_NULL_DATA});
  put(64, SQLINTEGER{30});
  put(72, SQLLEN{0});
  ASSERT_EQ(statement_.bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, area, 0,
                                     reinterpret_cast<SQLLEN*>(area + 8)),
            SQL_SUCCESS);
  EXPECT_EQ(substitute("?"), "NULL");
  SQLLEN offset = 64;
  statement_.appParamDesc()->setBindOffsetPtr(&offset);
  EXPECT_EQ(substitute("?"), "30");
  // Data at execution is seen where the statement looks for it too.
  put(72, SQLLEN{SQL_DATA_AT_EXEC});
  EXPECT_TRUE(statement_.needsParameterData(0));
  EXPECT_EQ(substitute("?"), "need data");
  offset = 0;
  EXPECT_FALSE(statement_.needsParameterData(0));
}

TEST(ParameterLiteralTraceTest, TheTraceTellsLengthsAndRefusedTypes) {
  testsupport::TracedEnvironment traced;
  testsupport::RecordingConnection connection(&traced.environment());
  Statement statement(&connection);
  char text[] = "abc";
  const std::u16string wide = u"xy";
  SQLCHAR numeric[19] = {};
  SQLLEN nts = SQL_NTS;
  SQLLEN none = 0;
  statement.bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 0, 0, text, 4, &nts);
  statement.bindParameter(2, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 0, 0,
                          const_cast<char16_t*>(wide.c_str()), 6, &nts);
  statement.bindParameter(3, SQL_PARAM_INPUT, SQL_C_NUMERIC, SQL_NUMERIC, 0, 0, numeric, 19,
                          &none);
  std::string finalText;
  EXPECT_EQ(statement.substituteParameters("?, ?, ?", {0, 3, 6}, *statement.appParamDesc(),
                                           *statement.impParamDesc(), 0, finalText),
            SQL_ERROR);
  const std::vector<std::string> lines = traced.lines();
  for (const char* expected :
       {"// octet len: 3", "// wide len: 2", "// No handler for parameter: 3 type: 2 2"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
  }
}

}  // namespace
