// The catalog exports called directly: their call lines, and the texts and lengths that reach
// the statement.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/TraceFormatter.h"
#include "core/WideText.h"
#include "tests/api/ApiFixture.h"
#include "tests/support/TracedEnvironment.h"

namespace apitest {
namespace {

SQLCHAR* text(const char* value) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(value)); }

class CatalogExport : public ::testing::Test {
 protected:
  void SetUp() override {
    env = &traced.environment();
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    auto* proxy = static_cast<ConnectionProxy*>(dbc);
    auto* connection = new ApiConnection(proxy->environment());
    proxy->attachConnection(connection);
    connection->setConnected(true);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  }
  void TearDown() override { SQLFreeHandle(SQL_HANDLE_DBC, dbc); }

  bool hasLine(const std::string& line) const {
    const std::vector<std::string> lines = traced.lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  std::string handle() const { return "stmt" + traceAddress(stmt); }

  // The newest state of the statement's diagnostics.
  std::string state() const {
    SQLCHAR value[6] = {};
    SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, value, nullptr, nullptr, 0, nullptr);
    return reinterpret_cast<char*>(value);
  }

  SQLSMALLINT columns() const {
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt, &count);
    return count;
  }

  testsupport::TracedEnvironment traced;
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
};

TEST_F(CatalogExport, CallLines) {
  ASSERT_EQ(SQLTables(stmt, nullptr, 0, nullptr, SQL_NTS, nullptr, 5, nullptr, 0), SQL_SUCCESS);
  EXPECT_TRUE(
      hasLine("rc = SQLTables(" + handle() + ", NULL, 0, NULL, SQL_NTS, NULL, 5, NULL, 0);"));
  EXPECT_EQ(columns(), 5);

  ASSERT_EQ(SQLForeignKeys(stmt, nullptr, 0, nullptr, 0, text("p"), SQL_NTS, nullptr, 0, nullptr, 0,
                           text("f"), 1),
            SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLForeignKeys(" + handle() +
                      ", NULL, 0, NULL, 0, (SQLCHAR *) \"p\", SQL_NTS, NULL, 0, NULL, 0,"
                      "(SQLCHAR *) \"f\", 1);"));
  EXPECT_EQ(columns(), 14);

  ASSERT_EQ(SQLSpecialColumns(stmt, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, text("t"), SQL_NTS,
                              SQL_SCOPE_SESSION, SQL_NULLABLE),
            SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLSpecialColumns(" + handle() + ", " +
                      identifierTypeName(SQL_BEST_ROWID) +
                      ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, " +
                      scopeName(SQL_SCOPE_SESSION) + ", " + nullableName(SQL_NULLABLE) + ");"));
  ASSERT_EQ(SQLSpecialColumns(stmt, 9, nullptr, 0, nullptr, 0, text("t"), SQL_NTS,
                              SQL_SCOPE_SESSION, SQL_NULLABLE),
            SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLSpecialColumns(" + handle() + ", " + identifierTypeName(9) +
                      ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, " +
                      scopeName(SQL_SCOPE_SESSION) + ", " + nullableName(SQL_NULLABLE) + ");"));

  ASSERT_EQ(
      SQLStatistics(stmt, nullptr, 0, nullptr, 0, text("t"), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK),
      SQL_SUCCESS);
  EXPECT_TRUE(
      hasLine("rc = SQLStatistics(" + handle() +
              ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, SQL_INDEX_ALL, SQL_QUICK);"));
  const std::vector<std::string> lines = traced.lines();
  EXPECT_EQ(lines.back().rfind("// EXIT: ", 0), 0u);
  EXPECT_NE(lines.back().find("  rc: SQL_SUCCESS"), std::string::npos);
}

TEST_F(CatalogExport, WideNamesReachTheStatementAsUtf8) {
  std::vector<SQLWCHAR> table = utf16FromUtf8("caf\xc3\xa9");
  // -4 stands for SQL_NTS.
  ASSERT_EQ(SQLColumnsW(stmt, nullptr, 0, nullptr, 0, table.data(), -4, nullptr, 0), SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLColumnsW(" + handle() +
                      ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"caf\xc3\xa9\", -4, NULL, 0);"));
  EXPECT_EQ(columns(), 18);
  SQLWCHAR* none = nullptr;
  ASSERT_EQ(SQLTablesW(stmt, none, 0, none, 0, table.data(), SQL_NTS, none, 0), SQL_SUCCESS);
  EXPECT_EQ(columns(), 5);
}

// A length that is neither a count nor SQL_NTS is refused, and nothing is run.
TEST_F(CatalogExport, BadLengthsAreRefused) {
  std::vector<SQLWCHAR> table = utf16FromUtf8("t");
  EXPECT_EQ(SQLTablesW(stmt, nullptr, 0, nullptr, 0, table.data(), -7, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(state(), "HY090");
  EXPECT_EQ(SQLPrimaryKeys(stmt, nullptr, 0, nullptr, 0, text("t"), -7), SQL_ERROR);
  EXPECT_EQ(state(), "HY090");
  EXPECT_EQ(columns(), 0);
}

}  // namespace
}  // namespace apitest
