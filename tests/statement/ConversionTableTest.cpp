// One server value at a time into an application buffer: every C type of the conversion, into
// canary-filled buffers, so that each byte written is seen and each byte not to be written too.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "tests/statement/ResultColumns.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr unsigned char kCanary = 0xA5;
constexpr SQLLEN kUntouched = -777;
constexpr std::size_t kBufferSize = 64;

template <typename T>
std::string bytesOf(const T& value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// UTF-16 text with its terminator, as bytes.
std::string wideBytes(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), 2 * (text.size() + 1));
}

SQL_DATE_STRUCT date(int year, int month, int day) {
  return {static_cast<SQLSMALLINT>(year), static_cast<SQLUSMALLINT>(month),
          static_cast<SQLUSMALLINT>(day)};
}

SQL_TIME_STRUCT time(int hour, int minute, int second) {
  return {static_cast<SQLUSMALLINT>(hour), static_cast<SQLUSMALLINT>(minute),
          static_cast<SQLUSMALLINT>(second)};
}

SQL_TIMESTAMP_STRUCT timestamp(int year, int month, int day, int hour, int minute, int second,
                               SQLUINTEGER fraction) {
  return {static_cast<SQLSMALLINT>(year),
          static_cast<SQLUSMALLINT>(month),
          static_cast<SQLUSMALLINT>(day),
          static_cast<SQLUSMALLINT>(hour),
          static_cast<SQLUSMALLINT>(minute),
          static_cast<SQLUSMALLINT>(second),
          fraction};
}

class ConversionTableTest : public ::testing::Test {
 public:
  struct Outcome {
    SQLRETURN rc;
    std::string state;
    std::vector<unsigned char> buffer;
    SQLLEN length = kUntouched;
    SQLLEN indicator = kUntouched;
  };

 protected:
  // Converts the value of a fresh column into a canary-filled buffer, with separate length and
  // indicator words.
  Outcome convert(const std::optional<std::string>& text, SQLSMALLINT sqlType, SQLSMALLINT cType,
                  SQLLEN bufferLength, const DescriptorRecord* applicationRecord = nullptr) {
    return convertRepeatedly(text, sqlType, cType, {bufferLength}, applicationRecord).front();
  }

