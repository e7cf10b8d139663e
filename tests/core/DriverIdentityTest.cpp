// The driver's version as SQLGetInfo(SQL_DRIVER_VER) gives it: ODBC's "##.##.####".
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/DriverIdentity.h"
#include "platform/ModuleInfo.h"

TEST(DriverIdentityTest, FileVersionsTakeOdbcsForm) {
  struct Case {
    const char* fileVersion;
    const char* expected;
  };
  const Case cases[] = {
      {"1.0.0.1", "01.00.0000"},         {"2.15.3.0", "02.15.0003"}, {"12.3.4567.8", "12.03.4567"},
      {"123.45.123456.1", "23.45.3456"}, {"3.4", "03.04.0000"},      {"", "00.00.0000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(odbcDriverVersion(c.fileVersion), c.expected) << c.fileVersion;
  }
}

TEST(DriverIdentityTest, TheBuildsVersionHasTheForm) {
  EXPECT_TRUE(std::regex_match(odbcDriverVersion(platform::driverVersionText()),
                               std::regex("[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}")));
}
