// Where the ODBC rules leave no choice, our conversion must answer as another driver does: the
// SQLite ODBC driver, reached through the unixODBC Driver Manager, reads the same values with
// the same C types and buffer lengths, and every call must agree in its return code, state,
// length and every byte of the buffer (canary bytes included).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "tests/statement/ResultColumns.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr unsigned char kCanary = 0xA5;
// Room behind the buffer length: fixed-size types are written whatever the length says.
constexpr std::size_t kSlack = 24;

struct Call {
  SQLRETURN rc;
  std::string state;
  SQLLEN length;
  std::vector<unsigned char> buffer;
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
  out << "rc " << call.rc << " state '" << call.state << "' length " << call.length << " bytes";
  for (unsigned char byte : call.buffer) out << ' ' << static_cast<int>(byte);
  return out;
}

// What ODBC leaves open is made alike: after SQL_NO_DATA nothing of the call counts, and in a
// character buffer nothing behind the terminator does.
void normalize(Call& call, SQLSMALLINT cType, SQLLEN bufferLength) {
  if (call.rc == SQL_NO_DATA) {
    call.length = 0;
    call.buffer.clear();
    return;
  }
  const std::size_t unit = cType == SQL_C_CHAR ? 1 : cType == SQL_C_WCHAR ? 2 : 0;
  if (unit == 0) return;
  std::size_t end = 0;
  while (end + unit <= static_cast<std::size_t>(bufferLength) &&
         (call.buffer[end] != 0 || call.buffer[end + unit - 1] != 0)) {
    end += unit;
  }
  for (std::size_t i = end + unit; i < static_cast<std::size_t>(bufferLength); ++i) {
    call.buffer[i] = kCanary;
  }
}

bool operator==(const Call& a, const Call& b) {
  return a.rc == b.rc && a.state == b.state && a.length == b.length && a.buffer == b.buffer;
}

struct Case {
  const char* column;               // of table t
  std::optional<std::string> text;  // what the column holds, as the server would send it
  SQLSMALLINT cType;
  std::vector<SQLLEN> bufferLengths;  // one call each
};

class SqliteReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    SQLCHAR in[] = "DRIVER=SQLite3;Database=:memory:";
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, in, SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT))) {
      GTEST_SKIP() << "the SQLite ODBC driver (Debian package libsqliteodbc) is not installed";
    }
    connected_ = true;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
    run("create table t (v varchar(40), b blob, ts timestamp, d date, i integer, f double)");
    run("insert into t values ('', x'', '2012-05-06 07:08:09.5', '2012-05-06', 42, 2.5)");
    run("insert into t values ('abc', x'000102', '2012-05-06 07:08:09.123456', '1999-12-31',"
        " -7, -0.125)");
    run("insert into t values ('abcdefghij', x'ff', '2012-05-06 07:08:09.000000001',"
        " '2000-02-29', 2147483647, 1e300)");
  }

  void TearDown() override {
    if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    if (connected_) SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  void run(const std::string& sql) {
    SQLFreeStmt(stmt_, SQL_CLOSE);
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS)))
        << sql;
  }

  // The other driver's calls, and the SQL type it describes the column with.
  std::vector<Call> theirs(const Case& c, int row, SQLSMALLINT& sqlType) {
    run("select " + std::string(c.column) + " from t where rowid = " + std::to_string(row));
    EXPECT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
    SQLCHAR name[32];
    SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeCol(stmt_, 1, name, sizeof name, &nameLength, &sqlType, &size, &digits, &nullable);
    std::vector<Call> calls;
    for (SQLLEN bufferLength : c.bufferLengths) {
      Call call{0, "", -777, std::vector<unsigned char>(bufferLength + kSlack, kCanary)};
      call.rc = SQLGetData(stmt_, 1, c.cType, call.buffer.data(), bufferLength, &call.length);
      if (call.rc == SQL_SUCCESS_WITH_INFO || call.rc == SQL_ERROR) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_STMT, stmt_, 1, state, &native, nullptr, 0, &length);
        call.state = reinterpret_cast<char*>(state);
      }
      normalize(call, c.cType, bufferLength);
      calls.push_back(call);
    }
    return calls;
  }

  // Ours, on a column of that SQL type holding the text, read as SQLGetData reads it.
  std::vector<Call> ours(const Case& c, SQLSMALLINT sqlType) {
    testsupport::ResultColumns result(connection_, 1);
    DescriptorRecord& column = result.add(sqlType);
    result.set(1, 0, c.text);
    std::vector<Call> calls;
    SQLULEN position = 0;
    for (SQLLEN bufferLength : c.bufferLengths) {
      Call call{0, "", -777, std::vector<unsigned char>(bufferLength + kSlack, kCanary)};
      call.rc =
          column.convertImpToAppValue(0, c.cType, call.buffer.data(), bufferLength, &call.length,
                                      &call.length, &position, {diagnostics_, 1, -1, nullptr});
      call.state = testsupport::takeState(diagnostics_);
      normalize(call, c.cType, bufferLength);
      calls.push_back(call);
    }
    return calls;
  }

  void compare(const std::vector<std::pair<int, Case>>& cases) {
    for (const auto& [row, c] : cases) {
      SCOPED_TRACE(testing::Message() << c.column << " of row " << row << " as C type " << c.cType);
      SQLSMALLINT sqlType = 0;
      const std::vector<Call> reference = theirs(c, row, sqlType);
      const std::vector<Call> own = ours(c, sqlType);
      ASSERT_EQ(own.size(), reference.size());
      for (std::size_t i = 0; i < own.size(); ++i) {
        EXPECT_EQ(own[i], reference[i]) << "call " << i;
      }
    }
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
  bool connected_ = false;
  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC reference test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  DiagnosticHeader diagnostics_{&environment_};
};

