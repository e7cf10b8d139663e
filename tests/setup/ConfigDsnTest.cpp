// Adding, configuring and removing data sources: the installer entry without a window, with a
// scripted wizard, and through unixODBC's SQLConfigDataSource and odbcinst, over private ini
// files. (On Windows the installer keeps DSNs in the registry; tests/windows covers it.)
#ifndef _WIN32
#include "setup/ConfigDsn.h"

#include <gtest/gtest.h>
#include <odbcinst.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/OdbcInstaller.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

using setuptest::listOf;

namespace {

void* const window = reinterpret_cast<void*>(0x1234);

struct InstallerError {
  DWORD code = 0;
  std::string message;
};

// The newest of the posted errors (a test posts several without an installer call between that
// would clear the list).
InstallerError lastInstallerError() {
  InstallerError error;
  for (WORD record = 1; record <= 8; ++record) {
    char message[512] = {};
    WORD length = 0;
    DWORD code = 0;
    if (SQLInstallerError(record, &code, message, sizeof message, &length) != SQL_SUCCESS) break;
    error.code = code;
    error.message = message;
  }
  return error;
}

void setMode(unsigned short mode) {
  platform::MutexLock lock(platform::configModeMutex());
  platform::setConfigMode(mode);
}

std::string run(const std::string& command) {
  std::string output;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
  char buffer[512];
  while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
  return output;
}

bool configure(void* parent, unsigned short request, const std::string& list,
               const char16_t* driver = u"Karvell ODBC") {
  const std::u16string attributes = listOf(list);
  return configDsn(parent, request, driver, attributes.c_str());
}

class ConfigDsn : public ::testing::Test {
 protected:
  void SetUp() override { setMode(ODBC_USER_DSN); }
  void TearDown() override { setMode(ODBC_BOTH_DSN); }

