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

}  // namespace
