#pragma once
// karvod64.dll as a Windows Driver Manager uses it: loaded by LoadLibrary, its functions found by
// GetProcAddress and called directly, against the development server of the fixture.
#include <windows.h>

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/DevServer.h"

namespace windowstest {

inline std::u16string utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

inline SQLWCHAR* wide(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(&text[0]); }

inline SQLCHAR* narrow(std::string& text) { return reinterpret_cast<SQLCHAR*>(&text[0]); }

// UTF-16 text as UTF-8 bytes, for the narrow exports, which take UTF-8.
inline std::string utf8(const std::u16string& text) {
  if (text.empty()) return std::string();
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  std::string out(static_cast<std::size_t>(
                      WideCharToMultiByte(CP_UTF8, 0, units, size, nullptr, 0, nullptr, nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, units, size, &out[0], static_cast<int>(out.size()), nullptr,
                      nullptr);
  return out;
}

// The module loaded for the test's duration.
class LoadedDriverTest : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    driver = LoadLibraryA("karvod64.dll");
    ASSERT_NE(driver, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (driver != nullptr) FreeLibrary(driver);
    DevServerTest::TearDown();
  }

  template <typename Function>
  Function find(const char* name) {
    auto function =
        reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(driver, name)));
    EXPECT_NE(function, nullptr) << name;
    return function;
  }

  HMODULE driver = nullptr;
};

// The module's exports under their own names, typed by the ODBC headers' prototypes.
// clang-format off
#define KARVOD_EXPORTS(X)                                                                         \
  X(SQLAllocHandle) X(SQLBindCol) X(SQLBulkOperations) X(SQLCloseCursor) X(SQLColumns)            \
  X(SQLColumnsW) X(SQLDisconnect) X(SQLDriverConnectW) X(SQLExecDirectW) X(SQLFetchScroll)        \
  X(SQLFreeHandle) X(SQLFreeStmt) X(SQLGetConnectAttr) X(SQLGetData) X(SQLGetDiagField)          \
  X(SQLGetDiagRecW) X(SQLGetStmtAttr) X(SQLGetTypeInfo) X(SQLGetTypeInfoW) X(SQLNumResultCols)    \
  X(SQLPrimaryKeysW) X(SQLSetConnectAttr) X(SQLSetEnvAttr) X(SQLSetPos) X(SQLSetStmtAttr)         \
  X(SQLSpecialColumnsW) X(SQLStatisticsW) X(SQLTables) X(SQLTablesW)
// clang-format on

struct OdbcExports {
#define KARVOD_EXPORT_MEMBER(name) decltype(&::name) name = nullptr;
  KARVOD_EXPORTS(KARVOD_EXPORT_MEMBER)
#undef KARVOD_EXPORT_MEMBER
};

// One diagnostic record of a handle.
struct Diagnostic {
  std::string state;
  std::u16string message;
  SQLLEN rowNumber = 0;
};

// A text cell read back: empty for SQL NULL.
using Cell = std::optional<std::u16string>;

