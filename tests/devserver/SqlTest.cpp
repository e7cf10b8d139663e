// The SQL the server answers itself, and what it changes on the way to SQLite.
#include <fstream>
#include <sstream>
#include <regex>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

using Table = std::vector<std::vector<std::string>>;

class SqlTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--server-version", "6.1.2"}; }
};

TEST_F(SqlTest, ShowInfoAndPingInAnySpelling) {
  auto client = login();
  for (const char* sql : {"SHOW INFO", "show info;", "  Show\n  INFO  ; "}) {
    const Cursor info = client->query(sql);
    ASSERT_TRUE(info.ok) << sql << ": " << info.error;
    EXPECT_EQ(info.names, (std::vector<std::string>{"name", "value"}));
    ASSERT_FALSE(info.rows.empty());
    EXPECT_EQ(cells(info)[0], (std::vector<std::string>{"server_version", "6.1.2"}));
  }
  for (const char* sql :
       {"PING;", "ping", "SET CLIENT TYPE TO 'app.exe';", "set client type to 'it''s odd'"}) {
    EXPECT_EQ(client->execute(sql).code, 0) << sql;
    const Cursor asQuery = client->query(sql);
    EXPECT_TRUE(asQuery.ok) << sql;
    EXPECT_TRUE(asQuery.names.empty()) << sql;
  }
}

TEST_F(SqlTest, ShowInfoTellsTheClientTypeAndAutocommit) {
  auto client = login();
  const auto info = [&client] { return cells(client->query("SHOW INFO")); };
  EXPECT_EQ(info(), (Table{{"server_version", "6.1.2"},
                           {"database", "default"},
                           {"user", "karvell"},
                           {"client_type", ""},
                           {"autocommit", "ON"}}));
  ASSERT_EQ(client->execute("SET CLIENT TYPE TO 'O''Brien; app.exe' ; ;").code, 0);
  ASSERT_EQ(client->execute("SET AUTOCOMMIT TO OFF;").code, 0);
  EXPECT_EQ(info()[3], (std::vector<std::string>{"client_type", "O'Brien; app.exe"}));
  EXPECT_EQ(info()[4], (std::vector<std::string>{"autocommit", "OFF"}));
  // Kept per connection.
  auto other = login();
  EXPECT_EQ(cells(other->query("SHOW INFO"))[3], (std::vector<std::string>{"client_type", ""}));
}

TEST_F(SqlTest, LiteralArgumentsAreOneStringLiteral) {
  auto client = login();
  std::ofstream(server().dataFile("x.db")).close();
  for (const char* sql :
       {"SET CLIENT TYPE TO 'a' junk", "SET CLIENT TYPE TO 'a", "SET CLIENT TYPE TO a",
        "SET CLIENT TYPE TO 'a' 'b'", "USE DATABASE 'x'; DROP TABLE t", "USE DATABASE x",
        "USE DATABASE 'x''", "USE DATABASE 'x' -- comment"}) {
    const Reply reply = client->execute(sql);
    EXPECT_EQ(reply.code, 7010) << sql;
  }
  EXPECT_EQ(cells(client->query("SHOW INFO"))[1], (std::vector<std::string>{"database", "default"}));
  EXPECT_EQ(cells(client->query("SHOW INFO"))[3], (std::vector<std::string>{"client_type", ""}));
  EXPECT_EQ(client->execute("USE DATABASE 'x' ;").code, 0);
  // A doubled quote is one quote of the name, never the end of it.
  const Reply reply = client->execute("USE DATABASE 'O''Brien';");
  EXPECT_EQ(reply.code, 7030);
  EXPECT_EQ(reply.text(), "Unknown database 'O'Brien'");
}

TEST_F(SqlTest, AutocommitOffHoldsChangesUntilCommit) {
  auto writer = login();
  auto reader = login();
  const auto count = [&reader] { return cells(reader->query("SELECT count(*) FROM t"))[0][0]; };
  ASSERT_EQ(writer->execute("CREATE TABLE t(x)").code, 0);
  EXPECT_EQ(writer->execute("COMMIT;").code, 0) << "nothing open: a no-op";
  EXPECT_EQ(writer->execute("ROLLBACK;").code, 0);

  ASSERT_EQ(writer->execute("SET AUTOCOMMIT TO OFF;").code, 0);
  ASSERT_EQ(writer->execute("INSERT INTO t VALUES (1)").code, 0);
  EXPECT_EQ(count(), "0");
  ASSERT_EQ(writer->execute("ROLLBACK;").code, 0);
  EXPECT_EQ(cells(writer->query("SELECT count(*) FROM t"))[0][0], "0");
  // After COMMIT the next statement starts a transaction of its own again.
  ASSERT_EQ(writer->execute("INSERT INTO t VALUES (2)").code, 0);
  ASSERT_EQ(writer->execute("COMMIT;").code, 0);
  EXPECT_EQ(count(), "1");
  ASSERT_EQ(writer->execute("INSERT INTO t VALUES (3)").code, 0);
  EXPECT_EQ(count(), "1");
  // Turning autocommit on commits what is open.
  ASSERT_EQ(writer->execute("SET AUTOCOMMIT TO ON;").code, 0);
  EXPECT_EQ(count(), "2");
  ASSERT_EQ(writer->execute("INSERT INTO t VALUES (4)").code, 0);
  EXPECT_EQ(count(), "3");
}

