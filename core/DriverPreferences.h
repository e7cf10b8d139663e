#pragma once
// Driver-wide settings in the driver's own section of "ODBCINST.INI". Nothing is held in
// memory: every read asks the installer and every write goes straight to it.
#include <string>
#include <vector>

#include "platform/Odbc.h"

class DriverPreferences {
 public:
  // The identifier names the driver but is not where the values are kept; the section is.
  DriverPreferences(std::string identifier, std::string sectionName);
  virtual ~DriverPreferences() = default;

  // The key's text, at most 1023 bytes; "" when the section or key is absent.
  std::string readValue(const char* key) const;
  bool writeValue(const char* key, const char* value) const;

  // "TraceFile": the path of the call trace; empty for no trace.
  std::string getTraceFile() const;
  bool setTraceFile(const std::string& path) const;
  std::string getLastUser() const;
  bool setLastUser(const std::string& name) const;
  // "PerformanceBoost" read as strtol reads it: leading blanks and a sign, up to the first
  // non-digit; 0 when there are no digits.
  SQLINTEGER getPerformanceBoost() const;
  bool setPerformanceBoost(SQLINTEGER value) const;
  // The lists keep one element: a get answers exactly one (maybe empty) text, a set stores
  // element 0 only. An empty list stores nothing and answers true.
  std::vector<std::string> getRecentServers() const;
  bool setRecentServers(const std::vector<std::string>& servers) const;
  std::vector<std::string> getRecentDatabases() const;
  bool setRecentDatabases(const std::vector<std::string>& databases) const;

 private:
  bool writeFirst(const char* key, const std::vector<std::string>& values) const;

  std::string identifier_;
  std::string sectionName_;
};
