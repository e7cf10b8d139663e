// What a connection frees and makes, through the Driver Manager: statements
// still holding a result the server keeps when the application disconnects
// (unixODBC calls SQLDisconnect with them still allocated), and descriptors the
// application allocates itself, copied into and fetched through.
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

SQLCHAR *text(const char *sql) { return reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql)); }

// A server that keeps results on its side and hands them out two rows at a
// time: a statement holds its result there until it is closed.
class ServerCursorProgram : public OdbcProgram {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--server-cursors", "--chunk-rows", "2"};
  }

  // The ids of a query on a fresh statement, read one fetch at a time.
  std::vector<int> ids(const char *sql) {
    SQLHSTMT stmt = statement();
    std::vector<int> read;
    if (SQL_SUCCEEDED(SQLExecDirect(stmt, text(sql), SQL_NTS))) {
      SQLINTEGER id = 0;
      SQLLEN length = 0;
      SQLBindCol(stmt, 1, SQL_C_SLONG, &id, 0, &length);
      while (SQLFetch(stmt) == SQL_SUCCESS) read.push_back(id);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return read;
  }
};

// Disconnecting frees the statements the application left, each closing its
// result on the server while the connection to it is still there; the server
// then answers a new connection as before.
// A query's time-out bounds its own request: rows the server hands out later, long after it ran,
// are read without an expired bound, and a commit after them too.
TEST_F(ServerCursorProgram, RowsReadLaterMeetNoExpiredTimeOut) {
  numbered("later", 6);
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0),
            SQL_SUCCESS);
  run(stmt, "select id from later");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  int rows = 0;
  while (SQLFetch(stmt) == SQL_SUCCESS) ++rows;
  EXPECT_EQ(rows, 6) << state(SQL_HANDLE_STMT, stmt);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLUINTEGER dead = SQL_CD_TRUE;
  EXPECT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_FALSE));
}

TEST_F(ServerCursorProgram, DisconnectWithStatementsStillHoldingServerResults) {
  numbered("t", 10);
  struct Case {
    const char *what;
    int rowsRead;  // -1: executed and not fetched
  };
  const Case cases[] = {{"executed, nothing read", -1},
                        {"one row read of the first two", 1},
                        {"past the first two rows", 3},
                        {"every row read", 10}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<SQLHSTMT> open;
    for (int k = 0; k < 2; ++k) {
      SQLHSTMT stmt = statement();
      ASSERT_TRUE(
          SQL_SUCCEEDED(SQLExecDirect(stmt, text("select id, v from t order by id"), SQL_NTS)))
          << state(SQL_HANDLE_STMT, stmt);
      for (int row = 0; row < c.rowsRead; ++row) {
        ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS) << row;
        SQLINTEGER id = 0;
        ASSERT_TRUE(SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SLONG, &id, 0, nullptr)));
        EXPECT_EQ(id, row + 1);
      }
      open.push_back(stmt);
    }
    // An application descriptor installed on one of them goes too.
    SQLHDESC desc = SQL_NULL_HDESC;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &desc), SQL_SUCCESS)
        << state(SQL_HANDLE_DBC, dbc);
    ASSERT_EQ(SQLSetStmtAttr(open[0], SQL_ATTR_APP_ROW_DESC, desc, 0), SQL_SUCCESS);

    ASSERT_EQ(SQLDisconnect(dbc), SQL_SUCCESS) << state(SQL_HANDLE_DBC, dbc);
    connected = false;
    std::string in = "Driver={Karvell ODBC};Server=127.0.0.1;Port=" + std::to_string(port()) +
                     ";UID=karvell;PWD=karvell";
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, text(in.c_str()), SQL_NTS, nullptr, 0,
                                               nullptr, SQL_DRIVER_NOPROMPT)))
        << state(SQL_HANDLE_DBC, dbc);
    connected = true;
    EXPECT_EQ(ids("select id from t where id > 7 order by id"), (std::vector<int>{8, 9, 10}));
  }
}

