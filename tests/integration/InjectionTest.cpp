// Bound values stay values through the Driver Manager: a marker the server reads as comment text
// takes no value, and a value with quotes, line ends and statement ends reaches the table whole.
// What reached the server is read back by Python's sqlite3 from its database file.
#include <string>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// The server ends a "--" comment at LF only: the text after a lone CR is still comment.
TEST_F(OdbcProgram, ABoundValueNeverRunsAsSql) {
  const std::string hostile = "x\n; DELETE FROM victim WHERE 1; --";
  struct Case {
    const char* sql;
    bool prepared;
    bool valueStored;  // else the row holds "safe"
  };
  const Case cases[] = {
      {"INSERT INTO t (id, v) VALUES (1, 'safe') -- note\r, ?", false, false},
      {"INSERT INTO t (id, v) VALUES (1, 'safe') -- note\r, ?", true, false},
      {"INSERT INTO t (id, v) VALUES (1, ?) -- note\r, ?", false, true},
      {"INSERT INTO t (id, v) VALUES (1, ?) /* \r\n */ -- ?\r\n", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sql) + (c.prepared ? " prepared" : " direct"));
    exec("create table victim (id integer)");
    exec("insert into victim values (1), (2), (3)");
    exec("create table t (id integer, v text)");
    SQLHSTMT stmt = statement();
    std::string value = hostile;
    SQLLEN length = SQL_NTS;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                               64, 0, &value[0], 0, &length)));
    std::string sql = c.sql;
    auto* text = reinterpret_cast<SQLCHAR*>(&sql[0]);
    const auto size = static_cast<SQLINTEGER>(sql.size());
    const SQLRETURN rc = c.prepared && SQL_SUCCEEDED(SQLPrepare(stmt, text, size))
                             ? SQLExecute(stmt)
                             : c.prepared ? SQL_ERROR : SQLExecDirect(stmt, text, size);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << state(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(storedRows("select count(*) from victim"), "3\n");
    EXPECT_EQ(storedRows("select id, hex(v) from t"),
              "1|" + hex(c.valueStored ? hostile : std::string("safe")) + "\n");
    exec("drop table victim");
    exec("drop table t");
  }
}

}  // namespace