  // As SQLGetData converts one column call after call, one call per buffer length: the piece
  // position carries over, each call gets a fresh buffer and fresh length and indicator words.
  std::vector<Outcome> convertRepeatedly(const std::optional<std::string>& text,
                                         SQLSMALLINT sqlType, SQLSMALLINT cType,
                                         const std::vector<SQLLEN>& bufferLengths,
                                         const DescriptorRecord* applicationRecord = nullptr) {
    testsupport::ResultColumns result(connection_, 1);
    DescriptorRecord& column = result.add(sqlType);
    result.set(1, 0, text);
    std::vector<Outcome> outcomes;
    SQLULEN position = 0;
    for (SQLLEN bufferLength : bufferLengths) {
      Outcome outcome;
      outcome.buffer.assign(kBufferSize, kCanary);
      outcome.rc = column.convertImpToAppValue(0, cType, outcome.buffer.data(), bufferLength,
                                               &outcome.length, &outcome.indicator, &position,
                                               {diagnostics_, 1, -1, applicationRecord});
      outcome.state = testsupport::takeState(diagnostics_);
      outcomes.push_back(outcome);
    }
    return outcomes;
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC conversion test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  DiagnosticHeader diagnostics_{&environment_};
};

struct Case {
  std::optional<std::string> text;
  SQLSMALLINT sqlType;
  SQLSMALLINT cType;
  SQLLEN bufferLength;
  SQLRETURN rc;
  const char* state;
  std::string written;  // from the buffer's start; every later byte keeps the canary
  SQLLEN length;
  SQLLEN indicator;
};

const SQLRETURN ok = SQL_SUCCESS;
const SQLRETURN info = SQL_SUCCESS_WITH_INFO;
const SQLRETURN error = SQL_ERROR;
const std::string none;

void expectOutcome(const ConversionTableTest::Outcome& outcome, const Case& c) {
  EXPECT_EQ(outcome.rc, c.rc);
  EXPECT_EQ(outcome.state, c.state);
  EXPECT_EQ(std::string(outcome.buffer.begin(), outcome.buffer.begin() + c.written.size()),
            c.written);
  for (std::size_t i = c.written.size(); i < kBufferSize; ++i) {
    ASSERT_EQ(outcome.buffer[i], kCanary) << "byte " << i << " was written";
  }
  EXPECT_EQ(outcome.length, c.length);
  EXPECT_EQ(outcome.indicator, c.indicator);
}

TEST_F(ConversionTableTest, EveryCTypeWritesExactlyItsBytes) {
  const std::string big300 = "1" + std::string(299, '0');
  const Case cases[] = {
      // Integers: exactly their width, whatever the buffer length.
      {"42", SQL_INTEGER, SQL_C_SSHORT, 2, ok, "", bytesOf<SQLSMALLINT>(42), 2, 0},
      {"42", SQL_INTEGER, SQL_C_SLONG, 8, ok, "", bytesOf<SQLINTEGER>(42), 4, 0},
      {"42", SQL_INTEGER, SQL_C_LONG, 0, ok, "", bytesOf<SQLINTEGER>(42), 4, 0},
      {"3000000000", SQL_BIGINT, SQL_C_SLONG, 4, error, "22003", none, kUntouched, kUntouched},
      {"3000000000", SQL_BIGINT, SQL_C_ULONG, 4, ok, "", bytesOf<SQLUINTEGER>(3000000000u), 4, 0},
      {"-1", SQL_INTEGER, SQL_C_ULONG, 4, error, "22003", none, kUntouched, kUntouched},
      {"-0", SQL_INTEGER, SQL_C_UTINYINT, 1, ok, "", bytesOf<SQLCHAR>(0), 1, 0},
      {"1e3", SQL_DOUBLE, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(1000), 4, 0},
      {"2.5e1", SQL_DOUBLE, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(25), 4, 0},
      {"2.55e1", SQL_DOUBLE, SQL_C_SLONG, 4, info, "01S07", bytesOf<SQLINTEGER>(25), 4, 0},
      {"1e10", SQL_DOUBLE, SQL_C_SLONG, 4, error, "22003", none, kUntouched, kUntouched},
      {"12abc", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(12), 4, 0},
      // The exponent belongs to the number only right behind its digits; integers stay exact.
      {"9007199254740993 see", SQL_VARCHAR, SQL_C_SBIGINT, 8, ok, "",
       bytesOf<SQLBIGINT>(9007199254740993), 8, 0},
      {"9007199254740993e0", SQL_DOUBLE, SQL_C_SBIGINT, 8, ok, "",
       bytesOf<SQLBIGINT>(9007199254740993), 8, 0},
      {"1e3", SQL_DOUBLE, SQL_C_SBIGINT, 8, ok, "", bytesOf<SQLBIGINT>(1000), 8, 0},
      {"90071992547409.93e2", SQL_DOUBLE, SQL_C_SBIGINT, 8, ok, "",
       bytesOf<SQLBIGINT>(9007199254740993), 8, 0},
      {"1e19", SQL_DOUBLE, SQL_C_SBIGINT, 8, error, "22003", none, kUntouched, kUntouched},
      {"1e19", SQL_DOUBLE, SQL_C_UBIGINT, 8, ok, "", bytesOf<SQLUBIGINT>(10000000000000000000u), 8,
       0},
      {"0e999999999", SQL_DOUBLE, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(0), 4, 0},
      {"5e-1", SQL_DOUBLE, SQL_C_SLONG, 4, info, "01S07", bytesOf<SQLINTEGER>(0), 4, 0},
      {"7e", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(7), 4, 0},
      {"7 e3", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(7), 4, 0},
      {"7e+x", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(7), 4, 0},
      {"  +7", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(7), 4, 0},
      {"abc", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(0), 4, 0},
      {"", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(0), 4, 0},
      {"12.5", SQL_DECIMAL, SQL_C_SLONG, 4, info, "01S07", bytesOf<SQLINTEGER>(12), 4, 0},
      {"-12.000", SQL_DECIMAL, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(-12), 4, 0},
      {"-128", SQL_SMALLINT, SQL_C_STINYINT, 1, ok, "", bytesOf<SQLSCHAR>(-128), 1, 0},
      {"128", SQL_SMALLINT, SQL_C_TINYINT, 1, error, "22003", none, kUntouched, kUntouched},
      {"255", SQL_SMALLINT, SQL_C_UTINYINT, 1, ok, "", bytesOf<SQLCHAR>(255), 1, 0},
      {"256", SQL_SMALLINT, SQL_C_UTINYINT, 1, error, "22003", none, kUntouched, kUntouched},
      {"-32768", SQL_SMALLINT, SQL_C_SHORT, 2, ok, "", bytesOf<SQLSMALLINT>(-32768), 2, 0},
      {"65535", SQL_INTEGER, SQL_C_USHORT, 2, ok, "", bytesOf<SQLUSMALLINT>(65535), 2, 0},
      {"65536", SQL_INTEGER, SQL_C_USHORT, 2, error, "22003", none, kUntouched, kUntouched},
      {"-9223372036854775808", SQL_BIGINT, SQL_C_SBIGINT, 8, ok, "", bytesOf<SQLBIGINT>(INT64_MIN),
       8, 0},
      {"9223372036854775808", SQL_BIGINT, SQL_C_SBIGINT, 8, error, "22003", none, kUntouched,
       kUntouched},
      {"18446744073709551615", SQL_BIGINT, SQL_C_UBIGINT, 8, ok, "",
       bytesOf<SQLUBIGINT>(UINT64_MAX), 8, 0},
      {"18446744073709551616", SQL_BIGINT, SQL_C_UBIGINT, 8, error, "22003", none, kUntouched,
       kUntouched},
      {big300, SQL_DECIMAL, SQL_C_SBIGINT, 8, error, "22003", none, kUntouched, kUntouched},
      // Plain digits are read in one pass up to nineteen of them, the longer ones exactly too.
      {"9999999999999999999", SQL_BIGINT, SQL_C_UBIGINT, 8, ok, "",
       bytesOf<SQLUBIGINT>(9999999999999999999u), 8, 0},
      {"9999999999999999999", SQL_BIGINT, SQL_C_SBIGINT, 8, error, "22003", none, kUntouched,
       kUntouched},
      {"00000000000000000000042", SQL_BIGINT, SQL_C_SBIGINT, 8, ok, "", bytesOf<SQLBIGINT>(42), 8,
       0},
      {"\t\n-42\r", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(-42), 4, 0},
      {"42.", SQL_DECIMAL, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(42), 4, 0},
      {"-", SQL_VARCHAR, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(0), 4, 0},
      // SQL_C_BIT is 1 for anything but 0, its fraction dropped as the C library drops it.
      {"7", SQL_INTEGER, SQL_C_BIT, 0, ok, "", bytesOf<SQLCHAR>(1), 1, 0},
      {"0", SQL_INTEGER, SQL_C_BIT, 1, ok, "", bytesOf<SQLCHAR>(0), 1, 0},
      {"0.5", SQL_DOUBLE, SQL_C_BIT, 1, ok, "", bytesOf<SQLCHAR>(0), 1, 0},
      // Reals.
      {"2.5", SQL_DOUBLE, SQL_C_DOUBLE, 0, ok, "", bytesOf<SQLDOUBLE>(2.5), 8, 0},
      {"-0.1", SQL_REAL, SQL_C_FLOAT, 4, ok, "", bytesOf<SQLREAL>(-0.1f), 4, 0},
      {big300, SQL_DECIMAL, SQL_C_DOUBLE, 8, ok, "", bytesOf<SQLDOUBLE>(1e299), 8, 0},
      {"1e400", SQL_DOUBLE, SQL_C_DOUBLE, 8, error, "22003", none, kUntouched, kUntouched},
      {"1e-400", SQL_DOUBLE, SQL_C_DOUBLE, 8, ok, "", bytesOf<SQLDOUBLE>(0.0), 8, 0},
      {"3.5e38", SQL_DOUBLE, SQL_C_FLOAT, 4, error, "22003", none, kUntouched, kUntouched},
      // What rounds to the largest float is in range; what rounds to infinity is not.
      {"3.4028235e38", SQL_REAL, SQL_C_FLOAT, 4, ok, "", bytesOf<SQLREAL>(FLT_MAX), 4, 0},
      {"3.40282346638529e+38", SQL_REAL, SQL_C_FLOAT, 4, ok, "", bytesOf<SQLREAL>(FLT_MAX), 4, 0},
      {"-3.4028235e38", SQL_REAL, SQL_C_FLOAT, 4, ok, "", bytesOf<SQLREAL>(-FLT_MAX), 4, 0},
      {"3.4028236e38", SQL_REAL, SQL_C_FLOAT, 4, error, "22003", none, kUntouched, kUntouched},
      // Timestamps: the fraction is nanoseconds.
      {"2012-05-06 07:08:09.5", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, ok, "",
       bytesOf(timestamp(2012, 5, 6, 7, 8, 9, 500000000)), 16, 0},
      {"2012-05-06 07:08:09.123456", SQL_TYPE_TIMESTAMP, SQL_C_TIMESTAMP, 0, ok, "",
       bytesOf(timestamp(2012, 5, 6, 7, 8, 9, 123456000)), 16, 0},
      {"2012-05-06 07:08:09.1234567891", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, info,
       "01S07", bytesOf(timestamp(2012, 5, 6, 7, 8, 9, 123456789)), 16, 0},
      {" 2012-5-6  7:08:09 ", SQL_VARCHAR, SQL_C_TYPE_TIMESTAMP, 16, ok, "",
       bytesOf(timestamp(2012, 5, 6, 7, 8, 9, 0)), 16, 0},
      // The server's other forms: a "T" between date and time, no seconds.
      {"2024-01-02T03:04:05", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, ok, "",
       bytesOf(timestamp(2024, 1, 2, 3, 4, 5, 0)), 16, 0},
      {"2024-01-02T03:04:05.25", SQL_VARCHAR, SQL_C_TYPE_TIMESTAMP, 16, ok, "",
       bytesOf(timestamp(2024, 1, 2, 3, 4, 5, 250000000)), 16, 0},
      {"2024-01-02 03:04", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, ok, "",
       bytesOf(timestamp(2024, 1, 2, 3, 4, 0, 0)), 16, 0},
      {"2024-01-02T03:04", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIME, 6, ok, "",
       bytesOf(time(3, 4, 0)), 6, 0},
      {"2024-01-02T03:04:05", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_DATE, 6, info, "01S07",
       bytesOf(date(2024, 1, 2)), 6, 0},
      {"03:04", SQL_TYPE_TIME, SQL_C_TYPE_TIME, 6, ok, "", bytesOf(time(3, 4, 0)), 6, 0},
      {"2024-01-02 03:04.5", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, error, "22018", none,
       kUntouched, kUntouched},
      {"2024-01-02T", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, error, "22018", none,
       kUntouched, kUntouched},
      {"2024-01-02 03:", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, error, "22018", none,
       kUntouched, kUntouched},
      // Dates and times, written whatever the buffer length says.
      {"2012-05-06", SQL_TYPE_DATE, SQL_C_TYPE_TIMESTAMP, 0, ok, "",
       bytesOf(timestamp(2012, 5, 6, 0, 0, 0, 0)), 16, 0},
      {"2012-05-06", SQL_TYPE_DATE, SQL_C_TYPE_DATE, 0, ok, "", bytesOf(date(2012, 5, 6)), 6, 0},
      {"2012-05-06", SQL_DATE, SQL_C_DATE, 6, ok, "", bytesOf(date(2012, 5, 6)), 6, 0},
      {"2012-02-29", SQL_VARCHAR, SQL_C_TYPE_DATE, 6, ok, "", bytesOf(date(2012, 2, 29)), 6, 0},
      {"07:08:09", SQL_VARCHAR, SQL_C_TYPE_TIME, 0, ok, "", bytesOf(time(7, 8, 9)), 6, 0},
      {"07:08:09", SQL_TYPE_TIME, SQL_C_TIME, 6, ok, "", bytesOf(time(7, 8, 9)), 6, 0},
      {"2012-05-06 07:08:09", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_DATE, 6, info, "01S07",
       bytesOf(date(2012, 5, 6)), 6, 0},
      {"2012-05-06 00:00:00", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_DATE, 6, ok, "",
       bytesOf(date(2012, 5, 6)), 6, 0},
      {"2012-05-06 07:08:09", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIME, 6, ok, "",
       bytesOf(time(7, 8, 9)), 6, 0},
      {"2012-05-06 07:08:09.5", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIME, 6, info, "01S07",
       bytesOf(time(7, 8, 9)), 6, 0},
      // What is no date or time, and the pairs that do not convert.
      {"2012-05-06", SQL_TYPE_DATE, SQL_C_TYPE_TIME, 6, error, "07006", none, kUntouched,
       kUntouched},
      {"07:08:09", SQL_TYPE_TIME, SQL_C_TYPE_DATE, 6, error, "07006", none, kUntouched, kUntouched},
      {"20120506", SQL_INTEGER, SQL_C_TYPE_DATE, 6, error, "07006", none, kUntouched, kUntouched},
      {"2012-05-06", SQL_LONGVARBINARY, SQL_C_TYPE_TIMESTAMP, 16, error, "07006", none, kUntouched,
       kUntouched},
      {"xx", SQL_VARCHAR, SQL_C_TYPE_DATE, 6, error, "22018", none, kUntouched, kUntouched},
      {"xx", SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, error, "22018", none, kUntouched,
       kUntouched},
      {"2011-02-29", SQL_VARCHAR, SQL_C_TYPE_DATE, 6, error, "22018", none, kUntouched, kUntouched},
      {"2012-13-01", SQL_VARCHAR, SQL_C_TYPE_DATE, 6, error, "22018", none, kUntouched, kUntouched},
      {"24:00:00", SQL_VARCHAR, SQL_C_TYPE_TIME, 6, error, "22018", none, kUntouched, kUntouched},
      {"2012-05-06x", SQL_VARCHAR, SQL_C_TYPE_DATE, 6, error, "22018", none, kUntouched,
       kUntouched},
      {"07:08:09", SQL_VARCHAR, SQL_C_TYPE_DATE, 6, error, "22018", none, kUntouched, kUntouched},
      {"2012-05-06", SQL_VARCHAR, SQL_C_TYPE_TIME, 6, error, "22018", none, kUntouched, kUntouched},
      // Character and binary data in one piece, cut, or only measured.
      {"abc", SQL_VARCHAR, SQL_C_CHAR, 10, ok, "", std::string("abc", 4), 3, 0},
      {"abcdef", SQL_VARCHAR, SQL_C_CHAR, 4, info, "01004", std::string("abc", 4), 6, 0},
      {"abc", SQL_VARCHAR, SQL_C_CHAR, 0, ok, "", none, 3, 0},
      {"abc", SQL_VARCHAR, SQL_C_CHAR, -1, error, "HY090", none, kUntouched, kUntouched},
      {"abc", SQL_VARCHAR, SQL_C_WCHAR, -2, error, "HY090", none, kUntouched, kUntouched},
      {"abc", SQL_VARCHAR, SQL_C_BINARY, -1, error, "HY090", none, kUntouched, kUntouched},
      {"\xC3\xA9\xE2\x82\xAC", SQL_VARCHAR, SQL_C_WCHAR, 10, ok, "", wideBytes(u"\u00E9\u20AC"), 4,
       0},
      {"\xC3\xA9\xE2\x82\xAC", SQL_VARCHAR, SQL_C_WCHAR, 0, ok, "", none, 4, 0},
      // A buffer with no room for a single unit: nothing written, and a cut all the same.
      {"\xC3\xA9\xE2\x82\xAC", SQL_VARCHAR, SQL_C_WCHAR, 1, info, "01004", none, 4, 0},
      // The buffer fills to its terminator, a UTF-8 sequence cut where the room ends.
      {"\xE2\x82\xAC", SQL_VARCHAR, SQL_C_CHAR, 3, info, "01004", std::string("\xE2\x82", 3), 3,
       0},
      {std::string("\x01\x00\x02", 3), SQL_LONGVARBINARY, SQL_C_BINARY, 2, info, "01004",
       std::string("\x01\x00", 2), 3, 0},
      {std::string("\x01\x02", 2), SQL_LONGVARBINARY, SQL_C_CHAR, 8, ok, "",
       std::string("\x01\x02", 3), 2, 0},
      // Numbers, dates and times as text: whole, or cut only in their fractional digits.
      {"1234.56", SQL_DECIMAL, SQL_C_CHAR, 4, error, "22003", none, kUntouched, kUntouched},
      {"1234.56", SQL_DECIMAL, SQL_C_CHAR, 5, info, "01004", std::string("1234", 5), 7, 0},
      {"1234.56", SQL_DECIMAL, SQL_C_CHAR, 6, info, "01004", std::string("1234", 5), 7, 0},
      {"1234.56", SQL_DECIMAL, SQL_C_CHAR, 7, info, "01004", std::string("1234.5", 7), 7, 0},
      {"1234.56", SQL_DECIMAL, SQL_C_CHAR, 8, ok, "", std::string("1234.56", 8), 7, 0},
      {"-1234.56", SQL_DECIMAL, SQL_C_CHAR, 5, error, "22003", none, kUntouched, kUntouched},
      {"123456", SQL_INTEGER, SQL_C_CHAR, 4, error, "22003", none, kUntouched, kUntouched},
      {"123456", SQL_INTEGER, SQL_C_CHAR, 7, ok, "", std::string("123456", 7), 6, 0},
      {"123456", SQL_INTEGER, SQL_C_CHAR, 0, ok, "", none, 6, 0},
      {"123456", SQL_INTEGER, SQL_C_WCHAR, 8, error, "22003", none, kUntouched, kUntouched},
      {"123456", SQL_INTEGER, SQL_C_WCHAR, 14, ok, "", wideBytes(u"123456"), 12, 0},
      {"123456", SQL_INTEGER, SQL_C_BINARY, 4, error, "22003", none, kUntouched, kUntouched},
      {"123456", SQL_INTEGER, SQL_C_BINARY, 6, ok, "", "123456", 6, 0},
      {"1.5e+10", SQL_DOUBLE, SQL_C_CHAR, 7, error, "22003", none, kUntouched, kUntouched},
      {"1", SQL_BIT, SQL_C_CHAR, 1, error, "22003", none, kUntouched, kUntouched},
      {"1992-12-31", SQL_TYPE_DATE, SQL_C_CHAR, 10, error, "22003", none, kUntouched, kUntouched},
      {"1992-12-31", SQL_TYPE_DATE, SQL_C_CHAR, 11, ok, "", std::string("1992-12-31", 11), 10, 0},
      {"1992-12-31 23:59:58.123", SQL_TYPE_TIMESTAMP, SQL_C_CHAR, 18, error, "22003", none,
       kUntouched, kUntouched},
      {"1992-12-31 23:59:58.123", SQL_TYPE_TIMESTAMP, SQL_C_CHAR, 20, info, "01004",
       std::string("1992-12-31 23:59:58", 20), 23, 0},
      {"1992-12-31 23:59:58.123", SQL_TYPE_TIMESTAMP, SQL_C_CHAR, 22, info, "01004",
       std::string("1992-12-31 23:59:58.1", 22), 23, 0},
      {"1992-12-31 23:59:58.123", SQL_TYPE_TIMESTAMP, SQL_C_CHAR, 23, info, "01004",
       std::string("1992-12-31 23:59:58.12", 23), 23, 0},
      {"1992-12-31 23:59:58.123", SQL_TYPE_TIMESTAMP, SQL_C_WCHAR, 44, info, "01004",
       wideBytes(u"1992-12-31 23:59:58.1"), 46, 0},
      {"23:59:58", SQL_TYPE_TIME, SQL_C_WCHAR, 16, error, "22003", none, kUntouched, kUntouched},
      // NULL: the indicator, and an empty string in a character buffer.
      {std::nullopt, SQL_VARCHAR, SQL_C_CHAR, 10, ok, "", std::string(1, '\0'), kUntouched,
       SQL_NULL_DATA},
      {std::nullopt, SQL_INTEGER, SQL_C_SLONG, 4, ok, "", none, kUntouched, SQL_NULL_DATA},
      {std::nullopt, SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, 16, ok, "", none, kUntouched,
       SQL_NULL_DATA},
      // SQL_C_DEFAULT is the column's own C type.
      {"42", SQL_INTEGER, SQL_C_DEFAULT, 0, ok, "", bytesOf<SQLINTEGER>(42), 4, 0},
      {"abc", SQL_VARCHAR, SQL_C_DEFAULT, 8, ok, "", std::string("abc", 4), 3, 0},
      {"ab", SQL_WVARCHAR, SQL_C_DEFAULT, 8, ok, "", wideBytes(u"ab"), 4, 0},
      {"2012-05-06", SQL_TYPE_DATE, SQL_C_DEFAULT, 0, ok, "", bytesOf(date(2012, 5, 6)), 6, 0},
      // C types the driver does not convert into.
      {"1.5", SQL_DECIMAL, SQL_C_NUMERIC, 19, error, "07006", none, kUntouched, kUntouched},
      {"{0}", SQL_GUID, SQL_C_GUID, 16, error, "07006", none, kUntouched, kUntouched},
      {"1", SQL_INTEGER, SQL_C_INTERVAL_DAY, 28, error, "07006", none, kUntouched, kUntouched},
      {"1", SQL_INTEGER, 12345, 8, error, "07006", none, kUntouched, kUntouched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.text ? "\"" + c.text->substr(0, 30) + "\"" : "NULL") << " sql " << c.sqlType
                 << " c " << c.cType << " buffer " << c.bufferLength);
    expectOutcome(convert(c.text, c.sqlType, c.cType, c.bufferLength), c);
  }
}

