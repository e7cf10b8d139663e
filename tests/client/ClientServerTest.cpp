// The client against the development server on a loopback port: logins, queries, commands,
// bindings and prepared statements, in clear and encrypted.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "tests/client/ClientMemoryPeer.h"
#include "tests/support/DevServer.h"

namespace {

using clienttest::field;

constexpr const char* refusal = "Login refused: unknown user or wrong password";

struct Login {
  int encryption;
  bool unhashed;
  const char* token;
};

std::string describe(const Login& login) {
  return "encryption " + std::to_string(login.encryption) + (login.unhashed ? " unhashed" : " hashed") +
         (login.token ? " with token" : "");
}

class ClientServer : public testsupport::DevServerTest {
 protected:
  void TearDown() override {
    for (KvlConnection* connection : open_) kvl_disconnect(connection, 1);
    testsupport::DevServerTest::TearDown();
  }

  KvlConnection* connect(const Login& login, const char* password = "karvell") {
    KvlConnection* connection = nullptr;
    int result = kvl_open(&connection, "127.0.0.1", port(), "karvell", password, 12, login.encryption, login.token,
                          login.unhashed ? 1 : 0);
    if (connection != nullptr) open_.push_back(connection);
    EXPECT_EQ(result, 0) << describe(login) << ": " << (connection ? kvl_error_message(connection) : "no record");
    return result == 0 ? connection : nullptr;
  }

  void run(KvlConnection* connection, const std::string& sql) {
    ASSERT_EQ(kvl_execute(connection, sql.c_str()), 0) << sql << ": " << kvl_error_message(connection);
  }

  std::string scalar(KvlConnection* connection, const std::string& sql) {
    KvlCursor* cursor = kvl_select(connection, sql.c_str());
    EXPECT_NE(cursor, nullptr) << sql << ": " << kvl_error_message(connection);
    if (cursor == nullptr) return "<failed>";
    std::string value = field(cursor, 1, 1);
    kvl_cursor_free(cursor);
    return value;
  }

  std::vector<KvlConnection*> open_;
};

TEST_F(ClientServer, LogsInInClearAndAtEveryEncryptionLevel) {
  for (int encryption : {0, 2, 3, 4, 256}) {
    for (bool unhashed : {false, true}) {
      for (const char* token : {static_cast<const char*>(nullptr), "session-token"}) {
        Login login{encryption, unhashed, token};
        KvlConnection* connection = connect(login);
        if (connection == nullptr) continue;
        EXPECT_EQ(kvl_ping(connection), 0) << describe(login);
        EXPECT_EQ(scalar(connection, "SELECT 'round' || 'trip';"), "roundtrip") << describe(login);
      }
    }
  }
}

#ifndef _WIN32
TEST_F(ClientServer, SocketOnDescriptorZeroIsUsedLikeAnyOther) {
  int saved = dup(0);
  close(0);
  KvlConnection* connection = nullptr;
  int result = kvl_connect(&connection, "127.0.0.1", port(), "karvell", "karvell", 12, 0);
  bool onZero = connection != nullptr && connection->socket == 0;
  int ping = result == 0 ? kvl_ping(connection) : -1;
  kvl_disconnect(connection, 1);
  dup2(saved, 0);
  close(saved);
  EXPECT_TRUE(onZero);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ping, 0);
}
#endif

TEST_F(ClientServer, WrongPasswordIsRefusedWithTheServersText) {
  for (int encryption : {0, 4}) {
    KvlConnection* connection = nullptr;
    EXPECT_EQ(kvl_connect(&connection, "127.0.0.1", port(), "karvell", "wrong", 12, encryption), -1);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(kvl_error_code(connection), 7000);
    EXPECT_STREQ(kvl_error_message(connection), refusal);
    kvl_disconnect(connection, 0);
  }
}

TEST_F(ClientServer, FailedLoginsLeaveNoConnectionOpen) {
  for (int i = 0; i < 3; ++i) {
    KvlConnection* connection = nullptr;
    EXPECT_EQ(kvl_connect(&connection, "127.0.0.1", port(), "nobody", "x", 12, 2), -1);
    kvl_disconnect(connection, 0);
  }
  KvlConnection* observer = connect({0, false, nullptr});
  ASSERT_NE(observer, nullptr);
  // The server notices closed sockets as it reads from them; give it a moment.
  std::string open;
  for (int attempt = 0; attempt < 50 && open != "0"; ++attempt) {
    open = scalar(observer, "@@stats");
    if (open != "0") kvl_ping(observer);
  }
  EXPECT_EQ(open, "0");
}

