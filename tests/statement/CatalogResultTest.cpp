#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Environment.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/ScriptedConnection.h"

namespace {

// A statement whose type-information rows name the operation that added them.
class TypeRowsStatement : public testsupport::ScriptedStatement {
 public:
  using ScriptedStatement::ScriptedStatement;
  SQLRETURN addTypeInfoChar() override { return add("char"); }
  SQLRETURN addTypeInfoDate() override { return add("date"); }
  SQLRETURN addTypeInfoTime() override { return add("time"); }
  SQLRETURN addTypeInfoTimestamp() override { return add("timestamp"); }
  SQLRETURN addTypeInfoGuid() override { return add("guid"); }

 private:
  SQLRETURN add(const char* name) {
    return addTypeInfoRow(std::string(name), 1, 1, {}, {}, {}, 1, 1, 1, {}, 0, {}, {}, {}, {}, 1,
                          {}, {}, {});
  }
};

// A connection of a data source without catalogs.
class NoCatalogConnection : public testsupport::ScriptedConnection {
 public:
  using ScriptedConnection::ScriptedConnection;
  InfoText getInfoCatalogName() override { return "N"; }
};

class CatalogResultTest : public ::testing::Test {
 protected:
  // The type names of the rows a result holds, fetched from the start.
  static std::vector<std::string> rowNames(Statement& statement) {
    std::vector<std::string> names;
    while (statement.fetch() == SQL_SUCCESS) {
      char name[32] = {};
      SQLLEN length = 0;
      EXPECT_EQ(statement.getData(1, SQL_C_CHAR, name, sizeof name, &length), SQL_SUCCESS);
      names.push_back(name);
    }
    return names;
  }

  static SQLSMALLINT columnCount(Statement& statement) {
    SQLSMALLINT count = 0;
    statement.numResultCols(&count);
    return count;
  }

  SQLRETURN tables(Statement& statement) {
    return statement.tables(nullptr, 0, nullptr, 0, "t", SQL_NTS, nullptr, 0);
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC catalog test", "Ferrow",
                           nullptr};
  testsupport::ScriptedConnection connection_{&environment_};
  TypeRowsStatement statement_{&connection_};
};

TEST_F(CatalogResultTest, GetTypeInfoAsksForTheRowsOfTheTypeAsked) {
  const struct {
    SQLSMALLINT type;
    std::vector<std::string> rows;
  } cases[] = {
      {SQL_CHAR, {"char"}},
      {SQL_TYPE_DATE, {"date"}},
      {SQL_DATE, {"date"}},
      {SQL_TIME, {"time"}},
      {SQL_TYPE_TIMESTAMP, {"timestamp"}},
      {SQL_TIMESTAMP, {"timestamp"}},
      {SQL_GUID, {"guid"}},
      {SQL_VARCHAR, {}},  // a type this statement does not offer
      {SQL_ALL_TYPES, {"char", "date", "time", "timestamp", "guid"}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.type);
    ASSERT_EQ(statement_.getTypeInfo(test.type), SQL_SUCCESS);
    EXPECT_EQ(columnCount(statement_), 19);
    EXPECT_EQ(rowNames(statement_), test.rows);
    statement_.freeStmt(SQL_CLOSE);
  }
  // A number that names no SQL type is refused.
  for (SQLSMALLINT unknown : {1234, -100}) {
    SCOPED_TRACE(unknown);
    EXPECT_EQ(statement_.getTypeInfo(unknown), SQL_ERROR);
    EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "HY004");
  }
}

// Whatever the statement did before, short of leaving a result open, a catalog call gives a
// fresh scrollable result and no diagnostic: the cursor settings are not negotiated through the
// state-checked setters.
TEST_F(CatalogResultTest, ACatalogCallSucceedsInEveryState) {
  connection_.answer.columns = {"a"};
  connection_.answer.rows = {{"1"}, {"2"}};
  const std::vector<std::pair<const char*, std::function<void()>>> before = {
      {"new", [] {}},
      {"prepared", [this] { statement_.prepare("select a", SQL_NTS); }},
      {"executed without result",
       [this] {
         connection_.answer.columns.clear();
         statement_.execDirect("insert into t values (1)", SQL_NTS);
         connection_.answer.columns = {"a"};
       }},
      {"closed",
       [this] {
         statement_.execDirect("select a", SQL_NTS);
         statement_.closeCursor();
       }},
  };
  for (const auto& [name, step] : before) {
    SCOPED_TRACE(name);
    step();
    ASSERT_EQ(tables(statement_), SQL_SUCCESS);
    EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "");
    EXPECT_EQ(statement_.state(), Statement::stateResultSet);
    EXPECT_EQ(statement_.cursorType(), static_cast<SQLUINTEGER>(SQL_CURSOR_STATIC));
    EXPECT_EQ(statement_.concurrency(), static_cast<SQLUINTEGER>(SQL_CONCUR_READ_ONLY));
    EXPECT_EQ(statement_.cursorScrollable(), static_cast<SQLUINTEGER>(SQL_SCROLLABLE));
    EXPECT_EQ(statement_.cursorSensitivity(), static_cast<SQLUINTEGER>(SQL_INSENSITIVE));
    EXPECT_EQ(columnCount(statement_), 5);
    statement_.addTablesRow({}, {}, std::string("t1"), std::string("TABLE"), {});
    statement_.addTablesRow({}, {}, std::string("t2"), std::string("TABLE"), {});
    EXPECT_EQ(statement_.fetchScroll(SQL_FETCH_LAST, 0), SQL_SUCCESS);
    EXPECT_EQ(statement_.fetchScroll(SQL_FETCH_FIRST, 0), SQL_SUCCESS);
    char table[8] = {};
    SQLLEN length = 0;
    EXPECT_EQ(statement_.getData(3, SQL_C_CHAR, table, sizeof table, &length), SQL_SUCCESS);
    EXPECT_STREQ(table, "t1");
    statement_.freeStmt(SQL_CLOSE);
    // The catalog result's static cursor goes with it: the application's comes back.
    EXPECT_EQ(statement_.cursorType(), static_cast<SQLUINTEGER>(SQL_CURSOR_FORWARD_ONLY));
    EXPECT_EQ(statement_.cursorScrollable(), static_cast<SQLUINTEGER>(SQL_NONSCROLLABLE));
  }
}

