// The trace of the exports: the lines of each family of calls, and the whole trace compiling as
// the C program that replays the calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/TraceFormatter.h"
#include "core/WideText.h"
#include "tests/api/ApiFixture.h"
#include "tests/support/TracedEnvironment.h"

namespace apitest {
namespace {

class ExportTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    env = &traced.environment();
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    auto* proxy = static_cast<ConnectionProxy*>(dbc);
    connection = new ApiConnection(proxy->environment());
    proxy->attachConnection(connection);
    connection->setConnected(true);
  }
  void TearDown() override { SQLFreeHandle(SQL_HANDLE_DBC, dbc); }

  bool hasLine(const std::string& line) const {
    const std::vector<std::string> lines = traced.lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  static std::string at(const void* address) { return traceAddress(address); }

  testsupport::TracedEnvironment traced;
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  ApiConnection* connection = nullptr;
};

TEST_F(ExportTrace, AllocationsDeclareAndPassTheNewHandle) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  EXPECT_TRUE(hasLine("SQLHANDLE stmt" + at(stmt) + ";"));
  EXPECT_TRUE(hasLine("rc = SQLAllocHandle(SQL_HANDLE_STMT, dbc" + at(dbc) + ", &stmt" + at(stmt) +
                      ");"));
  EXPECT_TRUE(hasLine("// *oh: " + at(stmt)));
  ASSERT_EQ(SQLFreeStmt(stmt, SQL_DROP), SQL_SUCCESS);
  EXPECT_TRUE(hasLine("rc = SQLFreeStmt(stmt" + at(stmt) + ", SQL_DROP);"));
}

TEST_F(ExportTrace, GetInfoDeclaresItsBuffersAndShowsTheAnswer) {
  char value[64];
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLGetInfo(dbc, SQL_DBMS_NAME, value, sizeof value, &length), SQL_SUCCESS);
  const std::vector<std::string> lines = traced.lines();
  const std::vector<std::string> expected = {
      "char value" + at(value) + "[64];",
      "SQLSMALLINT len" + at(&length) + " = 0;",
      "rc = SQLGetInfo(dbc" + at(dbc) + ", SQL_DBMS_NAME, value" + at(value) + ", 64, &len" +
          at(&length) + ");",
      "// value: \"Karvell\"",
      "// *len: 7",
      "// rc: SQL_SUCCESS",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()), expected);
}

TEST_F(ExportTrace, TimedCallsAndWideTexts) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  std::vector<SQLWCHAR> text = utf16FromUtf8("select '\xe2\x82\xac\"\n'");
  ASSERT_EQ(SQLExecDirectW(stmt, text.data(), SQL_NTS), SQL_SUCCESS);
  const std::vector<std::string> lines = traced.lines();
  const auto call = std::find(lines.begin(), lines.end(),
                              "rc = SQLExecDirectW(stmt" + at(stmt) +
                                  ", (SQLWCHAR *) u\"select '\xe2\x82\xac\\\"\\012'\", SQL_NTS);");
  ASSERT_NE(call, lines.end());
  EXPECT_EQ(call[-1].rfind("// ENTER: ", 0), 0u);
  EXPECT_EQ(lines.back().rfind("// EXIT: ", 0), 0u);
  EXPECT_NE(lines.back().find("  rc: SQL_SUCCESS"), std::string::npos);
}

TEST_F(ExportTrace, PasswordsNeverReachTheTrace) {
  SQLHDBC other = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &other), SQL_SUCCESS);
  SQLCHAR out[256];
  SQLSMALLINT length = 0;
  SQLDriverConnect(other, nullptr,
                   reinterpret_cast<SQLCHAR*>(const_cast<char*>("DSN=x;PWD=secret;UID=u")),
                   SQL_NTS, out, sizeof out, &length, SQL_DRIVER_NOPROMPT);
  SQLConnect(other, reinterpret_cast<SQLCHAR*>(const_cast<char*>("x")), SQL_NTS,
             reinterpret_cast<SQLCHAR*>(const_cast<char*>("u")), SQL_NTS,
             reinterpret_cast<SQLCHAR*>(const_cast<char*>("secret")), 6);
  for (const std::string& line : traced.lines()) {
    EXPECT_EQ(line.find("secret"), std::string::npos) << line;
  }
  SQLFreeHandle(SQL_HANDLE_DBC, other);
}

