// pyodbc (Debian's python3-pyodbc, the wide entry points) through the unixODBC Driver Manager
// against the development server, with the driver's trace on: the checks of pyodbc_check.py,
// then the trace compiled as the C it is meant to be.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

namespace {

// The command that runs one of this folder's pyodbc scripts under the driver's sanitizers.
std::string scriptCommand(const std::string& script, const std::string& arguments) {
  const char* driver = std::getenv("KARVOD_DRIVER");
  std::string command;
  const std::string preload = testsupport::sanitizerPreload(driver);
  if (!preload.empty()) command = "LD_PRELOAD=" + preload + " ASAN_OPTIONS=detect_leaks=0 ";
  return command + "/usr/bin/python3 " + std::getenv("KARVOD_SOURCE_DIR") + "/tests/integration/" +
         script + " " + arguments + " 2>&1";
}

class Pyodbc : public testsupport::DevServerTest {
 protected:
  // Runs a script of this folder on the DSN karvell-py and the server's database file; it prints
  // "ok" when every check passed.
  void runOnTheDatabaseFile(const std::string& script) {
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    ASSERT_NE(std::getenv("KARVOD_SOURCE_DIR"), nullptr);
    testsupport::TempOdbcIni ini;
    ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) + "\n");
    ini.writeSystemIni("[karvell-py]\nDriver = Karvell ODBC\nServer = 127.0.0.1\nPort = " +
                       std::to_string(port()) + "\n");
    int status = -1;
    const std::string result = testsupport::commandOutput(
        scriptCommand(script, "karvell-py '" + server().dataFile("default.db") + "'"), status);
    EXPECT_EQ(status, 0) << result;
    EXPECT_NE(result.find("ok\n"), std::string::npos) << result;
  }
};

TEST_F(Pyodbc, ApplicationChecksAndACompilingTrace) {
  const char* driver = std::getenv("KARVOD_DRIVER");
  const char* source = std::getenv("KARVOD_SOURCE_DIR");
  ASSERT_NE(driver, nullptr);
  ASSERT_NE(source, nullptr);
  testsupport::TempOdbcIni ini;
  const std::string trace = ini.path("pyodbc-trace.c");
  std::remove(trace.c_str());
  ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) +
                     "\nTraceFile = " + trace + "\n");
  ini.writeSystemIni("[karvell-py]\nDriver = Karvell ODBC\nServer = 127.0.0.1\nPort = " +
                     std::to_string(port()) + "\n");
  int status = -1;
  const std::string result = testsupport::commandOutput(
      scriptCommand("pyodbc_check.py", "karvell-py " + std::to_string(port())), status);
  EXPECT_EQ(status, 0) << result;
  EXPECT_NE(result.find("ok\n"), std::string::npos) << result;

  const std::string compiled =
      testsupport::compileTrace(trace, ini.path("pyodbc-replay.c"), status);
  EXPECT_EQ(status, 0) << compiled;
}

// tables(), columns(), statistics(), primaryKeys(), rowIdColumns(), foreignKeys() and
// getTypeInfo() on a schema of keys, indexes, a view, declared types, a long default and quoted and
// non-ASCII names: every row whole against what sqlite3 reads from the server's database file.
TEST_F(Pyodbc, CatalogCallsAgreeWithTheDatabaseFile) {
  runOnTheDatabaseFile("pyodbc_catalog.py");
}

// A value bound after a comment that a lone CR does not end stays a value (pyodbc_injection.py).
TEST_F(Pyodbc, ABoundValueNeverRunsAsSql) { runOnTheDatabaseFile("pyodbc_injection.py"); }

// Passwords given with blanks around the key, braced or plain, or to SQLConnect, log in and
// appear in neither the trace nor the query log (pyodbc_secrets.py).
class PyodbcSecrets : public testsupport::DevServerTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--users", "bob:Zq9secretPw,amy:Br;ace}dPw"};
  }
};

TEST_F(PyodbcSecrets, PasswordsReachNeitherTheTraceNorTheQueryLog) {
  const char* driver = std::getenv("KARVOD_DRIVER");
  ASSERT_NE(driver, nullptr);
  testsupport::TempOdbcIni ini;
  const std::string trace = ini.path("secrets-trace.c");
  const std::string queryLog = ini.path("secrets-query.log");
  ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) + "\nTraceFile = " + trace +
                     "\n");
  ini.writeSystemIni("[karvell-secrets]\nDriver = Karvell ODBC\nServer = 127.0.0.1\nPort = " +
                     std::to_string(port()) + "\n");
  int status = -1;
  const std::string result = testsupport::commandOutput(
      scriptCommand("pyodbc_secrets.py",
                    "karvell-secrets " + std::to_string(port()) + " '" + queryLog + "'"),
      status);
  EXPECT_EQ(status, 0) << result;
  EXPECT_NE(result.find("ok\n"), std::string::npos) << result;
  for (const std::string& path : {trace, queryLog}) {
    std::ifstream file(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(written.empty()) << path;
    for (const char* secret : {"Zq9secret", "Br;ace", "ace}d", "dPw"}) {
      EXPECT_EQ(written.find(secret), std::string::npos) << secret << " in " << path;
    }
  }
}

}  // namespace
