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

SQLRETURN execDirect(SQLHSTMT stmt, const char* sql) {
  return SQLExecDirect(stmt, chars(sql), SQL_NTS);
}

// The statement's application row descriptor, or its row implementation descriptor.
SQLHDESC descriptor(SQLHSTMT stmt, SQLINTEGER which) {
  SQLHDESC desc = SQL_NULL_HDESC;
  EXPECT_EQ(SQLGetStmtAttr(stmt, which, &desc, 0, nullptr), SQL_SUCCESS);
  return desc;
}

Outcome onDescriptor(SQLHDESC desc, SQLRETURN rc) { return {rc, SQL_HANDLE_DESC, desc}; }

struct RefusalCase {
  const char* name;
  std::function<Outcome(SQLHSTMT)> call;
  SQLRETURN expectedReturn;
  const char* expectedState;  // "" when the call answers without diagnostics
};

class CallRefusalsTest : public OdbcProgram {};

TEST_F(CallRefusalsTest, EachCallAnswersItsState) {
  exec("create table t (id integer, v text)");
  exec("insert into t values (1, 'one')");
  static SQLLEN bookmark = 0;
  static SQLLEN length = 0;
  static SQLLEN field = 0;
  // An identifier no descriptor field has.
  constexpr SQLSMALLINT unknownField = 4321;
  const std::vector<RefusalCase> cases = {
      {"cursor name of the generated form SQLCUR",
       [](SQLHSTMT s) { return onStatement(s, SQLSetCursorName(s, chars("SQLCUR7"), SQL_NTS)); },
       SQL_ERROR, "34000"},
      {"cursor name of the generated form SQL_CUR",
       [](SQLHSTMT s) { return onStatement(s, SQLSetCursorName(s, chars("SQL_CUR12"), SQL_NTS)); },
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
      {"SQLExecDirect over an unread result",
       [](SQLHSTMT s) {
         EXPECT_EQ(execDirect(s, "select id from t"), SQL_SUCCESS);
         return onStatement(s, execDirect(s, "select v from t"));
       },
       SQL_ERROR, "24000"},
      {"SQLExecDirect over a fetched result",
       [](SQLHSTMT s) {
         EXPECT_EQ(execDirect(s, "select id from t"), SQL_SUCCESS);
         EXPECT_EQ(SQLFetch(s), SQL_SUCCESS);
         return onStatement(s, execDirect(s, "delete from t"));
       },
       SQL_ERROR, "24000"},
      {"SQLExecute over the prepared query's result",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLPrepare(s, chars("select id from t"), SQL_NTS), SQL_SUCCESS);
         EXPECT_EQ(SQLExecute(s), SQL_SUCCESS);
         return onStatement(s, SQLExecute(s));
       },
       SQL_ERROR, "24000"},
      {"SQLExecDirect over a catalog result",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLTables(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
         return onStatement(s, execDirect(s, "select id from t"));
       },
       SQL_ERROR, "24000"},
      {"SQLExecDirect after SQLCloseCursor",
       [](SQLHSTMT s) {
         EXPECT_EQ(execDirect(s, "select id from t"), SQL_SUCCESS);
         EXPECT_EQ(SQLCloseCursor(s), SQL_SUCCESS);
         return onStatement(s, execDirect(s, "select v from t"));
       },
       SQL_SUCCESS, ""},
      {"SQLExecute after SQLFreeStmt(SQL_CLOSE)",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLPrepare(s, chars("select id from t"), SQL_NTS), SQL_SUCCESS);
         EXPECT_EQ(SQLExecute(s), SQL_SUCCESS);
         EXPECT_EQ(SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);
         return onStatement(s, SQLExecute(s));
       },
       SQL_SUCCESS, ""},
      {"SQLExecDirect after SQLMoreResults ended the result",
       [](SQLHSTMT s) {
         EXPECT_EQ(execDirect(s, "select id from t"), SQL_SUCCESS);
         EXPECT_EQ(SQLMoreResults(s), SQL_NO_DATA);
         return onStatement(s, execDirect(s, "select v from t"));
       },
       SQL_SUCCESS, ""},
      {"SQLExecDirect after a command",
       [](SQLHSTMT s) {
         EXPECT_EQ(execDirect(s, "update t set v = 'uno' where id = 2"), SQL_SUCCESS);
         return onStatement(s, execDirect(s, "select v from t"));
       },
       SQL_SUCCESS, ""},
      {"SQLGetTypeInfo of an unknown SQL type",
       [](SQLHSTMT s) { return onStatement(s, SQLGetTypeInfo(s, 4321)); }, SQL_ERROR, "HY004"},
      {"SQLGetTypeInfo of every type",
       [](SQLHSTMT s) { return onStatement(s, SQLGetTypeInfo(s, SQL_ALL_TYPES)); }, SQL_SUCCESS,
       ""},
      {"SQLGetTypeInfo of a type the server lacks",
       [](SQLHSTMT s) {
         const SQLRETURN rc = SQLGetTypeInfo(s, SQL_WVARCHAR);
         EXPECT_EQ(SQLFetch(s), SQL_NO_DATA);
         return onStatement(s, rc);
       },
       SQL_SUCCESS, ""},
      {"SQLGetDescField of an unknown field",
       [](SQLHSTMT s) {
         SQLHDESC ard = descriptor(s, SQL_ATTR_APP_ROW_DESC);
         return onDescriptor(ard, SQLGetDescField(ard, 1, unknownField, &field, 0, nullptr));
       },
       SQL_ERROR, "HY091"},
      {"SQLSetDescField of an unknown field",
       [](SQLHSTMT s) {
         SQLHDESC ard = descriptor(s, SQL_ATTR_APP_ROW_DESC);
         return onDescriptor(ard, SQLSetDescField(ard, 1, unknownField, flag(1), 0));
       },
       SQL_ERROR, "HY091"},
      {"SQLSetDescField of a field the application descriptor cannot set",
       [](SQLHSTMT s) {
         SQLHDESC ard = descriptor(s, SQL_ATTR_APP_ROW_DESC);
         return onDescriptor(ard, SQLSetDescField(ard, 1, SQL_DESC_DISPLAY_SIZE, flag(5), 0));
       },
       SQL_ERROR, "HY091"},
      {"SQLGetDescField of a field only the row description has",
       [](SQLHSTMT s) {
         static SQLINTEGER value = 1;
         EXPECT_EQ(SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &value, 0,
                                    nullptr),
                   SQL_SUCCESS);
         SQLHDESC apd = descriptor(s, SQL_ATTR_APP_PARAM_DESC);
         return onDescriptor(apd,
                             SQLGetDescField(apd, 1, SQL_DESC_DISPLAY_SIZE, &field, 0, nullptr));
       },
       SQL_ERROR, "HY091"},
      {"SQLGetDescField of a known field",
       [](SQLHSTMT s) {
         EXPECT_EQ(execDirect(s, "select id from t"), SQL_SUCCESS);
         SQLHDESC ird = descriptor(s, SQL_ATTR_IMP_ROW_DESC);
         return onDescriptor(ird,
                             SQLGetDescField(ird, 1, SQL_DESC_DISPLAY_SIZE, &field, 0, nullptr));
       },
       SQL_SUCCESS, ""},
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

// A refused execution leaves the open result as it was: the rows not yet read are still there.
// Before the first fetch the refusal is the driver's own (unixODBC answers SQLExecDirect over a
// fetched result itself, without calling the driver).
TEST_F(CallRefusalsTest, ARefusedExecutionKeepsTheOpenResult) {
  numbered("n", 3);
  SQLHSTMT stmt = statement();
  ASSERT_EQ(execDirect(stmt, "select id from n order by id"), SQL_SUCCESS);
  SQLINTEGER id = 0;
  ASSERT_EQ(SQLBindCol(stmt, 1, SQL_C_SLONG, &id, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(execDirect(stmt, "delete from n"), SQL_ERROR);
  const std::string refusal = state(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(refusal.substr(0, 5), "24000");
  EXPECT_EQ(refusal.find("[Driver Manager]"), std::string::npos) << refusal;
  for (SQLINTEGER expected = 1; expected <= 3; ++expected) {
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(id, expected);
  }
  EXPECT_EQ(SQLFetch(stmt), SQL_NO_DATA);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  // Nothing of the refused command reached the server.
  EXPECT_EQ(storedRows("select id from n order by id"), "1\n2\n3\n");
}

}  // namespace
}  // namespace integrationtest
