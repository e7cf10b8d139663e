// Flows of applications written to other habits than a modern ODBC 3 program, through the Driver
// Manager: the ODBC 2 calls and SQLSTATEs, SQLGetData into C types a column cannot convert to,
// the completion modes of SQLDriverConnect, text parameters carrying NUL characters, and threads.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

std::string connectString(int port, bool withAccount) {
  return "Driver={Karvell ODBC};Server=127.0.0.1;Port=" + std::to_string(port) +
         (withAccount ? ";UID=karvell;PWD=karvell" : "");
}

SQLCHAR* text(const char* sql) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)); }

SQLINTEGER countRows(SQLHDBC dbc, const char* sql) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  SQLINTEGER count = -1;
  if (SQL_SUCCEEDED(SQLExecDirect(stmt, text(sql), SQL_NTS)) && SQLFetch(stmt) == SQL_SUCCESS) {
    SQLGetData(stmt, 1, SQL_C_SLONG, &count, 0, nullptr);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return count;
}

// An ODBC 2 program: its own environment, the ODBC 2 allocation, option and fetch calls, the
// DM's S1 states, the ODBC 2 date and time types and an array of parameters rolled back.
TEST_F(OdbcProgram, AnOdbc2ProgramFetchesRowsetsAndReadsOdbc2States) {
  exec("create table o2 (id integer, d date, t time, ts timestamp)");
  exec("insert into o2 values (1, '2024-02-29', '12:34:56', '2024-02-29 12:34:56')");
  exec("insert into o2 values (2, '2024-03-01', '01:02:03', '2024-03-01 01:02:03')");
  exec("insert into o2 values (3, '2024-03-02', '01:02:04', '2024-03-02 01:02:04')");
  HENV env2 = SQL_NULL_HENV;
  HDBC dbc2 = SQL_NULL_HDBC;
  HSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocEnv(&env2), SQL_SUCCESS);
  ASSERT_EQ(SQLAllocConnect(env2, &dbc2), SQL_SUCCESS);
  std::string in = connectString(port(), true);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(dbc2, nullptr, text(in.c_str()), SQL_NTS, nullptr, 0,
                                             nullptr, SQL_DRIVER_NOPROMPT)));
  ASSERT_EQ(SQLSetConnectOption(dbc2, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
  ASSERT_EQ(SQLAllocStmt(dbc2, &stmt), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtOption(stmt, SQL_CURSOR_TYPE, SQL_CURSOR_STATIC), SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtOption(stmt, SQL_ROWSET_SIZE, 2), SQL_SUCCESS);
  SQLULEN rowsetSize = 0;
  ASSERT_EQ(SQLGetStmtOption(stmt, SQL_ROWSET_SIZE, &rowsetSize), SQL_SUCCESS);
  EXPECT_EQ(rowsetSize, 2u);
  ASSERT_EQ(SQLExecDirect(stmt, text("select id, d, t, ts from o2 order by id"), SQL_NTS),
            SQL_SUCCESS);
  const SQLLEN types[] = {SQL_BIGINT, SQL_DATE, SQL_TIME, SQL_TIMESTAMP};
  for (SQLUSMALLINT column = 1; column <= 4; ++column) {
    SQLLEN type = 0;
    ASSERT_EQ(SQLColAttributes(stmt, column, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &type),
              SQL_SUCCESS);
    EXPECT_EQ(type, types[column - 1]) << "column " << column;
  }
  SQLINTEGER ids[2] = {};
  SQLLEN idLengths[2] = {};
  TIMESTAMP_STRUCT stamps[2] = {};
  SQLLEN stampLengths[2] = {};
  ASSERT_EQ(SQLBindCol(stmt, 1, SQL_C_LONG, ids, 0, idLengths), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(stmt, 4, SQL_C_TIMESTAMP, stamps, 0, stampLengths), SQL_SUCCESS);
  const struct {
    SQLUSMALLINT orientation;
    SQLRETURN rc;
    SQLULEN rows;
    SQLINTEGER firstId;
    SQLUSMALLINT secondStatus;
  } fetches[] = {{SQL_FETCH_NEXT, SQL_SUCCESS, 2, 1, SQL_ROW_SUCCESS},
                 {SQL_FETCH_NEXT, SQL_SUCCESS, 1, 3, SQL_ROW_NOROW},
                 {SQL_FETCH_NEXT, SQL_NO_DATA, 0, 0, 0},
                 {SQL_FETCH_FIRST, SQL_SUCCESS, 2, 1, SQL_ROW_SUCCESS}};
  for (const auto& f : fetches) {
    SQLULEN rows = 99;
    SQLUSMALLINT status[2] = {99, 99};
    ASSERT_EQ(SQLExtendedFetch(stmt, f.orientation, 0, &rows, status), f.rc);
    if (f.rc != SQL_SUCCESS) continue;
    EXPECT_EQ(rows, f.rows);
    EXPECT_EQ(status[0], SQL_ROW_SUCCESS);
    EXPECT_EQ(status[1], f.secondStatus);
    EXPECT_EQ(ids[0], f.firstId);
    EXPECT_EQ(stamps[0].day, f.firstId == 1 ? 29 : 2);
  }
  // The Driver Manager hands an ODBC 2 program the S1 form of the driver's HY states.
  SQLCHAR state[6] = {};
  SQLCHAR message[256] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  SQLCHAR cell[8] = {};
  EXPECT_EQ(SQLGetData(stmt, 9, SQL_C_CHAR, cell, sizeof cell, nullptr), SQL_ERROR);
  ASSERT_EQ(SQLError(env2, dbc2, stmt, state, &native, message, sizeof message, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(state), "S1002");
  ASSERT_EQ(SQLFreeStmt(stmt, SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(SQLExecDirect(stmt, text("select nosuch from o2"), SQL_NTS), SQL_ERROR);
  ASSERT_EQ(SQLError(env2, dbc2, stmt, state, &native, message, sizeof message, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(state), "S1000");
  // Three rows by one call, then undone.
  ASSERT_EQ(SQLFreeStmt(stmt, SQL_UNBIND), SQL_SUCCESS);
  SQLINTEGER values[3] = {10, 11, 12};
  SQLLEN valueLengths[3] = {};
  SQLULEN processed = 0;
  ASSERT_EQ(SQLParamOptions(stmt, 3, &processed), SQL_SUCCESS);
  ASSERT_EQ(SQLSetParam(stmt, 1, SQL_C_LONG, SQL_INTEGER, 0, 0, values, valueLengths),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(stmt, text("insert into o2 (id) values (?)"), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(processed, 3u);
  EXPECT_EQ(countRows(dbc2, "select count(*) from o2"), 6);
  ASSERT_EQ(SQLTransact(env2, dbc2, SQL_ROLLBACK), SQL_SUCCESS);
  EXPECT_EQ(countRows(dbc2, "select count(*) from o2"), 3);
  EXPECT_EQ(SQLFreeStmt(stmt, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(SQLDisconnect(dbc2), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeConnect(dbc2), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeEnv(env2), SQL_SUCCESS);
}

// Every C type on every kind of column: a value that is right, or a failure that says why; a
// date or a blob never reads as the number its text starts with.
TEST_F(OdbcProgram, GetDataIntoEveryCTypeGivesTheValueOrTheReason) {
  exec("create table g (i integer, r real, t text, b blob, d date, tm time, ts timestamp)");
  exec("insert into g values (42, 3.75, '17', x'00ff41', '2024-02-29', '12:34:56', "
       "'2024-02-29 12:34:56')");
  const char* const select = "select i, r, t, b, d, tm, ts from g";
  const SQLSMALLINT numbers[] = {SQL_C_STINYINT, SQL_C_UTINYINT, SQL_C_SSHORT, SQL_C_USHORT,
                                 SQL_C_SLONG,    SQL_C_ULONG,    SQL_C_SBIGINT, SQL_C_UBIGINT,
                                 SQL_C_FLOAT,    SQL_C_DOUBLE,   SQL_C_BIT};
  const SQLSMALLINT others[] = {SQL_C_GUID, SQL_C_INTERVAL_DAY};
  for (SQLUSMALLINT column = 1; column <= 7; ++column) {
    for (const SQLSMALLINT cType : numbers) {
      SCOPED_TRACE("column " + std::to_string(column) + " C type " + std::to_string(cType));
      SQLHSTMT stmt = statement();
      run(stmt, select);
      ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
      unsigned char buffer[16] = {};
      SQLLEN indicator = 0;
      const SQLRETURN rc = SQLGetData(stmt, column, cType, buffer, sizeof buffer, &indicator);
      if (column >= 4) {
        EXPECT_EQ(rc, SQL_ERROR);
        EXPECT_EQ(sqlState(stmt), "07006");
      } else {
        EXPECT_TRUE(SQL_SUCCEEDED(rc)) << state(SQL_HANDLE_STMT, stmt);
      }
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    for (const SQLSMALLINT cType : others) {
      SQLHSTMT stmt = statement();
      run(stmt, select);
      ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
      unsigned char buffer[32] = {};
      SQLLEN indicator = 0;
      EXPECT_EQ(SQLGetData(stmt, column, cType, buffer, sizeof buffer, &indicator), SQL_ERROR);
      EXPECT_EQ(sqlState(stmt), "07006");
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
  }
  // The values the numeric columns give.
  SQLHSTMT stmt = statement();
  run(stmt, select);
  ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
  SQLINTEGER integer = 0;
  SQLDOUBLE real = 0;
  SQLSMALLINT small = 0;
  EXPECT_EQ(SQLGetData(stmt, 1, SQL_C_SLONG, &integer, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(integer, 42);
  EXPECT_EQ(SQLGetData(stmt, 2, SQL_C_DOUBLE, &real, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(real, 3.75);
  EXPECT_EQ(SQLGetData(stmt, 3, SQL_C_SSHORT, &small, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(small, 17);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// Variable-length bookmarks, as ODBC 3 programs use them on the static cursor that advertises
// them: the bytes bound to column 0 or read by SQLGetData fetch their row again, at an offset.
TEST_F(OdbcProgram, AVariableBookmarkReadAsBytesFetchesItsRowAgain) {
  numbered("bk", 6);
  SQLUINTEGER attributes = 0;
  ASSERT_EQ(SQLGetInfo(dbc, SQL_STATIC_CURSOR_ATTRIBUTES1, &attributes, 0, nullptr), SQL_SUCCESS);
  ASSERT_NE(attributes & SQL_CA1_BOOKMARK, 0u);
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE,
                           reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0),
            SQL_SUCCESS);
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_USE_BOOKMARKS,
                           reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0),
            SQL_SUCCESS);
  unsigned char bound[16] = {};
  SQLLEN boundLength = 0;
  SQLINTEGER id = 0;
  SQLLEN idLength = 0;
  ASSERT_EQ(SQLBindCol(stmt, 0, SQL_C_VARBOOKMARK, bound, sizeof bound, &boundLength),
            SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(stmt, 1, SQL_C_SLONG, &id, 0, &idLength), SQL_SUCCESS);
  run(stmt, "select id from bk order by id");
  ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 4), SQL_SUCCESS);
  EXPECT_EQ(boundLength, static_cast<SQLLEN>(sizeof(SQLLEN)));
  unsigned char read[16] = {};
  SQLLEN readLength = 0;
  ASSERT_EQ(SQLGetData(stmt, 0, SQL_C_VARBOOKMARK, read, sizeof read, &readLength), SQL_SUCCESS);
  EXPECT_EQ(readLength, boundLength);
  EXPECT_EQ(std::memcmp(read, bound, sizeof(SQLLEN)), 0);
  unsigned char kept[16] = {};
  std::memcpy(kept, bound, sizeof kept);
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_FETCH_BOOKMARK_PTR, kept, 0), SQL_SUCCESS);
  for (const SQLLEN offset : {0, 1, -3}) {
    ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_FIRST, 0), SQL_SUCCESS);
    ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_BOOKMARK, offset), SQL_SUCCESS)
        << state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(id, 4 + offset);
  }
  // Too little room: the bytes that fit, the whole length and "01004".
  ASSERT_EQ(SQLGetData(stmt, 0, SQL_C_VARBOOKMARK, read, 4, &readLength), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(sqlState(stmt), "01004");
  EXPECT_EQ(readLength, static_cast<SQLLEN>(sizeof(SQLLEN)));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  // Without bookmarks there is no column 0.
  stmt = statement();
  run(stmt, "select id from bk");
  ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
  EXPECT_EQ(SQLGetData(stmt, 0, SQL_C_VARBOOKMARK, read, sizeof read, &readLength), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "07009");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// A NUL inside a text parameter cannot travel in the statement's text: the execution fails and
// nothing reaches the table; the same bytes sent as binary arrive whole.
TEST_F(OdbcProgram, ATextParameterWithANulIsRefusedRatherThanCut) {
  exec("create table nz (v text, b blob)");
  char narrow[] = {'a', 'b', '\0', 'c', 'd'};
  SQLWCHAR wide[] = {'x', 0, 'y'};
  const struct {
    SQLSMALLINT cType;
    SQLSMALLINT sqlType;
    void* value;
    SQLLEN length;
  } cases[] = {{SQL_C_CHAR, SQL_VARCHAR, narrow, sizeof narrow},
               {SQL_C_WCHAR, SQL_WVARCHAR, wide, sizeof wide},
               {SQL_C_CHAR, SQL_LONGVARCHAR, narrow, sizeof narrow}};
  for (const auto& c : cases) {
    SCOPED_TRACE("C type " + std::to_string(c.cType));
    SQLHSTMT stmt = statement();
    SQLLEN length = c.length;
    ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, c.cType, c.sqlType, 10, 0, c.value,
                               c.length, &length),
              SQL_SUCCESS);
    EXPECT_EQ(SQLExecDirect(stmt, text("insert into nz (v) values (?)"), SQL_NTS), SQL_ERROR);
    EXPECT_EQ(sqlState(stmt), "22018");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  EXPECT_EQ(countRows(dbc, "select count(*) from nz"), 0);
  // NULs that only pad a value are no data: the text before them arrives.
  char padded[] = {'a', 'b', '\0', '\0'};
  SQLHSTMT pad = statement();
  SQLLEN padLength = sizeof padded;
  ASSERT_EQ(SQLBindParameter(pad, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, padded,
                             sizeof padded, &padLength),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(pad, text("insert into nz (v) values (?)"), SQL_NTS), SQL_SUCCESS);
  SQLFreeHandle(SQL_HANDLE_STMT, pad);
  EXPECT_EQ(countRows(dbc, "select count(*) from nz where v = 'ab'"), 1);
  exec("delete from nz");
  SQLHSTMT stmt = statement();
  SQLLEN length = sizeof narrow;
  ASSERT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, 10, 0, narrow,
                             sizeof narrow, &length),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(stmt, text("insert into nz (b) values (?)"), SQL_NTS), SQL_SUCCESS)
      << state(SQL_HANDLE_STMT, stmt);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(countRows(dbc, "select length(b) from nz"), 5);
}

// Every completion mode with no window: a full string connects and comes back whole, or cut to
// the buffer with its whole length and "01004"; a string without the account fails at once. The
// Driver Manager itself refuses SQL_DRIVER_PROMPT without a window.
TEST_F(OdbcProgram, DriverConnectCompletesWithoutAWindowInEveryMode) {
  const std::string full = connectString(port(), true) + ";Unknown=1;Other={a}}b;c}";
  const std::string partial = connectString(port(), false);
  const SQLUSMALLINT modes[] = {SQL_DRIVER_NOPROMPT, SQL_DRIVER_COMPLETE,
                                SQL_DRIVER_COMPLETE_REQUIRED, SQL_DRIVER_PROMPT};
  for (const SQLUSMALLINT mode : modes) {
    for (const std::string* in : {&full, &partial}) {
      for (const SQLSMALLINT room : {0, 10, 512}) {
        SCOPED_TRACE("mode " + std::to_string(mode) + " room " + std::to_string(room) + " " + *in);
        SQLHDBC connection = SQL_NULL_HDBC;
        ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &connection), SQL_SUCCESS);
        std::vector<SQLCHAR> out(512, 'Z');
        SQLSMALLINT outLength = -1;
        const SQLRETURN rc =
            SQLDriverConnect(connection, nullptr, text(in->c_str()), SQL_NTS,
                             room != 0 ? out.data() : nullptr, room, &outLength, mode);
        const std::string states = state(SQL_HANDLE_DBC, connection);
        if (mode == SQL_DRIVER_PROMPT || in == &partial) {
          EXPECT_EQ(rc, SQL_ERROR);
          EXPECT_EQ(states.substr(0, 5), mode == SQL_DRIVER_PROMPT ? "HY092" : "08S01") << states;
        } else {
          EXPECT_EQ(rc, room == 10 ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS) << states;
          EXPECT_EQ(outLength, static_cast<SQLSMALLINT>(full.size()));
          if (room == 10) {
            EXPECT_EQ(states.substr(0, 5), "01004");
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data())), full.substr(0, 9));
          } else if (room == 512) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data())), full);
          }
          EXPECT_EQ(SQLDisconnect(connection), SQL_SUCCESS);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
      }
    }
  }
}

