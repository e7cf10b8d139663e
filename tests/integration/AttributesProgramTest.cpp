// Connection and statement attributes as an application sees them through the Driver Manager:
// each one either acts as ODBC says or is refused, never accepted for nothing.
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace integrationtest {
namespace {

SQLCHAR* chars(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

SQLPOINTER value(SQLULEN number) { return reinterpret_cast<SQLPOINTER>(number); }

class AttributesProgramTest : public OdbcProgram {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--sql-log", "sql.log"}; }

  std::string catalog() {
    SQLCHAR name[64] = {};
    SQLINTEGER length = -1;
    EXPECT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length),
              SQL_SUCCESS);
    EXPECT_EQ(length, static_cast<SQLINTEGER>(std::strlen(reinterpret_cast<char*>(name))));
    return reinterpret_cast<char*>(name);
  }

  std::string databaseName() {
    SQLCHAR name[64] = {};
    EXPECT_EQ(SQLGetInfo(dbc, SQL_DATABASE_NAME, name, sizeof name, nullptr), SQL_SUCCESS);
    return reinterpret_cast<char*>(name);
  }

  // The ids a query delivers with SQL_ATTR_MAX_ROWS 3 under the cursor type, read with
  // SQLFetch; a scrollable cursor's last row is read with SQLFetchScroll too.
  std::vector<SQLINTEGER> idsWithMaxRows(SQLULEN cursorType, SQLINTEGER* lastRow) {
    SQLHSTMT stmt = statement();
    EXPECT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE, value(cursorType), 0), SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_MAX_ROWS, value(3), 0), SQL_SUCCESS);
    run(stmt, "select id from ten order by id");
    SQLLEN count = 0;
    EXPECT_EQ(SQLRowCount(stmt, &count), SQL_SUCCESS);
    EXPECT_EQ(count, -1);  // no count of a result's rows, neither 10 nor 3
    SQLLEN cursorRows = -1;
    EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt, 0, SQL_DIAG_CURSOR_ROW_COUNT, &cursorRows, 0,
                              nullptr),
              SQL_SUCCESS);
    EXPECT_LE(cursorRows, 3);
    SQLINTEGER id = 0;
    SQLLEN indicator = 0;
    SQLBindCol(stmt, 1, SQL_C_SLONG, &id, 0, &indicator);
    std::vector<SQLINTEGER> ids;
    while (SQLFetch(stmt) == SQL_SUCCESS) ids.push_back(id);
    *lastRow = 0;
    if (cursorType != SQL_CURSOR_FORWARD_ONLY) {
      EXPECT_EQ(SQLFetchScroll(stmt, SQL_FETCH_LAST, 0), SQL_SUCCESS);
      *lastRow = id;
      EXPECT_EQ(SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 4), SQL_NO_DATA);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ids;
  }

  // A second connection handle whose attribute, set before connecting, is replayed at connect.
  SQLRETURN connectWith(SQLHDBC& other, SQLINTEGER attribute, SQLPOINTER setting,
                        SQLINTEGER length) {
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &other)));
    EXPECT_EQ(SQLSetConnectAttr(other, attribute, setting, length), SQL_SUCCESS)
        << state(SQL_HANDLE_DBC, other);
    std::string in = connectionString();
    return SQLDriverConnect(other, nullptr, chars(in.c_str()), SQL_NTS, nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT);
  }

  static void disconnect(SQLHDBC other) {
    SQLDisconnect(other);
    SQLFreeHandle(SQL_HANDLE_DBC, other);
  }
};

// A server that keeps results on its side and hands them out two rows at a time.
class AttributesServerCursorProgramTest : public AttributesProgramTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--server-cursors", "--chunk-rows", "2"};
  }
};

TEST_F(AttributesProgramTest, CurrentCatalogSwitchesTheDatabase) {
  // The server's second database, made beside its default one.
  storedRows("create table archive (id integer)", "second.db");
  exec("create table main_rows (id integer)");

  ASSERT_EQ(SQLSetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, chars("second"), SQL_NTS), SQL_SUCCESS)
      << state(SQL_HANDLE_DBC, dbc);
  EXPECT_EQ(catalog(), "second");
  EXPECT_EQ(databaseName(), "second");
  exec("insert into archive values (1)");

  ASSERT_EQ(SQLSetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, chars("default"), SQL_NTS),
            SQL_SUCCESS);
  EXPECT_EQ(catalog(), "default");
  exec("insert into main_rows values (2)");

  // A database the server does not have: its error, and the database in use stays.
  EXPECT_EQ(SQLSetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, chars("missing"), SQL_NTS), SQL_ERROR);
  const std::string refusal = state(SQL_HANDLE_DBC, dbc);
  EXPECT_EQ(refusal.substr(0, 5), "HY000");
  EXPECT_NE(refusal.find("Unknown database 'missing'"), std::string::npos) << refusal;
  EXPECT_EQ(catalog(), "default");
  exec("insert into main_rows values (3)");

  // Each write landed in the file of the database in use when it was made.
  EXPECT_EQ(storedRows("select id from archive", "second.db"), "1\n");
  EXPECT_EQ(storedRows("select id from main_rows order by id"), "2\n3\n");
  EXPECT_EQ(storedRows("select name from sqlite_master"), "main_rows\n");
}

