#pragma once
// Private ODBC configuration for tests: unixODBC reads and writes odbcinst.ini, the system
// odbc.ini (ODBCSYSINI) and the user odbc.ini (ODBCINI) in a temporary directory of the test
// process instead of /etc and $HOME. Each object starts with the three files empty and empties
// them again when it goes.
//
// unixODBC looks at ODBCSYSINI once per process, so the directory is the same for every object
// of a process (removed at exit), and every test of a process that reaches the installer must
// hold one, from the first such test on. unixODBC also keeps answers read from "ODBCINST.INI"
// for some seconds, keyed by section and key, not by file: a test that reads a preference
// another test of the process has read (or writes one after reading it) uses a section of its
// own.
//
// POSIX only: on Windows the installer keeps its data in the registry.
#ifndef _WIN32
#include <string>

namespace testsupport {

class TempOdbcIni {
 public:
  TempOdbcIni();
  ~TempOdbcIni();
  TempOdbcIni(const TempOdbcIni&) = delete;
  TempOdbcIni& operator=(const TempOdbcIni&) = delete;

  // Replace the whole content of a file.
  void writeDriverIni(const std::string& content) const;  // odbcinst.ini
  void writeSystemIni(const std::string& content) const;  // system odbc.ini
  void writeUserIni(const std::string& content) const;    // user odbc.ini
  std::string readDriverIni() const;
  std::string readUserIni() const;

  // A path inside the temporary directory.
  std::string path(const std::string& name) const;
};

}  // namespace testsupport
#endif
