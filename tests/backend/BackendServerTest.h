#pragma once
// Connections of the back end against the development server, which logs every SQL text it
// receives (sql.log in its data directory).
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "backend/DriverFactories.h"
#include "backend/KarvellConnection.h"
#include "client/kvl.h"
#include "core/Environment.h"
#include "tests/support/DevServer.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace backendtest {

struct Diagnostic {
  std::string state;
  SQLINTEGER native = 0;
  std::string message;
};

// Record `number` of a connection, a statement or anything with the same getDiagRec.
template <typename Handle>
Diagnostic diagnostic(Handle& handle, SQLSMALLINT number = 1) {
  char state[6] = {};
  char message[512] = {};
  Diagnostic record;
  SQLSMALLINT length = 0;
  if (handle.getDiagRec(number, state, &record.native, message, sizeof message, &length) !=
      SQL_SUCCESS)
    return {};
  record.state = state;
  record.message = message;
  return record;
}

// The message without its "[Ferrow][component] " prefix.
inline std::string bareMessage(const std::string& message) {
  const std::size_t end = message.find("] ");
  return end == std::string::npos ? message : message.substr(end + 2);
}

class BackendServerTest : public testsupport::DevServerTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    std::vector<std::string> args = {"--sql-log", "sql.log", "--users",
                                     "karvell:karvell,odd;user:p;w}d"};
    for (const std::string& arg : extraServerArgs()) args.push_back(arg);
    return args;
  }
  virtual std::vector<std::string> extraServerArgs() const { return {}; }

  void SetUp() override {
    DevServerTest::SetUp();
    environment_.reset(createEnvironment());
    ASSERT_NE(environment_, nullptr);
  }
  void TearDown() override {
    connections_.clear();
    environment_.reset();
    DevServerTest::TearDown();
  }

  Environment& environment() { return *environment_; }
#ifndef _WIN32
  testsupport::TempOdbcIni& ini() { return ini_; }
#endif

  // How often the server's log holds the text (for example "connected" per TCP connection).
  int serverLogCount(const std::string& text) {
    const std::string log = server().log();
    int count = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
      ++count;
    return count;
  }

  KarvellConnection& newConnection() {
    connections_.emplace_back(static_cast<KarvellConnection*>(createConnection(environment_.get())));
    return *connections_.back();
  }

  // SERVER and PORT of the test's server, then `more`.
  std::string serverString(const std::string& more = "") const {
    return "SERVER=127.0.0.1;PORT=" + std::to_string(port()) + ";" + more;
  }

  // SQLDriverConnect without prompts, as karvell unless the string names a user.
  SQLRETURN driverConnect(KarvellConnection& connection, const std::string& more = "",
                          SQLUSMALLINT completion = SQL_DRIVER_NOPROMPT) {
    std::string out;
    return connection.driverConnect(nullptr, serverString(more), out, completion);
  }
  SQLRETURN connectAsKarvell(KarvellConnection& connection, const std::string& more = "") {
    return driverConnect(connection, "UID=karvell;PWD=karvell;" + more);
  }

  // The texts the server received, in order, without the connection number.
  std::vector<std::string> sqlLog() {
    std::ifstream log(server().dataFile("sql.log"));
    std::vector<std::string> texts;
    for (std::string line; std::getline(log, line);) {
      const std::size_t space = line.find(' ');
      texts.push_back(line.substr(space + 1));
    }
    return texts;
  }

  // A plain client connection for looking at the server's state from outside.
  struct Client {
    KvlConnection* connection = nullptr;
    ~Client() { kvl_disconnect(connection, 1); }
  };
  std::unique_ptr<Client> client() {
    auto result = std::make_unique<Client>();
    EXPECT_EQ(kvl_connect(&result->connection, "127.0.0.1", port(), "karvell", "karvell", 10, 0),
              0);
    return result;
  }
  // The first field of the query's first row, "" for none; the query runs in its own session.
  std::string serverValue(const std::string& sql, const std::string& database = "") {
    auto peer = client();
    if (!database.empty())
      kvl_execute(peer->connection, ("USE DATABASE '" + database + "';").c_str());
    KvlCursor* cursor = kvl_select(peer->connection, sql.c_str());
    std::string value;
    if (cursor != nullptr && !kvl_cursor_is_eof(cursor)) {
      std::uint32_t length = 0;
      const char* field = kvl_cursor_field(cursor, 1, 1, &length);
      if (field != nullptr) value.assign(field, length);
    }
    kvl_cursor_free(cursor);
    return value;
  }
  // Connections the server holds besides the asking one.
  int openConnections() { return std::stoi(serverValue("@@stats")); }

 private:
#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  std::unique_ptr<Environment> environment_;
  std::vector<std::unique_ptr<KarvellConnection>> connections_;
};

}  // namespace backendtest
