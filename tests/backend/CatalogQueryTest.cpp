// The catalog functions against the development server: the rows of a fixture database, the
// texts the server receives, and names that would break out of their quotes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "backend/KarvellConnection.h"
#include "backend/KarvellStatement.h"
#include "tests/backend/BackendServerTest.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::string longDefault(300, 'd');

class CatalogQueryTest : public backendtest::BackendServerTest {
 protected:
  void SetUp() override {
    BackendServerTest::SetUp();
    KarvellConnection& connection = newConnection();
    ASSERT_EQ(connectAsKarvell(connection), SQL_SUCCESS);
    connection_ = &connection;
    for (const std::string& sql : {
             "CREATE TABLE people(id INTEGER PRIMARY KEY, name TEXT NOT NULL, born DATE, "
             "note VARCHAR(20) DEFAULT '" +
                 longDefault + "')",
             std::string("CREATE INDEX people_name ON people(name)"),
             std::string("CREATE UNIQUE INDEX people_born ON people(born, name)"),
             std::string("CREATE TABLE t(x, y, z, PRIMARY KEY(z, x))"),
             std::string("CREATE TABLE t2(a text primary key, b int, unique(b))"),
             std::string("CREATE TABLE plain(v)"),
             std::string("CREATE VIEW adults AS SELECT * FROM people"),
             std::string("CREATE TABLE \"O'Brien\"(q)"),
             std::string("CREATE TABLE \"a\"\"b\"(r)"),
         }) {
      ASSERT_TRUE(SQL_SUCCEEDED(execute(sql))) << sql;
    }
  }

  SQLRETURN execute(const std::string& sql) {
    const std::unique_ptr<Statement> statement(connection_->createStatement());
    return statement->execDirect(sql.c_str(), SQL_NTS);
  }

  std::unique_ptr<Statement> statement() {
    return std::unique_ptr<Statement>(connection_->createStatement());
  }

  // Every row of the statement's result, each value as text ("NULL" for NULL).
  static Rows rows(Statement& statement) {
    SQLSMALLINT columns = 0;
    statement.numResultCols(&columns);
    Rows all;
    while (statement.fetch() == SQL_SUCCESS) {
      std::vector<std::string>& row = all.emplace_back();
      for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        char value[1024] = {};
        SQLLEN length = 0;
        EXPECT_EQ(statement.getData(column, SQL_C_CHAR, value, sizeof value, &length), SQL_SUCCESS);
        row.push_back(length == SQL_NULL_DATA ? "NULL" : value);
      }
    }
    return all;
  }

  // Column `column` (1-based) of every row.
  static std::vector<std::string> column(const Rows& rows, std::size_t column) {
    std::vector<std::string> values;
    for (const auto& row : rows) values.push_back(row[column - 1]);
    return values;
  }

  Rows tables(const char* catalog, const char* schema, const char* table, const char* types) {
    const std::unique_ptr<Statement> s = statement();
    EXPECT_EQ(s->tables(catalog, SQL_NTS, schema, SQL_NTS, table, SQL_NTS, types, SQL_NTS),
              SQL_SUCCESS);
    return rows(*s);
  }

  Rows primaryKeys(const std::string& table) {
    const std::unique_ptr<Statement> s = statement();
    EXPECT_EQ(s->primaryKeys(nullptr, 0, nullptr, 0, table.c_str(), SQL_NTS), SQL_SUCCESS);
    return rows(*s);
  }

  Rows statistics(const std::string& table, SQLUSMALLINT unique) {
    const std::unique_ptr<Statement> s = statement();
    EXPECT_EQ(s->statistics(nullptr, 0, nullptr, 0, table.c_str(), SQL_NTS, unique, SQL_QUICK),
              SQL_SUCCESS);
    return rows(*s);
  }

  Rows columns(const std::string& table, const char* pattern = nullptr) {
    const std::unique_ptr<Statement> s = statement();
    EXPECT_EQ(s->columns(nullptr, 0, nullptr, 0, table.c_str(), SQL_NTS, pattern, SQL_NTS),
              SQL_SUCCESS);
    return rows(*s);
  }

  Rows specialColumns(const std::string& table) {
    const std::unique_ptr<Statement> s = statement();
    EXPECT_EQ(s->specialColumns(SQL_BEST_ROWID, nullptr, 0, nullptr, 0, table.c_str(), SQL_NTS,
                                SQL_SCOPE_SESSION, SQL_NULLABLE),
              SQL_SUCCESS);
    return rows(*s);
  }

  KarvellConnection* connection_ = nullptr;
};

