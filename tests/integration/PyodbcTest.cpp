// pyodbc (Debian's python3-pyodbc, the wide entry points) through the unixODBC Driver Manager
// against the development server, with the driver's trace on: the checks of pyodbc_check.py,
// then the trace compiled as the C it is meant to be.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

namespace {

std::string sanitizerPreload(const std::string& driver) {
  std::string preload;
  FILE* ldd = popen(("ldd " + driver).c_str(), "r");
  if (ldd == nullptr) return preload;
  char line[512];
  while (std::fgets(line, sizeof line, ldd) != nullptr) {
    const std::string text = line;
    if (text.find("libasan") == std::string::npos && text.find("libubsan") == std::string::npos) {
      continue;
    }
    const std::size_t arrow = text.find("=> ");
    const std::size_t end = text.find(" (");
    if (arrow == std::string::npos || end == std::string::npos) continue;
    preload += (preload.empty() ? "" : ":") + text.substr(arrow + 3, end - arrow - 3);
  }
  pclose(ldd);
  return preload;
}

std::string output(const std::string& command, int& status) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  status = pclose(pipe);
  return text;
}

using Pyodbc = testsupport::DevServerTest;

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
  std::string command;
  const std::string preload = sanitizerPreload(driver);
  if (!preload.empty()) command = "LD_PRELOAD=" + preload + " ASAN_OPTIONS=detect_leaks=0 ";
  command += "/usr/bin/python3 " + std::string(source) +
             "/tests/integration/pyodbc_check.py karvell-py " + std::to_string(port()) + " 2>&1";
  int status = -1;
  const std::string result = output(command, status);
  EXPECT_EQ(status, 0) << result;
  EXPECT_NE(result.find("ok\n"), std::string::npos) << result;

  const std::string replay = ini.path("pyodbc-replay.c");
  {
    std::ofstream file(replay);
    file << "#include <sql.h>\n#include <sqlext.h>\n#include <sqlucode.h>\nint main(void) {\n";
    std::ifstream lines(trace);
    file << lines.rdbuf() << "return 0; }\n";
  }
  const std::string compiled =
      output("cc -std=c11 -Werror -fsyntax-only -x c " + replay + " 2>&1", status);
  EXPECT_EQ(status, 0) << compiled;
}

}  // namespace
