#include "core/ConnectionProxy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/Connection.h"
#include "core/Environment.h"
#include "core/DriverIdentity.h"
#include "platform/ModuleInfo.h"
#include "tests/support/RecordingConnection.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

using testsupport::CountingChild;
using testsupport::RecordingConnection;

SQLPOINTER number(std::uintptr_t value) { return reinterpret_cast<SQLPOINTER>(value); }

class ConnectionProxyTest : public ::testing::Test {
 protected:
  std::vector<std::string> states() {
    std::vector<std::string> states;
    for (SQLSMALLINT n = 1;; ++n) {
      char state[6] = {};
      if (proxy_.getDiagField(n, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr) !=
          SQL_SUCCESS) {
        return states;
      }
      states.push_back(state);
    }
  }

  // The integer answer, or 0xDEADBEEF when the call did not succeed.
  SQLUINTEGER integerAttribute(SQLINTEGER attribute) {
    SQLUINTEGER value = 0xDEADBEEF;
    return proxy_.getConnectAttr(attribute, &value, 0, nullptr) == SQL_SUCCESS ? value
                                                                               : 0xDEADBEEF;
  }

  std::string stringAttribute(SQLINTEGER attribute) {
    char value[64] = "(not written)";
    proxy_.getConnectAttr(attribute, value, sizeof value, nullptr);
    return value;
  }

