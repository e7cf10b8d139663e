// Preferences through the real unixODBC installer with a private odbcinst.ini.
#ifndef _WIN32
#include "core/DriverPreferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempOdbcIni.h"

namespace {

// unixODBC keeps what it read from "ODBCINST.INI" for some seconds per section and key, so each
// test that reads uses a section of its own.
class DriverPreferencesTest : public ::testing::Test {
 protected:
  DriverPreferences preferencesFor(const std::string& test) const {
    return DriverPreferences("org.ferrow.karvellodbc", "Karvell ODBC " + test);
  }

  testsupport::TempOdbcIni ini;
};

}  // namespace

TEST_F(DriverPreferencesTest, ValuesGoToTheSectionNamedAtConstruction) {
  DriverPreferences preferences("org.ferrow.karvellodbc", "Karvell ODBC");
  EXPECT_TRUE(preferences.setLastUser("alice"));
  EXPECT_TRUE(preferences.setTraceFile("/tmp/karvod-trace.c"));
  const std::string content = ini.readDriverIni();
  EXPECT_NE(content.find("[Karvell ODBC]"), std::string::npos) << content;
  EXPECT_NE(content.find("LastUser"), std::string::npos) << content;
  EXPECT_NE(content.find("/tmp/karvod-trace.c"), std::string::npos) << content;
}

TEST_F(DriverPreferencesTest, WrittenTextsReadBack) {
  DriverPreferences preferences = preferencesFor("RoundTrip");
  ASSERT_TRUE(preferences.setTraceFile("/var/log/karvod trace.c"));
  ASSERT_TRUE(preferences.setLastUser("J\xC3\xBCrgen"));
  EXPECT_EQ(preferences.getTraceFile(), "/var/log/karvod trace.c");
  EXPECT_EQ(preferences.getLastUser(), "J\xC3\xBCrgen");
}

TEST_F(DriverPreferencesTest, AbsentKeysReadEmpty) {
  DriverPreferences preferences = preferencesFor("Absent");
  EXPECT_EQ(preferences.getTraceFile(), "");
  EXPECT_EQ(preferences.getPerformanceBoost(), 0);
  EXPECT_EQ(preferences.getRecentDatabases(), std::vector<std::string>{""});
}

TEST_F(DriverPreferencesTest, PerformanceBoostReadsLikeStrtol) {
  ini.writeDriverIni(
      "[Karvell ODBC Boost1]\nPerformanceBoost=12abc\n"
      "[Karvell ODBC Boost2]\nPerformanceBoost=  -7\n"
      "[Karvell ODBC Boost3]\nPerformanceBoost=abc\n"
      "[Karvell ODBC Boost5]\nPerformanceBoost=010\n");
  EXPECT_EQ(preferencesFor("Boost1").getPerformanceBoost(), 12);
  EXPECT_EQ(preferencesFor("Boost2").getPerformanceBoost(), -7);
  EXPECT_EQ(preferencesFor("Boost3").getPerformanceBoost(), 0);
  // Always decimal: a leading zero does not make it octal.
  EXPECT_EQ(preferencesFor("Boost5").getPerformanceBoost(), 10);
  DriverPreferences written = preferencesFor("Boost4");
  ASSERT_TRUE(written.setPerformanceBoost(-2147483647 - 1));
  EXPECT_EQ(written.getPerformanceBoost(), -2147483647 - 1);
}

TEST_F(DriverPreferencesTest, ListsKeepOnlyTheirFirstElement) {
  DriverPreferences preferences = preferencesFor("Lists");
  ASSERT_TRUE(preferences.setRecentServers({"alpha", "beta", "gamma"}));
  EXPECT_EQ(preferences.getRecentServers(), std::vector<std::string>{"alpha"});
  EXPECT_EQ(ini.readDriverIni().find("beta"), std::string::npos);
  EXPECT_TRUE(preferences.setRecentDatabases({}));
  EXPECT_EQ(ini.readDriverIni().find("RecentDatabases"), std::string::npos);
  ASSERT_TRUE(preferences.setRecentDatabases({"main"}));
  EXPECT_EQ(preferences.getRecentDatabases(), std::vector<std::string>{"main"});
}

TEST_F(DriverPreferencesTest, LongValuesAreCutNotOverrun) {
  // unixODBC reads ini lines of about 1000 bytes at most; the driver's buffer holds 1023.
  const std::string path = "/" + std::string(1500, 't');
  ini.writeDriverIni("[Karvell ODBC Long]\nTraceFile=" + path + "\n");
  const std::string read = preferencesFor("Long").getTraceFile();
  EXPECT_GT(read.size(), 900u);
  EXPECT_LE(read.size(), 1023u);
  EXPECT_EQ(read, path.substr(0, read.size()));
}
#endif