  testsupport::TempOdbcIni ini;
};

TEST_F(ConfigDsn, FailuresAnswerFalseWithTheInstallerError) {
  struct Case {
    unsigned short request;
    std::string list;
    const char16_t* driver;
    DWORD code;
  } cases[] = {
      {ODBC_ADD_DSN, "DSN=NoDriver|", nullptr, ODBC_ERROR_INVALID_NAME},
      {ODBC_ADD_DSN, "DSN=NoDriver|", u"", ODBC_ERROR_INVALID_NAME},
      {ODBC_ADD_DSN, "Server=x|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_ADD_DSN, "DSN=|Server=x|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_ADD_DSN, "DSN=a;b|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_ADD_DSN, "DSN=" + std::string(33, 'n') + "|", u"Karvell ODBC",
       ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_CONFIG_DSN, "Server=x|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_CONFIG_DSN, "DSN=|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_CONFIG_DSN, "DSN=Nowhere|Server=x|", u"Karvell ODBC", ODBC_ERROR_REQUEST_FAILED},
      {ODBC_REMOVE_DSN, "DSN=|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
      {ODBC_REMOVE_DSN, "Server=x|", u"Karvell ODBC", ODBC_ERROR_INVALID_KEYWORD_VALUE},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(configure(nullptr, c.request, c.list, c.driver)) << c.list;
    const InstallerError error = lastInstallerError();
    EXPECT_EQ(error.code, c.code) << c.list;
    EXPECT_FALSE(error.message.empty()) << c.list;
  }
  EXPECT_EQ(ini.readUserIni(), "");
  // Configuring without a DSN entry says why, as the message box would.
  configure(nullptr, ODBC_CONFIG_DSN, "Server=x|");
  EXPECT_NE(lastInstallerError().message.find(
                "See the Karvell ODBC documentation for instructions on configuring data sources."),
            std::string::npos);
  // Other requests do nothing.
  EXPECT_TRUE(configure(nullptr, 4, "DSN=Other|"));
  EXPECT_EQ(ini.readUserIni(), "");
}

TEST_F(ConfigDsn, AddWritesTheListAsGivenAndReplacesTheOtherScope) {
  ini.writeSystemIni("[Twice]\nDriver=Karvell ODBC\nServer=old-system\nTimeout=9\n");
  ASSERT_TRUE(configure(nullptr, ODBC_ADD_DSN, "DSN=Twice|Server=new|Port=4431|Description=|"));
  const std::string user = ini.readUserIni();
  EXPECT_NE(user.find("[Twice]"), std::string::npos) << user;
  EXPECT_NE(user.find("Driver"), std::string::npos);
  EXPECT_NE(user.find("Server"), std::string::npos);
  EXPECT_NE(user.find("new"), std::string::npos);
  EXPECT_NE(user.find("4431"), std::string::npos);
  EXPECT_EQ(std::ifstream(ini.path("odbc.ini")).peek(), EOF) << "the system DSN is gone";

  // Adding again overwrites in place.
  ASSERT_TRUE(configure(nullptr, ODBC_ADD_DSN, "DSN=Twice|Server=newer|"));
  EXPECT_EQ(run("odbcinst -q -s -n Twice"), "[Twice]\nDriver=Karvell ODBC\nServer=newer\n");
}

TEST_F(ConfigDsn, ConfigureWritesOnlyTheListedKeysInTheScopeThatHoldsTheDsn) {
  ini.writeSystemIni("[Held]\nDriver=Karvell ODBC\nServer=sys\nPort=4431\nTimeout=5\n");
  // In the user scope the DSN does not exist.
  EXPECT_FALSE(configure(nullptr, ODBC_CONFIG_DSN, "DSN=Held|Port=|"));
  EXPECT_EQ(lastInstallerError().code, static_cast<DWORD>(ODBC_ERROR_REQUEST_FAILED));
  setMode(ODBC_BOTH_DSN);
  ASSERT_TRUE(configure(nullptr, ODBC_CONFIG_DSN, "DSN=Held|Port=|Database=shop|"));
  setMode(ODBC_SYSTEM_DSN);
  EXPECT_EQ(run("odbcinst -q -s -l -n Held"),
            "[Held]\nDriver=Karvell ODBC\nServer=sys\nPort=\nTimeout=5\nDatabase=shop\n");
  EXPECT_EQ(ini.readUserIni(), "");
}

TEST_F(ConfigDsn, RemoveDeletesTheDsn) {
  ini.writeUserIni("[Gone]\nDriver=Karvell ODBC\nServer=x\n[Kept]\nDriver=Karvell ODBC\n");
  ASSERT_TRUE(configure(nullptr, ODBC_REMOVE_DSN, "DSN=Gone|"));
  EXPECT_EQ(ini.readUserIni().find("Gone"), std::string::npos);
  EXPECT_NE(ini.readUserIni().find("[Kept]"), std::string::npos);
}

TEST_F(ConfigDsn, NonAsciiTextIsStoredAsUtf8) {
  ASSERT_TRUE(configure(nullptr, ODBC_ADD_DSN,
                        "DSN=Grüße Ω|Description=café Ω 😀|QueryLogFile=/tmp/é.log|"));
  const std::string user = ini.readUserIni();
  EXPECT_NE(user.find("[Grüße Ω]"), std::string::npos) << user;
  EXPECT_NE(user.find("café Ω \xF0\x9F\x98\x80"), std::string::npos) << user;
  EXPECT_NE(user.find("/tmp/\xC3\xA9.log"), std::string::npos) << user;

  // And back through the wide reader.
  SQLWCHAR value[64] = {};
  const std::u16string section = u"Grüße Ω";
  const int units = platform::getPrivateProfileStringW(
      sqlWide(section), sqlWide(u"Description"), sqlWide(u""), value, 64, sqlWide(u"ODBC.INI"));
  EXPECT_EQ(std::u16string(value, value + units), u"café Ω 😀");
}

// The wizard path, scripted.
class ConfigDsnWizard : public ConfigDsn {
 protected:
  FakeDialogSystem system;
};

// Goes to the summary and presses Done, optionally renaming on the way.
FakeDialogSystem::Script finishWith(const std::u16string& name) {
  return [name](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    if (!name.empty()) d.type(IDC_DSN_NAME, name);
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_NEXT);
  };
}

TEST_F(ConfigDsnWizard, AddOverwritesAfterConfirmationAndStopsWhenDeclined) {
  ini.writeUserIni("[Clash]\nDriver=Karvell ODBC\nServer=user-host\n");
  setMode(ODBC_SYSTEM_DSN);
  system.confirmAnswers = {false};
  system.onOpen(IDD_WIZARD, finishWith(u"Clash"));
  EXPECT_TRUE(configure(window, ODBC_ADD_DSN, ""));
  EXPECT_EQ(system.events.back(),
            "confirm: Karvell DSN Configuration|Clash is already a data source name. Overwrite?");
  EXPECT_NE(ini.readUserIni().find("user-host"), std::string::npos);

  system.onOpen(IDD_WIZARD, finishWith(u"Clash"));
  EXPECT_TRUE(configure(window, ODBC_ADD_DSN, "Server=sys-host|"));
  EXPECT_EQ(ini.readUserIni().find("Clash"), std::string::npos);
  EXPECT_NE(run("odbcinst -q -s -l -n Clash").find("Server=sys-host"), std::string::npos);
}

TEST_F(ConfigDsnWizard, CancelAndUnshownWizard) {
  system.onOpen(IDD_WIZARD, [](FakeDialog& d) { d.click(IDC_WIZARD_CANCEL); });
  EXPECT_TRUE(configure(window, ODBC_ADD_DSN, ""));
  system.failToShow = true;
  EXPECT_FALSE(configure(window, ODBC_ADD_DSN, ""));
  EXPECT_EQ(lastInstallerError().code, static_cast<DWORD>(ODBC_ERROR_REQUEST_FAILED));
  EXPECT_EQ(ini.readUserIni(), "");
}

TEST_F(ConfigDsnWizard, MissingDsnEntryShowsTheMessage) {
  EXPECT_FALSE(configure(window, ODBC_CONFIG_DSN, "Server=x|"));
  ASSERT_EQ(system.events.size(), 1u);
  EXPECT_EQ(system.events[0].rfind("message: Unable to configure DSN|The administrator", 0), 0u);
}

TEST_F(ConfigDsnWizard, DoneUnchangedLeavesTheValuesAsTheyWere) {
  ini.writeUserIni(
      "[Same]\nDriver=Karvell ODBC\nDescription=Orders\nServer=db\nDatabase=shop\nPort=4431\n"
      "Encryption=AES192\nIncludeViews=Yes\nAutoDetectEncoding=No\nMultiByteEncoding=UTF-8\n"
      "QueryLog_On=Yes\nQueryLogTime=70\nQueryLogFile=/tmp/karvod-same.log\nTimeout=9\n");
  system.onOpen(IDD_WIZARD, [](FakeDialog& d) {
    for (int page = 0; page < 5; ++page) d.click(IDC_WIZARD_NEXT);
  });
  ASSERT_TRUE(configure(window, ODBC_CONFIG_DSN, "DSN=Same|"));
  EXPECT_EQ(run("odbcinst -q -s -n Same"),
            "[Same]\nDriver=Karvell ODBC\nDescription=Orders\nServer=db\nDatabase=shop\n"
            "Port=4431\nEncryption=AES192\nIncludeViews=Yes\nAutoDetectEncoding=No\n"
            "MultiByteEncoding=UTF-8\nQueryLog_On=Yes\nQueryLogTime=70\n"
            "QueryLogFile=/tmp/karvod-same.log\nTimeout=9\n");
  std::filesystem::remove("/tmp/karvod-same.log");
}

TEST_F(ConfigDsnWizard, RenameKeepsUnmanagedKeysAndRemovesTheOldNameLast) {
  ini.writeUserIni(
      "[Old]\nDriver=Karvell ODBC\nServer=db\nTimeout=9\nUserID=ann\nWideAPI=Yes\n"
      "[Case]\nDriver=Karvell ODBC\nServer=case-host\nTimeout=3\n");
  system.onOpen(IDD_WIZARD, finishWith(u"New"));
  ASSERT_TRUE(configure(window, ODBC_CONFIG_DSN, "DSN=Old|"));
  const std::string renamed = run("odbcinst -q -s -n New");
  for (const char* key : {"Server=db\n", "Timeout=9\n", "UserID=ann\n", "WideAPI=Yes\n"}) {
    EXPECT_NE(renamed.find(key), std::string::npos) << key << " in " << renamed;
  }
  EXPECT_EQ(ini.readUserIni().find("[Old]"), std::string::npos);

  // A rename that changes only the case is one name for the installer: written in place.
  system.onOpen(IDD_WIZARD, finishWith(u"CASE"));
  ASSERT_TRUE(configure(window, ODBC_CONFIG_DSN, "DSN=Case|"));
  const std::string user = ini.readUserIni();
  EXPECT_NE(user.find("[CASE]"), std::string::npos) << user;
  EXPECT_NE(user.find("case-host"), std::string::npos) << user;
  EXPECT_NE(user.find("Timeout"), std::string::npos) << user;
}

TEST_F(ConfigDsnWizard, AFailedWriteKeepsTheOldDsn) {
  const std::string original = "[Kept]\nDriver=Karvell ODBC\nServer=db\n";
  ini.writeSystemIni(original);
  setMode(ODBC_SYSTEM_DSN);
  const std::string file = ini.path("odbc.ini");
  system.onOpen(IDD_WIZARD, [&file](FakeDialog& d) {
    finishWith(u"Renamed")(d);
    // The installer can no longer write the system file.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
  });
  EXPECT_FALSE(configure(window, ODBC_CONFIG_DSN, "DSN=Kept|"));
  EXPECT_EQ(lastInstallerError().code, static_cast<DWORD>(ODBC_ERROR_REQUEST_FAILED));
  std::filesystem::remove(file);
  ini.writeSystemIni(original);
}

// unixODBC's own entry: SQLConfigDataSource loads the "Setup" library of the driver's
// odbcinst.ini section and calls its ConfigDSN.
class ThroughUnixOdbc : public ConfigDsn {
 protected:
  void SetUp() override {
    ConfigDsn::SetUp();
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    ini.writeDriverIni(std::string("[Karvell ODBC]\nDriver=") + driver + "\nSetup=" + driver +
                       "\n");
  }
};

TEST_F(ThroughUnixOdbc, UserAndSystemRequests) {
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_ADD_DSN, "Karvell ODBC",
                                  "DSN=ViaDm\0Server=dm-host\0Description=Grüße\0"));
  EXPECT_EQ(run("odbcinst -q -s -n ViaDm"),
            "[ViaDm]\nDriver=Karvell ODBC\nServer=dm-host\nDescription=Grüße\n");
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_ADD_SYS_DSN, "Karvell ODBC",
                                  "DSN=ViaDmSys\0Server=sys-host\0"));
  EXPECT_NE(std::ifstream(ini.path("odbc.ini")).good(), false);
  EXPECT_NE(run("cat " + ini.path("odbc.ini")).find("[ViaDmSys]"), std::string::npos);
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, "Karvell ODBC",
                                  "DSN=ViaDm\0Port=4431\0"));
  EXPECT_NE(run("odbcinst -q -s -n ViaDm").find("Port=4431\n"), std::string::npos);
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_REMOVE_SYS_DSN, "Karvell ODBC",
                                  "DSN=ViaDmSys\0"));
  EXPECT_EQ(run("cat " + ini.path("odbc.ini")).find("ViaDmSys"), std::string::npos);
  EXPECT_FALSE(SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, "Karvell ODBC", "DSN=Absent\0"));

  // The wide call narrows the text unit by unit on its way: ASCII only.
  const std::u16string wide = setuptest::listOf("DSN=ViaDmW|Server=w-host|");
  ASSERT_TRUE(SQLConfigDataSourceW(nullptr, ODBC_ADD_DSN,
                                   reinterpret_cast<LPCWSTR>(u"Karvell ODBC"),
                                   reinterpret_cast<LPCWSTR>(wide.c_str())));
  EXPECT_EQ(run("odbcinst -q -s -n ViaDmW"), "[ViaDmW]\nDriver=Karvell ODBC\nServer=w-host\n");
}