TEST_F(ClientServer, NullAndEmptyTextComeBackApart) {
  for (int encryption : {0, 3}) {
    KvlConnection* connection = connect({encryption, false, nullptr});
    ASSERT_NE(connection, nullptr);
    KvlCursor* cursor = kvl_select(connection, "SELECT NULL AS n, '' AS e, 'x' AS x;");
    ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
    std::uint32_t length = 0;
    EXPECT_EQ(kvl_cursor_field(cursor, 1, 1, &length), nullptr);
    EXPECT_EQ(length, KVL_NULL_LENGTH);
    EXPECT_NE(kvl_cursor_field(cursor, 1, 2, &length), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(field(cursor, 0, 2), "e");
    EXPECT_EQ(field(cursor, 1, 3), "x");
    kvl_cursor_free(cursor);
  }
}

TEST_F(ClientServer, ExecuteCommitRollbackAndPing) {
  KvlConnection* connection = connect({0, false, nullptr});
  ASSERT_NE(connection, nullptr);
  run(connection, "CREATE TABLE t (n INTEGER);");
  run(connection, "SET AUTOCOMMIT TO OFF;");
  run(connection, "INSERT INTO t VALUES (1);");
  ASSERT_EQ(kvl_rollback(connection), 0);
  EXPECT_EQ(scalar(connection, "SELECT COUNT(*) FROM t;"), "0");
  run(connection, "INSERT INTO t VALUES (2);");
  ASSERT_EQ(kvl_commit(connection), 0);
  run(connection, "SET AUTOCOMMIT TO ON;");
  EXPECT_EQ(scalar(connection, "SELECT SUM(n) FROM t;"), "2");
  EXPECT_EQ(kvl_ping(connection), 0);
  EXPECT_EQ(kvl_error_code(connection), 0);
}

TEST_F(ClientServer, SqlErrorsCarryCodeAndMessageAndTheConnectionGoesOn) {
  for (int encryption : {0, 2}) {
    KvlConnection* connection = connect({encryption, false, nullptr});
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(kvl_select(connection, "SELECT * FROM missing;"), nullptr);
    EXPECT_EQ(kvl_error_code(connection), 7010);
    EXPECT_STREQ(kvl_error_message(connection), "no such table: missing");
    EXPECT_EQ(kvl_execute(connection, "DROP TABLE missing;"), -1);
    EXPECT_EQ(kvl_error_code(connection), 7010);
    EXPECT_EQ(kvl_ping(connection), 0);
    EXPECT_EQ(kvl_error_code(connection), 0);
    EXPECT_STREQ(kvl_error_message(connection), "");
  }
}

TEST_F(ClientServer, BindExchangeSendsEachTypeAndLeavesTheCallersArraysAlone) {
  for (int encryption : {0, 4}) {
    KvlConnection* connection = connect({encryption, false, nullptr});
    ASSERT_NE(connection, nullptr);
    run(connection, "DROP TABLE IF EXISTS b;");
    run(connection, "CREATE TABLE b (i INTEGER, d REAL, t TEXT, x BLOB, z TEXT, w INTEGER);");
    const char blob[] = {'\x01', '\0', '\x02'};
    const void* values[] = {"42", "2.5", "hello", blob, nullptr, "9000000000"};
    int lengths[] = {2, 3, 5, 3, 0, 10};
    int types[] = {KVL_TYPE_INTEGER, KVL_TYPE_DOUBLE, KVL_TYPE_TEXT, KVL_TYPE_BLOB, KVL_TYPE_NULL, KVL_TYPE_INT64};
    kvl_bind(connection, "INSERT INTO b VALUES (?, ?, ?, ?, ?, ?);", values, lengths, types, 6);
    ASSERT_EQ(kvl_error_code(connection), 0) << kvl_error_message(connection);
    EXPECT_EQ(lengths[0], 2);
    EXPECT_EQ(lengths[4], 0);
    EXPECT_EQ(values[4], nullptr);
    KvlCursor* cursor = kvl_select(connection, "SELECT i, d, t, hex(x), typeof(z), w FROM b;");
    ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
    EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 1, 0), 42);
    EXPECT_DOUBLE_EQ(kvl_cursor_field_double(cursor, 1, 2, 0), 2.5);
    EXPECT_EQ(field(cursor, 1, 3), "hello");
    EXPECT_EQ(field(cursor, 1, 4), "010002");
    EXPECT_EQ(field(cursor, 1, 5), "null");
    EXPECT_EQ(kvl_cursor_field_int64(cursor, 1, 6, 0), 9000000000LL);
    kvl_cursor_free(cursor);
  }
}

