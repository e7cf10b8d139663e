// Threads sharing one connection to the development server: some end transactions and switch
// autocommit on it while others query through statements of their own, and a disconnect comes
// while a statement's call runs. Each call's request and reply must stay its own, so every answer
// is checked; run under ThreadSanitizer (build/tsan) this shows the connection free of races.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Odbc.h"
#include "tests/support/DevServer.h"

namespace {

SQLCHAR* text(const std::string& sql) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
}

std::string stateOf(SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR state[6] = {};
  SQLCHAR message[512] = {};
  SQLGetDiagRec(type, handle, 1, state, nullptr, message, sizeof message, nullptr);
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

class SharedConnectionThreads : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_SUCCESS);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    dbc = connect();
    ASSERT_NE(dbc, nullptr);
  }

  void TearDown() override {
    for (SQLHDBC connection : connections) {
      SQLDisconnect(connection);
      SQLFreeHandle(SQL_HANDLE_DBC, connection);
    }
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
    DevServerTest::TearDown();
  }

  SQLHDBC connect() {
    SQLHDBC connection = SQL_NULL_HDBC;
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &connection), SQL_SUCCESS);
    const std::string in =
        "Server=127.0.0.1;Port=" + std::to_string(port()) + ";UID=karvell;PWD=karvell";
    const SQLRETURN rc = SQLDriverConnect(connection, nullptr, text(in), SQL_NTS, nullptr, 0,
                                          nullptr, SQL_DRIVER_NOPROMPT);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << stateOf(SQL_HANDLE_DBC, connection);
    connections.push_back(connection);
    return connection;
  }

  // The statement's call, or "" when it succeeded.
  static std::string run(SQLHSTMT stmt, const std::string& sql) {
    if (SQL_SUCCEEDED(SQLExecDirect(stmt, text(sql), SQL_NTS))) return "";
    return sql + ": " + stateOf(SQL_HANDLE_STMT, stmt);
  }

  // The one integer a query answers, or -1.
  static long long single(SQLHSTMT stmt, const std::string& sql) {
    long long value = -1;
    if (run(stmt, sql).empty() && SQLFetch(stmt) == SQL_SUCCESS) {
      SQLBIGINT read = 0;
      if (SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SBIGINT, &read, 0, nullptr))) value = read;
    }
    SQLCloseCursor(stmt);
    return value;
  }

  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  std::vector<SQLHDBC> connections;
};

// Writers insert and commit through each of the three ways of ending a transaction, one switches
// autocommit off again and again, readers ask for numbers of their own: every call succeeds, every
// reader reads its own number, and every committed row is there for another connection.
TEST_F(SharedConnectionThreads, CommitsAndAutocommitWhileOthersQuery) {
  {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
    ASSERT_EQ(run(stmt, "create table w (writer integer, round integer)"), "");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  ASSERT_EQ(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
            SQL_SUCCESS);
  constexpr int writers = 3;
  constexpr int readers = 2;
  constexpr int rounds = 15;
  std::vector<std::string> failures(writers + readers + 1);
  std::atomic<bool> writing{true};
  std::vector<std::thread> threads;
  for (int writer = 0; writer < writers; ++writer) {
    threads.emplace_back([&, writer] {
      SQLHSTMT stmt = SQL_NULL_HSTMT;
      SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
      std::string& failure = failures[writer];
      for (int round = 0; round < rounds && failure.empty(); ++round) {
        failure = run(stmt, "insert into w values (" + std::to_string(writer) + ", " +
                                std::to_string(round) + ")");
        if (!failure.empty()) break;
        SQLRETURN rc = SQL_ERROR;
        if (writer == 0) rc = SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
        if (writer == 1) rc = SQLTransact(SQL_NULL_HENV, dbc, SQL_COMMIT);
        if (writer == 2) rc = SQLEndTran(SQL_HANDLE_ENV, env, SQL_COMMIT);
        if (rc != SQL_SUCCESS) {
          failure = "commit " + std::to_string(rc) + " " +
                    (writer == 2 ? stateOf(SQL_HANDLE_ENV, env) : stateOf(SQL_HANDLE_DBC, dbc));
        }
      }
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    });
  }
  for (int reader = 0; reader < readers; ++reader) {
    threads.emplace_back([&, reader] {
      SQLHSTMT stmt = SQL_NULL_HSTMT;
      SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
      std::string& failure = failures[writers + reader];
      for (int k = 0; k < 2 * rounds && failure.empty(); ++k) {
        const long long asked = 1000 * (reader + 1) + k;
        const long long answer = single(stmt, "select " + std::to_string(asked));
        if (answer != asked) {
          failure = "asked " + std::to_string(asked) + ", read " + std::to_string(answer) + " " +
                    stateOf(SQL_HANDLE_STMT, stmt);
        }
      }
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    });
  }
  std::thread autocommit([&] {
    std::string& failure = failures[writers + readers];
    while (writing && failure.empty()) {
      SQLUINTEGER mode = SQL_AUTOCOMMIT_ON;
      if (SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0) != SQL_SUCCESS ||
          SQLGetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, &mode, 0, nullptr) != SQL_SUCCESS ||
          mode != SQL_AUTOCOMMIT_OFF) {
        failure = "autocommit " + stateOf(SQL_HANDLE_DBC, dbc);
      }
    }
  });
  for (std::thread& thread : threads) thread.join();
  writing = false;
  autocommit.join();
  for (std::size_t k = 0; k < failures.size(); ++k) EXPECT_EQ(failures[k], "") << "thread " << k;

  // Seen from another connection: only committed rows are.
  SQLHDBC other = connect();
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, other, &stmt), SQL_SUCCESS);
  EXPECT_EQ(single(stmt, "select count(*) from w"), writers * rounds);
  EXPECT_EQ(single(stmt, "select count(distinct writer * 100 + round) from w"), writers * rounds);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// A disconnect from another thread waits for the statement call running on the connection, which