TEST_F(SqlTest, UseDatabaseShowDatabasesAndShowTables) {
  auto client = login();
  ASSERT_EQ(client->execute("CREATE TABLE in_default(x)").code, 0);
  std::ofstream(server().dataFile("other.db")).close();  // an empty file is an empty database
  EXPECT_EQ(cells(client->query("show databases")), (Table{{"default"}, {"other"}}));
  EXPECT_EQ(cells(client->query("SHOW TABLES")), (Table{{"in_default"}}));

  ASSERT_EQ(client->execute("USE DATABASE 'other';").code, 0);
  EXPECT_TRUE(client->query("SHOW TABLES").rows.empty());
  ASSERT_EQ(client->execute("CREATE TABLE in_other(y)").code, 0);
  EXPECT_EQ(cells(client->query("SHOW INFO"))[1], (std::vector<std::string>{"database", "other"}));
  ASSERT_EQ(client->execute("use database 'default'").code, 0);
  EXPECT_EQ(cells(client->query("SHOW TABLES")), (Table{{"in_default"}}));

  for (const char* name : {"nope", "../default", "a/b", ".."}) {
    const Reply reply = client->execute(std::string("USE DATABASE '") + name + "';");
    EXPECT_EQ(reply.code, 7030) << name;
    EXPECT_NE(reply.text().find(name), std::string::npos) << reply.text();
  }
  EXPECT_EQ(client->execute("USE DATABASE 'nope';").text(), "Unknown database 'nope'");
  EXPECT_EQ(cells(client->query("SHOW TABLES")), (Table{{"in_default"}})) << "still on default";
}

// A real server answers PRAGMA database_list with its own databases, those USE DATABASE takes.
TEST_F(SqlTest, DatabaseListNamesTheServersDatabases) {
  auto client = login();
  std::ofstream(server().dataFile("other.db")).close();
  for (const char* sql : {"PRAGMA database_list", "pragma Database_List;"}) {
    const Cursor list = client->query(sql);
    ASSERT_TRUE(list.ok) << sql << ": " << list.error;
    EXPECT_EQ(list.names, (std::vector<std::string>{"seq", "name", "file"}));
    const Table rows = cells(list);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "0");
    EXPECT_EQ(rows[0][1], "default");
    EXPECT_EQ(rows[1][0], "1");
    EXPECT_EQ(rows[1][1], "other");
    EXPECT_EQ(rows[1][2], server().dataFile("other.db"));
  }
  ASSERT_EQ(client->execute("USE DATABASE 'other';").code, 0);
  EXPECT_EQ(cells(client->query("PRAGMA database_list")).size(), 2u);
}

TEST_F(SqlTest, UseDatabaseCommitsAnOpenTransaction) {
  auto client = login();
  std::ofstream(server().dataFile("second.db")).close();
  ASSERT_EQ(client->execute("CREATE TABLE kept(x)").code, 0);
  ASSERT_EQ(client->execute("SET AUTOCOMMIT TO OFF;").code, 0);
  ASSERT_EQ(client->execute("INSERT INTO kept VALUES (1)").code, 0);
  ASSERT_EQ(client->execute("USE DATABASE 'second';").code, 0);
  auto other = login();
  EXPECT_EQ(cells(other->query("SELECT x FROM kept")), (Table{{"1"}}));
}

TEST_F(SqlTest, TypedLiteralsLoseTheirKeywordOutsideQuotes) {
  auto client = login();
  EXPECT_EQ(cells(client->query("SELECT DATE '2012-01-31', time  '10:30:00', "
                                "TIMESTAMP\n'2012-01-31 10:30:00', 'DATE ''x''', \"date\" "
                                "FROM (SELECT 1 AS date)")),
            (Table{{"2012-01-31", "10:30:00", "2012-01-31 10:30:00", "DATE 'x'", "1"}}));
  ASSERT_EQ(client->execute("CREATE TABLE d(date DATE, updated TIMESTAMP)").code, 0);
  ASSERT_EQ(client
                ->execute("INSERT INTO d VALUES (DATE '2020-02-29', TIMESTAMP '2020-02-29 "
                          "23:59:59') -- DATE 'comment'")
                .code,
            0);
  EXPECT_EQ(cells(client->query("SELECT date, updated FROM d WHERE date = DATE '2020-02-29'")),
            (Table{{"2020-02-29", "2020-02-29 23:59:59"}}));
}

TEST_F(SqlTest, OdbcEscapesAreNotAccepted) {
  auto client = login();
  for (const char* sql : {"SELECT {d '2012-01-31'}", "SELECT {t '10:30:00'}",
                          "SELECT {ts '2012-01-31 10:30:00'}", "SELECT {fn UCASE('a')}"}) {
    const Cursor cursor = client->query(sql);
    EXPECT_FALSE(cursor.ok) << sql;
    EXPECT_EQ(cursor.code, 7010) << sql;
  }
}

