#include "core/DriverPreferences.h"

#include <cstdlib>
#include <utility>

#include "core/ValueText.h"
#include "platform/OdbcInstaller.h"

namespace {
constexpr const char* preferencesFile = "ODBCINST.INI";
}

DriverPreferences::DriverPreferences(std::string identifier, std::string sectionName)
    : identifier_(std::move(identifier)), sectionName_(std::move(sectionName)) {}

std::string DriverPreferences::readValue(const char* key) const {
  char buffer[1024] = {};
  int length = platform::getPrivateProfileString(sectionName_.c_str(), key, "", buffer,
                                                 sizeof buffer, preferencesFile);
  return length > 0 ? std::string(buffer) : std::string();
}

bool DriverPreferences::writeValue(const char* key, const char* value) const {
  return platform::writePrivateProfileString(sectionName_.c_str(), key, value, preferencesFile);
}

std::string DriverPreferences::getTraceFile() const { return readValue("TraceFile"); }

bool DriverPreferences::setTraceFile(const std::string& path) const {
  return writeValue("TraceFile", path.c_str());
}

std::string DriverPreferences::getLastUser() const { return readValue("LastUser"); }

bool DriverPreferences::setLastUser(const std::string& name) const {
  return writeValue("LastUser", name.c_str());
}

SQLINTEGER DriverPreferences::getPerformanceBoost() const {
  return static_cast<SQLINTEGER>(std::strtol(readValue("PerformanceBoost").c_str(), nullptr, 10));
}

bool DriverPreferences::setPerformanceBoost(SQLINTEGER value) const {
  return writeValue("PerformanceBoost", intToString(value).c_str());
}

std::vector<std::string> DriverPreferences::getRecentServers() const {
  return {readValue("RecentServers")};
}

bool DriverPreferences::setRecentServers(const std::vector<std::string>& servers) const {
  return writeFirst("RecentServers", servers);
}

std::vector<std::string> DriverPreferences::getRecentDatabases() const {
  return {readValue("RecentDatabases")};
}

bool DriverPreferences::setRecentDatabases(const std::vector<std::string>& databases) const {
  return writeFirst("RecentDatabases", databases);
}

bool DriverPreferences::writeFirst(const char* key, const std::vector<std::string>& values) const {
  return values.empty() || writeValue(key, values.front().c_str());
}