#ifndef _WIN32
// Every family of calls, with awkward values: the trace must compile as the C that replays it.
TEST_F(ExportTrace, TheTraceCompilesAsC) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocStmt(dbc, &stmt), SQL_SUCCESS);
  SQLSetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG,
                    const_cast<char*>("a \"quoted\\\" name\n"), SQL_NTS);
  SQLSetConnectAttr(dbc, 4242, reinterpret_cast<SQLPOINTER>(7), 0);
  char text[300];
  SQLINTEGER textLength = 0;
  SQLGetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, text, sizeof text, &textLength);
  SQLGetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, text, 4, &textLength);
  SQLWCHAR wide[64];
  SQLGetConnectAttrW(dbc, SQL_ATTR_CURRENT_CATALOG, wide, sizeof wide, &textLength);
  SQLSMALLINT shortLength = 0;
  SQLGetInfo(dbc, SQL_DBMS_NAME, text, 0, &shortLength);
  SQLGetInfoW(dbc, SQL_DBMS_NAME, wide, sizeof wide, &shortLength);
  SQLUINTEGER number = 0;
  SQLGetInfo(dbc, SQL_TXN_CAPABLE, &number, 0, nullptr);
  SQLGetInfo(dbc, 4321, text, sizeof text, &shortLength);
  SQLUSMALLINT supported[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE];
  SQLGetFunctions(dbc, SQL_API_ODBC3_ALL_FUNCTIONS, supported);
  SQLGetFunctions(dbc, SQL_API_SQLFETCH, supported);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(10), 0);
  SQLULEN size = 0;
  SQLGetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, &size, SQL_IS_UINTEGER, nullptr);
  SQLHDESC ard = SQL_NULL_HDESC;
  SQLGetStmtAttr(stmt, SQL_ATTR_APP_ROW_DESC, &ard, SQL_IS_POINTER, nullptr);
  SQLSMALLINT count = 0;
  SQLGetDescField(ard, 0, SQL_DESC_COUNT, &count, SQL_IS_SMALLINT, nullptr);
  SQLSetDescField(ard, 1, SQL_DESC_NAME, const_cast<char*>("col?\?/"), SQL_NTS);
  SQLSetDescRec(ard, 1, SQL_C_CHAR, 0, 20, 0, 0, text, nullptr, nullptr);
  SQLGetDescRec(ard, 1, reinterpret_cast<SQLCHAR*>(text), 0, &shortLength, &count, nullptr,
                nullptr, nullptr, nullptr, nullptr);
  SQLHDESC explicitDesc = SQL_NULL_HDESC;
  SQLAllocHandle(SQL_HANDLE_DESC, dbc, &explicitDesc);
  SQLCopyDesc(ard, explicitDesc);
  SQLFreeHandle(SQL_HANDLE_DESC, explicitDesc);
  SQLFreeHandle(SQL_HANDLE_DESC, ard);
  static_cast<ApiStatement*>(stmt)->describeColumn("name\nwith \"breaks\"");
  SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>("select ?")), SQL_NTS);
  SQLLEN indicator = SQL_NTS;
  SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, text, 0,
                   &indicator);
  SQLExecute(stmt);
  SQLDescribeCol(stmt, 1, reinterpret_cast<SQLCHAR*>(text), sizeof text, &shortLength, &count,
                 &size, &count, &count);
  SQLDescribeColW(stmt, 1, wide, 64, &shortLength, &count, &size, &count, &count);
  SQLLEN numeric = 0;
  SQLColAttribute(stmt, 1, SQL_DESC_NAME, text, sizeof text, &shortLength, &numeric);
  SQLColAttributeW(stmt, 1, SQL_DESC_LABEL, wide, sizeof wide, &shortLength, &numeric);
  SQLColAttributes(stmt, 1, SQL_COLUMN_LENGTH, nullptr, 0, nullptr, &numeric);
  SQLBindCol(stmt, 1, SQL_C_CHAR, text, sizeof text, &indicator);
  SQLBindCol(stmt, 2, SQL_C_SLONG, &number, 0, &indicator);
  SQLFetch(stmt);
  SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0);
  SQLULEN rows = 0;
  SQLUSMALLINT status[4];
  SQLExtendedFetch(stmt, SQL_FETCH_NEXT, 0, &rows, status);
  SQLGetData(stmt, 1, SQL_C_CHAR, text, sizeof text, &indicator);
  SQLNumResultCols(stmt, &count);
  SQLLEN rowCount = 0;
  SQLRowCount(stmt, &rowCount);
  SQLNumParams(stmt, &count);
  SQLSMALLINT type = 0;
  SQLDescribeParam(stmt, 1, &type, &size, &count, &count);
  SQLSetCursorName(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>("c1")), SQL_NTS);
  SQLGetCursorName(stmt, reinterpret_cast<SQLCHAR*>(text), 2, &shortLength);
  SQLGetCursorNameW(stmt, wide, 64, &shortLength);
  SQLNativeSql(dbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>("select '\\'")), SQL_NTS,
               reinterpret_cast<SQLCHAR*>(text), sizeof text, &textLength);
  SQLMoreResults(stmt);
  SQLCloseCursor(stmt);
  SQLCancel(stmt);
  SQLGetTypeInfo(stmt, SQL_ALL_TYPES);
  SQLParamOptions(stmt, 1, &rows);
  SQLPOINTER token = nullptr;
  SQLParamData(stmt, &token);
  SQLPutData(stmt, text, 3);
  SQLSetPos(stmt, 1, SQL_POSITION, SQL_LOCK_NO_CHANGE);
  SQLBulkOperations(stmt, SQL_ADD);
  SQLSetStmtOption(stmt, SQL_ROWSET_SIZE, 1);
  SQLGetStmtOption(stmt, SQL_ROWSET_SIZE, text);
  SQLSetConnectOption(dbc, SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF);
  SQLGetConnectOption(dbc, SQL_ATTR_AUTOCOMMIT, text);
  static_cast<ApiStatement*>(stmt)->diagnostics().post("42000", 1, "bad \"thing\"\nnear \\", SQL_NO_COLUMN_NUMBER,
                                       SQL_NO_ROW_NUMBER);
  SQLCHAR state[6];
  SQLINTEGER native = 0;
  SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, state, &native, reinterpret_cast<SQLCHAR*>(text),
                sizeof text, &shortLength);
  SQLWCHAR wideState[6];
  SQLGetDiagRecW(SQL_HANDLE_STMT, stmt, 1, wideState, &native, wide, 64, &shortLength);
  SQLGetDiagField(SQL_HANDLE_STMT, stmt, 1, SQL_DIAG_MESSAGE_TEXT, text, sizeof text,
                  &shortLength);
  SQLGetDiagFieldW(SQL_HANDLE_STMT, stmt, 1, SQL_DIAG_MESSAGE_TEXT, wide, sizeof wide,
                   &shortLength);
  SQLGetDiagField(SQL_HANDLE_STMT, stmt, 0, SQL_DIAG_NUMBER, &native, 0, nullptr);
  SQLError(nullptr, nullptr, stmt, state, &native, reinterpret_cast<SQLCHAR*>(text), sizeof text,
           &shortLength);
  SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
  SQLTransact(env, dbc, SQL_ROLLBACK);
  SQLGetEnvAttr(env, SQL_ATTR_ODBC_VERSION, &number, 0, nullptr);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(dbc);

  const std::string source = ::testing::TempDir() + "karvod-trace-replay.c";
  {
    std::ofstream replay(source);
    replay << "#include <sql.h>\n#include <sqlext.h>\n#include <sqlucode.h>\n"
              "int main(void) {\nSQLRETURN rc;\n";
    for (const std::string& line : traced.lines()) replay << line << "\n";
    replay << "return 0; }\n";
  }
  const std::string command = "cc -std=c11 -Werror -fsyntax-only -x c " + source + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << "see " << source;
}
#endif

}  // namespace
}  // namespace apitest