TEST_F(ClientServer, PreparedStatementsBindExecuteAndSelect) {
  for (int encryption : {0, 3}) {
    KvlConnection* connection = connect({encryption, false, nullptr});
    ASSERT_NE(connection, nullptr);
    run(connection, "DROP TABLE IF EXISTS p;");
    run(connection, "CREATE TABLE p (i INTEGER, l INTEGER, d REAL, t TEXT, b BLOB, n TEXT, z BLOB);");
    KvlPreparedStatement* insert = kvl_prepare(connection, "INSERT INTO p VALUES (?, ?, ?, ?, ?, ?, ?);");
    ASSERT_NE(insert, nullptr) << kvl_error_message(connection);
    EXPECT_EQ(kvl_owner_connection(insert), connection);
    kvl_prepared_bind_int(insert, 1, -7);
    kvl_prepared_bind_int64(insert, 2, -9000000000LL);
    kvl_prepared_bind_double(insert, 3, 1e300);  // over 300 characters as fixed-point text
    kvl_prepared_bind_text(insert, 4, "text");
    kvl_prepared_bind_blob(insert, 5, "\x01\x02", 2);
    kvl_prepared_bind_null(insert, 6);
    kvl_prepared_bind_zeroblob(insert, 7, 4);
    ASSERT_EQ(kvl_error_code(connection), 0) << kvl_error_message(connection);
    ASSERT_EQ(kvl_prepared_execute(insert), 0) << kvl_error_message(connection);
    EXPECT_EQ(kvl_prepared_close(insert), 0);

    KvlPreparedStatement* query = kvl_prepare(connection, "SELECT i, l, d, t, hex(b), n, hex(z) FROM p WHERE i = ?;");
    ASSERT_NE(query, nullptr) << kvl_error_message(connection);
    kvl_prepared_bind_int(query, 1, -7);
    KvlCursor* cursor = kvl_prepared_select(query);
    ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
    ASSERT_EQ(kvl_cursor_row_count(cursor), 1);
    EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 1, 0), -7);
    EXPECT_EQ(kvl_cursor_field_int64(cursor, 1, 2, 0), -9000000000LL);
    EXPECT_DOUBLE_EQ(kvl_cursor_field_double(cursor, 1, 3, 0), 1e300);
    EXPECT_EQ(field(cursor, 1, 4), "text");
    EXPECT_EQ(field(cursor, 1, 5), "0102");
    EXPECT_EQ(field(cursor, 1, 6), "<null>");
    EXPECT_EQ(field(cursor, 1, 7), "00000000");
    kvl_cursor_free(cursor);
    EXPECT_EQ(kvl_prepared_close(query), 0);
  }
}

TEST_F(ClientServer, SeekWalksAQueryResult) {
  KvlConnection* connection = connect({0, false, nullptr});
  ASSERT_NE(connection, nullptr);
  KvlCursor* cursor = kvl_select(connection, "SELECT value FROM (SELECT 1 AS value UNION ALL SELECT 2 UNION ALL "
                                             "SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5) ORDER BY value;");
  ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
  std::string seen;
  for (; !kvl_cursor_is_eof(cursor); kvl_cursor_seek(cursor, KVL_SEEK_NEXT)) seen += field(cursor, -1, 1);
  EXPECT_EQ(seen, "12345");
  EXPECT_EQ(kvl_cursor_seek(cursor, KVL_SEEK_LAST), 1);
  EXPECT_EQ(field(cursor, -1, 1), "5");
  kvl_cursor_free(cursor);
}

// Results of 30 rows in chunks of 10 rows, compressed or not, in clear and encrypted.
class ClientServerChunks : public ClientServer {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--chunk-rows", "10", "--compress-min", "64"}; }
};

TEST_F(ClientServerChunks, ChunkedAndCompressedResultsReadBack) {
  for (int encryption : {0, 2, 4}) {
    KvlConnection* connection = connect({encryption, false, nullptr});
    ASSERT_NE(connection, nullptr);
    run(connection, "DROP TABLE IF EXISTS c;");
    run(connection, "CREATE TABLE c (n INTEGER, t TEXT);");
    run(connection, "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 30) "
                    "INSERT INTO c SELECT n, printf('row %03d of a compressible text', n) FROM k;");
    KvlCursor* cursor = kvl_select(connection, "SELECT n, t FROM c ORDER BY n;");
    ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
    ASSERT_EQ(kvl_cursor_row_count(cursor), 30);
    for (int row : {30, 10, 11, 1, 20, 21}) {
      EXPECT_EQ(kvl_cursor_field_int(cursor, row, 1, 0), row);
      char expected[64];
      std::snprintf(expected, sizeof expected, "row %03d of a compressible text", row);
      EXPECT_EQ(field(cursor, row, 2), expected);
    }
    kvl_cursor_free(cursor);
    // Small results stay below the compression threshold and unchunked.
    EXPECT_EQ(scalar(connection, "SELECT 'small';"), "small");
  }
}

}  // namespace
