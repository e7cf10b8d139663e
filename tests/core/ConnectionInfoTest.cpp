#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/Connection.h"
#include "core/Environment.h"
#include "core/InfoItems.h"
#include "core/DriverIdentity.h"
#include "platform/ModuleInfo.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

constexpr unsigned char canary = 0xA5;

#ifdef _WIN32
const char* const driverFile = "karvod64.dll";
#else
const char* const driverFile = "libkarvod64.so";
#endif

enum Width { U16, U32, Text };

struct Answer {
  SQLUSMALLINT type;
  Width width;
  SQLUINTEGER number;
  std::string text;
};

// Every info type the connection answers, with the width it is written at and the base answer,
// in the order of the ODBC names.
std::vector<Answer> baseAnswers() {
  const std::string driverVersion = odbcDriverVersion(platform::driverVersionText());
  return {
      {SQL_ACCESSIBLE_PROCEDURES, Text, 0, "Y"},
      {SQL_ACCESSIBLE_TABLES, Text, 0, "Y"},
      {SQL_ACTIVE_ENVIRONMENTS, U16, 0, ""},
      {SQL_AGGREGATE_FUNCTIONS, U32, 127, ""},
      {SQL_ALTER_DOMAIN, U32, 159, ""},
      {SQL_ALTER_TABLE, U32, 323560, ""},
      {SQL_ASYNC_MODE, U32, 0, ""},
      {SQL_BATCH_ROW_COUNT, U32, 7, ""},
      {SQL_BATCH_SUPPORT, U32, 15, ""},
      {SQL_BOOKMARK_PERSISTENCE, U32, 0, ""},
      {SQL_CATALOG_LOCATION, U16, 1, ""},
      {SQL_CATALOG_NAME, Text, 0, "Y"},
      {SQL_CATALOG_NAME_SEPARATOR, Text, 0, "."},
      {SQL_CATALOG_TERM, Text, 0, "catalog"},
      {SQL_CATALOG_USAGE, U32, 31, ""},
      {SQL_COLLATION_SEQ, Text, 0, ""},
      {SQL_COLUMN_ALIAS, Text, 0, "Y"},
      {SQL_CONCAT_NULL_BEHAVIOR, U16, 0, ""},
      {SQL_CONVERT_BIGINT, U32, 0, ""},
      {SQL_CONVERT_BINARY, U32, 0, ""},
      {SQL_CONVERT_BIT, U32, 0, ""},
      {SQL_CONVERT_CHAR, U32, 0, ""},
      {SQL_CONVERT_DATE, U32, 0, ""},
      {SQL_CONVERT_DECIMAL, U32, 0, ""},
      {SQL_CONVERT_DOUBLE, U32, 0, ""},
      {SQL_CONVERT_FLOAT, U32, 0, ""},
      {SQL_CONVERT_INTEGER, U32, 0, ""},
      {SQL_CONVERT_INTERVAL_YEAR_MONTH, U32, 0, ""},
      {SQL_CONVERT_INTERVAL_DAY_TIME, U32, 0, ""},
      {SQL_CONVERT_LONGVARBINARY, U32, 0, ""},
      {SQL_CONVERT_LONGVARCHAR, U32, 0, ""},
      {SQL_CONVERT_NUMERIC, U32, 0, ""},
      {SQL_CONVERT_REAL, U32, 0, ""},
      {SQL_CONVERT_SMALLINT, U32, 0, ""},
      {SQL_CONVERT_TIME, U32, 0, ""},
      {SQL_CONVERT_TIMESTAMP, U32, 0, ""},
      {SQL_CONVERT_TINYINT, U32, 0, ""},
      {SQL_CONVERT_VARBINARY, U32, 0, ""},
      {SQL_CONVERT_VARCHAR, U32, 0, ""},
      {SQL_CONVERT_FUNCTIONS, U32, 3, ""},
      {SQL_CORRELATION_NAME, U16, 2, ""},
      {SQL_CREATE_ASSERTION, U32, 241, ""},
      {SQL_CREATE_CHARACTER_SET, U32, 7, ""},
      {SQL_CREATE_COLLATION, U32, 1, ""},
      {SQL_CREATE_DOMAIN, U32, 1, ""},
      {SQL_CREATE_SCHEMA, U32, 7, ""},
      {SQL_CREATE_TABLE, U32, 7709, ""},
      {SQL_CREATE_TRANSLATION, U32, 1, ""},
      {SQL_CREATE_VIEW, U32, 3, ""},
      {SQL_CURSOR_COMMIT_BEHAVIOR, U16, 1, ""},
      {SQL_CURSOR_ROLLBACK_BEHAVIOR, U16, 1, ""},
      {SQL_CURSOR_SENSITIVITY, U32, 1, ""},
      {SQL_DATA_SOURCE_NAME, Text, 0, "dsn1"},
      {SQL_DATA_SOURCE_READ_ONLY, Text, 0, "N"},
      {SQL_DATABASE_NAME, Text, 0, "db1"},
      {SQL_DATETIME_LITERALS, U32, 65535, ""},
      {SQL_DBMS_NAME, Text, 0, ""},
      {SQL_DBMS_VER, Text, 0, ""},
      {SQL_DDL_INDEX, U32, 3, ""},
      {SQL_DEFAULT_TXN_ISOLATION, U32, 2, ""},
      {SQL_DESCRIBE_PARAMETER, Text, 0, "Y"},
      {SQL_DRIVER_NAME, Text, 0, driverFile},
      {SQL_DRIVER_ODBC_VER, Text, 0, "03.00"},
      {SQL_DRIVER_VER, Text, 0, driverVersion},
      {SQL_DROP_ASSERTION, U32, 1, ""},
      {SQL_DROP_CHARACTER_SET, U32, 1, ""},
      {SQL_DROP_COLLATION, U32, 1, ""},
      {SQL_DROP_DOMAIN, U32, 7, ""},
      {SQL_DROP_SCHEMA, U32, 7, ""},
      {SQL_DROP_TABLE, U32, 7, ""},
      {SQL_DROP_TRANSLATION, U32, 1, ""},
      {SQL_DROP_VIEW, U32, 7, ""},
      {SQL_DYNAMIC_CURSOR_ATTRIBUTES1, U32, 0, ""},
      {SQL_DYNAMIC_CURSOR_ATTRIBUTES2, U32, 0, ""},
      {SQL_EXPRESSIONS_IN_ORDERBY, Text, 0, "Y"},
      {SQL_FETCH_DIRECTION, U32, 1, ""},
      {SQL_FILE_USAGE, U16, 0, ""},
      {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, U32, 122881, ""},
      {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, U32, 20361, ""},
      {SQL_GETDATA_EXTENSIONS, U32, 15, ""},
      {SQL_GROUP_BY, U16, 4, ""},
      {SQL_IDENTIFIER_CASE, U16, 4, ""},
      {SQL_IDENTIFIER_QUOTE_CHAR, Text, 0, "\""},
      {SQL_INDEX_KEYWORDS, U32, 3, ""},
      {SQL_INFO_SCHEMA_VIEWS, U32, 8323071, ""},
      {SQL_INSERT_STATEMENT, U32, 7, ""},
      {SQL_INTEGRITY, Text, 0, "Y"},
      {SQL_KEYSET_CURSOR_ATTRIBUTES1, U32, 0, ""},
      {SQL_KEYSET_CURSOR_ATTRIBUTES2, U32, 0, ""},
      {SQL_KEYWORDS, Text, 0, ""},
      {SQL_LIKE_ESCAPE_CLAUSE, Text, 0, "Y"},
      {SQL_LOCK_TYPES, U32, 1, ""},
      {SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, U32, 0, ""},
      {SQL_MAX_BINARY_LITERAL_LEN, U32, 0, ""},
      {SQL_MAX_CATALOG_NAME_LEN, U16, 0, ""},
      {SQL_MAX_CHAR_LITERAL_LEN, U32, 0, ""},
      {SQL_MAX_COLUMN_NAME_LEN, U16, 0, ""},
      {SQL_MAX_COLUMNS_IN_GROUP_BY, U16, 0, ""},
      {SQL_MAX_COLUMNS_IN_INDEX, U16, 0, ""},
      {SQL_MAX_COLUMNS_IN_ORDER_BY, U16, 0, ""},
      {SQL_MAX_COLUMNS_IN_SELECT, U16, 0, ""},
      {SQL_MAX_COLUMNS_IN_TABLE, U16, 0, ""},
      {SQL_MAX_CONCURRENT_ACTIVITIES, U16, 0, ""},
      {SQL_MAX_CURSOR_NAME_LEN, U16, 0, ""},
      {SQL_MAX_DRIVER_CONNECTIONS, U16, 0, ""},
      {SQL_MAX_IDENTIFIER_LEN, U16, 0, ""},
      {SQL_MAX_INDEX_SIZE, U32, 0, ""},
      {SQL_MAX_PROCEDURE_NAME_LEN, U16, 0, ""},
      {SQL_MAX_ROW_SIZE, U32, 0, ""},
      {SQL_MAX_ROW_SIZE_INCLUDES_LONG, Text, 0, "Y"},
      {SQL_MAX_SCHEMA_NAME_LEN, U16, 0, ""},
      {SQL_MAX_STATEMENT_LEN, U32, 0, ""},
      {SQL_MAX_TABLE_NAME_LEN, U16, 0, ""},
      {SQL_MAX_TABLES_IN_SELECT, U16, 0, ""},
      {SQL_MAX_USER_NAME_LEN, U16, 0, ""},
      {SQL_MULT_RESULT_SETS, Text, 0, "Y"},
      {SQL_MULTIPLE_ACTIVE_TXN, Text, 0, "Y"},
      {SQL_NEED_LONG_DATA_LEN, Text, 0, "Y"},
      {SQL_NON_NULLABLE_COLUMNS, U16, 1, ""},
      {SQL_NULL_COLLATION, U16, 2, ""},
      {SQL_NUMERIC_FUNCTIONS, U32, 16777215, ""},
      {SQL_ODBC_API_CONFORMANCE, U16, 1, ""},
      {SQL_ODBC_INTERFACE_CONFORMANCE, U32, 2, ""},
      {SQL_ODBC_SQL_CONFORMANCE, U16, 1, ""},
      {SQL_OJ_CAPABILITIES, U32, 127, ""},
      {SQL_OUTER_JOINS, Text, 0, "Y"},
      {SQL_ORDER_BY_COLUMNS_IN_SELECT, Text, 0, "Y"},
      {SQL_PARAM_ARRAY_ROW_COUNTS, U32, SQL_PARC_NO_BATCH, ""},
      {SQL_PARAM_ARRAY_SELECTS, U32, SQL_PAS_NO_SELECT, ""},
      {SQL_POS_OPERATIONS, U32, 31, ""},
      {SQL_POSITIONED_STATEMENTS, U32, 0, ""},
      {SQL_PROCEDURE_TERM, Text, 0, "procedure"},
      {SQL_PROCEDURES, Text, 0, "Y"},
      {SQL_QUOTED_IDENTIFIER_CASE, U16, 3, ""},
      {SQL_ROW_UPDATES, Text, 0, "Y"},
      {SQL_SCHEMA_TERM, Text, 0, "schema"},
      {SQL_SCHEMA_USAGE, U32, 21, ""},
      {SQL_SCROLL_CONCURRENCY, U32, 1, ""},
      {SQL_SCROLL_OPTIONS, U32, 31, ""},
      {SQL_SEARCH_PATTERN_ESCAPE, Text, 0, ""},
      {SQL_SERVER_NAME, Text, 0, "srv1"},
      {SQL_SPECIAL_CHARACTERS, Text, 0, ""},
      {SQL_SQL_CONFORMANCE, U32, 8, ""},
      {SQL_SQL92_DATETIME_FUNCTIONS, U32, 7, ""},
      {SQL_SQL92_FOREIGN_KEY_DELETE_RULE, U32, 15, ""},
      {SQL_SQL92_FOREIGN_KEY_UPDATE_RULE, U32, 15, ""},
      {SQL_SQL92_GRANT, U32, 8191, ""},
      {SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, U32, 63, ""},
      {SQL_SQL92_PREDICATES, U32, 16383, ""},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, U32, 1023, ""},
      {SQL_SQL92_REVOKE, U32, 32767, ""},
      {SQL_SQL92_ROW_VALUE_CONSTRUCTOR, U32, 15, ""},
      {SQL_SQL92_STRING_FUNCTIONS, U32, 255, ""},
      {SQL_SQL92_VALUE_EXPRESSIONS, U32, 15, ""},
      {SQL_STANDARD_CLI_CONFORMANCE, U32, 2, ""},
      {SQL_STATIC_CURSOR_ATTRIBUTES1, U32, 130639, ""},
      {SQL_STATIC_CURSOR_ATTRIBUTES2, U32, 24457, ""},
      {SQL_STATIC_SENSITIVITY, U32, 0, ""},
      {SQL_STRING_FUNCTIONS, U32, 16777215, ""},
      {SQL_SUBQUERIES, U32, 31, ""},
      {SQL_SYSTEM_FUNCTIONS, U32, 7, ""},
      {SQL_TABLE_TERM, Text, 0, "table"},
      {SQL_TIMEDATE_ADD_INTERVALS, U32, 511, ""},
      {SQL_TIMEDATE_DIFF_INTERVALS, U32, 511, ""},
      {SQL_TIMEDATE_FUNCTIONS, U32, 2097151, ""},
      {SQL_TXN_CAPABLE, U16, 2, ""},
      {SQL_TXN_ISOLATION_OPTION, U32, 2, ""},
      {SQL_UNION, U32, 3, ""},
      {SQL_USER_NAME, Text, 0, "alice"},
  };
}

