// The installer behind the platform layer. The configuration mode is checked on both builds
// (odbccp32.dll under Wine); the profile and DSN files only against the real unixODBC installer
// with private ini files, since Wine keeps them in its registry (see tests/windows).
#include "platform/OdbcInstaller.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/AsciiWide.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

using testsupport::asciiWide;

class OdbcInstallerTest : public ::testing::Test {
 protected:
#ifndef _WIN32
  testsupport::TempOdbcIni ini;
#endif
};

}  // namespace

TEST_F(OdbcInstallerTest, ConfigModeSwitchesAndReadsBack) {
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

#ifndef _WIN32
TEST_F(OdbcInstallerTest, NarrowProfileStringsRoundTripThroughTheDriverIni) {
  ASSERT_TRUE(platform::writePrivateProfileString("Installer Narrow", "TraceFile", "/tmp/trace.c",
                                                  "ODBCINST.INI"));
  EXPECT_NE(ini.readDriverIni().find("[Installer Narrow]"), std::string::npos);
  char buffer[64] = {};
  EXPECT_EQ(platform::getPrivateProfileString("Installer Narrow", "TraceFile", "", buffer,
                                              sizeof buffer, "ODBCINST.INI"),
            12);
  EXPECT_STREQ(buffer, "/tmp/trace.c");
  EXPECT_EQ(platform::getPrivateProfileString("Installer Narrow", "Absent", "", buffer,
                                              sizeof buffer, "ODBCINST.INI"),
            0);
}

TEST_F(OdbcInstallerTest, WideProfileStringsRoundTripThroughTheDriverIni) {
  ASSERT_TRUE(platform::writePrivateProfileStringW(
      asciiWide("Installer Wide").data(), asciiWide("LastUser").data(), asciiWide("alice").data(),
      asciiWide("ODBCINST.INI").data()));
  SQLWCHAR buffer[64] = {};
  EXPECT_EQ(platform::getPrivateProfileStringW(asciiWide("Installer Wide").data(),
                                               asciiWide("LastUser").data(), asciiWide("").data(),
                                               buffer, 64, asciiWide("ODBCINST.INI").data()),
            5);
  EXPECT_EQ(std::vector<SQLWCHAR>(buffer, buffer + 6), asciiWide("alice"));
}

TEST_F(OdbcInstallerTest, DsnIsWrittenAndRemovedInTheUserScope) {
  ini.writeDriverIni("[Karvell ODBC]\nDriver=/nonexistent/libkarvod64.so\n");
  ASSERT_TRUE(platform::setConfigMode(ODBC_USER_DSN));
  ASSERT_TRUE(
      platform::writeDsnToIniW(asciiWide("Scratch").data(), asciiWide("Karvell ODBC").data()));
  EXPECT_NE(ini.readUserIni().find("[Scratch]"), std::string::npos);
  EXPECT_TRUE(platform::removeDsnFromIniW(asciiWide("Scratch").data()));
  EXPECT_EQ(ini.readUserIni().find("[Scratch]"), std::string::npos);
  platform::setConfigMode(ODBC_BOTH_DSN);
}

TEST_F(OdbcInstallerTest, PostsAnInstallerError) {
  EXPECT_EQ(platform::postInstallerErrorW(ODBC_ERROR_INVALID_NAME, nullptr), SQL_SUCCESS);
}

// unixODBC's own wide functions would store each unit as one byte and read bytes back
// sign-extended; the installer layer keeps the files in UTF-8 both ways.
TEST_F(OdbcInstallerTest, NonAsciiTextIsStoredAsUtf8AndReadBack) {
  const std::u16string section = u"Wide é";
  const std::u16string value = u"é Ω 😀";
  auto wide = [](const std::u16string& text) {
    return reinterpret_cast<const SQLWCHAR*>(text.c_str());
  };
  platform::setConfigMode(ODBC_USER_DSN);
  ASSERT_TRUE(platform::writeDsnToIniW(wide(section), wide(u"Karvell ODBC")));
  ASSERT_TRUE(platform::writePrivateProfileStringW(wide(section), wide(u"Description"),
                                                   wide(value), wide(u"ODBC.INI")));
  EXPECT_NE(ini.readUserIni().find("[Wide \xC3\xA9]"), std::string::npos) << ini.readUserIni();
  EXPECT_NE(ini.readUserIni().find("\xC3\xA9 \xCE\xA9 \xF0\x9F\x98\x80"), std::string::npos);
  SQLWCHAR buffer[64] = {};
  const int units = platform::getPrivateProfileStringW(wide(section), wide(u"Description"),
                                                       wide(u""), buffer, 64, wide(u"ODBC.INI"));
  EXPECT_EQ(std::u16string(buffer, buffer + units), value);
  // A buffer too small keeps whole characters.
  SQLWCHAR small[4] = {};
  EXPECT_EQ(platform::getPrivateProfileStringW(wide(section), wide(u"Description"), wide(u""),
                                               small, 4, wide(u"ODBC.INI")),
            3);
  EXPECT_EQ(std::u16string(small, small + 3), u"é Ω");
  EXPECT_TRUE(platform::removeDsnFromIniW(wide(section)));
  platform::setConfigMode(ODBC_BOTH_DSN);
}

#endif
