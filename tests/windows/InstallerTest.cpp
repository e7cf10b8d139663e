// The odbccp32.dll path of the installer layer, against Wine's installer (which keeps profile
// strings in the registry of the build's private prefix).
#include "platform/OdbcInstaller.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <vector>

#include "platform/LocalizedStrings.h"

namespace {

std::vector<SQLWCHAR> wideText(const char* text) {
  std::vector<SQLWCHAR> result;
  for (; *text; ++text) result.push_back(static_cast<SQLWCHAR>(*text));
  result.push_back(0);
  return result;
}

}  // namespace

TEST(Odbccp32, WritesAndReadsAPreferenceInTheDriverSection) {
  ASSERT_TRUE(platform::writePrivateProfileString("Karvell ODBC", "KarvodWineCheck", "narrow-1",
                                                  "ODBCINST.INI"));
  char buffer[64] = {};
  EXPECT_EQ(platform::getPrivateProfileString("Karvell ODBC", "KarvodWineCheck", "", buffer,
                                              sizeof buffer, "ODBCINST.INI"),
            8);
  EXPECT_STREQ(buffer, "narrow-1");

  ASSERT_TRUE(platform::writePrivateProfileStringW(
      wideText("Karvell ODBC").data(), wideText("KarvodWineCheck").data(),
      wideText("wide-2").data(), wideText("ODBCINST.INI").data()));
  SQLWCHAR wide[64] = {};
  EXPECT_EQ(platform::getPrivateProfileStringW(wideText("Karvell ODBC").data(),
                                               wideText("KarvodWineCheck").data(),
                                               wideText("").data(), wide, 64,
                                               wideText("ODBCINST.INI").data()),
            6);
  EXPECT_EQ(std::vector<SQLWCHAR>(wide, wide + 7), wideText("wide-2"));

  // A null value removes the key again.
  EXPECT_TRUE(platform::writePrivateProfileString("Karvell ODBC", "KarvodWineCheck", nullptr,
                                                  "ODBCINST.INI"));
  EXPECT_EQ(platform::getPrivateProfileString("Karvell ODBC", "KarvodWineCheck", "", buffer,
                                              sizeof buffer, "ODBCINST.INI"),
            0);
}

TEST(Odbccp32, ConfigModeSwitchesAndReadsBack) {
  unsigned short before = 99;
  ASSERT_TRUE(platform::getConfigMode(before));
  for (unsigned short mode : {ODBC_USER_DSN, ODBC_SYSTEM_DSN, ODBC_BOTH_DSN}) {
    ASSERT_TRUE(platform::setConfigMode(mode));
    unsigned short now = 99;
    ASSERT_TRUE(platform::getConfigMode(now));
    EXPECT_EQ(now, mode);
  }
  platform::setConfigMode(before);
}

TEST(LocalizedStrings, MissingStringAnswersAnEmptyText) {
  SQLWCHAR buffer[1024];
  buffer[0] = 'x';
  EXPECT_EQ(platform::loadLocalizedString(GetModuleHandleW(nullptr), 4095, buffer), 0);
  EXPECT_EQ(buffer[0], 0);
}
