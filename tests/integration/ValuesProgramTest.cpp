// Values on their way between an application and the server's file, through the Driver Manager:
// data at execution of fixed-length types, arrays of parameters with a failing set, the lengths
// of text read with wide column types, and parameters, stored texts, escapes and names that must
// arrive or read back as they are. What reached the server is read with Python's sqlite3.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

SQLCHAR* sqlText(const char* sql) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)); }

SQLPOINTER attribute(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// ---------------------------------------------------------------------------------------------
// SQLPutData of a fixed-length C type takes the type's size whatever length comes with it.

struct Stored {
  SQLINTEGER number;
  SQLINTEGER behind;  // read only by a length taken literally
};

TEST_F(OdbcProgram, PutDataOfFixedLengthTypesIgnoresTheLengthGiven) {
  exec("create table pd (n integer, r real, ts timestamp, d date)");
  SQLHSTMT stmt = statement();
  SQLLEN atExecution[4] = {SQL_DATA_AT_EXEC, SQL_DATA_AT_EXEC, SQL_DATA_AT_EXEC, SQL_DATA_AT_EXEC};
  const struct {
    SQLSMALLINT cType;
    SQLSMALLINT sqlType;
  } parameters[] = {{SQL_C_LONG, SQL_INTEGER},
                    {SQL_C_DOUBLE, SQL_DOUBLE},
                    {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP},
                    {SQL_C_TYPE_DATE, SQL_TYPE_DATE}};
  for (SQLUSMALLINT p = 1; p <= 4; ++p) {
    // The value pointer is only the token SQLParamData hands back.
    ASSERT_EQ(SQLBindParameter(stmt, p, SQL_PARAM_INPUT, parameters[p - 1].cType,
                               parameters[p - 1].sqlType, 0, 0, attribute(p), 0,
                               &atExecution[p - 1]),
              SQL_SUCCESS);
  }
  Stored number = {42, 0x7777};
  SQLDOUBLE real = 2.5;
  SQL_TIMESTAMP_STRUCT stamp = {2020, 1, 1, 0, 0, 37, 0};
  SQL_DATE_STRUCT date = {2024, 2, 29};
  // Lengths too short, too long (past the value: an over-read under AddressSanitizer) and none.
  const struct {
    void* data;
    SQLLEN length;
  } pieces[] = {{&number, 1}, {&real, 100}, {&stamp, 3}, {&date, SQL_NTS}};
  ASSERT_EQ(SQLExecDirect(stmt, sqlText("insert into pd values (?, ?, ?, ?)"), SQL_NTS),
            SQL_NEED_DATA);
  for (SQLULEN p = 1; p <= 4; ++p) {
    SCOPED_TRACE("parameter " + std::to_string(p));
    SQLPOINTER token = nullptr;
    ASSERT_EQ(SQLParamData(stmt, &token), SQL_NEED_DATA);
    EXPECT_EQ(token, attribute(p));
    EXPECT_EQ(SQLPutData(stmt, pieces[p - 1].data, pieces[p - 1].length), SQL_SUCCESS);
  }
  ASSERT_EQ(SQLParamData(stmt, nullptr), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
  // A fixed-length value comes in one piece; the failed call ends the execution, as the Driver
  // Manager has it.
  ASSERT_EQ(SQLExecDirect(stmt, sqlText("insert into pd values (?, ?, ?, ?)"), SQL_NTS),
            SQL_NEED_DATA);
  ASSERT_EQ(SQLParamData(stmt, nullptr), SQL_NEED_DATA);
  EXPECT_EQ(SQLPutData(stmt, &number, sizeof number.number), SQL_SUCCESS);
  EXPECT_EQ(SQLPutData(stmt, &number, sizeof number.number), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "HY019");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(storedRows("select n, r, ts, d from pd"), "42|2.5|2020-01-01 00:00:37|2024-02-29\n");
}

// ---------------------------------------------------------------------------------------------
// Arrays of five parameter sets, set 2 failing or converted with a warning.

class ParameterArrayProgram : public OdbcProgram {
 protected:
  static constexpr SQLULEN kSets = 5;

  void SetUp() override {
    OdbcProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    exec("create table pa (x integer check (x < 100), label text)");
  }

  // Runs "insert into pa values (?, ?)" over the five texts of x, each set with its label;
  // answers the return code and leaves the statement open for its diagnostics.
  SQLRETURN insertSets(SQLHSTMT stmt, const char* const (&xs)[kSets],
                       const SQLUSMALLINT* operations = nullptr) {
    for (SQLULEN set = 0; set < kSets; ++set) {
      std::strcpy(xs_[set], xs[set]);
      labels_[set][0] = static_cast<char>('a' + set);
      labels_[set][1] = '\0';
      statuses_[set] = 99;
    }
    processed_ = 99;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, attribute(kSets), 0)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, statuses_, 0)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_, 0)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_OPERATION_PTR,
                                             const_cast<SQLUSMALLINT*>(operations), 0)));
    EXPECT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 0, 0, xs_,
                               sizeof xs_[0], nts_),
              SQL_SUCCESS);
    EXPECT_EQ(SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 2, 0, labels_,
                               sizeof labels_[0], nts_),
              SQL_SUCCESS);
    return SQLExecDirect(stmt, sqlText("insert into pa values (?, ?)"), SQL_NTS);
  }

  char xs_[kSets][8] = {};
  char labels_[kSets][2] = {};
  SQLLEN nts_[kSets] = {SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS};
  SQLUSMALLINT statuses_[kSets] = {};
  SQLULEN processed_ = 0;
};

