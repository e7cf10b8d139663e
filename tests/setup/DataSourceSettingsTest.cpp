// The wizard's settings: reading them from a DSN and from attribute strings, the attribute list
// handed back to the installer, and the summary.
#include "setup/DataSourceSettings.h"

#include <gtest/gtest.h>

#include "platform/ModuleInfo.h"
#include "tests/setup/SetupTestSupport.h"

#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

using setuptest::listText;

namespace {

DataSourceSettings named(const std::string& name) {
  DataSourceSettings settings;
  settings.dsnName = name;
  return settings;
}

TEST(AttributeList, AllDefaultsWithANameListEveryKeyEmpty) {
  EXPECT_EQ(listText(buildAttributeList(named("Sales"), true, true, true)),
            "DSN=Sales|Description=|Database=|Server=localhost|Port=|Encryption=|IncludeViews=|"
            "AutoDetectEncoding=|MultiByteEncoding=|QueryLog_On=|QueryLogTime=|QueryLogFile=||");
}

TEST(AttributeList, FlagsChooseTheEntries) {
  DataSourceSettings settings = named("Sales");
  settings.description = "Orders";
  settings.database = "shop";
  settings.port = 4431;
  settings.encryption = 4;
  settings.includeViews = true;
  settings.autoDetectEncoding = false;
  settings.utf8Encoding = true;
  settings.queryLogOn = true;
  settings.queryLogTime = 250;
  settings.queryLogFile = "/tmp/q.log";
  const std::string full =
      "Description=Orders|Database=shop|Server=localhost|Port=4431|Encryption=AES256|"
      "IncludeViews=Yes|AutoDetectEncoding=No|MultiByteEncoding=UTF-8|QueryLog_On=Yes|"
      "QueryLogTime=250|QueryLogFile=/tmp/q.log||";
  struct Case {
    bool includeDsn, writeEmpty, includeDatabase;
    std::string expected;
  } cases[] = {
      {true, true, true, "DSN=Sales|" + full},
      {false, false, true, full},
      {true, false, false,
       "DSN=Sales|Description=Orders|Server=localhost|Port=4431|Encryption=AES256|"
       "IncludeViews=Yes|AutoDetectEncoding=No|MultiByteEncoding=UTF-8|QueryLog_On=Yes|"
       "QueryLogTime=250|QueryLogFile=/tmp/q.log||"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(listText(buildAttributeList(settings, c.includeDsn, c.writeEmpty,
                                          c.includeDatabase)),
              c.expected);
  }
  // Without writeEmpty, cleared settings are left out altogether; an empty name has no entry.
  EXPECT_EQ(listText(buildAttributeList(DataSourceSettings(), true, false, true)),
            "Server=localhost|MultiByteEncoding=||");
}

TEST(AttributeList, EncryptionLevelsAndUnknownValuesAreWrittenBack) {
  DataSourceSettings settings;
  settings.server.clear();
  const std::pair<unsigned, const char*> levels[] = {
      {2, "Encryption=AES128|"}, {3, "Encryption=AES192|"}, {4, "Encryption=AES256|"}};
  for (const auto& level : levels) {
    settings.encryption = level.first;
    EXPECT_EQ(listText(buildAttributeList(settings, false, false, false)),
              std::string(level.second) + "MultiByteEncoding=||");
  }
  settings.encryption = 0;
  settings.otherEncryption = "Chacha";
  EXPECT_EQ(listText(buildAttributeList(settings, false, false, false)),
            "Encryption=Chacha|MultiByteEncoding=||");
}

TEST(AttributeList, LongValuesAreKeptWhole) {
  DataSourceSettings settings;
  settings.queryLogOn = true;
  settings.queryLogFile = "/" + std::string(1100, 'p') + ".log";
  const std::string list = listText(buildAttributeList(settings, false, false, false));
  EXPECT_NE(list.find("QueryLogFile=" + settings.queryLogFile + "|"), std::string::npos);
}

TEST(ReadSettings, ConnectionStringValues) {
  struct Case {
    const char* text;
    int port;
    unsigned encryption;
    std::string other;
    bool includeViews, autoDetect, utf8;
    std::string server;
  } cases[] = {
      {"Server=db;Port=4431;Encryption=aes256;IncludeViews=Yes", 4431, 4, "", true, true, false,
       "db"},
      {"Port=;Encryption=AES192;IncludeViews=y;AutoDetectEncoding=no;MultiByteEncoding=utf",
       4430, 3, "", true, false, true, "localhost"},
      {"Server=;Encryption=Chacha;IncludeViews=Yesterday;AutoDetectEncoding=", 4430, 0, "Chacha",
       false, true, false, "localhost"},
      {"Encryption=AES128;MultiByteEncoding=Latin-1", 4430, 2, "", false, true, false,
       "localhost"},
  };
  for (const Case& c : cases) {
    DataSourceSettings settings;
    readSettingsFromString(settings, c.text);
    EXPECT_EQ(settings.port, c.port) << c.text;
    EXPECT_EQ(settings.encryption, c.encryption) << c.text;
    EXPECT_EQ(settings.otherEncryption, c.other) << c.text;
    EXPECT_EQ(settings.includeViews, c.includeViews) << c.text;
    EXPECT_EQ(settings.autoDetectEncoding, c.autoDetect) << c.text;
    EXPECT_EQ(settings.utf8Encoding, c.utf8) << c.text;
    EXPECT_EQ(settings.server, c.server) << c.text;
  }
}

TEST(ReadSettings, OnlyTheFirstEntryOfAnInstallerListCounts) {
  DataSourceSettings settings;
  readSettingsFromString(settings, std::string("Server=first\0Port=4999\0\0", 25));
  EXPECT_EQ(settings.server, "first");
  EXPECT_EQ(settings.port, defaultPort);
}

TEST(Summary, ListsTheSettingsInEnglish) {
  DataSourceSettings settings = named("Sales");
  settings.description = "Orders";
  settings.database = "shop";
  settings.encryption = 3;
  settings.autoDetectEncoding = false;
  settings.queryLogOn = true;
  settings.queryLogFile = "q.log";
  const std::string version = platform::driverVersionText();
  EXPECT_EQ(utf8Text(buildSummary(settings)),
            "Karvell ODBC Driver (64-bit) " + version +
                "\r\n\r\nData Source Name: Sales\r\nDescription: Orders\r\nHost: localhost\r\n"
                "Port: 4430\r\nEncryption: AES 192\r\nDatabase: shop\r\n"
                "Always include views in table lists: No\r\nAuto-detect Language Settings: No\r\n"
                "Multi-byte text encoding: " + utf8Text(systemEncodingName()) +
                "\r\nLog Long Running Queries: Yes\r\n"
                "Query Log File: q.log\r\nQuery Log Time (ms): 5000\r\n");
}

#ifndef _WIN32
TEST(Summary, FollowsTheLanguage) {
  setuptest::ScopedLanguage german("de_DE.UTF-8");
  DataSourceSettings settings = named("Verkauf");
  settings.includeViews = true;
  const std::string summary = utf8Text(buildSummary(settings));
  EXPECT_EQ(summary.rfind("Karvell-ODBC-Treiber (64-bit) ", 0), 0u) << summary;
  EXPECT_NE(summary.find("Datenquellenname: Verkauf\r\n"), std::string::npos);
  EXPECT_NE(summary.find("Verschlüsselung: Keine\r\n"), std::string::npos);
  EXPECT_NE(summary.find("Sichten immer in Tabellenlisten aufnehmen: Ja\r\n"), std::string::npos);
  EXPECT_EQ(summary.find("Query"), std::string::npos);
}

// The installer's ini files; the Windows build keeps DSNs in the registry.
class ReadFromDsn : public ::testing::Test {
 protected:
  testsupport::TempOdbcIni ini;
};

TEST_F(ReadFromDsn, KeysOfTheDsnsOwnScope) {
  ini.writeUserIni(
      "[SettingsFull]\nDriver=Karvell ODBC\nDescription=Orders é\nServer=db.example\n"
      "Database=shop\nPort=4431\nEncryption=AES192\nIncludeViews=Yes\nAutoDetectEncoding=No\n"
      "MultiByteEncoding=UTF-8\nQueryLog_On=Yes\nQueryLogTime=70\nQueryLogFile=/tmp/Ω.log\n"
      "[SettingsEmpty]\nDriver=Karvell ODBC\nServer=\nPort=\nEncryption=rot13\n");
  DataSourceSettings full;
  readSettingsFromDsn(full, "SettingsFull");
  EXPECT_EQ(full.description, "Orders é");
  EXPECT_EQ(full.server, "db.example");
  EXPECT_EQ(full.database, "shop");
  EXPECT_EQ(full.port, 4431);
  EXPECT_EQ(full.encryption, 3u);
  EXPECT_TRUE(full.includeViews);
  EXPECT_FALSE(full.autoDetectEncoding);
  EXPECT_TRUE(full.utf8Encoding);
  EXPECT_TRUE(full.queryLogOn);
  EXPECT_EQ(full.queryLogTime, 70u);
  EXPECT_EQ(full.queryLogFile, "/tmp/Ω.log");

  DataSourceSettings empty;
  readSettingsFromDsn(empty, "SettingsEmpty");
  EXPECT_EQ(empty.server, "localhost");
  EXPECT_EQ(empty.port, defaultPort);
  EXPECT_EQ(empty.otherEncryption, "rot13");
  EXPECT_EQ(empty.queryLogFile, "");
  // Written back, the unknown encryption survives.
  EXPECT_NE(listText(buildAttributeList(empty, true, true, true)).find("|Encryption=rot13|"),
            std::string::npos);
}
#endif

TEST(PortField, EmptyMeansTheDefaultAndOnly1To65535Count) {
  const std::pair<const char16_t*, int> accepted[] = {
      {u"", 4430}, {u"1", 1}, {u"4431", 4431}, {u"65535", 65535}};
  for (const auto& c : accepted) {
    int port = -1;
    EXPECT_TRUE(parsePortField(c.first, port));
    EXPECT_EQ(port, c.second);
  }
  for (const char16_t* refused : {u"0", u"00000", u"65536", u"70000", u"12a", u"-1", u"123456"}) {
    int port = 7;
    EXPECT_FALSE(parsePortField(refused, port)) << utf8Text(refused);
    EXPECT_EQ(port, 7);
  }
}

}  // namespace
