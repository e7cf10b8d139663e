#pragma once
// An Environment that traces the way a user switches the trace on: the "TraceFile" preference
// names a fresh file before the environment is made, and the environment opens it. On POSIX the
// preference lives in a private odbcinst.ini; on Windows it goes to the installer's registry.
//
// The section and the file are the process's own, so that test programs running side by side
// never trace into each other's files, and the preference keeps one value for the whole run:
// unixODBC caches what it read for a second, and a changed value could be read stale.
//
// Header-only: the test support library is linked into test programs that have no driver core.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/DriverPreferences.h"
#include "core/Environment.h"
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>

#include "tests/support/TempOdbcIni.h"
#endif

namespace testsupport {

class TracedEnvironment {
 public:
  TracedEnvironment()
      : section_("Karvell ODBC Trace " + std::to_string(processId())),
        path_(::testing::TempDir() + "karvod-trace-" + std::to_string(processId()) + ".log") {
    std::remove(path_.c_str());
    EXPECT_TRUE(DriverPreferences("KarvellODBC", section_).setTraceFile(path_));
    // The section is also the display name: diagnostics read "[Ferrow][Karvell ODBC Trace n] ".
    environment_ =
        std::make_unique<Environment>("KarvellODBC", "karvod64.dll", section_, "Ferrow", nullptr);
    EXPECT_TRUE(environment_->isTracing()) << "the trace did not open " << path_;
  }
  ~TracedEnvironment() {
    environment_.reset();
    std::remove(path_.c_str());
  }
  TracedEnvironment(const TracedEnvironment&) = delete;
  TracedEnvironment& operator=(const TracedEnvironment&) = delete;

  Environment& environment() { return *environment_; }

  // The lines traced so far, without their ends.
  std::vector<std::string> lines() const {
    std::ifstream file(path_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

 private:
  static int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
  }

#ifndef _WIN32
  TempOdbcIni ini_;
#endif
  std::string section_;
  std::string path_;
  std::unique_ptr<Environment> environment_;
};

}  // namespace testsupport