// ends as it would have; only then are the statements freed and the connection closed.
TEST_F(SharedConnectionThreads, DisconnectWaitsForTheRunningStatementCall) {
  SQLHSTMT running = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &running), SQL_SUCCESS);
  std::string failure = "not run";
  std::atomic<bool> started{false};
  std::chrono::steady_clock::time_point began;
  std::thread slow([&] {
    began = std::chrono::steady_clock::now();
    started = true;
    failure = run(running, "@@fault delay 1");
  });
  while (!started) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(SQLDisconnect(dbc), SQL_SUCCESS) << stateOf(SQL_HANDLE_DBC, dbc);
  const auto disconnected = std::chrono::steady_clock::now();
  slow.join();
  // The call ran whole, so the disconnect waited for it: the server held its answer a second.
  // (Which thread reads the clock first once the call lets go is not for the test to say.)
  EXPECT_EQ(failure, "");
  EXPECT_GE(disconnected - began, std::chrono::milliseconds(950));
  // Connected again, the handle works as before.
  const std::string in =
      "Server=127.0.0.1;Port=" + std::to_string(port()) + ";UID=karvell;PWD=karvell";
  ASSERT_TRUE(SQL_SUCCEEDED(
      SQLDriverConnect(dbc, nullptr, text(in), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
  EXPECT_EQ(single(stmt, "select 7"), 7);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// A cancel from another thread ends the statement call that waits for the server: the call
// answers "HY008" at once, and the connection closed under it answers "08S01" afterwards while
// another statement of it is used from a third thread.
TEST_F(SharedConnectionThreads, ACancelEndsTheWaitingCallAndTheConnection) {
  SQLHSTMT running = SQL_NULL_HSTMT;
  SQLHSTMT other = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &running), SQL_SUCCESS);
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &other), SQL_SUCCESS);
  std::string failure;
  std::atomic<bool> started{false};
  std::atomic<bool> ended{false};
  std::thread slow([&] {
    started = true;
    failure = run(running, "@@fault delay 5");
    ended = true;
  });
  while (!started) std::this_thread::yield();
  // A cancel that comes before the call waits for the server finds nothing to end: it is
  // repeated until the call has ended.
  const auto cancelled = std::chrono::steady_clock::now();
  while (!ended) {
    EXPECT_EQ(SQLCancel(running), SQL_SUCCESS);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  slow.join();
  EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(3));
  EXPECT_NE(failure.find("HY008"), std::string::npos) << failure;
  std::string later;
  std::thread third([&] { later = run(other, "select 1"); });
  third.join();
  EXPECT_NE(later.find("08S01"), std::string::npos) << later;
  SQLUINTEGER dead = SQL_CD_FALSE;
  EXPECT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE));
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, running), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, other), SQL_SUCCESS);
}

}  // namespace