// The driver never reads a password from a data source, so none given to ConfigDSN is stored,
// whatever its key's case or the blanks around it.
TEST_F(ThroughUnixOdbc, PasswordsGivenWithoutAWindowAreNotStored) {
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_ADD_DSN, "Karvell ODBC",
                                  "DSN=Secret\0Server=s-host\0PWD=Zq9secret\0UID=bob\0"));
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, "Karvell ODBC",
                                  "DSN=Secret\0pwd=Zq9again\0 Password =Zq9third\0Port=4431\0"));
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_ADD_SYS_DSN, "Karvell ODBC",
                                  "DSN=SecretSys\0PWD={Zq9;braced}\0"));
  EXPECT_EQ(run("odbcinst -q -s -n Secret"),
            "[Secret]\nDriver=Karvell ODBC\nServer=s-host\nUID=bob\nPort=4431\n");
  const std::string stored = ini.readUserIni() + run("cat " + ini.path("odbc.ini"));
  EXPECT_NE(stored.find("[SecretSys]"), std::string::npos) << stored;
  EXPECT_EQ(stored.find("Zq9"), std::string::npos) << stored;
}

TEST_F(ThroughUnixOdbc, ADsnInstalledByOdbcinstIsConfiguredAndRemoved) {
  const std::string templateFile = ini.path("template.ini");
  std::ofstream(templateFile) << "[Installed]\nDriver=Karvell ODBC\nServer=inst-host\nTimeout=4\n";
  ASSERT_EQ(run("odbcinst -i -s -h -f " + templateFile), "") << "odbcinst -i";
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, "Karvell ODBC",
                                  "DSN=Installed\0Server=other-host\0"));
  EXPECT_EQ(run("odbcinst -q -s -n Installed"),
            "[Installed]\nDriver=Karvell ODBC\nServer=other-host\nTimeout=4\n");
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_REMOVE_DSN, "Karvell ODBC", "DSN=Installed\0"));
  EXPECT_EQ(ini.readUserIni().find("Installed"), std::string::npos);
}

