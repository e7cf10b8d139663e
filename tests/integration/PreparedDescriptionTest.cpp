// A prepared statement's result is described before it runs, through the unixODBC Driver
// Manager: SQLNumResultCols, SQLDescribeCol and SQLColAttribute after SQLPrepare describe the
// columns the execution will return, at the cost of one round trip taken only when asked; a
// command describes nothing and does not run; a text the server cannot run answers its error.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

class PreparedDescription : public OdbcProgram {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--sql-log", "sql.log"}; }

  void SetUp() override {
    OdbcProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    exec("create table t (id integer, name varchar(20), v text)");
    exec("insert into t values (1, 'one', 'x'), (2, 'two', 'yy'), (3, 'three', 'zzz')");
  }

  SQLHSTMT prepared(const std::string& sql) {
    SQLHSTMT stmt = statement();
    std::vector<SQLCHAR> text(sql.begin(), sql.end());
    EXPECT_EQ(SQLPrepare(stmt, text.data(), static_cast<SQLINTEGER>(text.size())), SQL_SUCCESS)
        << state(SQL_HANDLE_STMT, stmt);
    return stmt;
  }

  // The texts the server received that describe a prepared statement.
  int describingTexts() {
    std::ifstream log(server().dataFile("sql.log"));
    int count = 0;
    for (std::string line; std::getline(log, line);)
      if (line.find(") LIMIT 0") != std::string::npos) ++count;
    return count;
  }

  // Rows of t as the database file has them.
  int storedRows() {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(server().dataFile("default.db").c_str(), &db, SQLITE_OPEN_READONLY,
                              nullptr),
              SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, "select count(*) from t", -1, &count, nullptr), SQLITE_OK);
    const int rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int(count, 0) : -1;
    sqlite3_finalize(count);
    sqlite3_close(db);
    return rows;
  }
};

struct Described {
  std::string name;
  SQLSMALLINT type;
  SQLULEN size;
};

Described describe(SQLHSTMT stmt, SQLUSMALLINT column) {
  SQLCHAR name[64] = {};
  SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  EXPECT_EQ(SQLDescribeCol(stmt, column, name, sizeof name, &nameLength, &type, &size, &digits,
                           &nullable),
            SQL_SUCCESS);
  return {reinterpret_cast<char*>(name), type, size};
}

TEST_F(PreparedDescription, AQueryIsDescribedBeforeItRunsAndRunsAsPrepared) {
  SQLHSTMT stmt = prepared("SELECT id, name, v AS label FROM t WHERE id > ? ORDER BY id");
  SQLSMALLINT columns = 0;
  ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(columns, 3);
  const Described id = describe(stmt, 1);
  EXPECT_EQ(id.name, "id");
  EXPECT_EQ(id.type, SQL_BIGINT);
  // No values yet: text keeps its unbounded description.
  const Described label = describe(stmt, 3);
  EXPECT_EQ(label.name, "label");
  EXPECT_EQ(label.type, SQL_LONGVARCHAR);
  SQLCHAR name[64] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLColAttribute(stmt, 2, SQL_DESC_NAME, name, sizeof name, &length, nullptr),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(name), "name");
  SQLCHAR byName[8] = {};
  EXPECT_EQ(
      SQLDescribeCol(stmt, 4, byName, sizeof byName, nullptr, nullptr, nullptr, nullptr, nullptr),
      SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "07009");
  // Nothing to fetch before the execution.
  EXPECT_EQ(SQLFetch(stmt), SQL_ERROR);

  SQLINTEGER above = 1;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0,
                                             0, &above, 0, nullptr)));
  ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
  ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
  EXPECT_EQ(columns, 3);
  std::vector<std::string> labels;
  while (SQLFetch(stmt) == SQL_SUCCESS) {
    char value[16] = {};
    SQLLEN valueLength = 0;
    ASSERT_EQ(SQLGetData(stmt, 3, SQL_C_CHAR, value, sizeof value, &valueLength), SQL_SUCCESS);
    labels.emplace_back(value);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"yy", "zzz"}));
  EXPECT_EQ(describingTexts(), 1);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// Each of the three asks first; the description is made once, and never when nobody asks.
