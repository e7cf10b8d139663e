// Two threads, each with a connection of its own to the development server, both traced into the
// one trace of their environment: connect, execute, fetch and disconnect side by side. Run under
// ThreadSanitizer (build/tsan) this shows the trace and the shared environment free of races.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/Odbc.h"
#include "tests/support/DevServer.h"
#include "tests/support/TracedEnvironment.h"

namespace {

using TracedThreads = testsupport::DevServerTest;

// One thread's session: its numbers selected back and summed; the call, SQLSTATE and message of
// the first failure, or "" when every call succeeded.
std::string session(SQLHENV env, int port, int thread, long long& sum) {
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc) != SQL_SUCCESS) return "alloc dbc";
  std::string in = "Server=127.0.0.1;Port=" + std::to_string(port) + ";UID=karvell;PWD=karvell";
  std::string failure;
  auto check = [&](SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc, const char* call) {
    if (SQL_SUCCEEDED(rc) || !failure.empty()) return SQL_SUCCEEDED(rc);
    SQLCHAR state[6] = {};
    SQLCHAR message[512] = {};
    SQLGetDiagRec(type, handle, 1, state, nullptr, message, sizeof message, nullptr);
    failure = std::string(call) + " " + reinterpret_cast<char*>(state) + " " +
              reinterpret_cast<char*>(message);
    return false;
  };
  if (check(SQL_HANDLE_DBC, dbc,
            SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]), SQL_NTS, nullptr,
                             0, nullptr, SQL_DRIVER_NOPROMPT),
            "SQLDriverConnect")) {
    const std::string table = "t" + std::to_string(thread);
    for (int round = 0; round < 5 && failure.empty(); ++round) {
      SQLHSTMT stmt = SQL_NULL_HSTMT;
      if (!check(SQL_HANDLE_DBC, dbc, SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "alloc stmt")) {
        break;
      }
      std::string sql = round == 0 ? "create table " + table + " (n integer)"
                                   : "insert into " + table + " values (" +
                                         std::to_string(round) + ")";
      check(SQL_HANDLE_STMT, stmt,
            SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(&sql[0]), SQL_NTS), "SQLExecDirect");
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (check(SQL_HANDLE_DBC, dbc, SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "alloc stmt")) {
      std::string sql = "select n from " + table + " order by n";
      SQLINTEGER n = 0;
      SQLLEN length = 0;
      if (check(SQL_HANDLE_STMT, stmt,
                SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(&sql[0]), SQL_NTS),
                "SQLExecDirect") &&
          check(SQL_HANDLE_STMT, stmt, SQLBindCol(stmt, 1, SQL_C_SLONG, &n, 0, &length),
                "SQLBindCol")) {
        while (SQLFetch(stmt) == SQL_SUCCESS) sum += n;
      }
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    check(SQL_HANDLE_DBC, dbc, SQLDisconnect(dbc), "SQLDisconnect");
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  return failure;
}

TEST_F(TracedThreads, ConnectExecuteFetchAndDisconnectSideBySide) {
  testsupport::TracedEnvironment traced;
  SQLHENV env = &traced.environment();
  std::string failures[3];
  long long sums[3] = {0, 0, 0};
  // A first session makes the server's database, which its clients find made.
  failures[2] = session(env, port(), 2, sums[2]);
  std::vector<std::thread> threads;
  for (int thread = 0; thread < 2; ++thread) {
    threads.emplace_back([&, thread] {
      failures[thread] = session(env, port(), thread, sums[thread]);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int thread = 0; thread < 3; ++thread) {
    EXPECT_EQ(failures[thread], "") << "thread " << thread;
    EXPECT_EQ(sums[thread], 1 + 2 + 3 + 4) << "thread " << thread;
  }
  // Every connection traced whole lines: each one's disconnect is there.
  const std::vector<std::string> lines = traced.lines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) {
                            return line.rfind("rc = SQLDisconnect(", 0) == 0;
                          }),
            3);
}

}  // namespace