TEST_F(AttributesProgramTest, CurrentCatalogSetBeforeConnectingIsTheDatabaseConnectedTo) {
  storedRows("create table archive (id integer)", "second.db");
  SQLHDBC other = SQL_NULL_HDBC;
  ASSERT_EQ(connectWith(other, SQL_ATTR_CURRENT_CATALOG, chars("second"), SQL_NTS), SQL_SUCCESS)
      << state(SQL_HANDLE_DBC, other);
  SQLCHAR name[64] = {};
  EXPECT_EQ(SQLGetConnectAttr(other, SQL_ATTR_CURRENT_CATALOG, name, sizeof name, nullptr),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(name), "second");
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, other, &stmt)));
  EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, chars("insert into archive values (7)"), SQL_NTS)))
      << state(SQL_HANDLE_STMT, stmt);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  disconnect(other);
  EXPECT_EQ(storedRows("select id from archive", "second.db"), "7\n");
}

TEST_F(AttributesProgramTest, MaxRowsBoundsEveryCursorKind) {
  numbered("ten", 10);
  const struct {
    const char* name;
    SQLULEN cursorType;
    SQLINTEGER lastRow;
  } cases[] = {
      {"forward-only, the result read whole", SQL_CURSOR_FORWARD_ONLY, 0},
      {"static", SQL_CURSOR_STATIC, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SQLINTEGER lastRow = -1;
    EXPECT_EQ(idsWithMaxRows(c.cursorType, &lastRow), (std::vector<SQLINTEGER>{1, 2, 3}));
    EXPECT_EQ(lastRow, c.lastRow);
  }
}

TEST_F(AttributesServerCursorProgramTest, MaxRowsBoundsAResultKeptOnTheServer) {
  numbered("ten", 10);
  for (SQLULEN cursorType : {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC}) {
    SCOPED_TRACE(cursorType);
    SQLINTEGER lastRow = -1;
    EXPECT_EQ(idsWithMaxRows(cursorType, &lastRow), (std::vector<SQLINTEGER>{1, 2, 3}));
  }
}

TEST_F(AttributesProgramTest, MaxLengthCutsCharacterAndBinaryValues) {
  exec("create table longs (t text, b blob, n integer, u text)");
  // U+00E9 takes the fifth and sixth bytes of u.
  exec("insert into longs values ('abcdefgh', x'0102030405060708', 123456789, "
       "'abc' || char(233) || 'f')");
  const struct {
    const char* name;
    bool getData;
    SQLSMALLINT column;
    SQLSMALLINT cType;
    SQLLEN bufferLength;
    SQLRETURN rc;
    const char* bytes;  // as many as the length says
    SQLLEN length;
  } cases[] = {
      {"text bound", false, 1, SQL_C_CHAR, 16, SQL_SUCCESS, "abcd", 4},
      {"text by SQLGetData", true, 1, SQL_C_CHAR, 16, SQL_SUCCESS, "abcd", 4},
      {"blob bound", false, 2, SQL_C_BINARY, 16, SQL_SUCCESS, "\x01\x02\x03\x04", 4},
      {"blob by SQLGetData", true, 2, SQL_C_BINARY, 16, SQL_SUCCESS, "\x01\x02\x03\x04", 4},
      // A buffer smaller than the cut value is cut as ever, with "01004".
      {"text into a smaller buffer", true, 1, SQL_C_CHAR, 3, SQL_SUCCESS_WITH_INFO, "ab", 4},
      // Numbers are not character data: whole.
      {"number as text", true, 3, SQL_C_CHAR, 16, SQL_SUCCESS, "123456789", 9},
      // The two bytes of U+00E9 would not both fit: the character goes whole.
      {"text cut before a character", true, 4, SQL_C_CHAR, 16, SQL_SUCCESS, "abc", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SQLHSTMT stmt = statement();
    ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_MAX_LENGTH, value(4), 0), SQL_SUCCESS);
    run(stmt, "select t, b, n, u from longs");
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    SQLLEN length = 0;
    SQLRETURN rc = SQL_ERROR;
    if (c.getData) {
      ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
      rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(c.column), c.cType, buffer, c.bufferLength,
                      &length);
    } else {
      SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c.column), c.cType, buffer, c.bufferLength,
                 &length);
      rc = SQLFetch(stmt);
    }
    EXPECT_EQ(rc, c.rc) << state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(sqlState(stmt), c.rc == SQL_SUCCESS ? "" : "01004");
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(std::string(buffer, std::strlen(c.bytes)), c.bytes);
    if (c.getData && c.rc == SQL_SUCCESS) {
      EXPECT_EQ(SQLGetData(stmt, static_cast<SQLUSMALLINT>(c.column), c.cType, buffer,
                           c.bufferLength, &length),
                SQL_NO_DATA);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
}