// isql and pyodbc connect through a DSN that SQLConfigDataSource had this driver write.
TEST_F(ThroughUnixOdbc, ToolsConnectThroughTheWrittenDsn) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server;
  ASSERT_TRUE(server.running());
  const std::string attributes = "DSN=ToolsDsn|Server=127.0.0.1|Port=" +
                                 std::to_string(server.port()) + "|Description=Grüße|";
  std::string narrowList = attributes;
  for (char& c : narrowList) {
    if (c == '|') c = '\0';
  }
  narrowList += '\0';
  ASSERT_TRUE(SQLConfigDataSource(nullptr, ODBC_ADD_DSN, "Karvell ODBC", narrowList.c_str()));

  const std::string preload = testsupport::sanitizerPreload(std::getenv("KARVOD_DRIVER"));
  std::string environment;
  if (!preload.empty()) {
    environment = "LD_PRELOAD=" + preload +
                  " ASAN_OPTIONS=detect_leaks=0:replace_str=0:intercept_strlen=0:"
                  "intercept_strchr=0:intercept_strndup=0 ";
  }
  int status = -1;
  const std::string isql = testsupport::commandOutput(
      "echo 'SELECT 40 + 2' | " + environment +
          "isql -b -v ToolsDsn karvell karvell 2>&1",
      status);
  EXPECT_EQ(status, 0) << isql;
  EXPECT_NE(isql.find("42"), std::string::npos) << isql;

  const std::string python = testsupport::commandOutput(
      environment +
          "/usr/bin/python3 -c \"import pyodbc; c = pyodbc.connect('DSN=ToolsDsn;UID=karvell;"
          "PWD=karvell'); print(c.cursor().execute('SELECT 6 * 7').fetchone()[0])\" 2>&1",
      status);
  EXPECT_EQ(status, 0) << python;
  EXPECT_NE(python.find("42"), std::string::npos) << python;
}

}  // namespace
#endif