// A connection whose names are all set, as the back end sets them while connecting.
class NamedConnection : public testsupport::RecordingConnection {
 public:
  explicit NamedConnection(Environment* environment) : RecordingConnection(environment) {
    server_ = "srv1";
    database_ = "db1";
  }
};

class ConnectionInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(connection_.connect("dsn1", SQL_NTS, "alice", SQL_NTS, "secret", SQL_NTS),
              SQL_SUCCESS);
  }

  // Asks for the type into a canary-filled buffer.
  SQLRETURN ask(SQLUSMALLINT type, SQLSMALLINT bufferLength, SQLSMALLINT& length) {
    std::fill(std::begin(buffer_), std::end(buffer_), canary);
    length = -99;
    return connection_.getInfo(type, buffer_, bufferLength, &length);
  }

  bool untouchedFrom(std::size_t offset) const {
    return std::all_of(buffer_ + offset, std::end(buffer_),
                       [](unsigned char byte) { return byte == canary; });
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  Environment environment_{"KarvellODBC", "karvod64.dll", "Karvell ODBC", "Ferrow", nullptr};
  NamedConnection connection_{&environment_};
  unsigned char buffer_[64];
};

TEST_F(ConnectionInfo, EveryRoutedTypeIsWrittenAtItsWidth) {
  const std::vector<Answer> answers = baseAnswers();
  ASSERT_EQ(answers.size(), 169u);
  for (const Answer& answer : answers) {
    SCOPED_TRACE("info type " + std::to_string(answer.type));
    SQLSMALLINT length;
    ASSERT_EQ(ask(answer.type, sizeof buffer_, length), SQL_SUCCESS);
    EXPECT_TRUE(connection_.diagnostics().isEmpty());
    switch (answer.width) {
      case U16: {
        SQLUSMALLINT value;
        std::memcpy(&value, buffer_, sizeof value);
        EXPECT_EQ(value, answer.number);
        EXPECT_EQ(length, 2);
        EXPECT_TRUE(untouchedFrom(2));
        EXPECT_EQ(infoKind(answer.type), InfoKind::U16);
        break;
      }
      case U32: {
        SQLUINTEGER value;
        std::memcpy(&value, buffer_, sizeof value);
        EXPECT_EQ(value, answer.number);
        EXPECT_EQ(length, 4);
        EXPECT_TRUE(untouchedFrom(4));
        EXPECT_EQ(infoKind(answer.type), InfoKind::U32);
        break;
      }
      case Text:
        EXPECT_EQ(reinterpret_cast<const char*>(buffer_), answer.text);
        EXPECT_EQ(length, static_cast<SQLSMALLINT>(answer.text.size()));
        EXPECT_TRUE(untouchedFrom(answer.text.size() + 1));
        EXPECT_EQ(infoKind(answer.type), InfoKind::Text);
        break;
    }
  }
}