TEST_F(AttributesProgramTest, NoscanSendsEscapesAsWritten) {
  const struct {
    const char* sql;
    bool prepared;
    SQLULEN noscan;
    SQLRETURN rc;
    const char* sent;  // as the server's log has it
  } cases[] = {
      {"select {fn LENGTH('abc')}", false, SQL_NOSCAN_OFF, SQL_SUCCESS, "select LENGTH('abc')"},
      {"select {fn LENGTH('abcd')}", false, SQL_NOSCAN_ON, SQL_ERROR, "select {fn LENGTH('abcd')}"},
      {"select {d '2020-01-02'}", true, SQL_NOSCAN_OFF, SQL_SUCCESS, "select '2020-01-02'"},
      {"select {d '2020-01-03'}", true, SQL_NOSCAN_ON, SQL_ERROR, "select {d '2020-01-03'}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    SQLHSTMT stmt = statement();
    ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_NOSCAN, value(c.noscan), 0), SQL_SUCCESS);
    if (c.prepared) {
      ASSERT_EQ(SQLPrepare(stmt, chars(c.sql), SQL_NTS), SQL_SUCCESS);
      EXPECT_EQ(SQLExecute(stmt), c.rc) << state(SQL_HANDLE_STMT, stmt);
    } else {
      EXPECT_EQ(SQLExecDirect(stmt, chars(c.sql), SQL_NTS), c.rc) << state(SQL_HANDLE_STMT, stmt);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    std::ifstream file(server().dataFile("sql.log"));
    const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find(c.sent), std::string::npos) << log;
  }
}

