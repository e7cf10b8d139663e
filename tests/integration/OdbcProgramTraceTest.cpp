// The C ODBC program's tests run again in a child process with the driver's trace on, then the
// trace compiled as the C it is meant to be. A child of its own, because unixODBC keeps the
// "TraceFile" preference's first answer for some seconds per process, and the tests of this
// process read it without a trace.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempOdbcIni.h"

namespace {

TEST(OdbcProgramTrace, TheTraceOfTheProgramsRunCompiles) {
  testsupport::TempOdbcIni ini;
  const std::string trace = ini.path("program-trace.c");
  std::remove(trace.c_str());
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  int status = -1;
  const std::string run = testsupport::commandOutput(
      "KARVOD_PROGRAM_TRACE=" + trace + " " + self +
          " --gtest_filter='OdbcProgram.*' --gtest_brief=1 2>&1",
      status);
  ASSERT_EQ(status, 0) << run;
  std::ifstream lines(trace);
  std::string first;
  ASSERT_TRUE(std::getline(lines, first)) << "no trace written";

  const std::string compiled =
      testsupport::compileTrace(trace, ini.path("program-replay.c"), status);
  EXPECT_EQ(status, 0) << compiled;
}

}  // namespace