TEST_F(ConnectionInfo, UnroutedTypesFailWithHY096AndNoWrite) {
  std::vector<SQLUSMALLINT> routed;
  for (const Answer& answer : baseAnswers()) routed.push_back(answer.type);
  // Among them the types the Driver Manager answers itself.
  for (SQLUSMALLINT type : {SQL_DRIVER_HDBC, SQL_DRIVER_HENV, SQL_DRIVER_HSTMT, SQL_ODBC_VER,
                            SQL_ODBC_SAG_CLI_CONFORMANCE, SQL_DRIVER_HLIB, SQL_CONVERT_WCHAR,
                            SQL_CONVERT_WLONGVARCHAR, SQL_CONVERT_WVARCHAR, SQL_DRIVER_HDESC,
                            SQL_DM_VER, SQL_XOPEN_CLI_YEAR}) {
    EXPECT_EQ(std::count(routed.begin(), routed.end(), type), 0) << type;
  }
  for (unsigned type = 0; type <= 0xFFFF; ++type) {
    if (std::count(routed.begin(), routed.end(), type) != 0) continue;
    SQLSMALLINT length;
    ASSERT_EQ(ask(static_cast<SQLUSMALLINT>(type), sizeof buffer_, length), SQL_ERROR) << type;
    ASSERT_EQ(length, 0) << type;
    ASSERT_TRUE(untouchedFrom(0)) << type;
    ASSERT_EQ(testsupport::takeState(connection_.diagnostics()), "HY096") << type;
    ASSERT_EQ(infoKind(static_cast<SQLUSMALLINT>(type)), InfoKind::None) << type;
  }
}

