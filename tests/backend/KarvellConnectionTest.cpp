// Connecting to the server: settings, the login, the set-up commands, failures, transactions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <utility>

#include "backend/ConnectionPrompts.h"
#include "core/DriverIdentity.h"
#include "platform/HostApplication.h"
#include "tests/backend/BackendServerTest.h"
#include "tests/support/TracedEnvironment.h"

namespace backendtest {
namespace {

std::string textInfo(Connection& connection, SQLUSMALLINT type) {
  char buffer[256] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(connection.getInfo(type, buffer, sizeof buffer, &length), SQL_SUCCESS) << type;
  return buffer;
}

SQLUINTEGER connectionDead(Connection& connection) {
  SQLUINTEGER dead = 99;
  connection.getConnectAttr(SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
  return dead;
}

std::string applicationName() {
  std::string name;
  std::string version;
  platform::readHostApplication(name, version);
  return name;
}

class ConnectTest : public BackendServerTest {};

TEST_F(ConnectTest, SetupSequenceAndStoredNames) {
  std::ofstream(server().dataFile("O'Brien.db")).close();
  KarvellConnection& connection = newConnection();
  EXPECT_EQ(connectionDead(connection), 1u);
  ASSERT_EQ(connectAsKarvell(connection, "DATABASE=O'Brien;"), SQL_SUCCESS)
      << diagnostic(connection).message;
  EXPECT_TRUE(connection.isConnected());
  EXPECT_EQ(connectionDead(connection), 0u);
  const std::string app = applicationName();
  std::string quotedApp;
  for (char c : app) quotedApp += c == '\'' ? std::string("''") : std::string(1, c);
  EXPECT_EQ(sqlLog(), (std::vector<std::string>{"3 SET AUTOCOMMIT TO ON;", "2 SHOW INFO",
                                                "3 SET CLIENT TYPE TO '" + quotedApp + "';",
                                                "3 USE DATABASE 'O''Brien';"}));
  EXPECT_EQ(textInfo(connection, SQL_USER_NAME), "karvell");
  EXPECT_EQ(textInfo(connection, SQL_SERVER_NAME), "127.0.0.1");
  EXPECT_EQ(textInfo(connection, SQL_DATABASE_NAME), "O'Brien");
  EXPECT_EQ(textInfo(connection, SQL_DATA_SOURCE_NAME), "");
  EXPECT_EQ(textInfo(connection, SQL_DBMS_VER), "5.7.3");
  EXPECT_EQ(connection.disconnect(), SQL_SUCCESS);
  EXPECT_EQ(connectionDead(connection), 1u);
  EXPECT_EQ(connection.disconnect(), SQL_SUCCESS);
  EXPECT_EQ(openConnections(), 0);
}

TEST_F(ConnectTest, AutocommitAndTransactionsReachTheServer) {
  KarvellConnection& connection = newConnection();
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_AUTOCOMMIT,
                                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
            SQL_SUCCESS);
  ASSERT_EQ(connectAsKarvell(connection), SQL_SUCCESS) << diagnostic(connection).message;
  EXPECT_EQ(sqlLog().front(), "3 SET AUTOCOMMIT TO OFF;");
  KvlConnection* raw = connection.clientConnection();
  ASSERT_EQ(kvl_execute(raw, "CREATE TABLE t(x)"), 0);
  ASSERT_EQ(connection.endTran(SQL_COMMIT), SQL_SUCCESS);
  ASSERT_EQ(kvl_execute(raw, "INSERT INTO t VALUES (1)"), 0);
  EXPECT_EQ(serverValue("SELECT count(*) FROM t"), "0") << "not committed yet";
  ASSERT_EQ(connection.endTran(SQL_ROLLBACK), SQL_SUCCESS);
  ASSERT_EQ(kvl_execute(raw, "INSERT INTO t VALUES (2)"), 0);
  ASSERT_EQ(connection.endTran(SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(serverValue("SELECT group_concat(x) FROM t"), "2");
  // Switching autocommit on while connected is sent at once.
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_AUTOCOMMIT,
                                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
            SQL_SUCCESS);
  EXPECT_EQ(sqlLog().back(), "3 SET AUTOCOMMIT TO ON;");
  ASSERT_EQ(kvl_execute(raw, "INSERT INTO t VALUES (3)"), 0);
  EXPECT_EQ(serverValue("SELECT count(*) FROM t"), "2");

  // The levels that SQL_TXN_ISOLATION_OPTION lists are taken, no other; a value that is no
  // level at all is no valid value.
  const std::pair<SQLUINTEGER, const char*> refusals[] = {
      {SQL_TXN_READ_UNCOMMITTED, "HYC00"},
      {SQL_TXN_REPEATABLE_READ, "HYC00"},
      {SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE, "HY024"},
  };
  for (const auto& [refused, state] : refusals) {
    EXPECT_EQ(connection.setTxnIsolation(refused), SQL_ERROR) << refused;
    EXPECT_EQ(diagnostic(connection).state, state);
  }
  EXPECT_EQ(connection.setTxnIsolation(SQL_TXN_SERIALIZABLE), SQL_SUCCESS);
  EXPECT_EQ(connection.setTxnIsolation(SQL_TXN_READ_COMMITTED), SQL_SUCCESS);
  connection.disconnect();
  EXPECT_EQ(connection.endTran(SQL_COMMIT), SQL_ERROR);
  EXPECT_EQ(diagnostic(connection).state, "08S01");
}

TEST_F(ConnectTest, EncryptionLevels) {
  struct Case {
    const char* value;
    int level;  // as the server logs it; 0 clear
  };
  const Case cases[] = {{"aes256", 4}, {"AES192", 3}, {"Aes128", 2}, {"none", 0}, {"", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    KarvellConnection& connection = newConnection();
    const int before = serverLogCount("with encryption level " + std::to_string(c.level));
    ASSERT_EQ(connectAsKarvell(connection, std::string("Encryption=") + c.value + ";"),
              SQL_SUCCESS)
        << diagnostic(connection).message;
    if (c.level != 0) {
      EXPECT_EQ(serverLogCount("with encryption level " + std::to_string(c.level)), before + 1);
    }
    connection.disconnect();
  }
  EXPECT_EQ(serverLogCount("with encryption level"), 3);
}

TEST_F(ConnectTest, UnknownEncryptionIsRefusedBeforeAnyTraffic) {
  KarvellConnection& connection = newConnection();
  const int connects = serverLogCount(": connected");
  EXPECT_EQ(connectAsKarvell(connection, "Encryption=bogus;"), SQL_ERROR);
  const Diagnostic record = diagnostic(connection);
  EXPECT_EQ(record.state, "08S01");
  EXPECT_EQ(record.native, -3);
  EXPECT_EQ(bareMessage(record.message), "Invalid connection parameter");
  EXPECT_EQ(serverLogCount(": connected"), connects);
  EXPECT_FALSE(connection.isConnected());
}

TEST_F(ConnectTest, FailedConnectsLeaveNoServerConnection) {
  struct Case {
    const char* name;
    std::string more;
    SQLINTEGER native;
    const char* message;  // "" for the server's or the system's own text
    int connects;         // TCP connections the server sees
  };
  const Case cases[] = {
      {"unknown database", "UID=karvell;PWD=karvell;DATABASE=nope;", 7030,
       "Unknown database 'nope'", 1},
      {"wrong password", "UID=karvell;PWD=wrong;", 7000, "", 2},
      {"empty user", "PWD=karvell;", -100, "Missing username", 0},
      {"empty password", "UID=karvell;", -101, "Missing password", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KarvellConnection& connection = newConnection();
    const int connects = serverLogCount(": connected");
    EXPECT_EQ(driverConnect(connection, c.more), SQL_ERROR);
    const Diagnostic record = diagnostic(connection);
    EXPECT_EQ(record.state, "08S01");
    EXPECT_EQ(record.native, c.native);
    if (*c.message != '\0') {
      EXPECT_EQ(bareMessage(record.message), c.message);
    } else {
      EXPECT_FALSE(bareMessage(record.message).empty());
    }
    EXPECT_EQ(serverLogCount(": connected"), connects + c.connects);
    EXPECT_FALSE(connection.isConnected());
    EXPECT_EQ(connection.clientConnection(), nullptr);
    EXPECT_EQ(openConnections(), 0);
  }
}

TEST_F(ConnectTest, PortOutOfRangeAndClosedPort) {
  struct Case {
    const char* port;
    SQLINTEGER native;
  };
  // Nothing listens on port 1 of the loopback interface.
  for (const Case& c : {Case{"70000", -3}, Case{"1", 10061}}) {
    KarvellConnection& connection = newConnection();
    std::string out;
    EXPECT_EQ(connection.driverConnect(nullptr,
                                       std::string("SERVER=127.0.0.1;PORT=") + c.port +
                                           ";UID=karvell;PWD=karvell;",
                                       out, SQL_DRIVER_NOPROMPT),
              SQL_ERROR);
    EXPECT_EQ(diagnostic(connection).state, "08S01");
    EXPECT_EQ(diagnostic(connection).native, c.native) << c.port;
    EXPECT_EQ(connection.clientConnection(), nullptr);
  }
  EXPECT_EQ(serverLogCount(": connected"), 0);
}

TEST_F(ConnectTest, WrongPasswordIsTriedTwiceAndTraced) {
  testsupport::TracedEnvironment traced;
  KarvellConnection connection(&traced.environment());
  std::string out;
  EXPECT_EQ(connection.driverConnect(nullptr, serverString("UID=karvell;PWD=wrong;"), out,
                                     SQL_DRIVER_NOPROMPT),
            SQL_ERROR);
  const Diagnostic record = diagnostic(connection);
  EXPECT_EQ(record.native, 7000);
  const std::vector<std::string> lines = traced.lines();
  const auto has = [&lines](const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  };
  EXPECT_TRUE(has("// Attempting connection: 0"));
  EXPECT_TRUE(has("// Authentication error"));
  EXPECT_TRUE(has("// Attempting connection: 1"));
  EXPECT_TRUE(has("// Connection attempt failed: 1"));
  EXPECT_FALSE(has("// Attempting connection: 2"));
  EXPECT_EQ(openConnections(), 0);
}

TEST_F(ConnectTest, EncodingSettingsAreTraced) {
  testsupport::TracedEnvironment traced;
  KarvellConnection connection(&traced.environment());
  std::string out;
  ASSERT_EQ(connection.driverConnect(nullptr,
                                     serverString("UID=karvell;PWD=karvell;ReturnUnicode=yes;"
                                                  "SendSystemEncoding=No;"),
                                     out, SQL_DRIVER_NOPROMPT),
            SQL_SUCCESS);
  const std::vector<std::string> lines = traced.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "// wideAPI: 0 unicodeTextTypes: 1 encoding: UTF-8"),
            lines.end());
  EXPECT_TRUE(connection.effectiveUnicodeTextTypes());
  EXPECT_TRUE(connection.isUnicodeTextTypes()) << "one flag, shared with the base";
  EXPECT_FALSE(connection.includeViews());
}

TEST_F(ConnectTest, NarrowOutStringIsCutWithAWarning) {
  KarvellConnection& connection = newConnection();
  const std::string in = serverString("UID=karvell;PWD=karvell;");
  char out[10] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(connection.driverConnect(nullptr, in.c_str(), SQL_NTS, out, sizeof out, &length,
                                     SQL_DRIVER_NOPROMPT),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(diagnostic(connection).state, "01004");
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(in.size()));
  EXPECT_STREQ(out, in.substr(0, 9).c_str());
  EXPECT_TRUE(connection.isConnected());
}

TEST_F(ConnectTest, EveryCompletionModeConnectsWithoutDialogs) {
  for (const SQLUSMALLINT mode : {SQL_DRIVER_NOPROMPT, SQL_DRIVER_COMPLETE, SQL_DRIVER_PROMPT,
                                  SQL_DRIVER_COMPLETE_REQUIRED}) {
    SCOPED_TRACE(mode);
    KarvellConnection& connection = newConnection();
    std::string out;
    const std::string in = serverString("UID=karvell;PWD=karvell;");
    EXPECT_EQ(connection.driverConnect(reinterpret_cast<SQLHWND>(1), in, out, mode), SQL_SUCCESS);
    EXPECT_EQ(out, in);
    KarvellConnection& missing = newConnection();
    EXPECT_EQ(missing.driverConnect(reinterpret_cast<SQLHWND>(1), serverString(), out, mode),
              SQL_ERROR);
    EXPECT_EQ(bareMessage(diagnostic(missing).message), "Missing username");
  }
}

class FailSqlTest : public BackendServerTest {
 protected:
  std::vector<std::string> extraServerArgs() const override {
    return {"--fail-sql", "7101:SET AUTOCOMMIT TO OFF", "--fail-sql", "7102:SET CLIENT TYPE",
            "--fail-sql", "7103:COMMIT", "--server-version", ""};
  }
};

TEST_F(FailSqlTest, SetupCommandsThatFail) {
  KarvellConnection& refused = newConnection();
  refused.setAutocommit(SQL_AUTOCOMMIT_OFF);
  EXPECT_EQ(connectAsKarvell(refused), SQL_ERROR);
  EXPECT_EQ(diagnostic(refused).state, "08S01");
  EXPECT_EQ(diagnostic(refused).native, 7101);
  EXPECT_FALSE(refused.isConnected());
  EXPECT_EQ(openConnections(), 0);

  // A refused client type changes nothing; a refused COMMIT is the connection's failure.
  KarvellConnection& connection = newConnection();
  ASSERT_EQ(connectAsKarvell(connection), SQL_SUCCESS) << diagnostic(connection).message;
  EXPECT_EQ(textInfo(connection, SQL_DBMS_VER), "0.0.0") << "no server_version row";
  EXPECT_EQ(connection.endTran(SQL_COMMIT), SQL_ERROR);
  EXPECT_EQ(diagnostic(connection).state, "08S01");
  EXPECT_EQ(diagnostic(connection).native, 7103);
  EXPECT_EQ(connection.endTran(SQL_ROLLBACK), SQL_SUCCESS);
}

// The settings and login dialogs as a script.
class ScriptedPrompts : public ConnectionPrompts {
 public:
  DialogOutcome editDataSource(SQLHWND, const std::string& displayName, const std::string& dsn,
                               const std::string& connectionString, SQLUSMALLINT completion,
                               std::string& attributes) override {
    calls.push_back("settings " + displayName + "|" + dsn + "|" + connectionString + "|" +
                    std::to_string(completion));
    if (settingsOutcome != DialogOutcome::confirmed) return settingsOutcome;
    attributes = settingsAnswer;
    return settingsOutcome;
  }
  DialogOutcome askLogin(SQLHWND, const std::string& connectionString, std::string& user,
                         std::string& password) override {
    calls.push_back("login " + connectionString);
    if (loginOutcome != DialogOutcome::confirmed) return loginOutcome;
    user = loginUser;
    password = loginPassword;
    return loginOutcome;
  }

  DialogOutcome settingsOutcome = DialogOutcome::confirmed;
  std::string settingsAnswer;
  DialogOutcome loginOutcome = DialogOutcome::confirmed;
  std::string loginUser = "karvell";
  std::string loginPassword = "karvell";
  std::vector<std::string> calls;
};

class PromptTest : public BackendServerTest {
 protected:
  void SetUp() override {
    BackendServerTest::SetUp();
    setConnectionPrompts(&prompts_);
  }
  void TearDown() override {
    setConnectionPrompts(nullptr);
    BackendServerTest::TearDown();
  }
  SQLRETURN connect(KarvellConnection& connection, const std::string& in, std::string& out,
                    SQLUSMALLINT mode, SQLHWND window = reinterpret_cast<SQLHWND>(1)) {
    return connection.driverConnect(window, in, out, mode);
  }

  ScriptedPrompts prompts_;
};

TEST_F(PromptTest, PromptWithoutDsnBuildsADriverString) {
  prompts_.settingsAnswer = serverString("DATABASE=default;UID=karvell;PWD=karvell");
  KarvellConnection& connection = newConnection();
  std::string out;
  ASSERT_EQ(connect(connection, "SERVER=elsewhere;", out, SQL_DRIVER_PROMPT), SQL_SUCCESS)
      << diagnostic(connection).message;
  EXPECT_EQ(out, "DRIVER={Karvell ODBC};" + serverString("DATABASE=default;UID=karvell;PWD=karvell;"));
  ASSERT_EQ(prompts_.calls.size(), 1u);
  EXPECT_EQ(prompts_.calls[0], "settings Karvell ODBC||SERVER=elsewhere;|2");
  EXPECT_EQ(textInfo(connection, SQL_DATABASE_NAME), "default");
}

TEST_F(PromptTest, CancelAnswersNoDataAndNothingConnects) {
  prompts_.settingsOutcome = DialogOutcome::cancelled;
  KarvellConnection& connection = newConnection();
  std::string out;
  const std::string in = serverString();
  EXPECT_EQ(connect(connection, in, out, SQL_DRIVER_PROMPT), SQL_NO_DATA);
  EXPECT_EQ(out, in);
  EXPECT_FALSE(connection.isConnected());

  prompts_.settingsOutcome = DialogOutcome::confirmed;
  prompts_.settingsAnswer = serverString();
  prompts_.loginOutcome = DialogOutcome::cancelled;
  EXPECT_EQ(connect(connection, in, out, SQL_DRIVER_PROMPT), SQL_NO_DATA);
  EXPECT_EQ(serverLogCount(": connected"), 0);
}

// A dialog that cannot be shown fails the connect; it is not the user's cancel.
TEST_F(PromptTest, ADialogThatCannotBeShownIsAFailure) {
  const std::string in = serverString();
  std::string out;
  prompts_.settingsOutcome = DialogOutcome::failed;
  KarvellConnection& connection = newConnection();
  EXPECT_EQ(connect(connection, in, out, SQL_DRIVER_PROMPT), SQL_ERROR);
  EXPECT_EQ(diagnostic(connection).state, "IM008");

  prompts_.settingsOutcome = DialogOutcome::confirmed;
  prompts_.settingsAnswer = serverString();
  prompts_.loginOutcome = DialogOutcome::failed;
  EXPECT_EQ(connect(connection, in, out, SQL_DRIVER_PROMPT), SQL_ERROR);
  EXPECT_EQ(diagnostic(connection).state, "IM008");
  EXPECT_EQ(serverLogCount(": connected"), 0);
}

TEST_F(PromptTest, CompleteModesAskOnlyForWhatIsMissing) {
  for (const SQLUSMALLINT mode : {SQL_DRIVER_COMPLETE, SQL_DRIVER_COMPLETE_REQUIRED}) {
    SCOPED_TRACE(mode);
    prompts_.calls.clear();
    KarvellConnection& connection = newConnection();
    std::string out;
    // A database named: no settings dialog; no user: the login dialog, whose answer is
    // appended.
    const std::string in = serverString("DATABASE=default;");
    ASSERT_EQ(connect(connection, in, out, mode), SQL_SUCCESS) << diagnostic(connection).message;
    EXPECT_EQ(prompts_.calls, (std::vector<std::string>{"login " + in}));
    EXPECT_EQ(out, "DRIVER={Karvell ODBC};" + in + "UID=karvell;PWD=karvell;");
  }
  // NOPROMPT shows nothing, and a null or all-ones window gets no dialog at all: every mode then
  // acts as NOPROMPT, also when the login is missing.
  prompts_.calls.clear();
  KarvellConnection& plain = newConnection();
  std::string out;
  EXPECT_EQ(connect(plain, serverString("UID=karvell;PWD=karvell;"), out, SQL_DRIVER_NOPROMPT),
            SQL_SUCCESS);
  for (const SQLHWND window : {SQLHWND{nullptr}, reinterpret_cast<SQLHWND>(~std::uintptr_t{0})}) {
    KarvellConnection& nullWindow = newConnection();
    EXPECT_EQ(connect(nullWindow, serverString("UID=karvell;PWD=karvell;"), out,
                      SQL_DRIVER_PROMPT, window),
              SQL_SUCCESS);
    for (const SQLUSMALLINT mode :
         {SQL_DRIVER_PROMPT, SQL_DRIVER_COMPLETE, SQL_DRIVER_COMPLETE_REQUIRED}) {
      KarvellConnection& noLogin = newConnection();
      const std::string in = serverString("DATABASE=default;");
      EXPECT_EQ(connect(noLogin, in, out, mode, window), SQL_ERROR) << mode;
      EXPECT_EQ(bareMessage(diagnostic(noLogin).message), "Missing username") << mode;
      EXPECT_EQ(out, in);
    }
  }
  EXPECT_TRUE(prompts_.calls.empty());
}

// What a prompted connect answers connects again as it stands: it names the driver or the data
// source, and keeps the application's login where the dialog asked none.
TEST_F(PromptTest, ThePromptedStringConnectsAgainAsItStands) {
  struct Case {
    const char* what;
    std::string in;
    SQLUSMALLINT mode;
    std::string settingsAnswer;
    std::vector<std::string> calls;
    std::string out;
  };
  const std::string settings = serverString("DATABASE=default;");
  const Case cases[] = {
      {"wizard, the application's login", serverString("UID=karvell;PWD=karvell;"),
       SQL_DRIVER_PROMPT, settings,
       {"settings Karvell ODBC||" + serverString("UID=karvell;PWD=karvell;") + "|2"},
       "DRIVER={Karvell ODBC};" + settings + "UID=karvell;PWD=karvell;"},
      {"wizard with the driver named, the application's login",
       "DRIVER={Karvell ODBC};" + serverString("UID=karvell;PWD=karvell;"), SQL_DRIVER_COMPLETE,
       settings,
       {"settings Karvell ODBC||DRIVER={Karvell ODBC};" +
        serverString("UID=karvell;PWD=karvell;") + "|1"},
       "DRIVER={Karvell ODBC};" + settings + "UID=karvell;PWD=karvell;"},
      {"wizard, then the login dialog", serverString(), SQL_DRIVER_PROMPT, settings,
       {"settings Karvell ODBC||" + serverString() + "|2", "login " + settings},
       "DRIVER={Karvell ODBC};" + settings + "UID=karvell;PWD=karvell;"},
      {"the login dialog alone", "DRIVER={Karvell ODBC};" + settings, SQL_DRIVER_COMPLETE, "",
       {"login DRIVER={Karvell ODBC};" + settings},
       "DRIVER={Karvell ODBC};" + settings + "UID=karvell;PWD=karvell;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompts_.calls.clear();
    prompts_.settingsAnswer = c.settingsAnswer;
    KarvellConnection& connection = newConnection();
    std::string out;
    ASSERT_EQ(connect(connection, c.in, out, c.mode), SQL_SUCCESS)
        << diagnostic(connection).message;
    EXPECT_EQ(prompts_.calls, c.calls);
    EXPECT_EQ(out, c.out);
    KarvellConnection& again = newConnection();
    std::string second;
    EXPECT_EQ(again.driverConnect(nullptr, out, second, SQL_DRIVER_NOPROMPT), SQL_SUCCESS)
        << diagnostic(again).message;
    EXPECT_EQ(second, out);
  }
}

TEST_F(PromptTest, LoginAnswersAreBracedWhenTheyWouldAddKeys) {
  prompts_.loginUser = "odd;user";
  prompts_.loginPassword = "p;w}d";
  KarvellConnection& connection = newConnection();
  std::string out;
  const std::string in = serverString("DATABASE=default;");
  ASSERT_EQ(connect(connection, in, out, SQL_DRIVER_COMPLETE), SQL_SUCCESS)
      << diagnostic(connection).message;
  EXPECT_EQ(out, "DRIVER={Karvell ODBC};" + in + "UID={odd;user};PWD={p;w}}d};");
  EXPECT_EQ(textInfo(connection, SQL_USER_NAME), "odd;user");
  // The completed string connects again as it is.
  KarvellConnection& again = newConnection();
  std::string second;
  EXPECT_EQ(again.driverConnect(nullptr, out, second, SQL_DRIVER_NOPROMPT), SQL_SUCCESS)
      << diagnostic(again).message;
}

#ifndef _WIN32
TEST_F(ConnectTest, DataSourceSettings) {
  ini().writeUserIni("[backend_dsn]\nDriver=Karvell ODBC\nServer=nowhere.invalid\nPort=" +
                     std::to_string(port()) + "\nDatabase=nope\nIncludeViews=yes\n"
                     "UnicodeTextTypes=Yes\n[plain_dsn]\nDriver=Karvell ODBC\nServer=127.0.0.1\n"
                     "Port=" + std::to_string(port()) + "\n");
  KarvellConnection& plain = newConnection();
  ASSERT_EQ(plain.connect("plain_dsn", SQL_NTS, "karvell", SQL_NTS, "karvell", SQL_NTS),
            SQL_SUCCESS)
      << diagnostic(plain).message;
  EXPECT_EQ(textInfo(plain, SQL_DATA_SOURCE_NAME), "plain_dsn");
  EXPECT_EQ(textInfo(plain, SQL_USER_NAME), "karvell");
  EXPECT_FALSE(plain.includeViews());

  // Keywords win over the data source, which fills only what they leave out.
  KarvellConnection& mixed = newConnection();
  std::string out;
  ASSERT_EQ(mixed.driverConnect(nullptr,
                                "DSN=backend_dsn;SERVER=127.0.0.1;DATABASE=default;UID=karvell;"
                                "PWD=karvell;",
                                out, SQL_DRIVER_NOPROMPT),
            SQL_SUCCESS)
      << diagnostic(mixed).message;
  EXPECT_EQ(textInfo(mixed, SQL_SERVER_NAME), "127.0.0.1");
  EXPECT_EQ(textInfo(mixed, SQL_DATA_SOURCE_NAME), "backend_dsn");
  EXPECT_TRUE(mixed.includeViews());
  EXPECT_TRUE(mixed.effectiveUnicodeTextTypes());
}

TEST_F(PromptTest, SettingsDialogWinsOverTheDataSource) {
  ini().writeUserIni("[prompt_dsn]\nDriver=Karvell ODBC\nServer=127.0.0.1\nPort=" +
                     std::to_string(port()) + "\nDatabase=nope\n");
  // The dialog answers the database; the data source still gives server and port.
  static const char list[] = "DSN=prompt_dsn\0DATABASE=default\0UID=karvell\0PWD=karvell\0";
  prompts_.settingsAnswer.assign(list, sizeof list);
  KarvellConnection& connection = newConnection();
  std::string out;
  ASSERT_EQ(connect(connection, "DSN=prompt_dsn;", out, SQL_DRIVER_PROMPT), SQL_SUCCESS)
      << diagnostic(connection).message;
  EXPECT_EQ(out, "DSN=prompt_dsn;DATABASE=default;UID=karvell;PWD=karvell;");
  EXPECT_EQ(textInfo(connection, SQL_DATABASE_NAME), "default");

  // A wizard that answers the settings alone: the data source and the application's login stay.
  prompts_.settingsAnswer = "DATABASE=default;";
  KarvellConnection& named = newConnection();
  ASSERT_EQ(connect(named, "DSN=prompt_dsn;UID=karvell;PWD=karvell;", out, SQL_DRIVER_PROMPT),
            SQL_SUCCESS)
      << diagnostic(named).message;
  EXPECT_EQ(out, "DSN=prompt_dsn;DATABASE=default;UID=karvell;PWD=karvell;");
  KarvellConnection& again = newConnection();
  std::string second;
  EXPECT_EQ(again.driverConnect(nullptr, out, second, SQL_DRIVER_NOPROMPT), SQL_SUCCESS)
      << diagnostic(again).message;
}
#endif

TEST(ConnectionInfoTest, AnswersAtTheirWidthsAndTheFunctionList) {
#ifndef _WIN32
  testsupport::TempOdbcIni ini;
#endif
  std::unique_ptr<Environment> environment(createEnvironment());
  ASSERT_NE(environment, nullptr);
  EXPECT_EQ(environment->displayName(), "Karvell ODBC");
  EXPECT_EQ(environment->makerName(), "Ferrow");
  EXPECT_EQ(environment->moduleName(), driverFileName());
  std::unique_ptr<Environment> second(createEnvironment());
  EXPECT_EQ(second->identifier(), environment->identifier());
  EXPECT_NE(&second->preferences(), &environment->preferences());

  std::unique_ptr<Connection> connection(createConnection(environment.get()));
  ASSERT_NE(dynamic_cast<KarvellConnection*>(connection.get()), nullptr);
  EXPECT_EQ(textInfo(*connection, SQL_DBMS_NAME), "Karvell");
  EXPECT_EQ(textInfo(*connection, SQL_DBMS_VER), "0.0.0");
  EXPECT_EQ(textInfo(*connection, SQL_CATALOG_TERM), "database");
  EXPECT_EQ(textInfo(*connection, SQL_PROCEDURES), "N");
  EXPECT_EQ(textInfo(*connection, SQL_SCHEMA_TERM), "");
  EXPECT_EQ(textInfo(*connection, SQL_KEYWORDS).substr(0, 14), "CREATE,SELECT,");

  struct Number {
    SQLUSMALLINT type;
    SQLUINTEGER value;
    int width;
  };
  const Number numbers[] = {
      {SQL_MAX_COLUMN_NAME_LEN, 255, 2},       {SQL_MAX_COLUMNS_IN_SELECT, 2000, 2},
      {SQL_CURSOR_COMMIT_BEHAVIOR, 2, 2},      {SQL_GROUP_BY, 1, 2},
      {SQL_IDENTIFIER_CASE, 3, 2},             {SQL_MAX_TABLES_IN_SELECT, 64, 2},
      {SQL_ODBC_SQL_CONFORMANCE, 0, 2},        {SQL_CREATE_TABLE, 0x701, 4},
      {SQL_CONVERT_VARCHAR, 0x3F3FF, 4},       {SQL_DEFAULT_TXN_ISOLATION, 8, 4},
      {SQL_TXN_ISOLATION_OPTION, 10, 4},        {SQL_STATIC_CURSOR_ATTRIBUTES1, 0x1120F, 4},
      {SQL_MAX_STATEMENT_LEN, 1000000, 4},     {SQL_SQL92_PREDICATES, 0x1E07, 4},
      {SQL_GETDATA_EXTENSIONS, 0xB, 4},        {SQL_DATETIME_LITERALS, 0, 4},
      {SQL_POS_OPERATIONS, 0x13, 4},           {SQL_POSITIONED_STATEMENTS, 0, 4},
      {SQL_CONVERT_BINARY, 0, 4},              {SQL_TXN_CAPABLE, 2, 2},
  };
  for (const Number& n : numbers) {
    unsigned char buffer[8];
    std::memset(buffer, 0xAB, sizeof buffer);
    ASSERT_EQ(connection->getInfo(n.type, buffer, sizeof buffer, nullptr), SQL_SUCCESS) << n.type;
    if (n.width == 2) {
      SQLUSMALLINT value = 0;
      std::memcpy(&value, buffer, 2);
      EXPECT_EQ(value, n.value) << n.type;
      EXPECT_EQ(buffer[2], 0xAB) << n.type << " written wider than 16 bits";
    } else {
      SQLUINTEGER value = 0;
      std::memcpy(&value, buffer, 4);
      EXPECT_EQ(value, n.value) << n.type;
      EXPECT_EQ(buffer[4], 0xAB) << n.type;
    }
  }

  SQLUSMALLINT supported = 9;
  for (const SQLUSMALLINT off : {SQL_API_SQLBROWSECONNECT, SQL_API_SQLSETSCROLLOPTIONS}) {
    ASSERT_EQ(connection->getFunctions(off, &supported), SQL_SUCCESS);
    EXPECT_EQ(supported, SQL_FALSE) << off;
  }
  // The catalog functions without rows of their own answer their empty results.
  for (const SQLUSMALLINT on :
       {SQL_API_SQLTABLES, SQL_API_SQLDRIVERCONNECT, SQL_API_SQLFETCHSCROLL,
        SQL_API_SQLCOLATTRIBUTE, SQL_API_SQLFOREIGNKEYS, SQL_API_SQLPROCEDURECOLUMNS,
        SQL_API_SQLPROCEDURES}) {
    ASSERT_EQ(connection->getFunctions(on, &supported), SQL_SUCCESS);
    EXPECT_EQ(supported, SQL_TRUE) << on;
  }
  SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE] = {};
  ASSERT_EQ(connection->getFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap), SQL_SUCCESS);
  int bits = 0;
  for (const SQLUSMALLINT word : bitmap)
    for (int bit = 0; bit < 16; ++bit) bits += (word >> bit) & 1;
  EXPECT_EQ(bits, 70) << "71 entries, SQLColAttribute and SQLColAttributes sharing one id";
  EXPECT_EQ(connection->toNativeSql("SELECT * FROM db.main.t"), "SELECT * FROM main.t");
  EXPECT_EQ(connection->toNativeSql("SELECT 1 AS `a.b.c.d` FROM `db.main.t`"),
            "SELECT 1 AS `a.b.c.d` FROM `db.main.t`");
}

}  // namespace
}  // namespace backendtest