TEST_F(ParameterArrayProgram, ASetFailingByConversionOrConstraintFailsAlone) {
  const SQLUSMALLINT S = SQL_PARAM_SUCCESS;
  const SQLUSMALLINT E = SQL_PARAM_ERROR;
  const SQLUSMALLINT U = SQL_PARAM_UNUSED;
  const SQLUSMALLINT ignoreSet3[kSets] = {SQL_PARAM_PROCEED, SQL_PARAM_PROCEED, SQL_PARAM_PROCEED,
                                          SQL_PARAM_IGNORE, SQL_PARAM_PROCEED};
  const struct {
    const char* name;
    const char* xs[kSets];
    const SQLUSMALLINT* operations;
    SQLRETURN rc;
    SQLUSMALLINT statuses[kSets];
    SQLULEN processed;
    std::vector<std::string> records;
    const char* stored;
  } cases[] = {
      {"no number", {"1", "2", "x", "4", "5"}, nullptr, SQL_SUCCESS_WITH_INFO, {S, S, E, S, S}, 5,
       {"22018 row 3"}, "1|a\n2|b\n4|d\n5|e\n"},
      {"constraint", {"1", "2", "200", "4", "5"}, nullptr, SQL_SUCCESS_WITH_INFO, {S, S, E, S, S}, 5,
       {"HY000 row 3"}, "1|a\n2|b\n4|d\n5|e\n"},
      {"both, one set ignored", {"1", "x", "200", "4", "5"}, ignoreSet3, SQL_SUCCESS_WITH_INFO,
       {S, E, E, U, S}, 4, {"22018 row 2", "HY000 row 3"}, "1|a\n5|e\n"},
      {"every set", {"x", "101", "y", "102", "z"}, nullptr, SQL_ERROR, {E, E, E, E, E}, 5,
       {"22018 row 1", "HY000 row 2", "22018 row 3", "HY000 row 4", "22018 row 5"}, ""},
      {"none", {"1", "2", "3", "4", "5"}, nullptr, SQL_SUCCESS, {S, S, S, S, S}, 5, {},
       "1|a\n2|b\n3|c\n4|d\n5|e\n"},
      // An integer column refuses a text with a fraction (ODBC's "22001"), alone in its set.
      {"fraction", {"1", "2", "2.5", "4", "5"}, nullptr, SQL_SUCCESS_WITH_INFO, {S, S, E, S, S}, 5,
       {"22001 row 3"}, "1|a\n2|b\n4|d\n5|e\n"},
      {"fraction and failure", {"1", "-0.5", "2e2", "4", "5"}, nullptr, SQL_SUCCESS_WITH_INFO,
       {S, E, E, S, S}, 5, {"22001 row 2", "HY000 row 3"}, "1|a\n4|d\n5|e\n"},
      {"exponent", {"1", "2", "0.3e1", "4", "5"}, nullptr, SQL_SUCCESS, {S, S, S, S, S}, 5, {},
       "1|a\n2|b\n3|c\n4|d\n5|e\n"},
      {"beyond integer", {"1", "2", "3e9", "4", "5"}, nullptr, SQL_SUCCESS_WITH_INFO,
       {S, S, E, S, S}, 5, {"22003 row 3"}, "1|a\n2|b\n4|d\n5|e\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    exec("delete from pa");
    SQLHSTMT stmt = statement();
    EXPECT_EQ(insertSets(stmt, c.xs, c.operations), c.rc);
    for (SQLULEN set = 0; set < kSets; ++set) {
      EXPECT_EQ(statuses_[set], c.statuses[set]) << "set " << set;
    }
    EXPECT_EQ(processed_, c.processed);
    EXPECT_EQ(diagnosticRows(stmt), c.records);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(storedRows("select x, label from pa order by x, label"), c.stored);
  }
}

// A number with a fraction for an integer or bit column is stored cut toward zero; the same as
// text is refused with "22001"; beyond the column's type either is refused with "22003".
TEST_F(OdbcProgram, AFractionForAnIntegerColumnIsCutFromANumberAndRefusedInText) {
  exec("create table fr (id integer, n integer, b bit)");
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLPrepare(stmt, sqlText("insert into fr values (1, ?, ?)"), SQL_NTS), SQL_SUCCESS);
  char number[] = "-7.9";
  char bit[] = "0.5";
  SQLLEN nts = SQL_NTS;
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 0, 0, number,
                             sizeof number, &nts),
            SQL_SUCCESS);
  ASSERT_EQ(SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_BIT, 0, 0, bit, sizeof bit,
                             &nts),
            SQL_SUCCESS);
  EXPECT_EQ(SQLExecute(stmt), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "22001");
  SQLDOUBLE numbers[2] = {-7.9, 0.5};
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 0, 0, &numbers[0],
                             0, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_BIT, 0, 0, &numbers[1], 0,
                             nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(SQLExecute(stmt), SQL_SUCCESS);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);

  stmt = statement();
  SQLLEN atExecution = SQL_DATA_AT_EXEC;
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_BIGINT, 0, 0,
                             attribute(1), 0, &atExecution),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(stmt, sqlText("insert into fr values (2, ?, 1)"), SQL_NTS),
            SQL_NEED_DATA);
  ASSERT_EQ(SQLParamData(stmt, nullptr), SQL_NEED_DATA);
  SQLDOUBLE value = 2.75;
  ASSERT_EQ(SQLPutData(stmt, &value, 0), SQL_SUCCESS);
  EXPECT_EQ(SQLParamData(stmt, nullptr), SQL_SUCCESS);
  // Beyond the column's type the value is refused and nothing is stored.
  char huge[] = "9223372036854775808";
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_BIGINT, 0, 0, huge,
                             sizeof huge, &nts),
            SQL_SUCCESS);
  EXPECT_EQ(SQLExecDirect(stmt, sqlText("insert into fr values (3, ?, 1)"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "22003");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(storedRows("select id, n, b, typeof(n) from fr order by id"),
            "1|-7|0|integer\n2|2|1|integer\n");
}

// A query run over an array keeps the last set's result only, as SQL_PARAM_ARRAY_SELECTS says.
TEST_F(ParameterArrayProgram, AQueryOverAnArrayAnswersTheLastSet) {
  SQLUINTEGER selects = 0;
  ASSERT_EQ(SQLGetInfo(dbc, SQL_PARAM_ARRAY_SELECTS, &selects, sizeof selects, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(selects, static_cast<SQLUINTEGER>(SQL_PAS_NO_SELECT));
  SQLHSTMT stmt = statement();
  SQLINTEGER values[3] = {7, 8, 9};
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, attribute(3), 0)));
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, values, 0,
                             nullptr),
            SQL_SUCCESS);
  for (SQLUSMALLINT& status : statuses_) status = 99;
  processed_ = 99;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, statuses_, 0)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_, 0)));
  ASSERT_EQ(SQLExecDirect(stmt, sqlText("select ? + 1"), SQL_NTS), SQL_SUCCESS);
  // Every set ran, as the status entries and the count say, though only the last one's rows stay.
  for (SQLULEN set = 0; set < 3; ++set) EXPECT_EQ(statuses_[set], SQL_PARAM_SUCCESS) << set;
  EXPECT_EQ(processed_, 3u);
  SQLINTEGER value = 0;
  ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
  EXPECT_EQ(SQLGetData(stmt, 1, SQL_C_SLONG, &value, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(value, 10);
  EXPECT_EQ(SQLFetch(stmt), SQL_NO_DATA);
  EXPECT_EQ(SQLMoreResults(stmt), SQL_NO_DATA);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// ---------------------------------------------------------------------------------------------
// With UnicodeTextTypes=YES text columns are described as wide; the lengths read into a buffer
// count that buffer's own bytes.

TEST_F(OdbcProgram, UnicodeTextTypesKeepLengthsInTheBuffersEncoding) {
  exec("create table ut (v text)");
  exec("insert into ut values ('abc')");
  exec("insert into ut values ('a\xC3\xA9')");
  SQLHDBC wide = connectWith(";UnicodeTextTypes=YES");
  ASSERT_TRUE(wide != SQL_NULL_HDBC);
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, wide, &stmt)));
  ASSERT_EQ(SQLExecDirect(stmt, sqlText("select v, v, v from ut order by v"), SQL_NTS),
            SQL_SUCCESS);
  SQLSMALLINT type = 0;
  ASSERT_EQ(SQLDescribeCol(stmt, 1, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr),
            SQL_SUCCESS);
  EXPECT_TRUE(type == SQL_WLONGVARCHAR || type == SQL_WVARCHAR) << type;
  char bound[8] = {};
  SQLLEN boundLength = 0;
  ASSERT_EQ(SQLBindCol(stmt, 1, SQL_C_CHAR, bound, sizeof bound, &boundLength), SQL_SUCCESS);
  const struct {
    const char* text;
    SQLLEN narrow;  // bytes of UTF-8
    SQLLEN wide;    // bytes of UTF-16
  } rows[] = {{"abc", 3, 6}, {"a\xC3\xA9", 3, 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    EXPECT_STREQ(bound, row.text);
    EXPECT_EQ(boundLength, row.narrow);
    // In pieces: each length is what is left of the value.
    char piece[3] = {};
    SQLLEN length = 0;
    EXPECT_EQ(SQLGetData(stmt, 2, SQL_C_CHAR, piece, sizeof piece, &length),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(length, row.narrow);
    EXPECT_EQ(SQLGetData(stmt, 2, SQL_C_CHAR, piece, sizeof piece, &length), SQL_SUCCESS);
    EXPECT_EQ(length, row.narrow - 2);
    SQLWCHAR units[8] = {};
    EXPECT_EQ(SQLGetData(stmt, 3, SQL_C_WCHAR, units, sizeof units, &length), SQL_SUCCESS);
    EXPECT_EQ(length, row.wide);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(wide);
  SQLFreeHandle(SQL_HANDLE_DBC, wide);
}

// ---------------------------------------------------------------------------------------------
// Values that must not change on the way.

// A timestamp parameter is the server's text of it: a fraction only when there is one, its digits
// exact, so that an equality finds the stored value.
TEST_F(OdbcProgram, TimestampParametersAreWrittenAsTheServerStoresThem) {
  exec("create table ts (id integer, t timestamp)");
  exec("insert into ts values (0, '2020-01-01 00:00:37')");
  const SQLUINTEGER fractions[] = {0, 120000000, 5};
  SQLHSTMT stmt = statement();
  SQLINTEGER id = 0;
  SQL_TIMESTAMP_STRUCT stamp = {2020, 1, 1, 0, 0, 37, 0};
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &id, 0,
                             nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                             29, 9, &stamp, 0, nullptr),
            SQL_SUCCESS);
  for (const SQLUINTEGER fraction : fractions) {
    ++id;
    stamp.fraction = fraction;
    run(stmt, "insert into ts values (?, ?)");
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(storedRows("select id, t from ts order by id"),
            "0|2020-01-01 00:00:37\n1|2020-01-01 00:00:37\n2|2020-01-01 00:00:37.12\n"
            "3|2020-01-01 00:00:37.000000005\n");
  SQLHSTMT find = statement();
  stamp.fraction = 0;
  ASSERT_EQ(SQLBindParameter(find, 1, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                             19, 0, &stamp, 0, nullptr),
            SQL_SUCCESS);
  run(find, "select count(*) from ts where t = ?");
  SQLINTEGER count = -1;
  ASSERT_EQ(SQLFetch(find), SQL_SUCCESS);
  EXPECT_EQ(SQLGetData(find, 1, SQL_C_SLONG, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, 2);
  SQLFreeHandle(SQL_HANDLE_STMT, find);
}

// The server's other forms of a stored date-time read into the date-time structures.
TEST_F(OdbcProgram, StoredDateTimesInTheServersOtherFormsConvert) {
  exec("create table dt (id integer, t timestamp)");
  const struct {
    const char* stored;
    SQL_TIMESTAMP_STRUCT read;
  } cases[] = {
      {"2024-01-02T03:04:05", {2024, 1, 2, 3, 4, 5, 0}},
      {"2024-01-02T03:04:05.25", {2024, 1, 2, 3, 4, 5, 250000000}},
      {"2024-01-02 03:04", {2024, 1, 2, 3, 4, 0, 0}},
      {"2024-01-02T03:04", {2024, 1, 2, 3, 4, 0, 0}},
      {"2024-01-02 03:04:05.123", {2024, 1, 2, 3, 4, 5, 123000000}},
  };
  int id = 0;
  for (const auto& c : cases) {
    exec("insert into dt values (" + std::to_string(++id) + ", '" + c.stored + "')");
  }
  EXPECT_EQ(storedRows("select t from dt order by id"),
            "2024-01-02T03:04:05\n2024-01-02T03:04:05.25\n2024-01-02 03:04\n2024-01-02T03:04\n"
            "2024-01-02 03:04:05.123\n");
  SQLHSTMT stmt = statement();
  run(stmt, "select t, t, t from dt order by id");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    SQL_TIMESTAMP_STRUCT stamp = {};
    SQL_DATE_STRUCT date = {};
    SQL_TIME_STRUCT time = {};
    ASSERT_EQ(SQLGetData(stmt, 1, SQL_C_TYPE_TIMESTAMP, &stamp, sizeof stamp, nullptr),
              SQL_SUCCESS)
        << state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(std::memcmp(&stamp, &c.read, sizeof stamp), 0)
        << stamp.year << "-" << stamp.month << "-" << stamp.day << " " << stamp.hour << ":"
        << stamp.minute << ":" << stamp.second << "." << stamp.fraction;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLGetData(stmt, 2, SQL_C_TYPE_DATE, &date, sizeof date, nullptr)));
    EXPECT_EQ(date.day, 2);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLGetData(stmt, 3, SQL_C_TYPE_TIME, &time, sizeof time, nullptr)));
    EXPECT_EQ(time.minute, 4);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// Wide text with half a surrogate pair has no UTF-8: refused, where a replacement character
