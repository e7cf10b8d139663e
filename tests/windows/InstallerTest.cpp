// The odbccp32.dll path of the installer layer, against Wine's installer (which keeps profile
// strings in the registry of the build's private prefix); tests/platform, which runs under Wine
// too, checks the configuration mode.
#include "platform/OdbcInstaller.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <vector>

#include "platform/LocalizedStrings.h"
#include "tests/support/AsciiWide.h"

using testsupport::asciiWide;

TEST(Odbccp32, WritesAndReadsAPreferenceInTheDriverSection) {
  ASSERT_TRUE(platform::writePrivateProfileString("Karvell ODBC", "KarvodWineCheck", "narrow-1",
                                                  "ODBCINST.INI"));
  char buffer[64] = {};
  EXPECT_EQ(platform::getPrivateProfileString("Karvell ODBC", "KarvodWineCheck", "", buffer,
                                              sizeof buffer, "ODBCINST.INI"),
            8);
  EXPECT_STREQ(buffer, "narrow-1");

  ASSERT_TRUE(platform::writePrivateProfileStringW(
      asciiWide("Karvell ODBC").data(), asciiWide("KarvodWineCheck").data(),
      asciiWide("wide-2").data(), asciiWide("ODBCINST.INI").data()));
  SQLWCHAR wide[64] = {};
  EXPECT_EQ(platform::getPrivateProfileStringW(
                asciiWide("Karvell ODBC").data(), asciiWide("KarvodWineCheck").data(),
                asciiWide("").data(), wide, 64, asciiWide("ODBCINST.INI").data()),
            6);
  EXPECT_EQ(std::vector<SQLWCHAR>(wide, wide + 7), asciiWide("wide-2"));

  // A null value removes the key again.
  EXPECT_TRUE(platform::writePrivateProfileString("Karvell ODBC", "KarvodWineCheck", nullptr,
                                                  "ODBCINST.INI"));
  EXPECT_EQ(platform::getPrivateProfileString("Karvell ODBC", "KarvodWineCheck", "", buffer,
                                              sizeof buffer, "ODBCINST.INI"),
            0);
}

TEST(LocalizedStrings, MissingStringAnswersAnEmptyText) {
  SQLWCHAR buffer[1024];
  buffer[0] = 'x';
  EXPECT_EQ(platform::loadLocalizedString(GetModuleHandleW(nullptr), 4095, buffer), 0);
  EXPECT_EQ(buffer[0], 0);
}
