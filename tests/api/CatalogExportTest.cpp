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

  // The statement with the result of the call before ended: a catalog call over an open result
  // is refused.
  SQLHSTMT closed() const {
    SQLFreeStmt(stmt, SQL_CLOSE);
    return stmt;
  }

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

  ASSERT_EQ(SQLForeignKeys(closed(), nullptr, 0, nullptr, 0, text("p"), SQL_NTS, nullptr, 0,
                           nullptr, 0, text("f"), 1),
            SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLForeignKeys(" + handle() +
                      ", NULL, 0, NULL, 0, (SQLCHAR *) \"p\", SQL_NTS, NULL, 0, NULL, 0,"
                      "(SQLCHAR *) \"f\", 1);"));
  EXPECT_EQ(columns(), 14);

  ASSERT_EQ(SQLSpecialColumns(closed(), SQL_BEST_ROWID, nullptr, 0, nullptr, 0, text("t"), SQL_NTS,
                              SQL_SCOPE_SESSION, SQL_NULLABLE),
            SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLSpecialColumns(" + handle() + ", " +
                      identifierTypeName(SQL_BEST_ROWID) +
                      ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, " +
                      scopeName(SQL_SCOPE_SESSION) + ", " + nullableName(SQL_NULLABLE) + ");"));
  ASSERT_EQ(SQLSpecialColumns(closed(), 9, nullptr, 0, nullptr, 0, text("t"), SQL_NTS,
                              SQL_SCOPE_SESSION, SQL_NULLABLE),
            SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLSpecialColumns(" + handle() + ", " + identifierTypeName(9) +
                      ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, " +
                      scopeName(SQL_SCOPE_SESSION) + ", " + nullableName(SQL_NULLABLE) + ");"));

  ASSERT_EQ(
      SQLStatistics(closed(), nullptr, 0, nullptr, 0, text("t"), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK),
      SQL_SUCCESS);
  EXPECT_TRUE(
      hasLine("rc = SQLStatistics(" + handle() +
              ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, SQL_INDEX_ALL, SQL_QUICK);"));
  const std::vector<std::string> lines = traced.lines();
  EXPECT_EQ(lines.back().rfind("// EXIT: ", 0), 0u);
  EXPECT_NE(lines.back().find("  rc: SQL_SUCCESS"), std::string::npos);
}

