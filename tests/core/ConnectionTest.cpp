#include "core/Connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "tests/support/RecordingConnection.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

using testsupport::CountingChild;
using testsupport::RecordingConnection;

SQLPOINTER number(std::uintptr_t value) { return reinterpret_cast<SQLPOINTER>(value); }

// A connection with limits and capabilities of its own, as a back end sets them.
class LimitedConnection : public RecordingConnection {
 public:
  using RecordingConnection::RecordingConnection;

  SQLUINTEGER connectionTimeoutLimit() override { return 60; }
  SQLUINTEGER loginTimeoutLimit() override { return 30; }
  SQLUINTEGER packetSizeLowerLimit() override { return 512; }
  SQLUINTEGER packetSizeUpperLimit() override { return 65536; }
  InfoU16 getInfoTxnCapable() override { return txnCapable; }
  InfoU32 getInfoAsyncMode() override { return asyncMode; }
  bool isTransactionOpen() override { return transactionOpen; }
  SQLRETURN beforeAutocommitChange() override { return autocommitHook; }
  InfoText getInfoDbmsName() override { return "Karvell"; }

  InfoU16 txnCapable = SQL_TC_ALL;
  InfoU32 asyncMode = SQL_AM_NONE;
  bool transactionOpen = false;
  SQLRETURN autocommitHook = SQL_SUCCESS;
};

// Connected only in the eyes of isConnected(), as a back end with its own link state is.
class LinkedConnection : public RecordingConnection {
 public:
  using RecordingConnection::RecordingConnection;
  bool isConnected() const override { return true; }
};

class ConnectionTest : public ::testing::Test {
 protected:
  // The states of the records, newest first.
  static std::vector<std::string> states(Connection& connection) {
    std::vector<std::string> states;
    for (SQLSMALLINT n = 1;; ++n) {
      char state[6] = {};
      if (connection.diagnostics().getDiagField(n, SQL_DIAG_SQLSTATE, state, sizeof state,
                                                nullptr) != SQL_SUCCESS) {
        return states;
      }
      states.push_back(state);
    }
  }

  static SQLUINTEGER integerAttribute(Connection& connection, SQLINTEGER attribute) {
    SQLUINTEGER value = 0xDEADBEEF;
    SQLINTEGER length = -99;
    EXPECT_EQ(connection.getConnectAttr(attribute, &value, 0, &length), SQL_SUCCESS);
    EXPECT_EQ(length, 0);
    return value;
  }

  static std::string stringAttribute(Connection& connection, SQLINTEGER attribute) {
    char value[64];
    SQLINTEGER length = -99;
    EXPECT_EQ(connection.getConnectAttr(attribute, value, sizeof value, &length), SQL_SUCCESS);
    EXPECT_EQ(length, static_cast<SQLINTEGER>(std::strlen(value)));
    return value;
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  Environment environment_{"KarvellODBC", "karvod64.dll", "Karvell ODBC", "Ferrow", nullptr};
};

TEST_F(ConnectionTest, IntegerAttributesRoundTrip) {
  RecordingConnection connection(&environment_);
  struct Case {
    SQLINTEGER attribute;
    SQLUINTEGER value;
  };
  for (const Case& c : std::vector<Case>{{SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_ONLY},
                                         {SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_OFF},
                                         {SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF},
                                         {SQL_ATTR_LOGIN_TIMEOUT, 100000},
                                         {SQL_ATTR_CONNECTION_TIMEOUT, 100000},
                                         {SQL_ATTR_PACKET_SIZE, 8192},
                                         {SQL_ATTR_TXN_ISOLATION, SQL_TXN_SERIALIZABLE},
                                         {SQL_ATTR_METADATA_ID, SQL_TRUE}}) {
    SCOPED_TRACE(c.attribute);
    ASSERT_EQ(connection.setConnectAttr(c.attribute, number(c.value), 0), SQL_SUCCESS);
    EXPECT_EQ(integerAttribute(connection, c.attribute), c.value);
    EXPECT_TRUE(connection.diagnostics().isEmpty());
  }
  // Only the low 32 bits of the pointer-sized value count.
  if (sizeof(SQLPOINTER) == 8) {
    ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_LOGIN_TIMEOUT,
                                        number(static_cast<std::uintptr_t>(1) << 32 | 7), 0),
              SQL_SUCCESS);
    EXPECT_EQ(integerAttribute(connection, SQL_ATTR_LOGIN_TIMEOUT), 7u);
  }
  EXPECT_EQ(integerAttribute(connection, SQL_ATTR_AUTO_IPD), SQL_TRUE);
}