// An ODBC 3 environment, a connection to the development server made by SQLDriverConnectW and
// one statement, all through the module's exports.
class ConnectedDriverTest : public LoadedDriverTest {
 protected:
  void SetUp() override {
    LoadedDriverTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
#define KARVOD_FIND_EXPORT(name) odbc.name = find<decltype(&::name)>(#name);
    KARVOD_EXPORTS(KARVOD_FIND_EXPORT)
#undef KARVOD_FIND_EXPORT
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(odbc.SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env), SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                 reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_SUCCESS);
    ASSERT_EQ(odbc.SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    if (!connectsAtSetUp()) return;
    const SQLRETURN connected = connect();
    ASSERT_TRUE(SQL_SUCCEEDED(connected)) << connected;
    ASSERT_EQ(odbc.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  }

  // A test that sets connection attributes first connects by itself.
  virtual bool connectsAtSetUp() const { return true; }

  SQLRETURN connect() {
    std::u16string in =
        utf16("SERVER=127.0.0.1;PORT=" + std::to_string(port()) + ";UID=karvell;PWD=karvell");
    return odbc.SQLDriverConnectW(dbc, nullptr, wide(in), SQL_NTS, nullptr, 0, nullptr,
                                  SQL_DRIVER_NOPROMPT);
  }

  void TearDown() override {
    if (dbc != nullptr) {
      odbc.SQLDisconnect(dbc);
      odbc.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (env != nullptr) odbc.SQLFreeHandle(SQL_HANDLE_ENV, env);
    LoadedDriverTest::TearDown();
  }

  std::vector<Diagnostic> diagnostics(SQLHANDLE handle, SQLSMALLINT type = SQL_HANDLE_STMT) {
    std::vector<Diagnostic> records;
    for (SQLSMALLINT number = 1;; ++number) {
      SQLWCHAR state[6] = {};
      SQLWCHAR message[512] = {};
      SQLINTEGER native = 0;
      SQLSMALLINT length = 0;
      if (!SQL_SUCCEEDED(odbc.SQLGetDiagRecW(type, handle, number, state, &native, message, 512,
                                             &length))) {
        return records;
      }
      Diagnostic& record = records.emplace_back();
      for (SQLWCHAR unit : state) {
        if (unit != 0) record.state += static_cast<char>(unit);
      }
      record.message = reinterpret_cast<const char16_t*>(message);
      if (type == SQL_HANDLE_STMT) {
        odbc.SQLGetDiagField(type, handle, number, SQL_DIAG_ROW_NUMBER, &record.rowNumber, 0,
                             nullptr);
      }
    }
  }

  std::string firstState(SQLHANDLE handle, SQLSMALLINT type = SQL_HANDLE_STMT) {
    const std::vector<Diagnostic> records = diagnostics(handle, type);
    return records.empty() ? std::string() : records.front().state;
  }

  // Runs the text on `handle` (the test's statement by default) and closes its cursor.
  void run(std::u16string sql, SQLHSTMT handle = nullptr) {
    if (handle == nullptr) handle = stmt;
    const SQLRETURN rc = odbc.SQLExecDirectW(handle, wide(sql), SQL_NTS);
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << rc << " " << firstState(handle) << " " << utf8(sql);
    odbc.SQLFreeStmt(handle, SQL_CLOSE);
  }

  // Every remaining row of the open result, each cell read by SQLGetData as SQL_C_WCHAR.
  std::vector<std::vector<Cell>> readRows(SQLHSTMT handle, std::vector<SQLUSMALLINT> columns) {
    std::vector<std::vector<Cell>> rows;
    while (true) {
      const SQLRETURN fetched = odbc.SQLFetchScroll(handle, SQL_FETCH_NEXT, 0);
      if (fetched == SQL_NO_DATA) break;
      EXPECT_TRUE(SQL_SUCCEEDED(fetched)) << fetched << " " << firstState(handle);
      if (!SQL_SUCCEEDED(fetched)) break;
      std::vector<Cell>& row = rows.emplace_back();
      for (SQLUSMALLINT column : columns) row.push_back(cellText(handle, column));
    }
    odbc.SQLFreeStmt(handle, SQL_CLOSE);
    return rows;
  }

  Cell cellText(SQLHSTMT handle, SQLUSMALLINT column) {
    SQLWCHAR value[256] = {};
    SQLLEN length = 0;
    const SQLRETURN rc = odbc.SQLGetData(handle, column, SQL_C_WCHAR, value, sizeof value, &length);
    EXPECT_EQ(rc, SQL_SUCCESS) << "column " << column << " " << firstState(handle);
    if (length == SQL_NULL_DATA) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(value),
                          static_cast<std::size_t>(length) / sizeof(SQLWCHAR));
  }

  // The rows of a query run on a statement of its own, so the test's statement keeps its result.
  std::vector<std::vector<Cell>> query(std::u16string sql, std::vector<SQLUSMALLINT> columns) {
    SQLHSTMT reader = nullptr;
    EXPECT_EQ(odbc.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &reader), SQL_SUCCESS);
    std::vector<std::vector<Cell>> rows;
    const SQLRETURN rc = odbc.SQLExecDirectW(reader, wide(sql), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << rc << " " << firstState(reader) << " " << utf8(sql);
    if (SQL_SUCCEEDED(rc)) rows = readRows(reader, std::move(columns));
    odbc.SQLFreeHandle(SQL_HANDLE_STMT, reader);
    return rows;
  }

  OdbcExports odbc;
  SQLHENV env = nullptr;
  SQLHDBC dbc = nullptr;
  SQLHSTMT stmt = nullptr;
};

}  // namespace windowstest
