#pragma once
// An ODBC application's connection through the unixODBC Driver Manager to the development server,
// with the driver registered in private ini files, for the tests of this folder.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

namespace integrationtest {

class OdbcProgram : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    // OdbcProgramTraceTest runs these tests again in a process of their own with the driver's
    // trace on (unixODBC keeps the preference's first answer for the whole process).
    const char* trace = std::getenv("KARVOD_PROGRAM_TRACE");
    ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) + "\n" +
                       (trace != nullptr ? "TraceFile = " + std::string(trace) + "\n" : ""));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    std::string in = connectionString() + connectionOptions();
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]),
                                          SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << state(SQL_HANDLE_DBC, dbc);
    connected = true;
  }

  void TearDown() override {
    if (connected) SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
    DevServerTest::TearDown();
  }

  // By connection string: the Driver Manager keeps a DSN's settings across the tests of the
  // process, and each test's server listens on a port of its own.
  std::string connectionString() const {
    return "Driver={Karvell ODBC};Server=127.0.0.1;Port=" + std::to_string(port()) +
           ";UID=karvell;PWD=karvell";
  }

  // Another connection of the environment, with `settings` after the usual keys; a failure and
  // SQL_NULL_HDBC when it does not connect. The caller disconnects and frees it.
  SQLHDBC connectWith(const std::string& settings) {
    SQLHDBC other = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &other))) return SQL_NULL_HDBC;
    std::string in = connectionString() + settings;
    if (SQL_SUCCEEDED(SQLDriverConnect(other, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]), SQL_NTS,
                                       nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
      return other;
    ADD_FAILURE() << in << ": " << state(SQL_HANDLE_DBC, other);
    SQLFreeHandle(SQL_HANDLE_DBC, other);
    return SQL_NULL_HDBC;
  }

  // Keywords added to the connection string, each with its ";" in front.
  virtual std::string connectionOptions() const { return ""; }

  // The first diagnostic record's SQLSTATE and message, or "" when there is none.
  static std::string state(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR sqlState[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, sqlState, &native, message, sizeof message,
                                     &length)))
      return "";
    return std::string(reinterpret_cast<char*>(sqlState)) + " " +
           reinterpret_cast<char*>(message);
  }
  static std::string sqlState(SQLHSTMT stmt) { return state(SQL_HANDLE_STMT, stmt).substr(0, 5); }

  // Each diagnostic record of the statement as "<state> row <row number>", in record order; the
  // first one's native code into *firstNative when asked.
  static std::vector<std::string> diagnosticRows(SQLHSTMT stmt, SQLINTEGER* firstNative = nullptr) {
    SQLINTEGER count = 0;
    SQLGetDiagField(SQL_HANDLE_STMT, stmt, 0, SQL_DIAG_NUMBER, &count, 0, nullptr);
    std::vector<std::string> found;
    for (SQLSMALLINT k = 1; k <= count; ++k) {
      SQLCHAR sqlState[6] = {};
      SQLLEN row = 0;
      SQLGetDiagField(SQL_HANDLE_STMT, stmt, k, SQL_DIAG_SQLSTATE, sqlState, sizeof sqlState,
                      nullptr);
      SQLGetDiagField(SQL_HANDLE_STMT, stmt, k, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
      if (k == 1 && firstNative != nullptr) {
        SQLGetDiagField(SQL_HANDLE_STMT, stmt, k, SQL_DIAG_NATIVE, firstNative, 0, nullptr);
      }
      found.push_back(reinterpret_cast<char*>(sqlState) + std::string(" row ") +
                      std::to_string(row));
    }
    return found;
  }

  SQLHSTMT statement() {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)));
    return stmt;
  }

  void run(SQLHSTMT stmt, const std::string& sql) {
    std::vector<SQLCHAR> text(sql.begin(), sql.end());
    const SQLRETURN rc = SQLExecDirect(stmt, text.data(), static_cast<SQLINTEGER>(text.size()));
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << sql << ": " << state(SQL_HANDLE_STMT, stmt);
  }

  void exec(const std::string& sql) {
    SQLHSTMT stmt = statement();
    run(stmt, sql);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }

  // The rows of the query as Python's sqlite3 reads them from one of the server's database
  // files, one line each (sqlite_rows.py): what reached the server, seen past the driver.
  std::string storedRows(const std::string& query, const std::string& file = "default.db") {
    int status = -1;
    const std::string rows = testsupport::commandOutput(
        "/usr/bin/python3 " + std::string(std::getenv("KARVOD_SOURCE_DIR")) +
            "/tests/integration/sqlite_rows.py '" + server().dataFile(file) + "' '" + query +
            "' 2>&1",
        status);
    EXPECT_EQ(status, 0) << rows;
    return rows;
  }

  // A table `name` of ids 1..rows with texts "r<id>".
  void numbered(const std::string& name, int rows) {
    exec("create table " + name + " (id integer, v text)");
    for (int id = 1; id <= rows; ++id) {
      exec("insert into " + name + " values (" + std::to_string(id) + ", 'r" + std::to_string(id) +
           "')");
    }
  }

  testsupport::TempOdbcIni ini;
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;
};

}  // namespace integrationtest
