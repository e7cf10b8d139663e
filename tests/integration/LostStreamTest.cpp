// A connection that lost its place in the reply stream says so: the reply that could not be read
// answers 08S01, every later call 08S01 too, and no call ever hands out another query's answer.
// Then the time limits an application sets: each ends its wait with its state, in time.
#include <chrono>
#include <string>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

SQLCHAR* text(const std::string& sql) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
}

// The reply to the first query has a spoiled signature; the traffic is clear or compressed.
class LostStream : public OdbcProgram, public ::testing::WithParamInterface<bool> {
 protected:
  std::vector<std::string> serverArgs() const override {
    std::vector<std::string> args = {"--fault-sql", "SELECT 'balance=100'=badsig"};
    if (GetParam()) args.insert(args.end(), {"--compress-min", "1"});
    return args;
  }
};

TEST_P(LostStream, NoLaterCallReadsAnEarlierAnswer) {
  SQLHSTMT stmt = statement();
  EXPECT_EQ(SQLExecDirect(stmt, text("SELECT 'balance=100'"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "08S01");
  for (int k = 200; k < 240; ++k) {
    const std::string expected = "balance=" + std::to_string(k);
    SQLFreeStmt(stmt, SQL_CLOSE);
    const SQLRETURN rc = SQLExecDirect(stmt, text("SELECT '" + expected + "'"), SQL_NTS);
    ASSERT_EQ(rc, SQL_ERROR) << "a lost stream answered a query";
    EXPECT_EQ(sqlState(stmt), "08S01");
  }
  SQLUINTEGER dead = SQL_CD_FALSE;
  EXPECT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE));
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_ERROR);
  EXPECT_EQ(state(SQL_HANDLE_DBC, dbc).substr(0, 5), "08S01");
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, stmt), SQL_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Traffic, LostStream, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("compressed") : std::string("clear");
                         });

// A query held back longer than the statement's time-out ends at the time-out with HYT00, and
// the connection, whose stream is then at an unknown place, is dead.
TEST_F(OdbcProgram, AQueryTimeOutEndsTheWaitAndTheConnection) {
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(2), 0),
            SQL_SUCCESS);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SQLExecDirect(stmt, text("@@fault delay 10"), SQL_NTS), SQL_ERROR);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  EXPECT_EQ(sqlState(stmt), "HYT00");
  EXPECT_GE(waited, 1900);
  EXPECT_LT(waited, 3000);
  EXPECT_EQ(SQLExecDirect(stmt, text("select 1"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "08S01");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// Without a time-out the same wait runs to its end and the connection stays usable.
TEST_F(OdbcProgram, WithoutATimeOutAQueryWaitsForItsAnswer) {
  SQLHSTMT stmt = statement();
  EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, text("@@fault delay 2"), SQL_NTS)))
      << state(SQL_HANDLE_STMT, stmt);
  SQLFreeStmt(stmt, SQL_CLOSE);
  run(stmt, "select 1");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