TEST_F(CatalogResultTest, NameLengthsAreByteCountsOrNts) {
  EXPECT_EQ(statement_.tables("%", -4, nullptr, 0, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "HY090");
  EXPECT_EQ(statement_.columns(nullptr, 0, nullptr, 0, "t", SQL_NTS, "c", -1), SQL_ERROR);
  EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "HY090");
  EXPECT_EQ(statement_.recordset(), nullptr);
  // Longer names than a 16-bit length holds pass whole.
  const std::string longName(70000, 'n');
  EXPECT_EQ(statement_.columns(nullptr, 0, nullptr, 0, longName.c_str(),
                               static_cast<SQLINTEGER>(longName.size()), nullptr, 0),
            SQL_SUCCESS);
}

TEST_F(CatalogResultTest, ACatalogNameNeedsAConnectionWithCatalogs) {
  NoCatalogConnection connection(&environment_);
  const std::unique_ptr<Statement> statement(connection.createStatement());
  EXPECT_EQ(statement->tables("main", SQL_NTS, nullptr, 0, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(testsupport::takeState(statement->diagnostics()), "HYC00");
  EXPECT_EQ(statement->foreignKeys(nullptr, 0, nullptr, 0, "p", SQL_NTS, "main", SQL_NTS, nullptr,
                                   0, "f", SQL_NTS),
            SQL_ERROR);
  EXPECT_EQ(testsupport::takeState(statement->diagnostics()), "HYC00");
  EXPECT_EQ(statement->tables("%", SQL_NTS, "", SQL_NTS, "", SQL_NTS, "", SQL_NTS), SQL_SUCCESS);
  statement->freeStmt(SQL_CLOSE);
  EXPECT_EQ(statement->tables("", SQL_NTS, nullptr, 0, "t", SQL_NTS, nullptr, 0), SQL_SUCCESS);
  EXPECT_EQ(tables(statement_), SQL_SUCCESS);
}

// A result open on the statement, read or not, is not dropped by a catalog call, SQLGetTypeInfo
// or SQLPrepare: each is refused and the rows stay readable; once closed, the catalog call runs.
TEST_F(CatalogResultTest, ACatalogCallOverAnOpenResultIsRefusedAndKeepsIt) {
  connection_.answer.columns = {"a", "b"};
  connection_.answer.rows = {{"1", "2"}, {"3", "4"}};
  ASSERT_EQ(statement_.execDirect("select a, b", SQL_NTS), SQL_SUCCESS);
  const std::vector<std::pair<const char*, std::function<SQLRETURN()>>> refused = {
      {"SQLPrimaryKeys",
       [this] { return statement_.primaryKeys(nullptr, 0, nullptr, 0, "t", SQL_NTS); }},
      {"SQLTables", [this] { return tables(statement_); }},
      {"SQLGetTypeInfo", [this] { return statement_.getTypeInfo(SQL_ALL_TYPES); }},
      {"SQLPrepare", [this] { return statement_.prepare("select 1", SQL_NTS); }},
  };
  for (const char* expected : {"1", "3"}) {
    for (const auto& [name, call] : refused) {
      SCOPED_TRACE(name);
      EXPECT_EQ(call(), SQL_ERROR);
      EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "24000");
      EXPECT_GE(statement_.state(), Statement::stateResultSet);
      EXPECT_EQ(columnCount(statement_), 2);
    }
    ASSERT_EQ(statement_.fetch(), SQL_SUCCESS);
    char value[4] = {};
    SQLLEN length = 0;
    EXPECT_EQ(statement_.getData(1, SQL_C_CHAR, value, sizeof value, &length), SQL_SUCCESS);
    EXPECT_STREQ(value, expected);
  }
  ASSERT_EQ(statement_.closeCursor(), SQL_SUCCESS);
  ASSERT_EQ(statement_.primaryKeys(nullptr, 0, nullptr, 0, "t", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(columnCount(statement_), 6);
  EXPECT_EQ(statement_.fetch(), SQL_NO_DATA);
  EXPECT_EQ(statement_.rowsFetchedTotal(), 0u);
}

}  // namespace