TEST_F(PreparedDescription, OneRoundTripOnlyWhenAsked) {
  const std::string query = "SELECT name FROM t";
  SQLHSTMT stmt = prepared(query);
  ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS);
  SQLSMALLINT columns = 0;
  ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
  EXPECT_EQ(columns, 1);
  EXPECT_EQ(describingTexts(), 0);

  int expected = 0;
  for (int first = 0; first < 3; ++first) {
    SCOPED_TRACE(first);
    SQLFreeStmt(stmt, SQL_CLOSE);
    std::vector<SQLCHAR> text(query.begin(), query.end());
    ASSERT_EQ(SQLPrepare(stmt, text.data(), static_cast<SQLINTEGER>(text.size())), SQL_SUCCESS);
    for (int call = 0; call < 2; ++call) {
      SQLLEN type = 0;
      switch (first) {
        case 0:
          EXPECT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
          break;
        case 1:
          EXPECT_EQ(describe(stmt, 1).type, SQL_LONGVARCHAR);
          break;
        default:
          EXPECT_EQ(SQLColAttribute(stmt, 1, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &type),
                    SQL_SUCCESS);
          EXPECT_EQ(type, SQL_LONGVARCHAR);
      }
    }
    EXPECT_EQ(describingTexts(), ++expected);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

TEST_F(PreparedDescription, ACommandDescribesNothingAndDoesNotRunBeforeExecute) {
  SQLHSTMT stmt = prepared("INSERT INTO t VALUES (4, 'four', 'w')");
  SQLSMALLINT columns = -1;
  ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
  EXPECT_EQ(columns, 0);
  SQLCHAR name[8] = {};
  EXPECT_EQ(SQLDescribeCol(stmt, 1, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr),
            SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "07009");
  EXPECT_EQ(storedRows(), 3);
  EXPECT_EQ(describingTexts(), 0);
  ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(storedRows(), 4);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

TEST_F(PreparedDescription, TextsTheServerCannotNestDescribeNothingBeforeTheyRun) {
  for (const char* sql : {"PRAGMA table_info(t)", "SHOW TABLES", "EXPLAIN SELECT 1"}) {
    SCOPED_TRACE(sql);
    SQLHSTMT stmt = prepared(sql);
    SQLSMALLINT columns = -1;
    ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
    EXPECT_EQ(columns, 0);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  EXPECT_EQ(describingTexts(), 0);
}

TEST_F(PreparedDescription, ATextThatCannotRunAnswersTheServersError) {
  SQLHSTMT stmt = prepared("SELECT absent FROM missing");
  SQLSMALLINT columns = -1;
  EXPECT_EQ(SQLNumResultCols(stmt, &columns), SQL_ERROR);
  const std::string error = state(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(error.substr(0, 5), "HY000");
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  // Asked again, it answers again.
  EXPECT_EQ(SQLDescribeCol(stmt, 1, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr),
            SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "HY000");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// What the description costs: the first SQLNumResultCols after SQLPrepare against one that only
// reads the description already made.
TEST_F(PreparedDescription, TheDescriptionsRoundTripIsMeasured) {
  using Clock = std::chrono::steady_clock;
  SQLHSTMT stmt = statement();
  std::vector<long long> describing, described;
  const std::string query = "SELECT id, name, v FROM t WHERE id = ?";
  std::vector<SQLCHAR> text(query.begin(), query.end());
  for (int round = 0; round < 51; ++round) {
    ASSERT_EQ(SQLPrepare(stmt, text.data(), static_cast<SQLINTEGER>(text.size())), SQL_SUCCESS);
    SQLSMALLINT columns = 0;
    const auto start = Clock::now();
    ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
    const auto middle = Clock::now();
    ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
    const auto end = Clock::now();
    ASSERT_EQ(columns, 3);
    describing.push_back(
        std::chrono::duration_cast<std::chrono::microseconds>(middle - start).count());
    described.push_back(
        std::chrono::duration_cast<std::chrono::microseconds>(end - middle).count());
  }
  std::sort(describing.begin(), describing.end());
  std::sort(described.begin(), described.end());
  const long long median = describing[describing.size() / 2];
  std::cout << "describing a prepared statement: median " << median
            << " us (answer already made: " << described[described.size() / 2] << " us)\n";
  RecordProperty("describe_round_trip_us", static_cast<int>(median));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