TEST_F(ConversionTableTest, AValueReturnedWholeAnswersNoDataAfterwards) {
  // The second call's buffer length stands in its row's bufferLength.
  struct Repeated {
    Case first;
    Case second;
  };
  const auto noData = [](SQLLEN bufferLength) {
    return Case{std::nullopt, 0, 0, bufferLength, SQL_NO_DATA, "", none, kUntouched, kUntouched};
  };
  const Repeated cases[] = {
      {{"42", SQL_INTEGER, SQL_C_SLONG, 4, ok, "", bytesOf<SQLINTEGER>(42), 4, 0}, noData(4)},
      {{std::nullopt, SQL_INTEGER, SQL_C_SLONG, 4, ok, "", none, kUntouched, SQL_NULL_DATA},
       noData(4)},
      {{std::nullopt, SQL_VARCHAR, SQL_C_CHAR, 4, ok, "", std::string(1, '\0'), kUntouched,
        SQL_NULL_DATA},
       noData(4)},
      {{"2012-05-06", SQL_TYPE_DATE, SQL_C_TYPE_DATE, 6, ok, "", bytesOf(date(2012, 5, 6)), 6, 0},
       noData(6)},
      {{"", SQL_VARCHAR, SQL_C_CHAR, 4, ok, "", std::string(1, '\0'), 0, 0}, noData(4)},
      {{"12.5", SQL_DECIMAL, SQL_C_SLONG, 4, info, "01S07", bytesOf<SQLINTEGER>(12), 4, 0},
       noData(4)},
      // Numbers as text are no pieces: what the first call cut does not follow.
      {{"1234.56", SQL_DECIMAL, SQL_C_CHAR, 5, info, "01004", std::string("1234", 5), 7, 0},
       noData(16)},
      // A measuring call returns nothing yet, nor does one that failed.
      {{"123456", SQL_INTEGER, SQL_C_CHAR, 0, ok, "", none, 6, 0},
       {std::nullopt, 0, 0, 16, ok, "", std::string("123456", 7), 6, 0}},
      {{"123456", SQL_INTEGER, SQL_C_CHAR, 4, error, "22003", none, kUntouched, kUntouched},
       {std::nullopt, 0, 0, 16, ok, "", std::string("123456", 7), 6, 0}},
  };
  for (const Repeated& c : cases) {
    const Case& first = c.first;
    SCOPED_TRACE(testing::Message() << (first.text ? *first.text : "NULL") << " c " << first.cType
                                    << " buffer " << first.bufferLength);
    const std::vector<Outcome> outcomes = convertRepeatedly(
        first.text, first.sqlType, first.cType, {first.bufferLength, c.second.bufferLength});
    expectOutcome(outcomes[0], first);
    expectOutcome(outcomes[1], c.second);
  }
}

