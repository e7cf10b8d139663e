// DSN keys through the real unixODBC installer with private ini files; the Windows build reads
// the registry instead and has no such files to set up.
#ifndef _WIN32
#include "core/DsnAccess.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/OdbcInstaller.h"
#include "tests/support/AsciiWide.h"
#include "tests/support/TempOdbcIni.h"

namespace {

using testsupport::asciiWide;

unsigned short configMode() {
  unsigned short mode = 99;
  EXPECT_TRUE(platform::getConfigMode(mode));
  return mode;
}

// unixODBC keeps answers for some seconds per section and key, so every test reads DSNs of
// names of its own.
class DsnAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    ini.writeSystemIni(
        "[SysOnly]\nDriver=Karvell ODBC\nSERVER=sys-only-host\n"
        "[BothScopes]\nDriver=Karvell ODBC\nSERVER=system-host\n"
        "[BothScopesW]\nDriver=Karvell ODBC\nSERVER=system-host-w\n"
        "[Threads]\nDriver=Karvell ODBC\nSERVER=system-threads\n"
        "[Long]\nDriver=Karvell ODBC\nSERVER=" +
        std::string(1500, 's') + "\n");
    ini.writeUserIni(
        "[UserOnly]\nDriver=Karvell ODBC\nSERVER=user-host\nDATABASE=main\n"
        "[UserOnlyW]\nDriver=Karvell ODBC\nSERVER=user-host-w\n"
        "[BothScopes]\nDriver=Karvell ODBC\nSERVER=user-host\n"
        "[BothScopesW]\nDriver=Karvell ODBC\nSERVER=user-host-w\n"
        "[UserThreads]\nDriver=Karvell ODBC\nSERVER=user-threads\n");
  }
  void TearDown() override { platform::setConfigMode(ODBC_BOTH_DSN); }

  testsupport::TempOdbcIni ini;
};

}  // namespace

TEST_F(DsnAccess, UserOnlyDsnIsReadInUserModeAndTheModeIsRestored) {
  for (unsigned short before : {ODBC_BOTH_DSN, ODBC_SYSTEM_DSN}) {
    ASSERT_TRUE(platform::setConfigMode(before));
    EXPECT_EQ(readDsnValue("UserOnly", "SERVER"), "user-host");
    EXPECT_EQ(configMode(), before);
  }
  EXPECT_EQ(readDsnValue("UserOnly", "DATABASE"), "main");
}

TEST_F(DsnAccess, DsnInBothScopesIsReadAsTheSystemDsn) {
  ASSERT_TRUE(platform::setConfigMode(ODBC_USER_DSN));
  EXPECT_EQ(readDsnValue("BothScopes", "SERVER"), "system-host");
  EXPECT_EQ(configMode(), ODBC_USER_DSN);
  EXPECT_EQ(readDsnValue("SysOnly", "SERVER"), "sys-only-host");
}

TEST_F(DsnAccess, SelectingTheModeAnswersThePreviousOne) {
  platform::MutexLock lock(platform::configModeMutex());
  ASSERT_TRUE(platform::setConfigMode(ODBC_BOTH_DSN));
  EXPECT_EQ(selectDsnConfigMode("UserOnly"), ODBC_BOTH_DSN);
  EXPECT_EQ(configMode(), ODBC_USER_DSN);
  EXPECT_EQ(selectDsnConfigMode("SysOnly"), ODBC_USER_DSN);
  EXPECT_EQ(configMode(), ODBC_SYSTEM_DSN);
  EXPECT_EQ(selectDsnConfigModeW(asciiWide("UserOnlyW").data()), ODBC_SYSTEM_DSN);
  EXPECT_EQ(configMode(), ODBC_USER_DSN);
}

TEST_F(DsnAccess, AbsentDsnOrKeyReadsEmpty) {
  EXPECT_EQ(readDsnValue("NoSuchDsn", "SERVER"), "");
  EXPECT_EQ(readDsnValue("UserOnly", "Port"), "");
  EXPECT_EQ(readDsnValueW("NoSuchDsnW", asciiWide("SERVER").data()), "");
}

TEST_F(DsnAccess, WideReadsChooseTheScopeTheSameWay) {
  ASSERT_TRUE(platform::setConfigMode(ODBC_SYSTEM_DSN));
  EXPECT_EQ(readDsnValueW("UserOnlyW", asciiWide("SERVER").data()), "user-host-w");
  EXPECT_EQ(readDsnValueW("BothScopesW", asciiWide("SERVER").data()), "system-host-w");
  EXPECT_EQ(configMode(), ODBC_SYSTEM_DSN);
}

TEST_F(DsnAccess, LongValuesAreCutNotOverrun) {
  // unixODBC reads ini lines of about 1000 bytes at most; the driver's buffer holds 1023.
  for (const std::string& read :
       {readDsnValue("Long", "SERVER"), readDsnValueW("Long", asciiWide("SERVER").data())}) {
    EXPECT_GT(read.size(), 900u);
    EXPECT_LE(read.size(), 1023u);
    EXPECT_EQ(read, std::string(read.size(), 's'));
  }
}

TEST_F(DsnAccess, ConcurrentReadsEachSeeTheirOwnScope) {
  // Without one lock around switch, read and restore, a thread reads in the mode another set.
  std::atomic<int> wrong{0};
  auto reader = [&](const char* dsn, const char* expected) {
    for (int i = 0; i < 200; ++i) {
      if (readDsnValue(dsn, "SERVER") != expected) ++wrong;
    }
  };
  std::thread system(reader, "Threads", "system-threads");
  std::thread user(reader, "UserThreads", "user-threads");
  system.join();
  user.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(configMode(), ODBC_BOTH_DSN);
}
#endif