TEST_F(SqliteReferenceTest, TimestampFractionsAreNanoseconds) {
  compare({
      {1, {"ts", "2012-05-06 07:08:09.5", SQL_C_TYPE_TIMESTAMP, {16}}},
      {2, {"ts", "2012-05-06 07:08:09.123456", SQL_C_TYPE_TIMESTAMP, {16}}},
      {3, {"ts", "2012-05-06 07:08:09.000000001", SQL_C_TYPE_TIMESTAMP, {16}}},
  });
}

TEST_F(SqliteReferenceTest, FixedTypesIgnoreABufferLengthOfZero) {
  compare({
      {1, {"i", "42", SQL_C_SLONG, {0}}},
      {2, {"i", "-7", SQL_C_SBIGINT, {0}}},
      {3, {"i", "2147483647", SQL_C_SLONG, {0}}},
      {1, {"i", "42", SQL_C_SSHORT, {0}}},
      {1, {"f", "2.5", SQL_C_DOUBLE, {0}}},
      {2, {"f", "-0.125", SQL_C_FLOAT, {0}}},
      {1, {"ts", "2012-05-06 07:08:09.5", SQL_C_TYPE_TIMESTAMP, {0}}},
      {1, {"d", "2012-05-06", SQL_C_TYPE_DATE, {0}}},
      {3, {"d", "2000-02-29", SQL_C_TYPE_TIMESTAMP, {0}}},
  });
}

TEST_F(SqliteReferenceTest, EmptyValuesComeOnceInEveryPiecewiseType) {
  compare({
      {1, {"v", "", SQL_C_CHAR, {10, 10}}},
      {1, {"v", "", SQL_C_CHAR, {0, 10, 10}}},
      {1, {"v", "", SQL_C_WCHAR, {10, 10}}},
      {1, {"b", "", SQL_C_BINARY, {10, 10}}},
  });
}

TEST_F(SqliteReferenceTest, LongValuesComeInPieces) {
  compare({
      {2, {"v", "abc", SQL_C_CHAR, {0, 2, 2, 2, 2}}},
      {3, {"v", "abcdefghij", SQL_C_CHAR, {4, 4, 4, 4, 4}}},
      {3, {"v", "abcdefghij", SQL_C_WCHAR, {8, 8, 8, 8}}},
      {2, {"b", std::string("\x00\x01\x02", 3), SQL_C_BINARY, {2, 2, 2}}},
  });
}

// A buffer length of 0 asks for the length alone, and one that holds only the terminator is a
// cut; the value then comes whole, once.
TEST_F(SqliteReferenceTest, BuffersWithoutRoomForDataLeaveTheValueToCome) {
  compare({
      {2, {"v", "abc", SQL_C_WCHAR, {0, 8, 8}}},
      {2, {"v", "abc", SQL_C_CHAR, {1, 8, 8}}},
      {2, {"b", std::string("\x00\x01\x02", 3), SQL_C_BINARY, {0, 8, 8}}},
  });
}

}  // namespace