TEST_F(ConversionTableTest, TimeBecomesATimestampOfToday) {
  const Outcome outcome = convert("07:08:09.25", SQL_VARCHAR, SQL_C_TYPE_TIMESTAMP, 16);
  ASSERT_EQ(outcome.rc, SQL_SUCCESS);
  SQL_TIMESTAMP_STRUCT value;
  std::memcpy(&value, outcome.buffer.data(), sizeof value);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  EXPECT_EQ(value.year, local.tm_year + 1900);
  EXPECT_EQ(value.month, local.tm_mon + 1);
  EXPECT_EQ(value.day, local.tm_mday);
  EXPECT_EQ(value.hour, 7);
  EXPECT_EQ(value.minute, 8);
  EXPECT_EQ(value.second, 9);
  EXPECT_EQ(value.fraction, 250000000u);
}

TEST_F(ConversionTableTest, ArdTypeIsTheApplicationRecordsType) {
  Descriptor ard(&connection_, DescriptorType::applicationRow);
  ard.setField(1, SQL_DESC_CONCISE_TYPE, reinterpret_cast<SQLPOINTER>(SQL_C_SSHORT), 0);
  const Outcome shortValue = convert("42", SQL_INTEGER, SQL_ARD_TYPE, 0, ard.getRecord(1));
  EXPECT_EQ(shortValue.rc, SQL_SUCCESS);
  EXPECT_EQ(shortValue.length, 2);
  EXPECT_EQ(shortValue.buffer[2], kCanary);

  const Outcome without = convert("42", SQL_INTEGER, SQL_ARD_TYPE, 0);
  EXPECT_EQ(without.rc, SQL_ERROR);
  EXPECT_EQ(without.state, "07009");
}

