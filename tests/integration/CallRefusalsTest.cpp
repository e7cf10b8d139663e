// Calls ODBC says must fail, as an application sees them through the Driver Manager: each case
// makes one call on a fresh statement and reads the SQLSTATE answered.
#include <functional>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace integrationtest {
namespace {

SQLCHAR* chars(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

SQLPOINTER flag(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// What a case answered, and the handle whose diagnostics tell why.
struct Outcome {
  SQLRETURN rc;
  SQLSMALLINT handleType;
  SQLHANDLE handle;
};

Outcome onStatement(SQLHSTMT stmt, SQLRETURN rc) { return {rc, SQL_HANDLE_STMT, stmt}; }

struct RefusalCase {
  const char* name;
  std::function<Outcome(SQLHSTMT)> call;
  SQLRETURN expectedReturn;
  const char* expectedState;  // "" when the call answers without diagnostics
};

class CallRefusalsTest : public OdbcProgram {};

TEST_F(CallRefusalsTest, EachCallAnswersItsState) {
  exec("create table t (id integer, v text)");
  static SQLLEN bookmark = 0;
  static SQLLEN length = 0;
  const std::vector<RefusalCase> cases = {
      {"cursor name of the generated form SQLCUR",
       [](SQLHSTMT s) { return onStatement(s, SQLSetCursorName(s, chars("SQLCUR7"), SQL_NTS)); },
       SQL_ERROR, "34000"},
      {"cursor name of the generated form SQL_CUR",
       [](SQLHSTMT s) {
         return onStatement(s, SQLSetCursorName(s, chars("SQL_CUR12"), SQL_NTS));
       },
       SQL_ERROR, "34000"},
      {"cursor name of the application's own",
       [](SQLHSTMT s) {
         return onStatement(s, SQLSetCursorName(s, chars("orders_cursor"), SQL_NTS));
       },
       SQL_SUCCESS, ""},
      {"bookmark column bound with bookmarks off",
       [](SQLHSTMT s) {
         return onStatement(
             s, SQLBindCol(s, 0, SQL_C_VARBOOKMARK, &bookmark, sizeof bookmark, &length));
       },
       SQL_ERROR, "07009"},
      {"bookmark column bound with bookmarks on",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLSetStmtAttr(s, SQL_ATTR_USE_BOOKMARKS, flag(SQL_UB_VARIABLE), 0),
                   SQL_SUCCESS);
         return onStatement(
             s, SQLBindCol(s, 0, SQL_C_VARBOOKMARK, &bookmark, sizeof bookmark, &length));
       },
       SQL_SUCCESS, ""},
      {"SQLColumns without a table name while names are identifiers",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLSetStmtAttr(s, SQL_ATTR_METADATA_ID, flag(SQL_TRUE), 0), SQL_SUCCESS);
         return onStatement(s, SQLColumns(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLColumns of a named table while names are identifiers",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLSetStmtAttr(s, SQL_ATTR_METADATA_ID, flag(SQL_TRUE), 0), SQL_SUCCESS);
         return onStatement(s,
                            SQLColumns(s, nullptr, 0, nullptr, 0, chars("t"), SQL_NTS, nullptr, 0));
       },
       SQL_SUCCESS, ""},
      {"SQLBindParameter of an unknown SQL type",
       [](SQLHSTMT s) {
         static SQLINTEGER value = 1;
         return onStatement(s, SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_LONG, 4321, 0, 0,
                                                &value, 0, nullptr));
       },
       SQL_ERROR, "HY004"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    SQLHSTMT stmt = statement();
    const Outcome outcome = c.call(stmt);
    const std::string answered = state(outcome.handleType, outcome.handle);
    EXPECT_EQ(outcome.rc, c.expectedReturn) << answered;
    EXPECT_EQ(answered.substr(0, 5), c.expectedState);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
}

}  // namespace
}  // namespace integrationtest
