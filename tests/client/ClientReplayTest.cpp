// Real exchanges with the development server, recorded as the bytes arrive and replayed from
// memory: the replay must give the same results. The recordings are also the reply fuzzer's seed
// inputs (fuzz/corpus/client_replies), written to the build tree on every run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "client/kvl_login.h"
#include "client/kvl_socket.h"
#include "tests/client/ClientMemoryPeer.h"
#include "tests/support/DevServer.h"

namespace {

using clienttest::Bytes;
using clienttest::field;
using clienttest::MemoryPeer;

// Talks through the real socket and keeps a copy of everything received.
struct Recorder {
  static Bytes& log(KvlConnection* connection) { return *static_cast<Bytes*>(kvl_get_user_data(connection)); }
  static std::ptrdiff_t receive(KvlConnection* connection, std::uint8_t* bytes, std::size_t length) {
    if (platform::waitReadable(connection->socket, 10000) != platform::SocketWait::ready) return -1;
    std::ptrdiff_t n = platform::receiveSome(connection->socket, bytes, length);
    if (n > 0) log(connection).insert(log(connection).end(), bytes, bytes + n);
    return n == platform::transferPending ? receive(connection, bytes, length) : n;
  }
  static std::ptrdiff_t send(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length) {
    if (platform::waitWritable(connection->socket, 10000) != platform::SocketWait::ready) return -1;
    return platform::sendSome(connection->socket, bytes, length);
  }
};
const KvlTransport recordingTransport{&Recorder::receive, &Recorder::send};

// What a request answered, as text, so that a live run and its replay can be compared.
using Exchange = std::function<std::string(KvlConnection*)>;

std::string describe(KvlConnection* connection, KvlCursor* cursor) {
  if (cursor == nullptr)
    return "error " + std::to_string(kvl_error_code(connection)) + " " + kvl_error_message(connection);
  std::string text = std::to_string(kvl_cursor_row_count(cursor)) + " rows:";
  for (int row = -2; row <= kvl_cursor_row_count(cursor); ++row) {
    for (int column = 1; column <= kvl_cursor_column_count(cursor); ++column) text += " " + field(cursor, row, column);
  }
  kvl_cursor_free(cursor);
  return text;
}

Exchange query(const char* sql) {
  return [sql](KvlConnection* connection) { return describe(connection, kvl_select(connection, sql)); };
}

std::string status(KvlConnection* connection, int result) {
  return std::to_string(result) + " " + std::to_string(kvl_error_code(connection)) + " " +
         kvl_error_message(connection);
}

struct Recording {
  const char* name;
  std::uint8_t mode;  // the fuzzer's first byte
  std::vector<std::string> serverOptions;
  bool login;  // the exchange is the login itself
  Exchange exchange;
};

class ClientReplay : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_WITHOUT_DEVSERVER(); }

  void recordAndReplay(const Recording& recording) {
    testsupport::DevServer server(recording.serverOptions);
    ASSERT_TRUE(server.running());
    Bytes received;
    KvlConnection* live = nullptr;
    if (recording.login) {
      kvl_init();
      live = kvl_connection_new("127.0.0.1", static_cast<std::uint32_t>(server.port()), "karvell", "karvell", 12, 0);
      ASSERT_NE(kvl_socket_open(live), platform::noSocket);
    } else {
      ASSERT_EQ(kvl_connect(&live, "127.0.0.1", server.port(), "karvell", "karvell", 12, 0), 0);
      ASSERT_EQ(kvl_execute(live, "CREATE TABLE t (n INTEGER, d REAL, s TEXT, b BLOB, z TEXT);"), 0);
      ASSERT_EQ(kvl_execute(live,
                            "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 25) "
                            "INSERT INTO t SELECT n, n / 4.0, printf('text %d', n), x'00ff', NULL FROM k;"),
                0);
    }
    live->transport = &recordingTransport;
    kvl_set_user_data(live, &received);
    std::string answered = recording.exchange(live);
    kvl_disconnect(live, 1);

    MemoryPeer replay;
    replay.queue(received);
    EXPECT_EQ(recording.exchange(replay.connection()), answered) << recording.name;
    saveSeed(recording, received);
  }

  static void saveSeed(const Recording& recording, const Bytes& received) {
#ifndef _WIN32
    const char* binary = std::getenv("KARVOD_BINARY_DIR");
    if (binary == nullptr) return;
    std::string directory = std::string(binary) + "/fuzz-seeds/client_replies";
    std::system(("mkdir -p '" + directory + "'").c_str());
    std::ofstream out(directory + "/" + recording.name, std::ios::binary);
    out.put(static_cast<char>(recording.mode));
    out.write(reinterpret_cast<const char*>(received.data()), static_cast<std::streamsize>(received.size()));
#else
    (void)recording;
    (void)received;
#endif
  }
};

TEST_F(ClientReplay, RecordedExchangesReplayToTheSameResults) {
  const std::vector<std::string> chunked = {"--chunk-rows", "10", "--compress-min", "64", "--table-names"};
  const Recording recordings[] = {
      {"select-plain", 0x00, {}, false, query("SELECT n, d, s, b, z FROM t WHERE n < 4;")},
      {"select-empty", 0x00, {}, false, query("SELECT * FROM t WHERE n < 0;")},
      {"select-error", 0x00, {}, false, query("SELECT * FROM missing;")},
      {"select-chunked-compressed", 0x00, chunked, false, query("SELECT * FROM t;")},
      {"select-rowid", 0x00, {"--rowid"}, false, query("SELECT s, z FROM t WHERE n < 3;")},
      {"execute",
       0x04,
       {},
       false,
       [](KvlConnection* connection) {
         return status(connection, kvl_execute(connection, "DELETE FROM t WHERE n > 20;"));
       }},
      {"bind",
       0x08,
       {},
       false,
       [](KvlConnection* connection) {
         const void* values[] = {"1", "2.5", "text", "\x01\x02", nullptr};
         const int lengths[] = {1, 3, 4, 2, 0};
         const int types[] = {KVL_TYPE_INTEGER, KVL_TYPE_DOUBLE, KVL_TYPE_TEXT, KVL_TYPE_BLOB, KVL_TYPE_NULL};
         kvl_bind(connection, "INSERT INTO t VALUES (?, ?, ?, ?, ?);", values, lengths, types, 5);
         return status(connection, 0);
       }},
      {"prepared-select",
       0x0C,
       {},
       false,
       [](KvlConnection* connection) {
         KvlPreparedStatement* statement = kvl_prepare(connection, "SELECT * FROM t WHERE n = ?;");
         if (statement == nullptr) return status(connection, -1);
         kvl_prepared_bind_double(statement, 1, 3);
         std::string text = describe(connection, kvl_prepared_select(statement));
         kvl_prepared_close(statement);
         return text;
       }},
      {"login-clear",
       0x10,
       {},
       true,
       [](KvlConnection* connection) { return status(connection, kvl_login_clear(connection)); }},
      {"login-aes128",
       0x15,
       {},
       true,
       [](KvlConnection* connection) {
         connection->encryptionLevel = 2;
         return status(connection, kvl_login_encrypted(connection));
       }},
  };
  for (const Recording& recording : recordings) recordAndReplay(recording);
}

}  // namespace