  RecordingConnection* attach() {
    auto* connection = new RecordingConnection(&environment_);
    proxy_.attachConnection(connection);
    return connection;
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  Environment environment_{"KarvellODBC", "karvod64.dll", "Karvell ODBC", "Ferrow", nullptr};
  ConnectionProxy proxy_{&environment_};
};

TEST_F(ConnectionProxyTest, Defaults) {
  EXPECT_EQ(integerAttribute(SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_ON);
  EXPECT_EQ(integerAttribute(SQL_ATTR_TXN_ISOLATION), SQL_TXN_READ_COMMITTED);
  EXPECT_EQ(integerAttribute(SQL_ATTR_LOGIN_TIMEOUT), 0u);
  EXPECT_EQ(integerAttribute(SQL_ATTR_CONNECTION_DEAD), SQL_CD_TRUE);
  EXPECT_EQ(integerAttribute(SQL_ATTR_AUTO_IPD), SQL_TRUE);
  for (SQLINTEGER attribute : std::vector<SQLINTEGER>{
           SQL_ATTR_ACCESS_MODE, SQL_ATTR_ASYNC_ENABLE, SQL_ATTR_CONNECTION_TIMEOUT,
           SQL_ATTR_METADATA_ID, SQL_ATTR_PACKET_SIZE, Connection::wideApiAttribute}) {
    EXPECT_EQ(integerAttribute(attribute), 0u) << attribute;
  }
  EXPECT_EQ(stringAttribute(SQL_ATTR_CURRENT_CATALOG), "");
  EXPECT_EQ(stringAttribute(SQL_ATTR_TRACEFILE), "");
  SQLPOINTER window = number(1);
  EXPECT_EQ(proxy_.getConnectAttr(SQL_ATTR_QUIET_MODE, &window, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(window, nullptr);
  EXPECT_FALSE(proxy_.isWideAPI());
  EXPECT_EQ(proxy_.connection(), nullptr);
  EXPECT_EQ(&proxy_.diagnostics(), &proxy_.diagnostics());
  EXPECT_EQ(proxy_.createStatement(), nullptr);
  EXPECT_EQ(proxy_.createDescriptor(), nullptr);
}

TEST_F(ConnectionProxyTest, AttributesBeforeConnecting) {
  struct Case {
    SQLINTEGER attribute;
    std::uintptr_t value;
    SQLRETURN setResult;
    const char* setState;
    SQLUINTEGER readBack;  // 0xDEADBEEF: reading is refused too
  };
  // Stored as given, without the connection's validation or clamping.
  for (const Case& c : std::vector<Case>{
           {SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_ONLY, SQL_SUCCESS, "", SQL_MODE_READ_ONLY},
           {SQL_ATTR_ASYNC_ENABLE, 9, SQL_SUCCESS, "", 9},
           {SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF, SQL_SUCCESS, "", SQL_AUTOCOMMIT_OFF},
           {SQL_ATTR_CONNECTION_TIMEOUT, 100000, SQL_SUCCESS, "", 100000},
           {SQL_ATTR_LOGIN_TIMEOUT, 30, SQL_SUCCESS, "", 30},
           {SQL_ATTR_METADATA_ID, SQL_TRUE, SQL_SUCCESS, "", SQL_TRUE},
           {SQL_ATTR_PACKET_SIZE, 1, SQL_SUCCESS, "", 1},
           {SQL_ATTR_TXN_ISOLATION, SQL_TXN_SERIALIZABLE, SQL_SUCCESS, "", SQL_TXN_SERIALIZABLE},
           {Connection::wideApiAttribute, 1, SQL_SUCCESS, "", 1},
           {Connection::wideApiAttribute, 2, SQL_SUCCESS, "", 0},
           {30002, 5, SQL_SUCCESS, "", 0xDEADBEEF},
           {SQL_ATTR_TRANSLATE_OPTION, 1, SQL_ERROR, "HY011", 0xDEADBEEF},
           {SQL_ATTR_TRACE, SQL_OPT_TRACE_ON, SQL_ERROR, "HY092", 0xDEADBEEF},
           {SQL_ATTR_ODBC_CURSORS, SQL_CUR_USE_DRIVER, SQL_ERROR, "HY092", 0xDEADBEEF},
       }) {
    SCOPED_TRACE(std::to_string(c.attribute) + " = " + std::to_string(c.value));
    ASSERT_EQ(proxy_.setConnectAttr(c.attribute, number(c.value), 0), c.setResult);
    EXPECT_EQ(states(), *c.setState ? std::vector<std::string>{c.setState}
                                    : std::vector<std::string>{});
    EXPECT_EQ(integerAttribute(c.attribute), c.readBack);
  }
  EXPECT_EQ(states(), std::vector<std::string>{"HY092"});  // reading the unknown one
  SQLUINTEGER value = 0;
  EXPECT_EQ(proxy_.getConnectAttr(SQL_ATTR_TRANSLATE_OPTION, &value, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(states(), std::vector<std::string>{"HY011"});
  char library[8];
  EXPECT_EQ(proxy_.setConnectAttr(SQL_ATTR_TRANSLATE_LIB, const_cast<char*>("t"), SQL_NTS),
            SQL_ERROR);
  EXPECT_EQ(proxy_.getConnectAttr(SQL_ATTR_TRANSLATE_LIB, library, sizeof library, nullptr),
            SQL_ERROR);
  EXPECT_EQ(states(), std::vector<std::string>{"HY011"});
}

TEST_F(ConnectionProxyTest, WideApiFlagSetsBothFlags) {
  proxy_.setConnectAttr(Connection::wideApiAttribute, number(1), 0);
  EXPECT_TRUE(proxy_.isWideAPI());
  EXPECT_TRUE(proxy_.isUnicodeTextTypes());
  proxy_.setConnectAttr(Connection::wideApiAttribute, number(2), 0);
  EXPECT_FALSE(proxy_.isWideAPI());
  EXPECT_FALSE(proxy_.isUnicodeTextTypes());
}

TEST_F(ConnectionProxyTest, StringAttributesBeforeConnecting) {
  const char text[] = "sales-archive";
  ASSERT_EQ(proxy_.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, const_cast<char*>(text), 5),
            SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(SQL_ATTR_CURRENT_CATALOG), "sales");
  ASSERT_EQ(proxy_.setConnectAttr(SQL_ATTR_TRACEFILE, const_cast<char*>(text), SQL_NTS),
            SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(SQL_ATTR_TRACEFILE), text);
  ASSERT_EQ(proxy_.setConnectAttr(SQL_ATTR_TRACEFILE, nullptr, SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(SQL_ATTR_TRACEFILE), "");

  char value[8];
  std::memset(value, '#', sizeof value);
  SQLINTEGER length = 0;
  ASSERT_EQ(proxy_.getConnectAttr(SQL_ATTR_CURRENT_CATALOG, value, 3, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(value, "sa");
  EXPECT_EQ(value[3], '#');
  EXPECT_EQ(length, 5);
  EXPECT_EQ(states(), std::vector<std::string>{"01004"});
}

TEST_F(ConnectionProxyTest, AttachingReplaysTheStoredAttributesInOrder) {
  int window = 0;
  proxy_.setConnectAttr(SQL_ATTR_LOGIN_TIMEOUT, number(30), 0);
  proxy_.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, const_cast<char*>("sales"), SQL_NTS);
  proxy_.setConnectAttr(SQL_ATTR_QUIET_MODE, &window, 0);
  proxy_.setConnectAttr(SQL_ATTR_PACKET_SIZE, number(4096), 0);
  proxy_.setConnectAttr(SQL_ATTR_AUTOCOMMIT, number(SQL_AUTOCOMMIT_OFF), 0);
  proxy_.setWideAPI(true);

  RecordingConnection* connection = attach();
  ASSERT_EQ(proxy_.connect("dsn1", SQL_NTS, "alice", SQL_NTS, "secret", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(connection->calls, (std::vector<std::string>{
                                   "setAccessMode(0)",
                                   "setAsyncEnable(0)",
                                   "setAutocommit(0)",
                                   "setConnectionTimeout(0)",
                                   "setCurrentCatalog(sales)",
                                   "setLoginTimeout(30)",
                                   "setMetadataId(0)",
                                   "setPacketSize(4096)",
                                   "setQuietMode(window)",
                                   "setTraceFile()",
                                   "setTxnIsolation(2)",
                                   "setWideAPI(1)",
                                   "setUnicodeTextTypes(0)",
                                   "connectToDsn(dsn1,alice)",
                               }));
  EXPECT_EQ(proxy_.connection(), connection);
  EXPECT_EQ(&proxy_.diagnostics(), &connection->diagnostics());
  EXPECT_TRUE(proxy_.isWideAPI());
  // From now on the connection answers.
  EXPECT_EQ(integerAttribute(SQL_ATTR_CONNECTION_DEAD), SQL_CD_FALSE);
  EXPECT_EQ(stringAttribute(SQL_ATTR_CURRENT_CATALOG), "sales");
  EXPECT_EQ(proxy_.setConnectAttr(SQL_ATTR_TRACE, number(SQL_OPT_TRACE_ON), 0), SQL_ERROR);
}

TEST_F(ConnectionProxyTest, TheConnectReportsWhatTheReplayRefused) {
  // Stored as given before connecting; the connection refuses both when they are replayed.
  ASSERT_EQ(proxy_.setConnectAttr(SQL_ATTR_ACCESS_MODE, number(5), 0), SQL_SUCCESS);
  ASSERT_EQ(proxy_.setConnectAttr(SQL_ATTR_TXN_ISOLATION, number(3), 0), SQL_SUCCESS);
  RecordingConnection* connection = attach();
  EXPECT_EQ(proxy_.connect("dsn1", SQL_NTS, "alice", SQL_NTS, "secret", SQL_NTS),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_TRUE(connection->isConnected());
  EXPECT_EQ(states(), (std::vector<std::string>{"HY024", "HY024"}));
  EXPECT_EQ(integerAttribute(SQL_ATTR_ACCESS_MODE), SQL_MODE_READ_WRITE);

  // A failed connect answers its own failure only.
  RecordingConnection* second = attach();
  second->connectResult = SQL_ERROR;
  EXPECT_EQ(proxy_.connect("dsn1", SQL_NTS, "alice", SQL_NTS, "secret", SQL_NTS), SQL_ERROR);
}

TEST_F(ConnectionProxyTest, ASecondConnectReplacesTheConnection) {
  int freed = 0;
  RecordingConnection* first = attach();
  new CountingChild(first, freed);
  proxy_.setConnectAttr(SQL_ATTR_LOGIN_TIMEOUT, number(99), 0);  // reaches the first only
  EXPECT_EQ(environment_.connections().size(), 1u);

  RecordingConnection* second = attach();
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(environment_.connections(), std::vector<Connection*>{second});
  EXPECT_EQ(second->calls[5], "setLoginTimeout(0)");
}

TEST_F(ConnectionProxyTest, DisconnectFreesStatementsButKeepsTheConnection) {
  int freed = 0;
  RecordingConnection* connection = attach();
  proxy_.connect("dsn1", SQL_NTS, "", SQL_NTS, "", SQL_NTS);
  new CountingChild(connection, freed);
  new CountingChild(connection, freed);

  connection->disconnectResult = SQL_ERROR;
  EXPECT_EQ(proxy_.disconnect(), SQL_ERROR);
  EXPECT_EQ(freed, 0);
  connection->disconnectResult = SQL_SUCCESS;
  EXPECT_EQ(proxy_.disconnect(), SQL_SUCCESS);
  EXPECT_EQ(freed, 2);
  EXPECT_EQ(proxy_.connection(), connection);
  EXPECT_EQ(integerAttribute(SQL_ATTR_CONNECTION_DEAD), SQL_CD_TRUE);
}

TEST_F(ConnectionProxyTest, OperationsThatNeedAConnection) {
  SQLUSMALLINT supported = 7;
  EXPECT_EQ(proxy_.getFunctions(SQL_API_SQLFETCH, &supported), SQL_ERROR);
  EXPECT_EQ(supported, 7);
  EXPECT_EQ(states(), std::vector<std::string>{"HY010"});
  char out[16];
  SQLINTEGER length = 0;
  EXPECT_EQ(proxy_.nativeSql("SELECT 1", SQL_NTS, out, sizeof out, &length), SQL_ERROR);
  EXPECT_EQ(states(), std::vector<std::string>{"HY010"});
  EXPECT_EQ(proxy_.endTran(SQL_COMMIT), SQL_ERROR);
  EXPECT_EQ(states(), std::vector<std::string>{"HY010"});
  EXPECT_EQ(proxy_.disconnect(), SQL_ERROR);
  EXPECT_EQ(states(), std::vector<std::string>{"08003"});
  EXPECT_EQ(proxy_.connect("dsn1", SQL_NTS, "", SQL_NTS, "", SQL_NTS), SQL_ERROR);
  EXPECT_EQ(states(), std::vector<std::string>{"HY001"});

  // The handle's own records read as the environment's do; SQLError removes them all.
  char state[6];
  char message[128];
  SQLSMALLINT textLength = 0;
  ASSERT_EQ(proxy_.getDiagRec(1, state, nullptr, message, sizeof message, &textLength),
            SQL_SUCCESS);
  EXPECT_STREQ(message, "[Ferrow][Karvell ODBC] Memory allocation error");
  char name[8] = "x";
  SQLSMALLINT nameLength = -1;
  EXPECT_EQ(proxy_.getDiagField(1, SQL_DIAG_CONNECTION_NAME, name, sizeof name, &nameLength),
            SQL_SUCCESS);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(nameLength, 0);
  ASSERT_EQ(proxy_.error(state, nullptr, message, sizeof message, &textLength), SQL_SUCCESS);
  EXPECT_STREQ(state, "HY001");
  EXPECT_EQ(proxy_.error(state, nullptr, message, sizeof message, &textLength), SQL_NO_DATA);

  RecordingConnection* connection = attach();
  connection->diagnostics().post("HY000", 0, "stale", -1, -1);
  EXPECT_EQ(proxy_.getFunctions(SQL_API_SQLFETCH, &supported), SQL_SUCCESS);
  EXPECT_EQ(supported, SQL_TRUE);
  EXPECT_TRUE(connection->diagnostics().isEmpty());
  EXPECT_EQ(proxy_.nativeSql("SELECT 1", SQL_NTS, out, sizeof out, &length), SQL_SUCCESS);
  EXPECT_STREQ(out, "SELECT 1");
  EXPECT_EQ(proxy_.endTran(SQL_COMMIT), SQL_SUCCESS);
}

TEST_F(ConnectionProxyTest, DriverAnswersBeforeConnecting) {
#ifdef _WIN32
  const std::string driverFile = "karvod64.dll";
#else
  const std::string driverFile = "libkarvod64.so";
#endif
  struct Case {
    SQLUSMALLINT type;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{{SQL_DRIVER_NAME, driverFile},
                                         {SQL_DRIVER_VER, odbcDriverVersion(platform::driverVersionText())},
                                         {SQL_DRIVER_ODBC_VER, "03.00"}}) {
    char value[32];
    SQLSMALLINT length = -1;
    ASSERT_EQ(proxy_.getInfo(c.type, value, sizeof value, &length), SQL_SUCCESS) << c.type;
    EXPECT_EQ(value, c.text);
    EXPECT_EQ(length, static_cast<SQLSMALLINT>(c.text.size()));
  }
  // The same answers after connecting.
  attach();
  char value[32];
  SQLSMALLINT length = -1;
  ASSERT_EQ(proxy_.getInfo(SQL_DRIVER_ODBC_VER, value, sizeof value, &length), SQL_SUCCESS);
  EXPECT_STREQ(value, "03.00");
  EXPECT_EQ(length, 5);
  ASSERT_EQ(proxy_.getInfo(SQL_DRIVER_NAME, value, sizeof value, &length), SQL_SUCCESS);
  EXPECT_EQ(value, driverFile);
}

TEST_F(ConnectionProxyTest, OtherInfoBeforeConnectingFailsSilently) {
  char value[8] = "#######";
  SQLSMALLINT length = -1;
  EXPECT_EQ(proxy_.getInfo(SQL_DBMS_NAME, value, sizeof value, &length), SQL_ERROR);
  EXPECT_EQ(length, 0);
  EXPECT_STREQ(value, "#######");
  EXPECT_TRUE(states().empty());

  // A cut answer keeps its terminator and says so.
  EXPECT_EQ(proxy_.getInfo(SQL_DRIVER_ODBC_VER, value, 3, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(value, "03");
  EXPECT_EQ(length, 5);
  EXPECT_EQ(states(), std::vector<std::string>{"01004"});
}

}  // namespace
