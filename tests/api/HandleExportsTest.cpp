#include <gtest/gtest.h>

#include <string>

#include "tests/api/ApiFixture.h"

namespace apitest {
namespace {

using HandleExports = ApiTest;

TEST_F(HandleExports, NullInputHandlesAreInvalidAndClearTheOutput) {
  for (const SQLSMALLINT type : {SQL_HANDLE_DBC, SQL_HANDLE_STMT, SQL_HANDLE_DESC}) {
    SQLHANDLE out = &out;
    EXPECT_EQ(SQLAllocHandle(type, SQL_NULL_HANDLE, &out), SQL_INVALID_HANDLE) << type;
    EXPECT_EQ(out, nullptr) << type;
  }
  SQLHANDLE out = &out;
  EXPECT_EQ(SQLAllocConnect(SQL_NULL_HENV, &out), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLAllocStmt(SQL_NULL_HDBC, &out), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, nullptr), SQL_ERROR);
  EXPECT_EQ(SQLAllocEnv(nullptr), SQL_ERROR);
  // Handle types no allocation or freeing takes, and null handles, are never a success.
  EXPECT_EQ(SQLAllocHandle(7, env, &out), SQL_ERROR);
  EXPECT_EQ(SQLFreeHandle(7, env), SQL_INVALID_HANDLE);
  for (const SQLSMALLINT type : {SQL_HANDLE_ENV, SQL_HANDLE_DBC, SQL_HANDLE_STMT, SQL_HANDLE_DESC}) {
    EXPECT_EQ(SQLFreeHandle(type, SQL_NULL_HANDLE), SQL_INVALID_HANDLE) << type;
  }
}

TEST_F(HandleExports, ANullOutputPointerIsRefusedOnTheInputHandle) {
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, nullptr), SQL_ERROR);
  EXPECT_EQ(states(SQL_HANDLE_ENV, env), std::vector<std::string>{"HY009"});
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, nullptr), SQL_ERROR);
  EXPECT_EQ(states(SQL_HANDLE_DBC, dbc), std::vector<std::string>{"HY009"});
}

TEST_F(HandleExports, StatementsAndDescriptorsNeedAConnection) {
  SQLHDBC unconnected = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocConnect(env, &unconnected), SQL_SUCCESS);
  const struct {
    SQLSMALLINT type;
    const char* message;
  } cases[] = {
      {SQL_HANDLE_STMT, "Can't create a statement before connection is made"},
      {SQL_HANDLE_DESC, "Can't create a descriptor before connection is made"},
  };
  for (const auto& c : cases) {
    SQLHANDLE out = &out;
    EXPECT_EQ(SQLAllocHandle(c.type, unconnected, &out), SQL_ERROR);
    EXPECT_EQ(out, nullptr);
    SQLCHAR state[6] = {};
    SQLCHAR message[256] = {};
    SQLINTEGER native = -1;
    ASSERT_EQ(SQLGetDiagRec(SQL_HANDLE_DBC, unconnected, 1, state, &native, message,
                            sizeof message, nullptr),
              SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(state), "HY000");
    EXPECT_EQ(native, 0);
    EXPECT_NE(std::string(reinterpret_cast<char*>(message)).find(c.message), std::string::npos)
        << message;
    EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_DBC, unconnected, 2, state, nullptr, nullptr, 0, nullptr),
              SQL_NO_DATA);
  }
  EXPECT_EQ(SQLFreeConnect(unconnected), SQL_SUCCESS);
}

TEST_F(HandleExports, StatementLifecycle) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocStmt(dbc, &stmt), SQL_SUCCESS);
  ASSERT_NE(stmt, nullptr);
  EXPECT_EQ(SQLFreeStmt(stmt, SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeStmt(stmt, SQL_UNBIND), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeStmt(stmt, 9), SQL_ERROR);
  EXPECT_EQ(states(SQL_HANDLE_STMT, stmt), std::vector<std::string>{"HY092"});
  EXPECT_EQ(SQLFreeStmt(stmt, SQL_DROP), SQL_SUCCESS);

  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, stmt), SQL_SUCCESS);
}

TEST_F(HandleExports, AStatementsOwnDescriptorsCannotBeFreed) {
  SQLHSTMT stmt = newStatement();
  for (const SQLINTEGER attribute : {SQL_ATTR_APP_ROW_DESC, SQL_ATTR_APP_PARAM_DESC,
                                     SQL_ATTR_IMP_ROW_DESC, SQL_ATTR_IMP_PARAM_DESC}) {
    SQLHDESC desc = SQL_NULL_HDESC;
    ASSERT_EQ(SQLGetStmtAttr(stmt, attribute, &desc, SQL_IS_POINTER, nullptr), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DESC, desc), SQL_ERROR) << attribute;
    EXPECT_EQ(states(SQL_HANDLE_DESC, desc), std::vector<std::string>{"HY017"});
  }
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, stmt), SQL_SUCCESS);
}

