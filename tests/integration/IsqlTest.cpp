// isql (ANSI) and iusql (wide) through the unixODBC Driver Manager against the development
// server, scripted against their expected output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

namespace {

// The sanitizer runtimes the driver was built with, preloaded into the tools so that they can
// load it; empty for a driver built without them.

class Isql : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) + "\n");
    ini.writeSystemIni("[karvell-test]\nDriver = Karvell ODBC\nServer = 127.0.0.1\nPort = " +
                       std::to_string(port()) + "\n");
    preload = testsupport::sanitizerPreload(driver);
  }

  // Runs the SQL lines through the tool ("isql" or "iusql") and answers what it printed.
  std::string run(const std::string& tool, const std::string& sql) {
    const std::string script = ini.path(tool + "-input.sql");
    std::ofstream(script) << sql;
    std::string command;
    if (!preload.empty()) {
      // The tools' own string handling trips the string checks; the driver's does not need them.
      command = "LD_PRELOAD=" + preload +
                " ASAN_OPTIONS=detect_leaks=0:replace_str=0:intercept_strlen=0:intercept_strchr=0"
                ":intercept_strndup=0 ";
    }
    command += tool + " -b -v -c '-d|' karvell-test karvell karvell < " + script + " 2>/dev/null";
    int status = -1;
    const std::string output = testsupport::commandOutput(command, status);
    EXPECT_EQ(status, 0) << output;
    return output;
  }

  testsupport::TempOdbcIni ini;
  std::string preload;
};

TEST_F(Isql, CreateInsertAndSelectThroughBothTools) {
  run("isql",
      "create table t (id integer, v text)\n"
      "insert into t values (1, NULL)\n"
      "insert into t values (2, '')\n"
      "insert into t values (3, '\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80')\n");
  // NULL and empty both print blank; v IS NULL and length(v) tell them apart. Non-ASCII text
  // comes back as the UTF-8 it went in as.
  EXPECT_NE(run("isql", "select id, v, v IS NULL, length(v) from t order by id\n")
                .find("id|v|v IS NULL|length(v)\n1||1|\n2||0|0\n3|\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80|0|3\n"),
            std::string::npos);
  // The wide tool sends its text as UTF-16 and reads it back so; it prints each UTF-16 unit as
  // its low byte and stops at a zero one, so "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80" (U+00E9 U+20AC, then
  // the pair D83D DE00) prints as the bytes E9 AC 3D.
  run("iusql", "insert into t values (4, 'wide')\n");
  const std::string wide =
      run("iusql", "select id, v, length(v), hex(v) from t where id >= 3 order by id\n");
  EXPECT_NE(wide.find("3|\xe9\xac=|3|C3A9E282ACF09F9880\n4|wide|4|77696465\n"), std::string::npos)
      << wide;
}

TEST_F(Isql, AMissingTableGivesTheServersError) {
  const std::string output = run("isql", "select * from missing\n");
  EXPECT_NE(output.find("[Ferrow][Karvell] no such table: missing"), std::string::npos) << output;
}

// "help" lists the tables through SQLTables and "help t" the columns through SQLColumns.
TEST_F(Isql, HelpListsTablesAndColumns) {
  run("isql",
      "create table t (id integer primary key, v text not null)\n"
      "create view w as select v from t\n");
  const std::string tables = run("isql", "help\n");
  EXPECT_NE(tables.find("|t|TABLE|"), std::string::npos) << tables;
  EXPECT_NE(tables.find("|w|VIEW|"), std::string::npos) << tables;
  const std::string columns = run("isql", "help t\n");
  EXPECT_NE(columns.find("|t|id|4|INTEGER|"), std::string::npos) << columns;
  EXPECT_NE(columns.find("|t|v|"), std::string::npos) << columns;
  EXPECT_EQ(columns.find("|w|"), std::string::npos) << columns;
}

// iusql widens each input byte to one UTF-16 unit and prints each unit's low byte, so it can
// neither type nor print a non-ASCII name faithfully. What it shows: a table isql created with a
// UTF-8 name comes back from SQLTablesW as UTF-16 (U+00EF printed as the byte EF); the bytes iusql
// sends widen sign-extended (C3 AF to U+FFC3 U+FFAF), which the driver stores as their UTF-8, and
// under that same name SQLColumnsW finds the table iusql created.
TEST_F(Isql, WideToolOnANonAsciiTableName) {
  run("isql", "create table \"na\xc3\xafve\" (\"\xc3\xa9t\xc3\xa9\" integer)\n");
  const std::string tables = run("iusql", "help\n");
  EXPECT_NE(tables.find("|na\xefve|TABLE|"), std::string::npos) << tables;

  run("iusql", "create table \"w\xc3\xaf" "de\" (c integer)\n");
  const std::string stored = run("isql", "help\n");
  EXPECT_NE(stored.find("|w\xef\xbf\x83\xef\xbe\xaf" "de|TABLE|"), std::string::npos) << stored;
  const std::string columns = run("iusql", "help w\xc3\xaf" "de\n");
  EXPECT_NE(columns.find("|w\xc3\xaf" "de|c|4|"), std::string::npos) << columns;
}

}  // namespace