TEST_F(ConnectionTest, StringAttributesHonourTheirLength) {
  RecordingConnection connection(&environment_);
  const char text[] = "catalogue-and-more";
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, const_cast<char*>(text), 9),
            SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(connection, SQL_ATTR_CURRENT_CATALOG), "catalogue");
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_TRACEFILE, const_cast<char*>(text), SQL_NTS),
            SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(connection, SQL_ATTR_TRACEFILE), text);
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, nullptr, SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(connection, SQL_ATTR_CURRENT_CATALOG), "");
  // A text without a terminator is read within its length only (ASan catches an over-read).
  std::vector<char> unterminated(text, text + 5);
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, unterminated.data(), 5),
            SQL_SUCCESS);
  EXPECT_EQ(stringAttribute(connection, SQL_ATTR_CURRENT_CATALOG), "catal");
}

TEST_F(ConnectionTest, StringAnswersAreCutWithATerminator) {
  RecordingConnection connection(&environment_);
  connection.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, const_cast<char*>("sales"), SQL_NTS);
  char value[8];
  std::memset(value, '#', sizeof value);
  SQLINTEGER length = 0;
  ASSERT_EQ(connection.getConnectAttr(SQL_ATTR_CURRENT_CATALOG, value, 3, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(value, "sa");
  EXPECT_EQ(value[3], '#');
  EXPECT_EQ(length, 5);
  EXPECT_EQ(states(connection), std::vector<std::string>{"01004"});

  ASSERT_EQ(connection.getConnectAttr(SQL_ATTR_CURRENT_CATALOG, value, -1, &length), SQL_ERROR);
  EXPECT_EQ(states(connection), std::vector<std::string>{"HY090"});
}

TEST_F(ConnectionTest, TextStaysUtf8OnAWideConnection) {
  // The wide entry points convert; a buffer handed to the connection always gets UTF-8.
  RecordingConnection connection(&environment_);
  ASSERT_EQ(connection.setConnectAttr(Connection::wideApiAttribute, number(1), 0), SQL_SUCCESS);
  ASSERT_TRUE(connection.isWideAPI());
  connection.setConnectAttr(SQL_ATTR_CURRENT_CATALOG, const_cast<char*>("d\xC3\xA9"), SQL_NTS);
  EXPECT_EQ(stringAttribute(connection, SQL_ATTR_CURRENT_CATALOG), "d\xC3\xA9");
}

TEST_F(ConnectionTest, DriverAttributesAndUnknownOnes) {
  RecordingConnection connection(&environment_);
  ASSERT_EQ(connection.setConnectAttr(Connection::wideApiAttribute, number(1), 0), SQL_SUCCESS);
  EXPECT_TRUE(connection.isWideAPI());
  EXPECT_TRUE(connection.isUnicodeTextTypes());
  EXPECT_EQ(integerAttribute(connection, Connection::wideApiAttribute), 1u);
  ASSERT_EQ(connection.setConnectAttr(Connection::wideApiAttribute, number(2), 0), SQL_SUCCESS);
  EXPECT_FALSE(connection.isWideAPI());
  EXPECT_FALSE(connection.isUnicodeTextTypes());
  EXPECT_EQ(integerAttribute(connection, Connection::wideApiAttribute), 0u);

  // The ignored driver attribute is accepted; setting or reading what the driver does not know,
  // or setting what it only reads, is refused.
  EXPECT_EQ(connection.setConnectAttr(Connection::ignoredAttribute, number(1), 0), SQL_SUCCESS);
  EXPECT_TRUE(connection.diagnostics().isEmpty());
  for (SQLINTEGER attribute :
       {SQL_ATTR_TRACE, SQL_ATTR_ODBC_CURSORS, SQL_ATTR_CONNECTION_DEAD, SQL_ATTR_AUTO_IPD, 4242}) {
    EXPECT_EQ(connection.setConnectAttr(attribute, number(1), 0), SQL_ERROR) << attribute;
    EXPECT_EQ(states(connection), std::vector<std::string>{"HY092"});
  }
  SQLUINTEGER value = 0xDEADBEEF;
  SQLINTEGER length = -99;
  EXPECT_EQ(connection.getConnectAttr(4242, &value, 0, &length), SQL_ERROR);
  EXPECT_EQ(value, 0xDEADBEEF);
  EXPECT_EQ(states(connection), std::vector<std::string>{"HY092"});
}

TEST_F(ConnectionTest, QuietModeKeepsTheWholePointer) {
  RecordingConnection connection(&environment_);
  int window = 0;
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_QUIET_MODE, &window, 0), SQL_SUCCESS);
  SQLPOINTER value = nullptr;
  ASSERT_EQ(connection.getConnectAttr(SQL_ATTR_QUIET_MODE, &value, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(value, &window);
}

TEST_F(ConnectionTest, TimeoutsAndPacketSizesAreClamped) {
  LimitedConnection connection(&environment_);
  struct Case {
    SQLINTEGER attribute;
    SQLUINTEGER value;
    SQLUINTEGER stored;
    SQLRETURN rc;
  };
  for (const Case& c : std::vector<Case>{
           {SQL_ATTR_CONNECTION_TIMEOUT, 60, 60, SQL_SUCCESS},
           {SQL_ATTR_CONNECTION_TIMEOUT, 61, 60, SQL_SUCCESS_WITH_INFO},
           {SQL_ATTR_CONNECTION_TIMEOUT, 0, 0, SQL_SUCCESS},
           {SQL_ATTR_LOGIN_TIMEOUT, 30, 30, SQL_SUCCESS},
           {SQL_ATTR_LOGIN_TIMEOUT, 100000, 30, SQL_SUCCESS_WITH_INFO},
           {SQL_ATTR_PACKET_SIZE, 511, 512, SQL_SUCCESS_WITH_INFO},
           {SQL_ATTR_PACKET_SIZE, 512, 512, SQL_SUCCESS},
           {SQL_ATTR_PACKET_SIZE, 65537, 65536, SQL_SUCCESS_WITH_INFO},
           {SQL_ATTR_PACKET_SIZE, 0, 0, SQL_SUCCESS},
       }) {
    SCOPED_TRACE(std::to_string(c.attribute) + " = " + std::to_string(c.value));
    ASSERT_EQ(connection.setConnectAttr(c.attribute, number(c.value), 0), c.rc);
    EXPECT_EQ(states(connection), c.rc == SQL_SUCCESS ? std::vector<std::string>{}
                                                      : std::vector<std::string>{"01S02"});
    EXPECT_EQ(integerAttribute(connection, c.attribute), c.stored);
  }
  // Without limits nothing is clamped.
  RecordingConnection unlimited(&environment_);
  EXPECT_EQ(unlimited.setConnectAttr(SQL_ATTR_CONNECTION_TIMEOUT, number(100000), 0),
            SQL_SUCCESS);
  EXPECT_EQ(integerAttribute(unlimited, SQL_ATTR_CONNECTION_TIMEOUT), 100000u);
}

TEST_F(ConnectionTest, RefusedSettersKeepTheOldValue) {
  LimitedConnection connection(&environment_);
  connection.setConnected(true);
  connection.setConnectAttr(SQL_ATTR_PACKET_SIZE, number(1024), 0);
  struct Case {
    const char* what;
    SQLINTEGER attribute;
    SQLUINTEGER value;
    const char* state;
  };
  connection.asyncMode = SQL_AM_NONE;
  connection.transactionOpen = true;
  for (const Case& c : std::vector<Case>{
           {"async on without async mode", SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_ON, "HYC00"},
           {"isolation inside a transaction", SQL_ATTR_TXN_ISOLATION, SQL_TXN_SERIALIZABLE,
            "HY011"},
           {"async neither off nor on", SQL_ATTR_ASYNC_ENABLE, 7, "HY024"},
           {"access mode neither", SQL_ATTR_ACCESS_MODE, 2, "HY024"},
           {"autocommit neither", SQL_ATTR_AUTOCOMMIT, 2, "HY024"},
           {"metadata id neither", SQL_ATTR_METADATA_ID, 5, "HY024"},
           {"isolation of no level", SQL_ATTR_TXN_ISOLATION, 3, "HY024"},
           {"isolation of none", SQL_ATTR_TXN_ISOLATION, 0, "HY024"},
       }) {
    SCOPED_TRACE(c.what);
    const SQLUINTEGER before = integerAttribute(connection, c.attribute);
    ASSERT_EQ(connection.setConnectAttr(c.attribute, number(c.value), 0), SQL_ERROR);
    EXPECT_EQ(states(connection), std::vector<std::string>{c.state});
    EXPECT_EQ(integerAttribute(connection, c.attribute), before);
  }
  // The packet size is fixed once connected (the value set before connecting still stands).
  connection.setConnected(false);
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_PACKET_SIZE, number(1024), 0), SQL_SUCCESS);
  connection.setConnected(true);
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_PACKET_SIZE, number(4096), 0), SQL_ERROR);
  EXPECT_EQ(states(connection), std::vector<std::string>{"HY011"});
  EXPECT_EQ(integerAttribute(connection, SQL_ATTR_PACKET_SIZE), 1024u);

  connection.asyncMode = SQL_AM_STATEMENT;
  EXPECT_EQ(connection.setConnectAttr(SQL_ATTR_ASYNC_ENABLE, number(SQL_ASYNC_ENABLE_ON), 0),
            SQL_SUCCESS);
  EXPECT_EQ(integerAttribute(connection, SQL_ATTR_ASYNC_ENABLE), SQL_ASYNC_ENABLE_ON);
}