// Readers on threads at once, each on a connection of its own and two sharing one connection
// through statements of their own: every reader sees every row each time.
TEST_F(OdbcProgram, ThreadsReadAtOnceOnTheirOwnAndOnASharedConnection) {
  exec("create table th (id integer)");
  exec("insert into th with recursive n(k) as (select 1 union all select k + 1 from n "
       "where k < 50) select k from n");
  constexpr int rounds = 20;
  constexpr SQLINTEGER expected = rounds * 50 * 51 / 2;
  const auto read = [](SQLHDBC connection, SQLINTEGER* sum, std::string* failure) {
    for (int round = 0; round < rounds; ++round) {
      SQLHSTMT stmt = SQL_NULL_HSTMT;
      SQLAllocHandle(SQL_HANDLE_STMT, connection, &stmt);
      if (!SQL_SUCCEEDED(SQLExecDirect(stmt, text("select id from th"), SQL_NTS))) {
        *failure = state(SQL_HANDLE_STMT, stmt);
      }
      SQLINTEGER id = 0;
      while (SQLFetch(stmt) == SQL_SUCCESS) {
        SQLGetData(stmt, 1, SQL_C_SLONG, &id, 0, nullptr);
        *sum += id;
      }
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
  };
  SQLHDBC own[2] = {SQL_NULL_HDBC, SQL_NULL_HDBC};
  const std::string in = connectString(port(), true);
  for (SQLHDBC& connection : own) {
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &connection), SQL_SUCCESS);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(connection, nullptr, text(in.c_str()), SQL_NTS,
                                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
  }
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "shared connection" : "own connections");
    SQLINTEGER sums[2] = {};
    std::string failures[2];
    std::thread first(read, shared ? dbc : own[0], &sums[0], &failures[0]);
    std::thread second(read, shared ? dbc : own[1], &sums[1], &failures[1]);
    first.join();
    second.join();
    for (int k = 0; k < 2; ++k) {
      EXPECT_EQ(failures[k], "");
      EXPECT_EQ(sums[k], expected);
    }
  }
  for (SQLHDBC connection : own) {
    SQLDisconnect(connection);
    SQLFreeHandle(SQL_HANDLE_DBC, connection);
  }
}

