// No C++ exception leaves an export: the application sees SQL_ERROR and a record.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/api/ApiFixture.h"

namespace apitest {
namespace {

using ExportGuard = ApiTest;

TEST_F(ExportGuard, ExceptionsBecomeRecords) {
  SQLHSTMT stmt = newStatement();
  auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>("select 1"));
  const struct {
    std::function<void()> fail;
    const char* state;
  } cases[] = {
      {[] { throw std::bad_alloc(); }, "HY001"},
      {[] { throw std::runtime_error("broken"); }, "HY000"},
      {[] { throw 42; }, "HY000"},
  };
  for (const auto& c : cases) {
    statementOf(stmt).duringExecution = c.fail;
    EXPECT_EQ(SQLExecDirect(stmt, text, SQL_NTS), SQL_ERROR);
    EXPECT_EQ(states(SQL_HANDLE_STMT, stmt), std::vector<std::string>{c.state});
    std::vector<SQLWCHAR> wide = {u's', u'e', u'l', 0};
    EXPECT_EQ(SQLExecDirectW(stmt, wide.data(), SQL_NTS), SQL_ERROR);
    EXPECT_EQ(SQLPrepare(stmt, text, SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(stmt), SQL_ERROR);
    EXPECT_EQ(states(SQL_HANDLE_STMT, stmt), std::vector<std::string>{c.state});
  }
  statementOf(stmt).duringExecution = nullptr;
  EXPECT_EQ(SQLExecDirect(stmt, text, SQL_NTS), SQL_SUCCESS);
}

// A connection the back end could not make leaves nothing attached and says why.
TEST_F(ExportGuard, FailedConnectionsAreReported) {
  SQLHDBC fresh = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &fresh), SQL_SUCCESS);
  SQLCHAR out[64];
  SQLSMALLINT length = 0;
  const SQLRETURN rc = SQLDriverConnect(fresh, nullptr,
                                        reinterpret_cast<SQLCHAR*>(const_cast<char*>("DSN=x")),
                                        SQL_NTS, out, sizeof out, &length, SQL_DRIVER_NOPROMPT);
  EXPECT_EQ(rc, SQL_ERROR);
  EXPECT_FALSE(states(SQL_HANDLE_DBC, fresh).empty());
  SQLFreeHandle(SQL_HANDLE_DBC, fresh);
}

}  // namespace
}  // namespace apitest
