#include <windows.h>

#include <gtest/gtest.h>

TEST(DriverModule, LoadsWithLoadLibrary) {
  HMODULE driver = LoadLibraryA("karvod64.dll");
  ASSERT_NE(driver, nullptr) << GetLastError();
  FreeLibrary(driver);
}
