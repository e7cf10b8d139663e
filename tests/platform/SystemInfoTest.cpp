#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/HostApplication.h"
#include "platform/ModuleInfo.h"
#include "platform/OsVersion.h"
#include "tests/support/ProjectVersion.h"

#ifndef _WIN32
// The Windows module's version resource is read back under Wine, in tests/windows.
TEST(SystemInfo, DriverVersionIsTheBuildsProjectVersion) {
  const std::string expected = testsupport::projectVersion();
  ASSERT_FALSE(expected.empty()) << "no project version in KARVOD_SOURCE_DIR/CMakeLists.txt";
  EXPECT_EQ(platform::driverVersionText(), expected);
}
#endif

TEST(SystemInfo, HostApplicationIsTheTestExecutableWithoutDirectory) {
  std::string name = "unset";
  std::string version = "unset";
  platform::readHostApplication(name, version);
#ifdef _WIN32
  EXPECT_EQ(name, "test_platform.exe");
#else
  EXPECT_EQ(name, "test_platform");
#endif
  // The test executable carries no version resource.
  EXPECT_EQ(version, "");
}

TEST(SystemInfo, OsVersionNamesTheSystemAndItsRelease) {
#ifdef _WIN32
  const std::regex expected(R"(Windows \d+\.\d+\.\d+)");
#else
  const std::regex expected(R"(Linux \d+\.\d+.*)");
#endif
  EXPECT_TRUE(std::regex_match(platform::osVersionText(), expected)) << platform::osVersionText();
  EXPECT_STREQ(platform::platformName(), "x86_64");
}