// would have been stored; a whole pair arrives as its four bytes.
TEST_F(OdbcProgram, WideTextWithALoneSurrogateIsRefused) {
  exec("create table su (v text)");
  const struct {
    std::vector<SQLWCHAR> units;
    SQLRETURN rc;
  } cases[] = {
      {{'a', 0xD800, 'b'}, SQL_ERROR},
      {{'a', 0xDC00}, SQL_ERROR},
      {{0xDE00, 0xD83D}, SQL_ERROR},
      {{0xD83D}, SQL_ERROR},
      {{'a', 0xD83D, 0xDE00}, SQL_SUCCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("case of " + std::to_string(c.units.size()) + " units, first " +
                 std::to_string(c.units[0]));
    SQLHSTMT stmt = statement();
    SQLLEN length = static_cast<SQLLEN>(c.units.size() * sizeof(SQLWCHAR));
    ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 10, 0,
                               const_cast<SQLWCHAR*>(c.units.data()), length, &length),
              SQL_SUCCESS);
    EXPECT_EQ(SQLExecDirect(stmt, sqlText("insert into su values (?)"), SQL_NTS), c.rc);
    EXPECT_EQ(sqlState(stmt), c.rc == SQL_ERROR ? "22018" : "");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  EXPECT_EQ(storedRows("select hex(v) from su"), "61F09F9880\n");
}

