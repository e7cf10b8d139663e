#pragma once
// Applications of an ODBC version through the unixODBC Driver Manager, with our driver and the
// SQLite ODBC driver registered side by side and table t made in both, for the catalog tests.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

namespace catalogtest {

inline const char* const sqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
inline const SQLINTEGER versions[] = {SQL_OV_ODBC2, SQL_OV_ODBC3, SQL_OV_ODBC3_80};

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

inline SQLCHAR* text(const char* value) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(value));
}

// The first diagnostic record as "STATE message", or "" when there is none.
inline std::string diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[512] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(
          SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length)))
    return "";
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

// Every row of a result, each value as text ("NULL" for NULL).
inline Rows fetchAll(SQLHSTMT stmt) {
  SQLSMALLINT columns = 0;
  SQLNumResultCols(stmt, &columns);
  Rows rows;
  while (SQLFetch(stmt) == SQL_SUCCESS) {
    Row& row = rows.emplace_back();
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
      char value[512] = {};
      SQLLEN length = 0;
      EXPECT_TRUE(
          SQL_SUCCEEDED(SQLGetData(stmt, column, SQL_C_CHAR, value, sizeof value, &length)));
      row.push_back(length == SQL_NULL_DATA ? "NULL" : value);
    }
  }
  return rows;
}

// One application's environment (of an ODBC version) and connection, through the Driver Manager.
class Application {
 public:
  Application(SQLINTEGER version, const std::string& connectionString) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(version)), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    connectRc_ = SQLDriverConnect(dbc_, nullptr, text(connectionString.c_str()), SQL_NTS, nullptr,
                                  0, nullptr, SQL_DRIVER_NOPROMPT);
    EXPECT_TRUE(SQL_SUCCEEDED(connectRc_))
        << connectionString << ": " << diagnostic(SQL_HANDLE_DBC, dbc_);
    if (SQL_SUCCEEDED(connectRc_)) SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
  }
  ~Application() {
    if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    if (SQL_SUCCEEDED(connectRc_)) SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  bool connected() const { return stmt_ != SQL_NULL_HSTMT; }
  SQLRETURN connectRc() const { return connectRc_; }
  SQLHDBC dbc() const { return dbc_; }
  SQLHSTMT stmt() const { return stmt_; }
  // The statement with its cursor closed, for the next call.
  SQLHSTMT closed() const {
    SQLFreeStmt(stmt_, SQL_CLOSE);
    return stmt_;
  }
  std::string stmtDiagnostic() const { return diagnostic(SQL_HANDLE_STMT, stmt_); }

  void run(const std::string& sql) const {
    const SQLRETURN rc = SQLExecDirect(closed(), text(sql.c_str()), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << sql << ": " << stmtDiagnostic();
    SQLFreeStmt(stmt_, SQL_CLOSE);
  }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
  SQLRETURN connectRc_ = SQL_ERROR;
};

// Our driver and the SQLite ODBC driver in one private odbcinst.ini, each with table t.
class CatalogThroughManager : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) +
                       "\n\n[SQLite3 reference]\nDriver = " + sqliteDriver + "\n");
    Application karvell(SQL_OV_ODBC3, ours());
    ASSERT_TRUE(karvell.connected());
    karvell.run(fixtureTable);
    std::filesystem::remove(ini.path("reference.sqlite"));
    if (std::filesystem::exists(sqliteDriver)) {
      Application(SQL_OV_ODBC3, theirs()).run(fixtureTable);
    }
  }

  std::string ours() const {
    return "Driver={Karvell ODBC};Server=127.0.0.1;Port=" + std::to_string(port()) +
           ";UID=karvell;PWD=karvell";
  }
  std::string theirs() const {
    return "Driver={SQLite3 reference};Database=" + ini.path("reference.sqlite");
  }

  static constexpr const char* fixtureTable =
      "create table t (id integer primary key, name text not null, born date, at time, "
      "ts timestamp, amount numeric(10,2), note varchar(20) default 'x', ratio double)";
  testsupport::TempOdbcIni ini;
};

}  // namespace catalogtest