TEST_F(ConnectionInfo, ACutStringKeepsItsTerminatorAndReportsTheFullLength) {
  SQLSMALLINT length;
  ASSERT_EQ(ask(SQL_TABLE_TERM, 4, length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer_), "tab");
  EXPECT_EQ(length, 5);
  EXPECT_TRUE(untouchedFrom(4));
  char state[6] = {};
  ASSERT_EQ(connection_.diagnostics().getDiagField(1, SQL_DIAG_SQLSTATE, state, sizeof state,
                                                   nullptr),
            SQL_SUCCESS);
  EXPECT_STREQ(state, "01004");
  SQLINTEGER records = 0;
  connection_.diagnostics().getDiagField(0, SQL_DIAG_NUMBER, &records, 0, nullptr);
  EXPECT_EQ(records, 1);

  // The next call starts with an empty diagnostics area; a buffer that fits exactly is whole.
  ASSERT_EQ(ask(SQL_TABLE_TERM, 6, length), SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer_), "table");
  EXPECT_TRUE(connection_.diagnostics().isEmpty());
}

TEST_F(ConnectionInfo, BufferLengthsOnlyBoundStrings) {
  SQLSMALLINT length;
  // Numbers ignore the buffer length (applications pass 0 for them).
  ASSERT_EQ(ask(SQL_TXN_CAPABLE, 0, length), SQL_SUCCESS);
  EXPECT_EQ(length, 2);
  EXPECT_TRUE(untouchedFrom(2));
  // A string with buffer length 0 only reports its length.
  ASSERT_EQ(ask(SQL_CATALOG_TERM, 0, length), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(length, 7);
  EXPECT_TRUE(untouchedFrom(0));
  // A negative one is refused.
  ASSERT_EQ(ask(SQL_CATALOG_TERM, -1, length), SQL_ERROR);
  EXPECT_TRUE(untouchedFrom(0));
  char state[6] = {};
  connection_.diagnostics().getDiagField(1, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr);
  EXPECT_STREQ(state, "HY090");
  // Without a value pointer only the length is reported.
  length = -99;
  EXPECT_EQ(connection_.getInfo(SQL_ALTER_TABLE, nullptr, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 4);
  length = -99;
  EXPECT_EQ(connection_.getInfo(SQL_KEYWORDS, nullptr, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(connection_.getInfo(SQL_DBMS_NAME, buffer_, sizeof buffer_, nullptr), SQL_SUCCESS);
}

// A subclass's answer goes out at the item's width, whatever the value.
class ServerConnection : public NamedConnection {
 public:
  using NamedConnection::NamedConnection;
  InfoU16 getInfoTxnCapable() override { return SQL_TC_NONE; }
  InfoU32 getInfoAlterTable() override { return 0xFFFFFFFFu; }
  InfoText getInfoDbmsName() override { return "Karvell"; }
};

TEST_F(ConnectionInfo, SubclassAnswersAreRouted) {
  ServerConnection server(&environment_);
  unsigned char value[8];
  std::memset(value, canary, sizeof value);
  SQLSMALLINT length = 0;
  ASSERT_EQ(server.getInfo(SQL_TXN_CAPABLE, value, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(value[0], 0);
  EXPECT_EQ(value[1], 0);
  EXPECT_EQ(value[2], canary);
  ASSERT_EQ(server.getInfo(SQL_ALTER_TABLE, value, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(value[3], 0xFF);
  EXPECT_EQ(value[4], canary);
  char name[16];
  ASSERT_EQ(server.getInfo(SQL_DBMS_NAME, name, sizeof name, &length), SQL_SUCCESS);
  EXPECT_STREQ(name, "Karvell");
  EXPECT_EQ(length, 7);
}

}  // namespace