// SQLCancel is how another thread interrupts a statement: it answers at once, without waiting
// for the call running on the statement's connection to finish.
// The protocol has no cancel request: the running call ends with HY008 at once and the
// connection is closed under it, so every later call answers 08S01 and the connection reads dead.
TEST_F(OdbcProgram, CancelFromAnotherThreadEndsTheRunningCallAndTheConnection) {
  SQLHSTMT running = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &running), SQL_SUCCESS);
  SQLRETURN ran = SQL_SUCCESS;
  std::atomic<bool> done{false};
  std::thread slow([running, &ran, &done] {
    ran = SQLExecDirect(running, text("@@fault delay 4"), SQL_NTS);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // A cancel that comes before the call waits for the server finds nothing to end: it is
  // repeated until the call has ended, each answering at once.
  const auto start = std::chrono::steady_clock::now();
  while (!done) {
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(SQLCancel(running), SQL_SUCCESS);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - asked)
                  .count(),
              1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  slow.join();
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start)
                .count(),
            2000);
  EXPECT_EQ(ran, SQL_ERROR);
  EXPECT_EQ(sqlState(running), "HY008");
  EXPECT_EQ(SQLExecDirect(running, text("select 1"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(sqlState(running), "08S01");
  SQLUINTEGER dead = SQL_CD_FALSE;
  EXPECT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE));
  SQLFreeHandle(SQL_HANDLE_STMT, running);
}