TEST_F(CatalogQueryTest, TablesByPatternAndType) {
  EXPECT_EQ(column(tables("", "", "", ""), 3),
            (std::vector<std::string>{"O'Brien", "a\"b", "adults", "people", "plain", "t", "t2",
                                      "sqlite_master"}));
  EXPECT_EQ(tables("", "", "people", ""), (Rows{{"NULL", "NULL", "people", "TABLE", "NULL"}}));
  EXPECT_EQ(column(tables("", "", "p%", "'TABLE','VIEW'"), 3),
            (std::vector<std::string>{"people", "plain"}));
  EXPECT_EQ(column(tables("", "", "", "VIEW"), 3), (std::vector<std::string>{"adults"}));
  EXPECT_EQ(column(tables("", "", "", "'VIEW'"), 4), (std::vector<std::string>{"VIEW"}));
  EXPECT_EQ(column(tables("", "", "T_", ""), 3), (std::vector<std::string>{"t2"}));
  // The server's catalog table only where the pattern takes it.
  EXPECT_EQ(tables("", "", "", "SYSTEM TABLE"),
            (Rows{{"NULL", "NULL", "sqlite_master", "SYSTEM TABLE", "NULL"}}));
  EXPECT_EQ(column(tables("", "", "SQLITE%", ""), 3), (std::vector<std::string>{"sqlite_master"}));
  EXPECT_TRUE(tables("", "", "customers", "").empty());
  EXPECT_TRUE(tables("", "", "people_", "SYSTEM TABLE").empty());
}

TEST_F(CatalogQueryTest, TablesListsCatalogsSchemasAndTypes) {
  EXPECT_EQ(column(tables("%", "", "", ""), 1), (std::vector<std::string>{"default"}));
  EXPECT_TRUE(tables("", "%", "", "").empty());
  EXPECT_EQ(column(tables("", "", "", "%"), 4),
            (std::vector<std::string>{"TABLE", "SYSTEM TABLE", "VIEW"}));
}

