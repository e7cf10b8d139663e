// The statement end to end on SQLite: parameters substituted into the texts that SQLite runs,
// results described and fetched from what SQLite returns.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/Environment.h"
#include "tests/statement/TakeState.h"
#include "tests/support/SqliteConnection.h"

namespace {

class StatementSqliteTest : public ::testing::Test {
 protected:
  SQLRETURN run(const char* text) { return statement_->execDirect(text, SQL_NTS); }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC SQLite test", "Ferrow", nullptr};
  testsupport::SqliteConnection connection_{&environment_};
  std::unique_ptr<Statement> statement_{connection_.createStatement()};
};

TEST_F(StatementSqliteTest, ParameterArraysGoInAndComeBackOut) {
  ASSERT_EQ(run("create table t (id integer, name text, amount real, data blob)"), SQL_SUCCESS);
  SQLINTEGER ids[3] = {1, 2, -3};
  char names[3][16] = {"plain", "it's", "C:\\dir\\"};
  SQLLEN nameLengths[3] = {SQL_NTS, SQL_NTS, SQL_NULL_DATA};
  double amounts[3] = {1.5, 1e-7, -2.25};
  unsigned char data[3][2] = {{0x0a, 0xff}, {0x00, 0x01}, {0x7f, 0x80}};
  SQLLEN dataLengths[3] = {2, 2, 1};
  ASSERT_EQ(statement_->prepare("insert into t values (?, ?, ?, ?)", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement_->bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, ids, 0,
                                      nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(statement_->bindParameter(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 15, 0, names, 16,
                                      nameLengths),
            SQL_SUCCESS);
  ASSERT_EQ(statement_->bindParameter(3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, amounts,
                                      0, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(statement_->bindParameter(4, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, 2, 0, data,
                                      2, dataLengths),
            SQL_SUCCESS);
  ASSERT_EQ(statement_->setStmtAttr(SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(3), 0),
            SQL_SUCCESS);
  ASSERT_EQ(statement_->execute(), SQL_SUCCESS);
  ASSERT_EQ(statement_->freeStmt(SQL_RESET_PARAMS), SQL_SUCCESS);
  ASSERT_EQ(statement_->setStmtAttr(SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0),
            SQL_SUCCESS);

  ASSERT_EQ(run("select id, name, amount, hex(data) from t order by id"), SQL_SUCCESS);
  SQLSMALLINT columns = 0;
  ASSERT_EQ(statement_->numResultCols(&columns), SQL_SUCCESS);
  EXPECT_EQ(columns, 4);
  SQLINTEGER id = 0;
  char name[16] = {};
  SQLLEN nameIndicator = 0;
  double amount = 0;
  char hex[8] = {};
  ASSERT_EQ(statement_->bindCol(1, SQL_C_SLONG, &id, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(statement_->bindCol(2, SQL_C_CHAR, name, sizeof name, &nameIndicator), SQL_SUCCESS);
  ASSERT_EQ(statement_->bindCol(3, SQL_C_DOUBLE, &amount, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(statement_->bindCol(4, SQL_C_CHAR, hex, sizeof hex, nullptr), SQL_SUCCESS);
  const struct {
    SQLINTEGER id;
    const char* name;
    double amount;
    const char* hex;
  } expected[] = {{-3, nullptr, -2.25, "7F"}, {1, "plain", 1.5, "0AFF"}, {2, "it's", 1e-7, "0001"}};
  for (const auto& row : expected) {
    SCOPED_TRACE(row.id);
    ASSERT_EQ(statement_->fetch(), SQL_SUCCESS);
    EXPECT_EQ(id, row.id);
    if (row.name == nullptr) {
      EXPECT_EQ(nameIndicator, SQL_NULL_DATA);
    } else {
      EXPECT_STREQ(name, row.name);
    }
    EXPECT_EQ(amount, row.amount);
    EXPECT_STREQ(hex, row.hex);
  }
  EXPECT_EQ(statement_->fetch(), SQL_NO_DATA);
}

TEST_F(StatementSqliteTest, LongValuesInPiecesBothWays) {
  ASSERT_EQ(run("create table t (v text)"), SQL_SUCCESS);
  char token[] = "v";
  SQLLEN lengthWord = SQL_DATA_AT_EXEC;
  ASSERT_EQ(statement_->bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR, 0, 0, token,
                                      0, &lengthWord),
            SQL_SUCCESS);
  ASSERT_EQ(run("insert into t values (?)"), SQL_NEED_DATA);
  SQLPOINTER value = nullptr;
  ASSERT_EQ(statement_->paramData(&value), SQL_NEED_DATA);
  std::string sent;
  for (int i = 0; i < 1000; ++i) {
    const std::string chunk = std::to_string(i) + (i % 7 == 0 ? "'" : "-");
    sent += chunk;
    ASSERT_EQ(statement_->putData(const_cast<char*>(chunk.c_str()), SQL_NTS), SQL_SUCCESS);
  }
  ASSERT_EQ(statement_->paramData(&value), SQL_SUCCESS);
  ASSERT_EQ(statement_->freeStmt(SQL_RESET_PARAMS), SQL_SUCCESS);

  ASSERT_EQ(run("select v from t"), SQL_SUCCESS);
  ASSERT_EQ(statement_->fetch(), SQL_SUCCESS);
  std::string received;
  char piece[100];
  SQLLEN indicator = 0;
  SQLRETURN rc;
  while ((rc = statement_->getData(1, SQL_C_CHAR, piece, sizeof piece, &indicator)) !=
         SQL_NO_DATA) {
    ASSERT_TRUE(SQL_SUCCEEDED(rc));
    received += piece;
  }
  EXPECT_EQ(received, sent);
}

TEST_F(StatementSqliteTest, FailuresCarrySqlitesMessage) {
  EXPECT_EQ(run("select * from missing"), SQL_ERROR);
  char state[6] = {};
  SQLINTEGER native = 0;
  char message[200] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(statement_->getDiagRec(1, state, &native, message, sizeof message, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(state, "HY000");
  EXPECT_EQ(native, SQLITE_ERROR);
  EXPECT_EQ(std::string(message), "[Ferrow][Karvell] no such table: missing");
}

}  // namespace