// With nothing running a cancel changes nothing, but ends a data-at-execution sequence: the
// statement runs again afterwards, on the same connection.
TEST_F(OdbcProgram, CancelWithNothingRunningEndsOnlyADataAtExecutionSequence) {
  exec("create table pieces (v text)");
  SQLHSTMT stmt = statement();
  EXPECT_EQ(SQLCancel(stmt), SQL_SUCCESS);
  SQLLEN atExecution = SQL_DATA_AT_EXEC;
  char token[] = "t";
  ASSERT_TRUE(SQL_SUCCEEDED(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10,
                                             0, token, 0, &atExecution)));
  ASSERT_EQ(SQLExecDirect(stmt, text("insert into pieces values (?)"), SQL_NTS), SQL_NEED_DATA);
  SQLPOINTER which = nullptr;
  ASSERT_EQ(SQLParamData(stmt, &which), SQL_NEED_DATA);
  EXPECT_EQ(SQLCancel(stmt), SQL_SUCCESS);
  EXPECT_EQ(storedRows("select count(*) from pieces"), "0\n");
  SQLLEN length = SQL_NTS;
  char value[] = "kept";
  ASSERT_TRUE(SQL_SUCCEEDED(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10,
                                             0, value, 0, &length)));
  run(stmt, "insert into pieces values (?)");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(storedRows("select v from pieces"), "kept\n");
}

// A catalog result is static and read-only while it lasts; once it is closed the statement's
// cursor is the application's again, so the next query on the handle reads forward only.
TEST_F(OdbcProgram, ACatalogCallLeavesTheApplicationsCursorBehindIt) {
  numbered("ten", 10);
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLTables(stmt, nullptr, 0, nullptr, 0, text("%"), SQL_NTS, nullptr, 0), SQL_SUCCESS);
  SQLULEN type = 0;
  EXPECT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE, &type, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(type, static_cast<SQLULEN>(SQL_CURSOR_STATIC));
  EXPECT_EQ(SQLFetchScroll(stmt, SQL_FETCH_LAST, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLCloseCursor(stmt), SQL_SUCCESS);
  EXPECT_EQ(SQLGetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE, &type, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(type, static_cast<SQLULEN>(SQL_CURSOR_FORWARD_ONLY));
  run(stmt, "select id from ten");
  EXPECT_EQ(SQLFetchScroll(stmt, SQL_FETCH_LAST, 0), SQL_ERROR);
  EXPECT_EQ(SQLFetch(stmt), SQL_SUCCESS);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