TEST_F(ConnectionTest, ManualCommitNeedsTransactions) {
  LimitedConnection connection(&environment_);
  connection.txnCapable = SQL_TC_NONE;
  ASSERT_EQ(connection.setConnectAttr(SQL_ATTR_AUTOCOMMIT, number(SQL_AUTOCOMMIT_OFF), 0),
            SQL_ERROR);
  EXPECT_EQ(states(connection), std::vector<std::string>{"HYC00"});
  EXPECT_EQ(integerAttribute(connection, SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_ON);
  // Autocommit itself is always available.
  EXPECT_EQ(connection.setConnectAttr(SQL_ATTR_AUTOCOMMIT, number(SQL_AUTOCOMMIT_ON), 0),
            SQL_SUCCESS);

  connection.txnCapable = SQL_TC_ALL;
  connection.autocommitHook = SQL_ERROR;
  EXPECT_EQ(connection.setConnectAttr(SQL_ATTR_AUTOCOMMIT, number(SQL_AUTOCOMMIT_OFF), 0),
            SQL_ERROR);
  EXPECT_EQ(integerAttribute(connection, SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_ON);
  connection.autocommitHook = SQL_SUCCESS_WITH_INFO;
  EXPECT_EQ(connection.setConnectAttr(SQL_ATTR_AUTOCOMMIT, number(SQL_AUTOCOMMIT_OFF), 0),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(integerAttribute(connection, SQL_ATTR_AUTOCOMMIT), SQL_AUTOCOMMIT_OFF);
}

TEST_F(ConnectionTest, TheLinkStateIsAskedOfIsConnected) {
  RecordingConnection idle(&environment_);
  EXPECT_EQ(integerAttribute(idle, SQL_ATTR_CONNECTION_DEAD), SQL_CD_TRUE);
  EXPECT_EQ(idle.setConnectAttr(SQL_ATTR_TRANSLATE_OPTION, number(3), 0), SQL_ERROR);
  EXPECT_EQ(states(idle), std::vector<std::string>{"HY011"});
  EXPECT_EQ(idle.setConnectAttr(SQL_ATTR_TRANSLATE_LIB, const_cast<char*>("x.so"), SQL_NTS),
            SQL_ERROR);

  LinkedConnection linked(&environment_);
  EXPECT_EQ(integerAttribute(linked, SQL_ATTR_CONNECTION_DEAD), SQL_CD_FALSE);
  EXPECT_EQ(linked.setConnectAttr(SQL_ATTR_PACKET_SIZE, number(4096), 0), SQL_ERROR);
  // No translation library is loaded, so none is taken.
  EXPECT_EQ(linked.setConnectAttr(SQL_ATTR_TRANSLATE_OPTION, number(3), 0), SQL_ERROR);
  EXPECT_EQ(states(linked), std::vector<std::string>{"HYC00"});
  EXPECT_EQ(integerAttribute(linked, SQL_ATTR_TRANSLATE_OPTION), 0u);
  EXPECT_EQ(linked.setConnectAttr(SQL_ATTR_TRANSLATE_LIB, const_cast<char*>("x.so"), SQL_NTS),
            SQL_ERROR);
  EXPECT_EQ(states(linked), std::vector<std::string>{"HYC00"});
  EXPECT_EQ(stringAttribute(linked, SQL_ATTR_TRANSLATE_LIB), "");
}

TEST_F(ConnectionTest, ConnectPassesTheTextsWithinTheirLengths) {
  RecordingConnection connection(&environment_);
  ASSERT_EQ(connection.connect("dsn-and-more", 3, nullptr, SQL_NTS, "pw", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(connection.calls, std::vector<std::string>{"connectToDsn(dsn,)"});
}

TEST_F(ConnectionTest, FunctionBitmapMatchesTheHeaderMacro) {
  RecordingConnection connection(&environment_);
  const std::vector<SQLUSMALLINT> listed = {
      1,  2,  1001, 3,  4,  72, 24, 5,  1003, 6,    6,    56,   40,   7,    1004, 8,    58,   9,
      41, 1005, 10, 11, 12, 59, 13, 1021, 60, 14,   15,   1006, 16,   1007, 42,   17,   43,   1008,
      1009, 1010, 1011, 1012, 44, 45, 1014, 46, 47, 61, 62, 63,   18,   48,   64,   19,   65,   66,
      67, 49, 20, 1016, 50, 21, 1017, 1018, 1019, 68, 1020, 51, 52, 53, 70, 54, 23};
  ASSERT_EQ(listed.size(), 71u);
  ASSERT_EQ(connection.supportedFunctionCount(), 71u);

  SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE + 1];
  std::fill(std::begin(bitmap), std::end(bitmap), 0xA5A5);
  ASSERT_EQ(connection.getFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap), SQL_SUCCESS);
  EXPECT_EQ(bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE], 0xA5A5);
  for (SQLUSMALLINT id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++id) {
    const bool expected = std::count(listed.begin(), listed.end(), id) != 0;
    ASSERT_EQ(SQL_FUNC_EXISTS(bitmap, id), expected ? SQL_TRUE : SQL_FALSE) << id;
  }
  EXPECT_EQ(bitmap[2] & (1 << 9), 1 << 9);    // SQLDriverConnect, 41
  EXPECT_EQ(bitmap[63] & (1 << 13), 1 << 13);  // SQLFetchScroll, 1021

  SQLUSMALLINT entries[101];
  std::fill(std::begin(entries), std::end(entries), 0xA5A5);
  ASSERT_EQ(connection.getFunctions(SQL_API_ALL_FUNCTIONS, entries), SQL_SUCCESS);
  EXPECT_EQ(entries[100], 0xA5A5);
  for (SQLUSMALLINT id = 0; id < 100; ++id) {
    const bool expected = std::count(listed.begin(), listed.end(), id) != 0;
    ASSERT_EQ(entries[id], expected ? SQL_TRUE : SQL_FALSE) << id;
  }
  EXPECT_EQ(entries[SQL_API_SQLSETPARAM], SQL_FALSE);
  EXPECT_EQ(entries[SQL_API_SQLBROWSECONNECT], SQL_FALSE);

  struct Single {
    SQLUSMALLINT id;
    SQLUSMALLINT supported;
  };
  for (const Single& s : std::vector<Single>{{SQL_API_SQLDATASOURCES, SQL_FALSE},
                                             {SQL_API_SQLFETCH, SQL_TRUE},
                                             {SQL_API_SQLFETCHSCROLL, SQL_TRUE},
                                             {SQL_API_SQLCOLATTRIBUTE, SQL_TRUE},
                                             {SQL_API_SQLSETPARAM, SQL_FALSE},
                                             {4000, SQL_FALSE}}) {
    SQLUSMALLINT supported = 0xA5A5;
    ASSERT_EQ(connection.getFunctions(s.id, &supported), SQL_SUCCESS);
    EXPECT_EQ(supported, s.supported) << s.id;
  }
  EXPECT_EQ(connection.getFunctions(SQL_API_SQLFETCH, nullptr), SQL_ERROR);
  EXPECT_EQ(states(connection), std::vector<std::string>{"HY009"});
}

// A back end's own list: ids beyond the bitmap are never written outside it.
class ShortListConnection : public RecordingConnection {
 public:
  using RecordingConnection::RecordingConnection;
  std::size_t supportedFunctionCount() override { return 3; }
  SQLUSMALLINT supportedFunctionId(std::size_t index) override {
    const SQLUSMALLINT ids[] = {SQL_API_SQLTABLES, 4000, 0xFFFF};
    return ids[index];
  }
};

TEST_F(ConnectionTest, FunctionListsComeFromTheSubclass) {
  ShortListConnection connection(&environment_);
  SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE];
  ASSERT_EQ(connection.getFunctions(SQL_API_ODBC3_ALL_FUNCTIONS, bitmap), SQL_SUCCESS);
  for (SQLUSMALLINT id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++id) {
    ASSERT_EQ(SQL_FUNC_EXISTS(bitmap, id), id == SQL_API_SQLTABLES ? SQL_TRUE : SQL_FALSE) << id;
  }
  SQLUSMALLINT supported = 0;
  connection.getFunctions(SQL_API_SQLFETCH, &supported);
  EXPECT_EQ(supported, SQL_FALSE);
}

TEST_F(ConnectionTest, NativeSqlCopiesTheText) {
  RecordingConnection connection(&environment_);
  const char sql[] = "SELECT 1 FROM t";
  char out[32];
  SQLINTEGER length = 0;
  ASSERT_EQ(connection.nativeSql(sql, 8, out, sizeof out, &length), SQL_SUCCESS);
  EXPECT_STREQ(out, "SELECT 1");
  EXPECT_EQ(length, 8);

  std::memset(out, '#', sizeof out);
  ASSERT_EQ(connection.nativeSql(sql, SQL_NTS, out, 7, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(out, "SELECT");
  EXPECT_EQ(out[7], '#');
  EXPECT_EQ(length, 15);
  EXPECT_EQ(states(connection), std::vector<std::string>{"01004"});

  ASSERT_EQ(connection.nativeSql(sql, SQL_NTS, nullptr, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 15);
  EXPECT_EQ(connection.nativeSql(sql, SQL_NTS, out, -1, &length), SQL_ERROR);
  EXPECT_EQ(states(connection), std::vector<std::string>{"HY090"});
}

TEST_F(ConnectionTest, DefaultCTypes) {
  RecordingConnection connection(&environment_);
  struct Case {
    SQLSMALLINT sqlType;
    SQLSMALLINT cType;
  };
  for (const Case& c : std::vector<Case>{{SQL_WCHAR, SQL_C_WCHAR},
                                         {SQL_WVARCHAR, SQL_C_WCHAR},
                                         {SQL_WLONGVARCHAR, SQL_C_WCHAR},
                                         {SQL_BIT, SQL_C_BIT},
                                         {SQL_TINYINT, SQL_C_STINYINT},
                                         {SQL_BIGINT, SQL_C_SBIGINT},
                                         {SQL_BINARY, SQL_C_BINARY},
                                         {SQL_VARBINARY, SQL_C_BINARY},
                                         {SQL_LONGVARBINARY, SQL_C_BINARY},
                                         {SQL_CHAR, SQL_C_CHAR},
                                         {SQL_VARCHAR, SQL_C_CHAR},
                                         {SQL_LONGVARCHAR, SQL_C_CHAR},
                                         {SQL_NUMERIC, SQL_C_CHAR},
                                         {SQL_DECIMAL, SQL_C_CHAR},
                                         {SQL_INTEGER, SQL_C_SLONG},
                                         {SQL_SMALLINT, SQL_C_SSHORT},
                                         {SQL_FLOAT, SQL_C_DOUBLE},
                                         {SQL_DOUBLE, SQL_C_DOUBLE},
                                         {SQL_REAL, SQL_C_FLOAT},
                                         {SQL_TYPE_DATE, SQL_C_TYPE_DATE},
                                         {SQL_TYPE_TIME, SQL_C_TYPE_TIME},
                                         {SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP},
                                         {SQL_GUID, SQL_GUID},
                                         {SQL_INTERVAL_DAY, SQL_INTERVAL_DAY}}) {
    EXPECT_EQ(connection.defaultCType(c.sqlType), c.cType) << c.sqlType;
  }
}

TEST_F(ConnectionTest, DiagnosticsNameTheDbmsAndTheDataSource) {
  LimitedConnection connection(&environment_);
  connection.connect("sales", SQL_NTS, "alice", SQL_NTS, "", SQL_NTS);
  connection.diagnostics().post("HY000", 7, "first", -1, -1);
  connection.diagnostics().post("08S01", 10054, "", -1, -1);

  char state[6];
  SQLINTEGER native = 0;
  char message[128];
  SQLSMALLINT length = 0;
  ASSERT_EQ(connection.getDiagRec(1, state, &native, message, sizeof message, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(message, "[Ferrow][Karvell] Communication link failure");
  EXPECT_EQ(native, 10054);

  char name[16];
  ASSERT_EQ(connection.getDiagField(1, SQL_DIAG_CONNECTION_NAME, name, sizeof name, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(name, "sales");
  EXPECT_EQ(length, 5);
  ASSERT_EQ(connection.getDiagField(1, SQL_DIAG_SERVER_NAME, name, 3, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(name, "sa");
  EXPECT_EQ(length, 5);
  EXPECT_EQ(connection.getDiagField(1, SQL_DIAG_SERVER_NAME, name, -1, &length), SQL_ERROR);

  // SQLError names the driver, hands out the newest record and removes them all.
  ASSERT_EQ(connection.error(state, &native, message, sizeof message, &length), SQL_SUCCESS);
  EXPECT_STREQ(state, "08S01");
  EXPECT_STREQ(message, "[Ferrow][Karvell ODBC] Communication link failure");
  EXPECT_EQ(connection.error(state, &native, message, sizeof message, &length), SQL_NO_DATA);
}

TEST_F(ConnectionTest, ChildrenStillAllocatedAreFreedOnce) {
  int freed = 0;
  {
    RecordingConnection connection(&environment_);
    new CountingChild(&connection, freed);
    delete new CountingChild(&connection, freed);  // freed by the application first
    CountingChild own(nullptr, freed);             // owned elsewhere: never freed by the connection
    EXPECT_EQ(freed, 1);
    connection.freeChildren();
    EXPECT_EQ(freed, 2);
    new CountingChild(&connection, freed);
  }
  // The destructor frees what is left; ASan reports a double or missing free.
  EXPECT_EQ(freed, 4);
}

TEST_F(ConnectionTest, ChildrenFreedInAnyOrderLeaveExactlyTheRestRegistered) {
  // Every other child first, from the middle outwards, then the connection frees the rest.
  int freed = 0;
  constexpr int kChildren = 1000;
  RecordingConnection connection(&environment_);
  std::vector<CountingChild*> children;
  for (int i = 0; i < kChildren; ++i) children.push_back(new CountingChild(&connection, freed));
  for (int step = 0; step < kChildren / 2; step += 2) {
    delete children[kChildren / 2 + step];
    delete children[kChildren / 2 - 1 - step];
  }
  EXPECT_EQ(freed, kChildren / 2);
  connection.freeChildren();
  EXPECT_EQ(freed, kChildren);
  connection.freeChildren();
  EXPECT_EQ(freed, kChildren);
}

}  // namespace