TEST_F(AttributesProgramTest, UnknownAttributesAndValuesAreRefused) {
  SQLHSTMT stmt = statement();
  const auto onStatement = [stmt](SQLINTEGER attribute, SQLULEN setting) {
    return SQLSetStmtAttr(stmt, attribute, value(setting), 0);
  };
  const auto onConnection = [this](SQLINTEGER attribute, SQLULEN setting) {
    return SQLSetConnectAttr(dbc, attribute, value(setting), 0);
  };
  // unixODBC checks the values of most attributes itself, before the driver sees them; the
  // driver's own checks (tests/core, tests/statement) answer the same for other callers.
  const char* const manager = "Driver Manager";
  const char* const driver = "driver";
  const struct {
    const char* name;
    SQLSMALLINT handleType;
    std::function<SQLRETURN()> call;
    const char* state;
    const char* answeredBy;
  } cases[] = {
      {"set an unknown statement attribute", SQL_HANDLE_STMT, [&] { return onStatement(4321, 1); },
       "HY092", driver},
      {"get an unknown statement attribute", SQL_HANDLE_STMT,
       [&] {
         SQLULEN number = 0;
         return SQLGetStmtAttr(stmt, 4321, &number, sizeof number, nullptr);
       },
       "HY092", driver},
      {"set an unknown connection attribute", SQL_HANDLE_DBC, [&] { return onConnection(4321, 1); },
       "HY092", driver},
      {"get an unknown connection attribute", SQL_HANDLE_DBC,
       [&] {
         SQLCHAR text[32] = {};
         return SQLGetConnectAttr(dbc, 4321, text, sizeof text, nullptr);
       },
       "HY092", driver},
      {"set the read-only SQL_ATTR_CONNECTION_DEAD", SQL_HANDLE_DBC,
       [&] { return onConnection(SQL_ATTR_CONNECTION_DEAD, 1); }, "HY092", driver},
      {"cursor sensitivity 3", SQL_HANDLE_STMT,
       [&] { return onStatement(SQL_ATTR_CURSOR_SENSITIVITY, 3); }, "HY024", manager},
      {"cursor scrollable 2", SQL_HANDLE_STMT,
       [&] { return onStatement(SQL_ATTR_CURSOR_SCROLLABLE, 2); }, "HY024", manager},
      {"concurrency 9", SQL_HANDLE_STMT, [&] { return onStatement(SQL_ATTR_CONCURRENCY, 9); },
       "HY024", manager},
      {"simulate cursor 3", SQL_HANDLE_STMT,
       [&] { return onStatement(SQL_ATTR_SIMULATE_CURSOR, 3); }, "HY024", manager},
      {"use bookmarks 3", SQL_HANDLE_STMT, [&] { return onStatement(SQL_ATTR_USE_BOOKMARKS, 3); },
       "HY024", manager},
      {"statement async 7", SQL_HANDLE_STMT, [&] { return onStatement(SQL_ATTR_ASYNC_ENABLE, 7); },
       "HY024", manager},
      {"statement metadata id 2", SQL_HANDLE_STMT,
       [&] { return onStatement(SQL_ATTR_METADATA_ID, 2); }, "HY024", driver},
      {"enable auto IPD 2", SQL_HANDLE_STMT,
       [&] { return onStatement(SQL_ATTR_ENABLE_AUTO_IPD, 2); }, "HY024", manager},
      {"cursor type 9", SQL_HANDLE_STMT, [&] { return onStatement(SQL_ATTR_CURSOR_TYPE, 9); },
       "HY024", manager},
      {"NOSCAN 5", SQL_HANDLE_STMT, [&] { return onStatement(SQL_ATTR_NOSCAN, 5); }, "HY024",
       manager},
      {"retrieve data 2", SQL_HANDLE_STMT, [&] { return onStatement(SQL_ATTR_RETRIEVE_DATA, 2); },
       "HY024", manager},
      {"connection async 7", SQL_HANDLE_DBC, [&] { return onConnection(SQL_ATTR_ASYNC_ENABLE, 7); },
       "HY024", manager},
      {"connection metadata id 5", SQL_HANDLE_DBC,
       [&] { return onConnection(SQL_ATTR_METADATA_ID, 5); }, "HY024", manager},
      {"access mode 5", SQL_HANDLE_DBC, [&] { return onConnection(SQL_ATTR_ACCESS_MODE, 5); },
       "HY024", manager},
      {"autocommit 2", SQL_HANDLE_DBC, [&] { return onConnection(SQL_ATTR_AUTOCOMMIT, 2); },
       "HY024", manager},
      {"isolation 3, no level", SQL_HANDLE_DBC,
       [&] { return onConnection(SQL_ATTR_TXN_ISOLATION, 3); }, "HY024", manager},
      {"a translation library", SQL_HANDLE_DBC,
       [&] { return SQLSetConnectAttr(dbc, SQL_ATTR_TRANSLATE_LIB, chars("x.so"), SQL_NTS); },
       "HYC00", driver},
      {"isolation the server does not offer", SQL_HANDLE_DBC,
       [&] { return onConnection(SQL_ATTR_TXN_ISOLATION, SQL_TXN_REPEATABLE_READ); }, "HYC00",
       driver},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const SQLRETURN rc = c.call();
    const std::string answer =
        state(c.handleType, c.handleType == SQL_HANDLE_STMT ? static_cast<SQLHANDLE>(stmt)
                                                            : static_cast<SQLHANDLE>(dbc));
    EXPECT_EQ(rc, SQL_ERROR) << answer;
    EXPECT_EQ(answer.substr(0, 5), c.state) << answer;
    const bool byManager = answer.find("[Driver Manager]") != std::string::npos;
    EXPECT_EQ(byManager ? manager : driver, std::string(c.answeredBy)) << answer;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

TEST_F(AttributesProgramTest, ARefusedReplayIsReportedByTheConnect) {
  SQLHDBC other = SQL_NULL_HDBC;
  EXPECT_EQ(connectWith(other, SQL_ATTR_TXN_ISOLATION, value(SQL_TXN_REPEATABLE_READ), 0),
            SQL_SUCCESS_WITH_INFO);
  const std::string answer = state(SQL_HANDLE_DBC, other);
  EXPECT_EQ(answer.substr(0, 5), "HYC00") << answer;
  SQLUINTEGER isolation = 0;
  EXPECT_EQ(SQLGetConnectAttr(other, SQL_ATTR_TXN_ISOLATION, &isolation, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(isolation, static_cast<SQLUINTEGER>(SQL_TXN_READ_COMMITTED));
  disconnect(other);
}

}  // namespace
}  // namespace integrationtest