TEST_F(CatalogQueryTest, ColumnsDescribeEachColumnWhole) {
  const Rows people = columns("people");
  ASSERT_EQ(people.size(), 4u);
  EXPECT_EQ(column(people, 4), (std::vector<std::string>{"id", "name", "born", "note"}));
  EXPECT_EQ(column(people, 17), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(column(people, 11), (std::vector<std::string>{"1", "0", "1", "1"}));
  EXPECT_EQ(column(people, 18), (std::vector<std::string>{"YES", "NO", "YES", "YES"}));
  // A default longer than 255 bytes comes whole, in its quotes as the server keeps it.
  EXPECT_EQ(people[3][12], "'" + longDefault + "'");
  EXPECT_EQ(people[2][4], std::to_string(SQL_TYPE_DATE));
  EXPECT_EQ(people[2][13], std::to_string(SQL_DATETIME));
  EXPECT_EQ(people[2][14], "1");
  // The column pattern is a whole name, case ignored.
  EXPECT_EQ(column(columns("people", "NAME"), 4), (std::vector<std::string>{"name"}));
  EXPECT_TRUE(columns("people", "NA").empty());
}

// An ODBC 3.8 application gets what one of ODBC 3 gets.
TEST_F(CatalogQueryTest, ColumnsUnderOdbc38HaveTheOdbc3Columns) {
  ASSERT_EQ(environment().setOdbcVersion(380), SQL_SUCCESS);
  const std::unique_ptr<Statement> s = statement();
  ASSERT_EQ(s->columns(nullptr, 0, nullptr, 0, "people", SQL_NTS, "born", SQL_NTS), SQL_SUCCESS);
  SQLSMALLINT count = 0;
  s->numResultCols(&count);
  EXPECT_EQ(count, 18);
  const Rows born = rows(*s);
  ASSERT_EQ(born.size(), 1u);
  EXPECT_EQ(born[0][4], std::to_string(SQL_TYPE_DATE));
  EXPECT_EQ(born[0][13], std::to_string(SQL_DATETIME));
  EXPECT_EQ(born[0][14], "1");
}

TEST_F(CatalogQueryTest, PrimaryKeysInKeyOrder) {
  // The rowid alias has no index of its own.
  EXPECT_EQ(primaryKeys("people"), (Rows{{"NULL", "NULL", "people", "id", "1", "NULL"}}));
  // Positions in the key, not in the table.
  EXPECT_EQ(primaryKeys("t"), (Rows{{"NULL", "NULL", "t", "z", "1", "sqlite_autoindex_t_1"},
                                    {"NULL", "NULL", "t", "x", "2", "sqlite_autoindex_t_1"}}));
  // The key's index, not the unique constraint's listed before it.
  const Rows t2 = primaryKeys("t2");
  ASSERT_EQ(t2.size(), 1u);
  EXPECT_EQ(t2[0][3], "a");
  EXPECT_TRUE(primaryKeys("plain").empty());
  EXPECT_TRUE(primaryKeys("missing").empty());
}

TEST_F(CatalogQueryTest, StatisticsOfUniqueAndAllIndexes) {
  const Rows unique = statistics("people", SQL_INDEX_UNIQUE);
  EXPECT_EQ(unique, (Rows{{"NULL", "NULL", "people", "0", "people_born", "people_born", "3", "1",
                           "born", "NULL", "NULL", "NULL", "NULL"},
                          {"NULL", "NULL", "people", "0", "people_born", "people_born", "3", "2",
                           "name", "NULL", "NULL", "NULL", "NULL"}}));
  const Rows all = statistics("people", SQL_INDEX_ALL);
  EXPECT_EQ(all.size(), 3u);
  EXPECT_NE(std::find(all.begin(), all.end(),
                      std::vector<std::string>{"NULL", "NULL", "people", "1", "people_name",
                                               "people_name", "3", "1", "name", "NULL", "NULL",
                                               "NULL", "NULL"}),
            all.end());
}

TEST_F(CatalogQueryTest, SpecialColumnsOnlyForTablesThatAreThere) {
  EXPECT_EQ(specialColumns("people"), (Rows{{"2", "ROWID", "-5", "BIGINT", "19", "8", "0", "2"}}));
  EXPECT_TRUE(specialColumns("missing").empty());
  // The name is a name, not a pattern; the server ignores its ASCII case.
  for (const char* pattern : {"p%", "_", "%", "people_"})
    EXPECT_TRUE(specialColumns(pattern).empty()) << pattern;
  EXPECT_EQ(specialColumns("PEOPLE").size(), 1u);
  // A view's rows have no rowid to address them by.
  EXPECT_TRUE(specialColumns("adults").empty());
}

// An application whose SQL_C_CHAR text is in a code page (the rule on Windows) still finds a
// table named outside ASCII: the name is compared as the server's bytes.
TEST_F(CatalogQueryTest, SpecialColumnsOfATableNamedOutsideAsciiUnderACodePage) {
  KarvellConnection& latin1 = newConnection();
  ASSERT_EQ(connectAsKarvell(latin1, "MultiByteEncoding=LATIN-1"), SQL_SUCCESS);
  ASSERT_TRUE(SQL_SUCCEEDED(execute("CREATE TABLE \"caf\xC3\xA9\"(x)")));
  const std::unique_ptr<Statement> s(latin1.createStatement());
  ASSERT_EQ(s->specialColumns(SQL_BEST_ROWID, nullptr, 0, nullptr, 0, "caf\xC3\xA9", SQL_NTS,
                              SQL_SCOPE_SESSION, SQL_NULLABLE),
            SQL_SUCCESS);
  EXPECT_EQ(rows(*s), (Rows{{"2", "ROWID", "-5", "BIGINT", "19", "8", "0", "2"}}));
}

// Names and patterns stay inside their quotes: nothing runs but the catalog query, and the
// quote character is doubled in the text the server receives.
TEST_F(CatalogQueryTest, NamesNeverLeaveTheirQuotes) {
  const std::string drop = "x\"); DROP TABLE t; --";
  for (const std::string& name : {drop, std::string("O'Brien"), std::string("a\"b")}) {
    SCOPED_TRACE(name);
    columns(name);
    primaryKeys(name);
    statistics(name, SQL_INDEX_ALL);
    specialColumns(name);
    tables("", "", name.c_str(), "");
  }
  EXPECT_EQ(column(columns("O'Brien"), 4), (std::vector<std::string>{"q"}));
  EXPECT_EQ(column(columns("a\"b"), 4), (std::vector<std::string>{"r"}));
  EXPECT_EQ(column(tables("", "", "o'b%", ""), 3), (std::vector<std::string>{"O'Brien"}));
  EXPECT_TRUE(tables("", "", "' OR 1=1 --", "").empty());
  EXPECT_EQ(column(tables("", "", "a\"b", ""), 3), (std::vector<std::string>{"a\"b"}));
  EXPECT_EQ(column(tables("", "", "_", ""), 3), (std::vector<std::string>{"t"}));
  EXPECT_EQ(column(tables("", "", "", "TABLE"), 3),
            (std::vector<std::string>{"O'Brien", "a\"b", "people", "plain", "t", "t2"}));

  const std::vector<std::string> log = sqlLog();
  // Each entry is the request's command number and its text.
  const auto sent = [&log](const std::string& text) {
    return std::any_of(log.begin(), log.end(), [&text](const std::string& entry) {
      return entry.substr(entry.find(' ') + 1) == text;
    });
  };
  EXPECT_TRUE(sent("PRAGMA table_info(\"x\"\"); DROP TABLE t; --\")"));
  EXPECT_TRUE(sent("PRAGMA index_list(\"a\"\"b\")"));
  EXPECT_TRUE(sent("PRAGMA table_info(\"O'Brien\")"));
  EXPECT_TRUE(
      sent("select tbl_name, upper(type) from sqlite_master where 1=1  and (0  or "
           "(type = 'table' and substr(lower(tbl_name), 1, 7) != 'sqlite_')  or "
           "substr(lower(tbl_name), 1, 7) = 'sqlite_'  or type = 'view' )  and "
           "lower(tbl_name) like lower('o''b%')ORDER BY tbl_name "));
}

// A server that refuses some catalog queries.
class FailingCatalogQueryTest : public CatalogQueryTest {
 protected:
  std::vector<std::string> extraServerArgs() const override {
    return {"--fail-sql", "7999:PRAGMA table_info(\"plain\")", "--fail-sql",
            "7015:PRAGMA index_list"};
  }
};

TEST_F(FailingCatalogQueryTest, AFailingQueryFailsTheCallWithTheServersError) {
  const std::unique_ptr<Statement> s = statement();
  EXPECT_EQ(s->columns(nullptr, 0, nullptr, 0, "plain", SQL_NTS, nullptr, 0), SQL_ERROR);
  const backendtest::Diagnostic error = backendtest::diagnostic(*s);
  EXPECT_EQ(error.state, "HY000");
  EXPECT_EQ(error.native, 7999);
  EXPECT_EQ(backendtest::bareMessage(error.message),
            "Refused by --fail-sql 7999:PRAGMA table_info(\"plain\")");
  EXPECT_EQ(column(columns("people"), 4), (std::vector<std::string>{"id", "name", "born", "note"}));
}

// 7015 is the server's answer for a table it does not know.
TEST_F(FailingCatalogQueryTest, AnUnknownTableLeavesStatisticsAndKeysEmpty) {
  for (const std::string table : {"people", "t"}) {
    const std::unique_ptr<Statement> s = statement();
    EXPECT_EQ(
        s->statistics(nullptr, 0, nullptr, 0, table.c_str(), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK),
        SQL_SUCCESS);
    EXPECT_TRUE(rows(*s).empty());
    EXPECT_EQ(backendtest::diagnostic(*s).state, "");
    EXPECT_TRUE(primaryKeys(table).empty());
  }
}

TEST_F(CatalogQueryTest, ACatalogCallNeedsAConnection) {
  KarvellConnection& closed = newConnection();
  const std::unique_ptr<Statement> s(closed.createStatement());
  EXPECT_EQ(s->tables(nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(backendtest::diagnostic(*s).state, "08S01");
  // A bad name length is refused before anything is sent.
  const std::unique_ptr<Statement> open = statement();
  const std::size_t before = sqlLog().size();
  EXPECT_EQ(open->columns(nullptr, 0, nullptr, 0, "people", -7, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(backendtest::diagnostic(*open).state, "HY090");
  EXPECT_EQ(sqlLog().size(), before);
}

}  // namespace
