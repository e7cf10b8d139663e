#pragma once
// Direct calls of the exported functions, without a Driver Manager: an environment and a
// connection handle made by the exports, with a connection of the tests' own attached in place
// of the back end's, so that every export can be reached without a server.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ConnectionProxy.h"
#include "platform/Odbc.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"
#include "tests/support/RecordingConnection.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace apitest {

// A statement that keeps the texts it was asked to run, and may describe a result of its own.
class ApiStatement : public Statement {
 public:
  using Statement::Statement;

  std::vector<std::string> executed;
  // Runs inside executeSql, before it answers: lets a test throw from an operation.
  std::function<void()> duringExecution;

  SQLRETURN executeSql(const std::string& text) override {
    executed.push_back(text);
    if (duringExecution) duringExecution();
    return SQL_SUCCESS;
  }

  // A result of one column of that name, as the back end describes one.
  void describeColumn(const std::string& name) {
    ird_->clearRecords();
    ird_->addRecord(name, SQL_VARCHAR, SQL_NULLABLE, false);
  }
};

// The connection the tests attach: statements and descriptors of the base classes, a DBMS name
// of the test's choosing, and a record of the transactions it was asked to end.
class ApiConnection : public testsupport::RecordingConnection {
 public:
  using RecordingConnection::RecordingConnection;

  std::string dbmsName = "Karvell";
  std::vector<SQLSMALLINT> endedTransactions;

  Statement* createStatement() override { return new ApiStatement(this); }
  Descriptor* createDescriptor() override {
    return new Descriptor(this, DescriptorType::explicitlyAllocated);
  }
  InfoText getInfoDbmsName() override { return dbmsName; }
  SQLRETURN endTran(SQLSMALLINT completionType) override {
    endedTransactions.push_back(completionType);
    return SQL_SUCCESS;
  }
};

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_SUCCESS);
    ASSERT_EQ(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_SUCCESS);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    connection = attachConnection(dbc);
  }

  void TearDown() override {
    if (dbc != nullptr) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  }

  // Attaches a test connection to the handle, as a successful connect would.
  static ApiConnection* attachConnection(SQLHDBC handle) {
    auto* proxy = static_cast<ConnectionProxy*>(handle);
    auto* attached = new ApiConnection(proxy->environment());
    proxy->attachConnection(attached);
    attached->setConnected(true);
    return attached;
  }

  SQLHSTMT newStatement() {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
    return stmt;
  }

  static ApiStatement& statementOf(SQLHSTMT stmt) { return *static_cast<ApiStatement*>(stmt); }

  // The SQLSTATEs of the handle's records, newest first.
  static std::vector<std::string> states(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<std::string> result;
    SQLCHAR state[6];
    for (SQLSMALLINT record = 1;
         SQLGetDiagRec(handleType, handle, record, state, nullptr, nullptr, 0, nullptr) !=
         SQL_NO_DATA;
         ++record) {
      result.emplace_back(reinterpret_cast<char*>(state));
      if (record > 20) break;
    }
    return result;
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini;
#endif
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  ApiConnection* connection = nullptr;
};

}  // namespace apitest