// SQL_C_BINARY for a character column: its bytes are the text.
TEST_F(OdbcProgram, BinaryDataForATextColumnIsItsText) {
  exec("create table bt (v text, w varchar(10))");
  char bytes[] = {'a', 'b', '\'', 'c'};
  SQLHSTMT stmt = statement();
  SQLLEN length = sizeof bytes;
  for (SQLUSMALLINT p = 1; p <= 2; ++p) {
    ASSERT_EQ(SQLBindParameter(stmt, p, SQL_PARAM_INPUT, SQL_C_BINARY,
                               p == 1 ? SQL_LONGVARCHAR : SQL_VARCHAR, 10, 0, bytes, sizeof bytes,
                               &length),
              SQL_SUCCESS);
  }
  run(stmt, "insert into bt values (?, ?)");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(storedRows("select typeof(v), v, w from bt"), "text|ab'c|ab'c\n");
}

// A name with a NUL inside its length would name another object on the server: refused.
TEST_F(OdbcProgram, ACatalogNameWithANulIsRefused) {
  exec("create table t (v text)");
  SQLCHAR narrow[] = {'t', '\0', 'x'};
  SQLWCHAR wide[] = {'t', 0, 'x'};
  SQLCHAR column[] = {'v', '\0'};
  const struct {
    const char* name;
    SQLRETURN (*call)(SQLHSTMT, SQLCHAR*, SQLWCHAR*, SQLCHAR*);
  } calls[] = {
      {"SQLTables",
       [](SQLHSTMT s, SQLCHAR* n, SQLWCHAR*, SQLCHAR*) {
         return SQLTables(s, nullptr, 0, nullptr, 0, n, 3, nullptr, 0);
       }},
      {"SQLColumns table",
       [](SQLHSTMT s, SQLCHAR* n, SQLWCHAR*, SQLCHAR*) {
         return SQLColumns(s, nullptr, 0, nullptr, 0, n, 3, nullptr, 0);
       }},
      {"SQLColumns column",
       [](SQLHSTMT s, SQLCHAR*, SQLWCHAR*, SQLCHAR* c) {
         return SQLColumns(s, nullptr, 0, nullptr, 0, sqlText("t"), SQL_NTS, c, 2);
       }},
      {"SQLColumns catalog",
       [](SQLHSTMT s, SQLCHAR* n, SQLWCHAR*, SQLCHAR*) {
         return SQLColumns(s, n, 3, nullptr, 0, sqlText("t"), SQL_NTS, nullptr, 0);
       }},
      {"SQLPrimaryKeysW",
       [](SQLHSTMT s, SQLCHAR*, SQLWCHAR* w, SQLCHAR*) {
         return SQLPrimaryKeysW(s, nullptr, 0, nullptr, 0, w, 3);
       }},
      {"SQLStatisticsW",
       [](SQLHSTMT s, SQLCHAR*, SQLWCHAR* w, SQLCHAR*) {
         return SQLStatisticsW(s, nullptr, 0, nullptr, 0, w, 3, SQL_INDEX_ALL, SQL_QUICK);
       }},
  };
  for (const auto& c : calls) {
    SCOPED_TRACE(c.name);
    SQLHSTMT stmt = statement();
    EXPECT_EQ(c.call(stmt, narrow, wide, column), SQL_ERROR);
    EXPECT_EQ(sqlState(stmt), "HY090");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  // Up to the NUL the same names answer.
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLColumns(stmt, nullptr, 0, nullptr, 0, narrow, 1, column, 1), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(stmt), SQL_SUCCESS);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// {escape 'c'} after LIKE is the server's ESCAPE clause; back-quoted names keep their dots.
TEST_F(OdbcProgram, EscapeClausesAndBackQuotedNamesReachTheServerWhole) {
  exec("create table `s.t.u` (v text)");
  for (const char* value : {"a_b", "axb", "a%c"}) {
    exec(std::string("insert into `s.t.u` values ('") + value + "')");
  }
  exec("delete from `s.t.u` where v like 'a!_%' {escape '!'}");
  exec("delete from `s.t.u` where v like 'a\\%%' {ESCAPE '\\'}");
  EXPECT_EQ(storedRows("select name from sqlite_master where type = \"table\" and name like \"s%\""),
            "s.t.u\n");
  EXPECT_EQ(storedRows("select v from \"s.t.u\""), "axb\n");
  SQLHSTMT stmt = statement();
  run(stmt, "SELECT 1 AS `a.b.c.d`, v AS `x.y` FROM `s.t.u`");
  for (SQLUSMALLINT column = 1; column <= 2; ++column) {
    SQLCHAR name[32] = {};
    SQLSMALLINT length = 0;
    ASSERT_EQ(SQLDescribeCol(stmt, column, name, sizeof name, &length, nullptr, nullptr, nullptr,
                             nullptr),
              SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(name), column == 1 ? "a.b.c.d" : "x.y");
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