TEST_F(ConversionTableTest, NullWithoutAnIndicatorIsRefused) {
  testsupport::ResultColumns result(connection_, 1);
  DescriptorRecord& column = result.add(SQL_INTEGER);
  SQLINTEGER value = 5;
  SQLLEN length = kUntouched;
  SQLULEN position = 0;
  EXPECT_EQ(column.convertImpToAppValue(0, SQL_C_SLONG, &value, 4, &length, nullptr, &position,
                                        {diagnostics_, 3, 2, nullptr}),
            SQL_ERROR);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(length, kUntouched);
  // The record carries the column and row it was posted for.
  SQLINTEGER columnNumber = 0;
  SQLLEN rowNumber = 0;
  diagnostics_.getDiagField(1, SQL_DIAG_COLUMN_NUMBER, &columnNumber, 0, nullptr);
  diagnostics_.getDiagField(1, SQL_DIAG_ROW_NUMBER, &rowNumber, 0, nullptr);
  EXPECT_EQ(columnNumber, 3);
  EXPECT_EQ(rowNumber, 2);
  EXPECT_EQ(testsupport::takeState(diagnostics_), "22002");
}

// A locale with a decimal comma: an installed one, or on POSIX one built for the test.
bool switchToDecimalComma() {
  const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"};
  for (const char* name : names) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) return true;
  }