// The descriptor that SQLBindCol filled on one statement, copied into one of
// the application's own and installed on another statement: that statement's
// rows land in the first one's buffers.
TEST_F(OdbcProgram, AnExplicitDescriptorCopiedAndInstalledAsTheRowDescriptor) {
  numbered("t", 3);
  SQLHDESC desc = SQL_NULL_HDESC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &desc), SQL_SUCCESS) << state(SQL_HANDLE_DBC, dbc);
  SQLSMALLINT allocType = 0;
  ASSERT_EQ(SQLGetDescField(desc, 0, SQL_DESC_ALLOC_TYPE, &allocType, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(allocType, SQL_DESC_ALLOC_USER);

  SQLHSTMT binder = statement();
  SQLINTEGER id = 0;
  SQLLEN idLength = 0;
  char v[16] = {};
  SQLLEN vLength = 0;
  ASSERT_EQ(SQLBindCol(binder, 1, SQL_C_SLONG, &id, 0, &idLength), SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(binder, 2, SQL_C_CHAR, v, sizeof v, &vLength), SQL_SUCCESS);
  SQLHDESC binderArd = SQL_NULL_HDESC;
  ASSERT_EQ(SQLGetStmtAttr(binder, SQL_ATTR_APP_ROW_DESC, &binderArd, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(SQLCopyDesc(binderArd, desc), SQL_SUCCESS) << state(SQL_HANDLE_DESC, desc);
  SQLSMALLINT count = 0;
  ASSERT_EQ(SQLGetDescField(desc, 0, SQL_DESC_COUNT, &count, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(count, 2);

  SQLHSTMT reader = statement();
  ASSERT_EQ(SQLSetStmtAttr(reader, SQL_ATTR_APP_ROW_DESC, desc, 0), SQL_SUCCESS)
      << state(SQL_HANDLE_STMT, reader);
  SQLHDESC installed = SQL_NULL_HDESC;
  ASSERT_EQ(SQLGetStmtAttr(reader, SQL_ATTR_APP_ROW_DESC, &installed, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(installed, desc);
  run(reader, "select id, v from t order by id");
  for (int row = 1; row <= 3; ++row) {
    ASSERT_EQ(SQLFetch(reader), SQL_SUCCESS) << row;
    EXPECT_EQ(id, row);
    EXPECT_EQ(std::string(v), "r" + std::to_string(row));
    EXPECT_EQ(vLength, 2);
  }
  EXPECT_EQ(SQLFetch(reader), SQL_NO_DATA);
  SQLCloseCursor(reader);

  // A record set on the descriptor itself binds as SQLBindCol would; COUNT
  // leaves the second.
  SQLINTEGER bound = 0;
  SQLLEN boundLength = 0;
  ASSERT_EQ(SQLSetDescRec(desc, 1, SQL_C_SLONG, 0, sizeof bound, 0, 0, &bound, &boundLength,
                          &boundLength),
            SQL_SUCCESS)
      << state(SQL_HANDLE_DESC, desc);
  ASSERT_EQ(SQLSetDescField(desc, 0, SQL_DESC_COUNT, reinterpret_cast<SQLPOINTER>(1), 0),
            SQL_SUCCESS);
  run(reader, "select id from t where id = 2");
  ASSERT_EQ(SQLFetch(reader), SQL_SUCCESS) << state(SQL_HANDLE_STMT, reader);
  EXPECT_EQ(bound, 2);
  SQLCloseCursor(reader);

  // Freed, the descriptor leaves the statement its own again, with nothing
  // bound.
  ASSERT_EQ(SQLFreeHandle(SQL_HANDLE_DESC, desc), SQL_SUCCESS);
  ASSERT_EQ(SQLGetStmtAttr(reader, SQL_ATTR_APP_ROW_DESC, &installed, 0, nullptr), SQL_SUCCESS);
  EXPECT_NE(installed, desc);
  bound = 0;
  run(reader, "select id from t where id = 3");
  ASSERT_EQ(SQLFetch(reader), SQL_SUCCESS);
  EXPECT_EQ(bound, 0);
  SQLFreeHandle(SQL_HANDLE_STMT, reader);
  SQLFreeHandle(SQL_HANDLE_STMT, binder);
}

}  // namespace