TEST_F(SqlTest, ScalarFunctionsTheDriverAdvertises) {
  auto client = login();
  const Cursor cursor = client->query(
      "SELECT UCASE('abC'), LCASE('AbC'), UCASE(NULL), CHARACTER_LENGTH('h\xc3\xa9llo'), "
      "ABS(-2), ROUND(2.567, 1), LTRIM('  a'), RTRIM('a  '), LENGTH('abc'), "
      "SUBSTRING('abcdef', 2, 3), RAND(), RAND(7) = RAND(7), NOW()");
  ASSERT_TRUE(cursor.ok) << cursor.error;
  const auto row = cells(cursor)[0];
  EXPECT_EQ(
      std::vector<std::string>(row.begin(), row.begin() + 10),
      (std::vector<std::string>{"ABC", "abc", "NULL", "5", "2", "2.6", "a", "a", "3", "bcd"}));
  const double random = std::stod(row[10]);
  EXPECT_GE(random, 0.0);
  EXPECT_LT(random, 1.0);
  EXPECT_EQ(row[11], "1");
  EXPECT_TRUE(std::regex_match(row[12], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
      << row[12];
}

TEST_F(SqlTest, CatalogQueriesReachSqlite) {
  auto client = login();
  ASSERT_EQ(client
                ->execute("CREATE TABLE cat(id INTEGER, name TEXT NOT NULL, PRIMARY KEY(id, "
                          "name)); CREATE VIEW cat_view AS SELECT * FROM cat")
                .code,
            0);
  const Cursor columns = client->query("PRAGMA table_info(\"cat\")");
  ASSERT_TRUE(columns.ok) << columns.error;
  EXPECT_EQ(columns.rows.size(), 2u);
  EXPECT_EQ(*columns.rows[1][1], "name");
  EXPECT_EQ(*columns.rows[1][2], "TEXT");
  const Cursor indexes = client->query("PRAGMA index_list(\"cat\")");
  ASSERT_EQ(indexes.rows.size(), 1u);
  EXPECT_EQ(*indexes.rows[0][1], "sqlite_autoindex_cat_1");
  EXPECT_EQ(cells(client->query("PRAGMA index_info(\"sqlite_autoindex_cat_1\")")),
            (Table{{"0", "0", "id"}, {"1", "1", "name"}}));
  EXPECT_EQ(client->query("PRAGMA database_list").rows.size(), 1u);
  EXPECT_EQ(cells(client->query(
                "select tbl_name, upper(type) from sqlite_master where 1=1  and (0  or (type = "
                "'table' and substr(lower(tbl_name), 1, 7) != 'sqlite_')  or type = 'view' ) "
                "ORDER BY tbl_name ")),
            (Table{{"cat", "TABLE"}, {"cat_view", "VIEW"}}));
}

class SqlLogTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--sql-log", "sql.log", "--server-version", "",
            "--fail-sql", "7777:SELECT 'fail", "--fail-sql", "7100:COMMIT"};
  }
};

TEST_F(SqlLogTest, LogsEveryTextAndFailsTheChosenOnes) {
  auto client = login();
  ASSERT_EQ(client->execute("CREATE TABLE t(x)").code, 0);
  ASSERT_TRUE(client->query("SELECT 'a\tb\\c'\n").ok);
  const Cursor failed = client->query("SELECT 'fail me'");
  EXPECT_EQ(failed.code, 7777);
  const Reply commit = client->execute("COMMIT;");
  EXPECT_EQ(commit.code, 7100);
  EXPECT_NE(commit.text().find("COMMIT"), std::string::npos) << commit.text();
  EXPECT_TRUE(client->query("select 'fail'").ok) << "the prefix compares exactly";
  // Without a version the SHOW INFO row is left out.
  EXPECT_EQ(cells(client->query("SHOW INFO"))[0], (std::vector<std::string>{"database", "default"}));
  client.reset();
  std::ifstream log(server().dataFile("sql.log"));
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str(),
            "1 3 CREATE TABLE t(x)\n"
            "1 2 SELECT 'a\\x09b\\x5Cc'\\x0A\n"
            "1 2 SELECT 'fail me'\n"
            "1 3 COMMIT;\n"
            "1 2 select 'fail'\n"
            "1 2 SHOW INFO\n");
}

TEST_F(SqlTest, ByteOrderMarkAndParenthesizedQueries) {
  auto client = login();
  EXPECT_EQ(cells(client->query("\xEF\xBB\xBFSELECT 1")), (Table{{"1"}}));
  EXPECT_EQ(cells(client->query(" (SELECT 1)")), (Table{{"1"}}));
  EXPECT_EQ(cells(client->query("(SELECT 1) UNION SELECT 2 ORDER BY 1")), (Table{{"1"}, {"2"}}));
}

}  // namespace
}  // namespace wiretest