#ifdef _WIN32
  return false;
#else
  const std::string directory = ::testing::TempDir() + "karvod-locales";
  const std::string build = "mkdir -p '" + directory + "' && localedef -i de_DE -f UTF-8 '" +
                            directory + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0) return false;
  setenv("LOCPATH", directory.c_str(), 1);
  return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
#endif
}

TEST_F(ConversionTableTest, NumbersIgnoreTheCLibrarysLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (!switchToDecimalComma()) GTEST_SKIP() << "no locale with a decimal comma";
  const Outcome real = convert("2.5", SQL_DOUBLE, SQL_C_DOUBLE, 8);
  const Outcome whole = convert("12.5", SQL_DECIMAL, SQL_C_SLONG, 4);
  const Outcome comma = convert("2,5", SQL_DOUBLE, SQL_C_DOUBLE, 8);
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(std::string(real.buffer.begin(), real.buffer.begin() + 8), bytesOf<SQLDOUBLE>(2.5));
  EXPECT_EQ(whole.state, "01S07");
  EXPECT_EQ(std::string(whole.buffer.begin(), whole.buffer.begin() + 4), bytesOf<SQLINTEGER>(12));
  EXPECT_EQ(std::string(comma.buffer.begin(), comma.buffer.begin() + 8), bytesOf<SQLDOUBLE>(2.0));
}

}  // namespace