// ODBC: a statement whose application descriptor is freed goes back to its own.
TEST_F(HandleExports, FreeingAnExplicitDescriptorRestoresTheImplicitOne) {
  SQLHSTMT stmt = newStatement();
  SQLHDESC implicitArd = SQL_NULL_HDESC;
  SQLHDESC implicitApd = SQL_NULL_HDESC;
  ASSERT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_APP_ROW_DESC, &implicitArd, SQL_IS_POINTER, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_APP_PARAM_DESC, &implicitApd, SQL_IS_POINTER, nullptr),
            SQL_SUCCESS);
  SQLHDESC explicitDesc = SQL_NULL_HDESC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &explicitDesc), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_APP_ROW_DESC, explicitDesc, SQL_IS_POINTER),
            SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_APP_PARAM_DESC, explicitDesc, SQL_IS_POINTER),
            SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(SQLBindCol(stmt, 1, SQL_C_SLONG, &value, 0, &indicator), SQL_SUCCESS);

  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DESC, explicitDesc), SQL_SUCCESS);
  SQLHDESC ard = SQL_NULL_HDESC;
  SQLHDESC apd = SQL_NULL_HDESC;
  ASSERT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_APP_ROW_DESC, &ard, SQL_IS_POINTER, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_APP_PARAM_DESC, &apd, SQL_IS_POINTER, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(ard, implicitArd);
  EXPECT_EQ(apd, implicitApd);
  // Binding again goes to the statement's own descriptor, not to the freed one.
  EXPECT_EQ(SQLBindCol(stmt, 1, SQL_C_SLONG, &value, 0, &indicator), SQL_SUCCESS);
  SQLSMALLINT count = 0;
  EXPECT_EQ(SQLGetDescField(ard, 0, SQL_DESC_COUNT, &count, SQL_IS_SMALLINT, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, stmt), SQL_SUCCESS);
}

TEST_F(HandleExports, CopyDescCopiesIntoTheTarget) {
  SQLHSTMT stmt = newStatement();
  SQLINTEGER value = 0;
  ASSERT_EQ(SQLBindCol(stmt, 2, SQL_C_SLONG, &value, 0, nullptr), SQL_SUCCESS);
  SQLHDESC ard = SQL_NULL_HDESC;
  ASSERT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_APP_ROW_DESC, &ard, SQL_IS_POINTER, nullptr),
            SQL_SUCCESS);
  SQLHDESC copy = SQL_NULL_HDESC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &copy), SQL_SUCCESS);
  EXPECT_EQ(SQLCopyDesc(ard, copy), SQL_SUCCESS);
  SQLSMALLINT count = 0;
  EXPECT_EQ(SQLGetDescField(copy, 0, SQL_DESC_COUNT, &count, SQL_IS_SMALLINT, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(SQLCopyDesc(nullptr, copy), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DESC, copy), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, stmt), SQL_SUCCESS);
}

// Freeing the connection handle frees what the application left allocated on it.
TEST_F(HandleExports, FreeingTheConnectionFreesItsStatementsAndDescriptors) {
  newStatement();
  SQLHDESC desc = SQL_NULL_HDESC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &desc), SQL_SUCCESS);
  EXPECT_EQ(SQLDisconnect(dbc), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeConnect(dbc), SQL_SUCCESS);
  dbc = SQL_NULL_HDBC;
}

TEST_F(HandleExports, TransactionsEndOnTheNamedConnectionOnly) {
  SQLHDBC other = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &other), SQL_SUCCESS);
  ApiConnection* otherConnection = attachConnection(other);

  // ODBC: a connection handle takes precedence over the environment.
  EXPECT_EQ(SQLTransact(env, dbc, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(connection->endedTransactions, std::vector<SQLSMALLINT>{SQL_COMMIT});
  EXPECT_TRUE(otherConnection->endedTransactions.empty());

  EXPECT_EQ(SQLTransact(env, SQL_NULL_HDBC, SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_EQ(connection->endedTransactions, (std::vector<SQLSMALLINT>{SQL_COMMIT, SQL_ROLLBACK}));
  EXPECT_EQ(otherConnection->endedTransactions, std::vector<SQLSMALLINT>{SQL_ROLLBACK});

  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, other, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(otherConnection->endedTransactions,
            (std::vector<SQLSMALLINT>{SQL_ROLLBACK, SQL_COMMIT}));

  SQLHSTMT stmt = newStatement();
  EXPECT_EQ(SQLTransact(SQL_NULL_HENV, SQL_NULL_HDBC, SQL_COMMIT), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_STMT, stmt, SQL_COMMIT), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, SQL_NULL_HANDLE, SQL_COMMIT), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLEndTran(9, env, SQL_COMMIT), SQL_INVALID_HANDLE);
  EXPECT_EQ(connection->endedTransactions.size(), 2u);
  SQLFreeHandle(SQL_HANDLE_DBC, other);
}

}  // namespace
}  // namespace apitest
