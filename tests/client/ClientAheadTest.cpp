// Statements sent ahead of their replies: the replies are read in the order of their statements,
// the window of replies owed is bounded in count and bytes, and a statement that cannot follow
// the others leaves their replies to be read.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "client/kvl.h"
#include "client/kvl_connection.h"
#include "tests/client/ClientMemoryPeer.h"
#include "tests/support/DevServer.h"

namespace {

using clienttest::Bytes;
using clienttest::fields;
using clienttest::MemoryPeer;
using clienttest::packet;
using clienttest::packets;
using clienttest::Reply;

Reply failure(std::uint16_t code, const std::string& text) {
  Reply reply;
  reply.code = code;
  reply.fields = 1;
  reply.payload.assign(text.begin(), text.end());
  return reply;
}

TEST(ClientAhead, RepliesAreReadInTheOrderOfTheirStatements) {
  MemoryPeer peer;
  KvlConnection* connection = peer.connection();
  for (const char* sql : {"INSERT 1;", "INSERT 2;", "INSERT 3;"}) {
    ASSERT_EQ(kvl_execute_ahead(connection, sql), 0);
  }
  EXPECT_EQ(kvl_replies_owed(connection), 3);
  EXPECT_EQ(peer.writes(), 0) << "gathered until a reply is wanted";
  peer.queue(packet(Reply{}));
  peer.queue(packet(failure(7010, "UNIQUE constraint failed: t.id")));
  peer.queue(packet(Reply{}));
  EXPECT_EQ(kvl_execute_reply(connection), 0);
  EXPECT_EQ(peer.writes(), 1) << "the three leave together";
  const auto sent = packets(peer.sent());
  ASSERT_EQ(sent.size(), 3u);
  for (std::size_t k = 0; k < sent.size(); ++k) {
    EXPECT_EQ(sent[k].header[8], 3) << "command of statement " << k;
    const Bytes text = fields(sent[k])[0];
    EXPECT_EQ(std::string(text.begin(), text.end()), "INSERT " + std::to_string(k + 1) + ";" + '\0');
  }
  EXPECT_EQ(kvl_execute_reply(connection), -1);
  EXPECT_EQ(kvl_error_code(connection), 7010);
  EXPECT_STREQ(kvl_error_message(connection), "UNIQUE constraint failed: t.id");
  EXPECT_EQ(kvl_execute_reply(connection), 0);
  EXPECT_EQ(kvl_error_code(connection), 0) << "each reply tells its own outcome";
  EXPECT_EQ(kvl_replies_owed(connection), 0);
  EXPECT_EQ(kvl_connection_lost(connection), 0);
}

TEST(ClientAhead, TheWindowHoldsAtMostItsCountAndItsBytes) {
  MemoryPeer peer;
  KvlConnection* connection = peer.connection();
  const std::string small = "INSERT INTO t VALUES (1);";
  for (std::uint32_t k = 0; k < kvlAheadRequests; ++k) {
    ASSERT_EQ(kvl_room_ahead(connection, small.size()), 1) << k;
    ASSERT_EQ(kvl_execute_ahead(connection, small.c_str()), 0);
  }
  EXPECT_EQ(kvl_room_ahead(connection, small.size()), 0) << "a full count";
  peer.queue(packet(Reply{}));
  EXPECT_EQ(kvl_execute_reply(connection), 0);
  EXPECT_EQ(kvl_room_ahead(connection, small.size()), 1) << "the oldest reply read makes room";
  for (std::uint32_t k = 1; k < kvlAheadRequests; ++k) peer.queue(packet(Reply{}));
  for (std::uint32_t k = 1; k < kvlAheadRequests; ++k) ASSERT_EQ(kvl_execute_reply(connection), 0);

  // Half the bytes go behind one owed reply; more than that waits for it.
  const std::string half(kvlAheadBytes / 2 - 64, 'x');
  const std::string large(kvlAheadBytes * 2, 'y');
  EXPECT_EQ(kvl_room_ahead(connection, large.size()), 1) << "anything goes when nothing is owed";
  ASSERT_EQ(kvl_execute_ahead(connection, half.c_str()), 0);
  EXPECT_EQ(kvl_room_ahead(connection, half.size()), 1);
  ASSERT_EQ(kvl_execute_ahead(connection, half.c_str()), 0);
  EXPECT_EQ(kvl_room_ahead(connection, small.size()), 0) << "the bytes are spent";
  peer.queue(packet(Reply{}));
  peer.queue(packet(Reply{}));
  ASSERT_EQ(kvl_execute_reply(connection), 0);
  ASSERT_EQ(kvl_execute_reply(connection), 0);
  ASSERT_EQ(kvl_execute_ahead(connection, large.c_str()), 0);
  EXPECT_EQ(kvl_room_ahead(connection, 0), 0) << "nothing goes behind a statement larger than the window";
}

// Sixteen statements leave in a first write; the write of the next four fails.
TEST(ClientAhead, StatementsThatLeftStillGetTheirRepliesAndTheFirstThatDidNotTellsTheFailure) {
  MemoryPeer peer;
  KvlConnection* connection = peer.connection();
  for (int k = 1; k <= 20; ++k) {
    ASSERT_EQ(kvl_execute_ahead(connection, ("INSERT " + std::to_string(k) + ";").c_str()), 0);
    if (k == 16) peer.refuseWritesFrom(1);
  }
  EXPECT_EQ(packets(peer.sent()).size(), 16u);
  for (int k = 1; k <= 16; ++k) peer.queue(packet(k == 5 ? failure(7010, "constraint") : Reply{}));
  for (int k = 1; k <= 16; ++k) {
    EXPECT_EQ(kvl_execute_reply(connection), k == 5 ? -1 : 0) << "statement " << k;
    EXPECT_EQ(kvl_connection_lost(connection), 0) << "the replies before the failure come as ever";
  }
  EXPECT_EQ(kvl_error_code(connection), 0);
  EXPECT_EQ(kvl_execute_reply(connection), -1);
  EXPECT_EQ(kvl_error_code(connection), 820);
  EXPECT_STREQ(kvl_error_message(connection), "An error occured while trying to execute sock_write");
  EXPECT_EQ(kvl_connection_lost(connection), 1);
  for (int k = 18; k <= 20; ++k) EXPECT_EQ(kvl_execute_reply(connection), -2) << "statement " << k;
  EXPECT_EQ(kvl_execute(connection, "SELECT 1;"), -1) << "nothing more goes out";
  EXPECT_EQ(peer.writes(), 1);
}

TEST(ClientAhead, AReplyThatCannotBeReadLosesTheRepliesBehindIt) {
  MemoryPeer peer;
  KvlConnection* connection = peer.connection();
  for (const char* sql : {"INSERT 1;", "INSERT 2;", "INSERT 3;"}) {
    ASSERT_EQ(kvl_execute_ahead(connection, sql), 0);
  }
  peer.queue(packet(Reply{}));
  Bytes spoiled = packet(Reply{});
  spoiled[0] = 'X';
  peer.queue(spoiled);
  peer.queue(packet(Reply{}));
  EXPECT_EQ(kvl_execute_reply(connection), 0);
  EXPECT_EQ(kvl_execute_reply(connection), -1);
  EXPECT_EQ(kvl_error_code(connection), 840);
  EXPECT_EQ(kvl_connection_lost(connection), 1);
  EXPECT_EQ(kvl_replies_owed(connection), 0) << "nothing more is read on a lost stream";
  EXPECT_EQ(kvl_execute_reply(connection), -2);
}

class ClientAheadServer : public testsupport::DevServerTest {
 protected:
  void TearDown() override {
    if (connection_ != nullptr) kvl_disconnect(connection_, 1);
    testsupport::DevServerTest::TearDown();
  }
  KvlConnection* connect(int encryption) {
    EXPECT_EQ(kvl_connect(&connection_, "127.0.0.1", port(), "karvell", "karvell", 12, encryption), 0);
    return connection_;
  }
  KvlConnection* connection_ = nullptr;
};

// Far more statements than the window, each reply read only when the window is full.
TEST_F(ClientAheadServer, AWindowKeptFullRunsEveryStatementInOrder) {
  for (int encryption : {0, 256}) {
    KvlConnection* connection = connect(encryption);
    ASSERT_NE(connection, nullptr);
    ASSERT_EQ(kvl_execute(connection, "CREATE TABLE IF NOT EXISTS w (k INTEGER PRIMARY KEY);"), 0);
    ASSERT_EQ(kvl_execute(connection, "DELETE FROM w;"), 0);
    std::vector<int> outcomes;
    for (int k = 1; k <= 500; ++k) {
      // Key 250 repeats key 1.
      const std::string sql = "INSERT INTO w VALUES (" + std::to_string(k == 250 ? 1 : k) + ");";
      while (kvl_room_ahead(connection, sql.size()) == 0) outcomes.push_back(kvl_execute_reply(connection));
      ASSERT_EQ(kvl_execute_ahead(connection, sql.c_str()), 0) << kvl_error_message(connection);
    }
    while (kvl_replies_owed(connection) > 0) outcomes.push_back(kvl_execute_reply(connection));
    ASSERT_EQ(outcomes.size(), 500u);
    for (int k = 1; k <= 500; ++k) EXPECT_EQ(outcomes[k - 1], k == 250 ? -1 : 0) << "statement " << k;
    KvlCursor* cursor = kvl_select(connection, "SELECT count(*), sum(k) FROM w;");
    ASSERT_NE(cursor, nullptr) << kvl_error_message(connection);
    EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 1, -1), 499);
    EXPECT_EQ(kvl_cursor_field_int(cursor, 1, 2, -1), 500 * 501 / 2 - 250);
    kvl_cursor_free(cursor);
    kvl_disconnect(connection_, 1);
    connection_ = nullptr;
  }
}

// The protocol names no request in its replies: a reply nobody asked for, arriving while others
// are owed, passes for the next one; the reply left over is found once none is owed.
TEST_F(ClientAheadServer, AnUnaskedReplyIsFoundOnceNoReplyIsOwed) {
  KvlConnection* connection = connect(0);
  ASSERT_NE(connection, nullptr);
  ASSERT_EQ(kvl_execute_ahead(connection, "@@fault unrequested"), 0);
  ASSERT_EQ(kvl_execute_ahead(connection, "PING;"), 0);
  EXPECT_EQ(kvl_execute_reply(connection), 0);
  // The real answer to the PING is then waiting behind the reply read for it.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(kvl_execute_reply(connection), -1);
  EXPECT_EQ(kvl_error_code(connection), 840);
  EXPECT_STREQ(kvl_error_message(connection), "Unexpected data received from the server");
  EXPECT_EQ(kvl_connection_lost(connection), 1);
  EXPECT_EQ(kvl_execute(connection, "PING;"), -1);
}

}  // namespace