// The call lines of the exports CallLines leaves out, narrow and wide: null texts, counted and
// SQL_NTS lengths, -4 in the wide forms, and the foreign key line in its wide form too.
TEST_F(CatalogExport, CallLinesOfTheOtherExports) {
  std::vector<SQLWCHAR> t = utf16FromUtf8("t");
  std::vector<SQLWCHAR> c = utf16FromUtf8("c");
  const std::string h = handle();
  const struct {
    SQLRETURN rc;
    std::string line;
  } cases[] = {
      {SQLColumns(closed(), nullptr, 0, nullptr, 0, text("t"), 1, text("c"), SQL_NTS),
       "SQLColumns(" + h +
           ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", 1, (SQLCHAR *) \"c\", SQL_NTS);"},
      {SQLColumnPrivileges(closed(), nullptr, 0, nullptr, 0, text("t"), SQL_NTS, nullptr, 0),
       "SQLColumnPrivileges(" + h + ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS, NULL, 0);"},
      {SQLColumnPrivilegesW(closed(), nullptr, 0, nullptr, 0, t.data(), -4, c.data(), 1),
       "SQLColumnPrivilegesW(" + h +
           ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", -4, (SQLWCHAR *) u\"c\", 1);"},
      {SQLPrimaryKeys(closed(), nullptr, 0, nullptr, 0, text("t"), SQL_NTS),
       "SQLPrimaryKeys(" + h + ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS);"},
      {SQLPrimaryKeysW(closed(), nullptr, 0, nullptr, 0, t.data(), -4),
       "SQLPrimaryKeysW(" + h + ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", -4);"},
      {SQLProcedures(closed(), nullptr, 0, nullptr, 0, text("p"), SQL_NTS),
       "SQLProcedures(" + h + ", NULL, 0, NULL, 0, (SQLCHAR *) \"p\", SQL_NTS);"},
      {SQLProceduresW(closed(), nullptr, 0, nullptr, 0, nullptr, 0),
       "SQLProceduresW(" + h + ", NULL, 0, NULL, 0, NULL, 0);"},
      {SQLProcedureColumns(closed(), nullptr, 0, nullptr, 0, text("p"), SQL_NTS, nullptr, 0),
       "SQLProcedureColumns(" + h + ", NULL, 0, NULL, 0, (SQLCHAR *) \"p\", SQL_NTS, NULL, 0);"},
      {SQLProcedureColumnsW(closed(), nullptr, 0, nullptr, 0, nullptr, 0, c.data(), -4),
       "SQLProcedureColumnsW(" + h + ", NULL, 0, NULL, 0, NULL, 0, (SQLWCHAR *) u\"c\", -4);"},
      {SQLTablePrivileges(closed(), nullptr, 0, nullptr, 0, text("t"), SQL_NTS),
       "SQLTablePrivileges(" + h + ", NULL, 0, NULL, 0, (SQLCHAR *) \"t\", SQL_NTS);"},
      {SQLTablePrivilegesW(closed(), nullptr, 0, nullptr, 0, t.data(), 1),
       "SQLTablePrivilegesW(" + h + ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", 1);"},
      {SQLTablesW(closed(), nullptr, 0, nullptr, 0, t.data(), -4, nullptr, 0),
       "SQLTablesW(" + h + ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", -4, NULL, 0);"},
      {SQLStatisticsW(closed(), nullptr, 0, nullptr, 0, t.data(), -4, SQL_INDEX_UNIQUE, SQL_ENSURE),
       "SQLStatisticsW(" + h +
           ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", -4, SQL_INDEX_UNIQUE, SQL_ENSURE);"},
      {SQLSpecialColumnsW(closed(), SQL_ROWVER, nullptr, 0, nullptr, 0, t.data(), -4,
                          SQL_SCOPE_CURROW, SQL_NO_NULLS),
       "SQLSpecialColumnsW(" + h + ", " + identifierTypeName(SQL_ROWVER) +
           ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", -4, " + scopeName(SQL_SCOPE_CURROW) + ", " +
           nullableName(SQL_NO_NULLS) + ");"},
      {SQLForeignKeysW(closed(), nullptr, 0, nullptr, 0, t.data(), -4, nullptr, 0, nullptr, 0,
                       nullptr, 0),
       "SQLForeignKeysW(" + h +
           ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"t\", -4, NULL, 0, NULL, 0,"
           "NULL, 0);"},
  };
  for (const auto& call : cases) {
    EXPECT_EQ(call.rc, SQL_SUCCESS) << call.line;
    EXPECT_TRUE(hasLine("rc = " + call.line)) << call.line;
  }
}

TEST_F(CatalogExport, WideNamesReachTheStatementAsUtf8) {
  std::vector<SQLWCHAR> table = utf16FromUtf8("caf\xc3\xa9");
  // -4 stands for SQL_NTS.
  ASSERT_EQ(SQLColumnsW(stmt, nullptr, 0, nullptr, 0, table.data(), -4, nullptr, 0), SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLColumnsW(" + handle() +
                      ", NULL, 0, NULL, 0, (SQLWCHAR *) u\"caf\xc3\xa9\", -4, NULL, 0);"));
  EXPECT_EQ(columns(), 18);
  SQLWCHAR* none = nullptr;
  ASSERT_EQ(SQLTablesW(closed(), none, 0, none, 0, table.data(), SQL_NTS, none, 0), SQL_SUCCESS);
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
