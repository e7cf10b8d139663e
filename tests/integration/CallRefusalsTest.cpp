// Calls ODBC says must fail, as an application sees them through the Driver Manager: each case
// makes one call on a fresh statement and reads the SQLSTATE answered.
#include <functional>
#include <string>
#include <utility>
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

// Names from here on are identifiers, not patterns.
void identifiers(SQLHSTMT stmt) {
  EXPECT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_METADATA_ID, flag(SQL_TRUE), 0), SQL_SUCCESS);
}

// The empty name: objects without a catalog or schema.
SQLCHAR* const none = chars("");

struct RefusalCase {
  const char* name;
  std::function<Outcome(SQLHSTMT)> call;
  SQLRETURN expectedReturn;
  const char* expectedState;  // "" when the call answers without diagnostics
  // unixODBC refuses some calls itself, without calling the driver.
  bool answeredByDriverManager = false;
};

class CallRefusalsTest : public OdbcProgram {
 protected:
  // Names the cursor of `stmt` while another statement of the connection has `taken`.
  Outcome nameTakenFrom(SQLHSTMT stmt, const char* taken, const char* name) {
    SQLHSTMT other = statement();
    EXPECT_EQ(SQLSetCursorName(other, chars(taken), SQL_NTS), SQL_SUCCESS);
    const Outcome outcome = onStatement(stmt, SQLSetCursorName(stmt, chars(name), SQL_NTS));
    SQLFreeHandle(SQL_HANDLE_STMT, other);
    return outcome;
  }
};

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
      {"cursor name another statement of the connection has",
       [this](SQLHSTMT s) { return nameTakenFrom(s, "orders_cursor", "orders_cursor"); }, SQL_ERROR,
       "3C000"},
      {"cursor name another statement has in other letters",
       [this](SQLHSTMT s) { return nameTakenFrom(s, "Orders_Cursor", "ORDERS_cursor"); }, SQL_ERROR,
       "3C000"},
      {"cursor name the statement itself has",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLSetCursorName(s, chars("orders_cursor"), SQL_NTS), SQL_SUCCESS);
         return onStatement(s, SQLSetCursorName(s, chars("orders_cursor"), SQL_NTS));
       },
       SQL_SUCCESS, ""},
      {"cursor name a freed statement had",
       [this](SQLHSTMT s) {
         SQLHSTMT other = statement();
         EXPECT_EQ(SQLSetCursorName(other, chars("orders_cursor"), SQL_NTS), SQL_SUCCESS);
         SQLFreeHandle(SQL_HANDLE_STMT, other);
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
         identifiers(s);
         return onStatement(s, SQLColumns(s, none, 0, none, 0, nullptr, 0, chars("id"), SQL_NTS));
       },
       SQL_ERROR, "HY009"},
      {"SQLColumns without a column name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLColumns(s, none, 0, none, 0, chars("t"), SQL_NTS, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLColumns without a schema name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(
             s, SQLColumns(s, none, 0, nullptr, 0, chars("t"), SQL_NTS, chars("id"), SQL_NTS));
       },
       SQL_ERROR, "HY009"},
      {"SQLColumns without a catalog name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(
             s, SQLColumns(s, nullptr, 0, none, 0, chars("t"), SQL_NTS, chars("id"), SQL_NTS));
       },
       SQL_ERROR, "HY009"},
      {"SQLColumns of a named table and column while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(
             s, SQLColumns(s, none, 0, none, 0, chars("t"), SQL_NTS, chars("id"), SQL_NTS));
       },
       SQL_SUCCESS, ""},
      {"SQLTables without a table name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLTables(s, none, 0, none, 0, nullptr, 0, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLTables of a named table, without table types, while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLTables(s, none, 0, none, 0, chars("t"), SQL_NTS, nullptr, 0));
       },
       SQL_SUCCESS, ""},
      {"SQLPrimaryKeys without a schema name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLPrimaryKeys(s, none, 0, nullptr, 0, chars("t"), SQL_NTS));
       },
       SQL_ERROR, "HY009"},
      {"SQLStatistics without a schema name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLStatistics(s, none, 0, nullptr, 0, chars("t"), SQL_NTS,
                                             SQL_INDEX_ALL, SQL_QUICK));
       },
       SQL_ERROR, "HY009", true},
      {"SQLSpecialColumns without a catalog name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLSpecialColumns(s, SQL_BEST_ROWID, nullptr, 0, none, 0, chars("t"),
                                                 SQL_NTS, SQL_SCOPE_SESSION, SQL_NULLABLE));
       },
       SQL_ERROR, "HY009"},
      {"SQLForeignKeys without a foreign key table while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLForeignKeys(s, none, 0, none, 0, chars("t"), SQL_NTS, none, 0,
                                              none, 0, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLProcedures without a procedure name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLProcedures(s, none, 0, none, 0, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLProcedureColumns without a column name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(
             s, SQLProcedureColumns(s, none, 0, none, 0, chars("p"), SQL_NTS, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLColumnPrivileges without a column name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(
             s, SQLColumnPrivileges(s, none, 0, none, 0, chars("t"), SQL_NTS, nullptr, 0));
       },
       SQL_ERROR, "HY009"},
      {"SQLTablePrivileges without a schema name while names are identifiers",
       [](SQLHSTMT s) {
         identifiers(s);
         return onStatement(s, SQLTablePrivileges(s, none, 0, nullptr, 0, chars("t"), SQL_NTS));
       },
       SQL_ERROR, "HY009"},
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
       SQL_ERROR, "24000", true},
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
      {"SQLExecute refused over its result, then SQLFreeStmt(SQL_CLOSE)",
       [](SQLHSTMT s) {
         EXPECT_EQ(SQLPrepare(s, chars("select id from t"), SQL_NTS), SQL_SUCCESS);
         EXPECT_EQ(SQLExecute(s), SQL_SUCCESS);
         EXPECT_EQ(SQLExecute(s), SQL_ERROR);
         // unixODBC takes the statement back to prepared here and refuses SQLCloseCursor itself.
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
    EXPECT_EQ(answered.find("[Driver Manager]") != std::string::npos, c.answeredByDriverManager)
        << answered;
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

// The other calls that would drop an unread result are refused by the driver too, which keeps
// the result. unixODBC then takes its own state of the statement back and refuses SQLFetch and
// SQLCloseCursor itself, so the way on is SQLFreeStmt(SQL_CLOSE), after which the call runs.
TEST_F(CallRefusalsTest, ARefusedCallOverAnUnreadResultEndsWithSQLFreeStmt) {
  numbered("n", 3);
  const std::vector<std::pair<const char*, std::function<SQLRETURN(SQLHSTMT)>>> calls = {
      {"SQLPrepare", [](SQLHSTMT s) { return SQLPrepare(s, chars("select id from n"), SQL_NTS); }},
      {"SQLTables",
       [](SQLHSTMT s) { return SQLTables(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLColumns",
       [](SQLHSTMT s) {
         return SQLColumns(s, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS, nullptr, 0);
       }},
      {"SQLStatistics",
       [](SQLHSTMT s) {
         return SQLStatistics(s, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS, SQL_INDEX_ALL,
                              SQL_QUICK);
       }},
      {"SQLPrimaryKeys",
       [](SQLHSTMT s) { return SQLPrimaryKeys(s, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS); }},
      {"SQLForeignKeys",
       [](SQLHSTMT s) {
         return SQLForeignKeys(s, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS, nullptr, 0, nullptr,
                               0, nullptr, 0);
       }},
      {"SQLProcedures",
       [](SQLHSTMT s) { return SQLProcedures(s, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLProcedureColumns",
       [](SQLHSTMT s) {
         return SQLProcedureColumns(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
       }},
      {"SQLSpecialColumns",
       [](SQLHSTMT s) {
         return SQLSpecialColumns(s, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS,
                                  SQL_SCOPE_SESSION, SQL_NULLABLE);
       }},
      {"SQLColumnPrivileges",
       [](SQLHSTMT s) {
         return SQLColumnPrivileges(s, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS, nullptr, 0);
       }},
      {"SQLTablePrivileges",
       [](SQLHSTMT s) {
         return SQLTablePrivileges(s, nullptr, 0, nullptr, 0, chars("n"), SQL_NTS);
       }},
      {"SQLGetTypeInfo", [](SQLHSTMT s) { return SQLGetTypeInfo(s, SQL_ALL_TYPES); }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    SQLHSTMT stmt = statement();
    ASSERT_EQ(execDirect(stmt, "select id from n order by id"), SQL_SUCCESS);
    EXPECT_EQ(call(stmt), SQL_ERROR);
    const std::string refusal = state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(refusal.substr(0, 5), "24000");
    EXPECT_EQ(refusal.find("[Driver Manager]"), std::string::npos) << refusal;
    EXPECT_EQ(SQLFreeStmt(stmt, SQL_CLOSE), SQL_SUCCESS);
    EXPECT_EQ(call(stmt), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
}

}  // namespace
}  // namespace integrationtest
