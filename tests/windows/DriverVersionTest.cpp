#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/ModuleInfo.h"
#include "platform/OsVersion.h"
#include "tests/support/ProjectVersion.h"

TEST(DriverVersion, ReadsTheDllsVersionResource) {
  const std::string expected = testsupport::projectVersion();
  ASSERT_FALSE(expected.empty()) << "no project version in KARVOD_SOURCE_DIR/CMakeLists.txt";
  HMODULE driver = LoadLibraryA("karvod64.dll");
  ASSERT_NE(driver, nullptr) << GetLastError();
  // Read through the version lookup of the driver's own code, pointed at the loaded DLL as its
  // DllMain points it.
  platform::recordModule(driver);
  EXPECT_EQ(platform::driverVersionText(), expected);
  platform::recordModule(nullptr);
  FreeLibrary(driver);
}

TEST(DriverVersion, ExecutableWithoutVersionResourceAnswersEmpty) {
  // With no module recorded the lookup falls back to this test executable, which has none.
  EXPECT_EQ(platform::driverVersionText(), "");
}

TEST(DriverVersion, OsVersionComesFromTheRunningSystem) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExA(&version));
  EXPECT_EQ(platform::osVersionText(), "Windows " + std::to_string(version.dwMajorVersion) + "." +
                                           std::to_string(version.dwMinorVersion) + "." +
                                           std::to_string(version.dwBuildNumber));
}
