// Cursor replies: their layout and values, chunks, compression, encryption, server options.
#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

using Table = std::vector<std::vector<std::string>>;

class QueryTest : public WireTest {};

TEST_F(QueryTest, ValuesAsText) {
  auto client = login();
  const Cursor cursor = client->query(
      "SELECT 42 AS i, -7 AS n, 2.5 AS r, 0.1 + 0.2 AS lossy, 'héllo' AS t, '' AS empty, "
      "NULL AS nul, x'00ff10' AS b, 9223372036854775807 AS big");
  ASSERT_TRUE(cursor.ok) << cursor.error;
  EXPECT_EQ(cursor.names,
            (std::vector<std::string>{"i", "n", "r", "lossy", "t", "empty", "nul", "b", "big"}));
  ASSERT_EQ(cursor.rows.size(), 1u);
  const Row& row = cursor.rows[0];
  EXPECT_EQ(*row[0], "42");
  EXPECT_EQ(*row[1], "-7");
  EXPECT_EQ(*row[2], "2.5");
  EXPECT_EQ(*row[3], "0.30000000000000004") << "reals keep every digit";
  EXPECT_EQ(*row[4], "h\xc3\xa9llo");
  ASSERT_TRUE(row[5].has_value()) << "an empty text is not NULL";
  EXPECT_EQ(*row[5], "");
  EXPECT_FALSE(row[6].has_value());
  EXPECT_EQ(*row[7], std::string("\x00\xff\x10", 3));
  EXPECT_EQ(*row[8], "9223372036854775807");
  // Expressions are typed by their value; an all-NULL column is text.
  EXPECT_EQ(cursor.types, (std::vector<std::uint32_t>{1, 1, 2, 2, 3, 3, 3, 4, 1}));
}

TEST_F(QueryTest, TypeCodesFromDeclaredTypes) {
  auto client = login();
  ASSERT_EQ(client
                ->execute("CREATE TABLE typed(a BOOLEAN, b DATETIME, c timestamp, d DATE, e TIME, "
                          "f CURRENCY, g money, h BIGINT, i VARCHAR(10), j CLOB, k text, l BLOB, "
                          "m REAL, n FLOAT, o DOUBLE PRECISION, p NUMERIC, q)")
                .code,
            0);
  ASSERT_EQ(client->execute("INSERT INTO typed(p, q) VALUES (1.5, x'01')").code, 0);
  const Cursor cursor = client->query("SELECT * FROM typed");
  ASSERT_TRUE(cursor.ok) << cursor.error;
  // Undeclared or unknown types take the storage class of the first value.
  EXPECT_EQ(cursor.types,
            (std::vector<std::uint32_t>{5, 8, 8, 6, 7, 9, 9, 1, 3, 3, 3, 4, 2, 2, 2, 2, 4}));
}

TEST_F(QueryTest, EmptyResultsAndStatementsWithoutColumns) {
  auto client = login();
  ASSERT_EQ(client->execute("CREATE TABLE t(a INTEGER, b TEXT)").code, 0);
  const Cursor empty = client->query("SELECT a, b FROM t");
  ASSERT_TRUE(empty.ok) << empty.error;
  EXPECT_EQ(empty.names, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(empty.types, (std::vector<std::uint32_t>{1, 3}));
  EXPECT_TRUE(empty.rows.empty());

  ASSERT_TRUE(client->send(2, 0, {textField("INSERT INTO t VALUES (1, 'x')")}));
  const Reply noColumns = client->read();
  ASSERT_TRUE(noColumns.ok);
  EXPECT_EQ(noColumns.code, 0);
  EXPECT_EQ(noColumns.rows, 0u);
  EXPECT_EQ(noColumns.columns, 0u);
  EXPECT_EQ(noColumns.size, 0u);
  EXPECT_EQ(cells(client->query("SELECT * FROM t")), (Table{{"1", "x"}}));
}

TEST_F(QueryTest, ExecuteRunsEveryStatementAndQueryAnswersTheLast) {
  auto client = login();
  const Reply reply = client->execute(
      "CREATE TABLE m(x); INSERT INTO m VALUES (1); INSERT INTO m VALUES (2); SELECT * FROM m;");
  ASSERT_TRUE(reply.ok);
  EXPECT_EQ(reply.code, 0) << reply.text();
  EXPECT_EQ(reply.size, 0u);
  EXPECT_EQ(cells(client->query("INSERT INTO m VALUES (3); SELECT count(*) FROM m; -- done")),
            (Table{{"3"}}));
}

TEST_F(QueryTest, SqlErrorsAnswerTheirMessageAndLeaveTheConnectionUsable) {
  auto client = login();
  const Cursor bad = client->query("SELECT * FROM no_such_table");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.code, 7010);
  EXPECT_EQ(bad.error, "no such table: no_such_table");
  const Reply badExecute = client->execute("CREATE TABLE");
  EXPECT_EQ(badExecute.code, 7010);
  EXPECT_FALSE(badExecute.text().empty());
  EXPECT_EQ(cells(client->query("SELECT 1")), (Table{{"1"}}));
}

// The session builds every result in the same buffers, and gives them back after a huge one.
TEST_F(QueryTest, ResultsOfEverySizeInTurnCarryOnlyTheirOwnBytes) {
  for (int level : {0, 2}) {
    auto client = login(level);
    const std::string huge = "SELECT printf('%.*c', 5000000, 'h') AS h, 'tail' AS t";
    for (int round = 0; round < 2; ++round) {
      const Cursor big = client->query(huge);
      ASSERT_TRUE(big.ok) << big.error;
      ASSERT_EQ(big.rows.size(), 1u);
      EXPECT_EQ(*big.rows[0][0], std::string(5000000, 'h'));
      EXPECT_EQ(*big.rows[0][1], "tail");
      EXPECT_EQ(cells(client->query("SELECT 'small', NULL")), (Table{{"small", "NULL"}}));
      EXPECT_EQ(cells(client->query("SELECT 1 UNION ALL SELECT 22 UNION ALL SELECT 333")),
                (Table{{"1"}, {"22"}, {"333"}}));
      EXPECT_EQ(client->query("SELECT 1 WHERE 0").rows.size(), 0u);
    }
  }
}

// A client that sends many requests before it reads: they arrive together, and every one is run
// and answered in its turn, a failing one and one larger than a read among them, in clear and
// encrypted sessions.
TEST_F(QueryTest, RequestsSentTogetherAreAnsweredInTurn) {
  for (int level : {0, 4}) {
    auto client = login(level);
    ASSERT_EQ(client->execute("DROP TABLE IF EXISTS together; CREATE TABLE together (k INTEGER "
                              "PRIMARY KEY)").code,
              0);
    Bytes requests;
    for (int k = 1; k <= 300; ++k) {
      const std::string sql = "INSERT INTO together VALUES (" + std::to_string(k == 150 ? 1 : k) + ")" +
                              (k == 100 ? " -- " + std::string(150000, 'x') : "");
      const Bytes request = client->request(3, 0, {textField(sql)});
      requests.insert(requests.end(), request.begin(), request.end());
    }
    ASSERT_TRUE(client->sendBytes(requests));
    for (int k = 1; k <= 300; ++k) {
      const Reply reply = client->read();
      ASSERT_TRUE(reply.ok) << "reply " << k;
      EXPECT_EQ(reply.code, k == 150 ? 7010 : 0) << "reply " << k << ": " << reply.text();
    }
    EXPECT_EQ(cells(client->query("SELECT count(*), sum(k) FROM together")),
              (Table{{"299", std::to_string(300 * 301 / 2 - 150)}}));
  }
}

TEST_F(QueryTest, UnsupportedCommandsAnswerAnError) {
  auto client = login();
  for (std::uint8_t command : {4, 11, 60, 200}) {
    ASSERT_TRUE(client->send(command, 0, {}));
    const Reply reply = client->read();
    ASSERT_TRUE(reply.ok);
    EXPECT_NE(reply.code, 0) << int(command);
    EXPECT_NE(reply.code, kEndCode);
    EXPECT_FALSE(reply.text().empty());
  }
  for (std::uint8_t command : {10, 12}) {
    ASSERT_TRUE(client->send(command, 0, {}));
    EXPECT_EQ(client->read().code, 0) << int(command);
  }
}

class ChunkedQueryTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--chunk-rows", "10"}; }
};

// Rows 1..n with a text and a NULL in every third row.
std::string numbers(int n) {
  const std::string last = std::to_string(n);
  return "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " + last +
         ") SELECT x, 'row ' || x AS t, CASE WHEN x % 3 THEN x END AS maybe FROM c WHERE x <= " +
         last;
}

TEST_F(ChunkedQueryTest, ResultsOverTheChunkSizeComeInPartialChunksAndAnEndReply) {
  auto client = login();
  struct Case {
    int rows;
    unsigned replies;
  } cases[] = {{0, 1}, {9, 1}, {10, 1}, {11, 3}, {30, 4}, {31, 5}};
  for (const Case& c : cases) {
    const Cursor cursor = client->query(numbers(c.rows));
    ASSERT_TRUE(cursor.ok) << c.rows << ": " << cursor.error;
    EXPECT_EQ(cursor.replies, c.replies) << c.rows;
    ASSERT_EQ(cursor.rows.size(), static_cast<std::size_t>(c.rows));
    for (int i = 0; i < c.rows; ++i) {
      EXPECT_EQ(*cursor.rows[i][0], std::to_string(i + 1));
      EXPECT_EQ(*cursor.rows[i][1], "row " + std::to_string(i + 1));
      EXPECT_EQ(cursor.rows[i][2].has_value(), (i + 1) % 3 != 0);
    }
  }
}

TEST_F(ChunkedQueryTest, ChunkHeadersCarryTheirOwnRowsAndTheEndReplyIsEmpty) {
  auto client = login();
  ASSERT_TRUE(client->send(2, 0, {textField(numbers(25))}));
  std::vector<std::uint32_t> rows;
  for (int i = 0; i < 3; ++i) {
    const Reply chunk = client->read();
    ASSERT_TRUE(chunk.ok);
    EXPECT_EQ(chunk.code, 0);
    EXPECT_TRUE(chunk.flags & 0x20);
    EXPECT_EQ(chunk.columns, 3u);
    rows.push_back(chunk.rows);
    ASSERT_TRUE(client->send(9, 25, {}));
  }
  EXPECT_EQ(rows, (std::vector<std::uint32_t>{10, 10, 5}));
  const Reply end = client->read();
  EXPECT_EQ(end.code, kEndCode);
  EXPECT_EQ(end.size, 0u);
}

TEST_F(ChunkedQueryTest, GivingUpOrAnotherRequestAbandonsTheResult) {
  auto client = login();
  ASSERT_TRUE(client->send(2, 0, {textField(numbers(50))}));
  EXPECT_TRUE(client->read().flags & 0x20);
  ASSERT_TRUE(client->send(9, 26, {}));  // nothing is answered
  EXPECT_EQ(cells(client->query("SELECT 'next'")), (Table{{"next"}}));
  ASSERT_TRUE(client->send(2, 0, {textField(numbers(50))}));
  EXPECT_TRUE(client->read().flags & 0x20);
  EXPECT_EQ(cells(client->query("SELECT 'again'")), (Table{{"again"}}));
}

class CompressedQueryTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--compress-min", "200", "--chunk-rows", "100"};
  }
};

TEST_F(CompressedQueryTest, LargePayloadsAreCompressedSmallOnesNot) {
  for (int level : {0, 3}) {
    auto client = login(level);
    const Cursor small = client->query("SELECT 1");
    ASSERT_TRUE(small.ok);
    EXPECT_FALSE(small.anyCompressed);
    const Cursor large = client->query(numbers(250));
    ASSERT_TRUE(large.ok) << large.error;
    EXPECT_TRUE(large.anyCompressed);
    EXPECT_EQ(large.anyEncrypted, level != 0);
    EXPECT_EQ(large.replies, 4u);
    ASSERT_EQ(large.rows.size(), 250u);
    EXPECT_EQ(*large.rows[249][1], "row 250");
    // Errors are never compressed, whatever their size.
    ASSERT_TRUE(client->send(3, 0, {textField("@@fault error 1234 500")}));
    const Reply error = client->read();
    EXPECT_FALSE(error.flags & 0x08);
    EXPECT_EQ(error.text().size(), 500u);
  }
}

// The server makes the chunks after the one on the wire ahead of time (compressing and sealing
// them meanwhile), yet each still leaves only when acknowledged, an error further on takes its
// chunk's turn, and giving up or another request drops what was made ahead.
TEST_F(CompressedQueryTest, ChunksMadeAheadStillWaitForTheirAcknowledgements) {
  const std::string failing =
      "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 400) "
      "SELECT x, CASE WHEN x = 350 THEN abs(-9223372036854775807 - 1) END FROM c";
  for (int level : {0, 3}) {
    auto client = login(level);
    ASSERT_TRUE(client->send(2, 0, {textField(failing)}));
    const Reply first = client->read();
    ASSERT_EQ(first.code, 0) << level;
    EXPECT_TRUE(first.flags & 0x20);
    for (int chunk = 2; chunk <= 4; ++chunk) {
      EXPECT_TRUE(client->silentFor(100)) << "chunk " << chunk << " before its acknowledgement";
      ASSERT_TRUE(client->send(9, 25, {}));
      const Reply reply = client->read();
      ASSERT_TRUE(reply.ok);
      if (chunk < 4) {
        EXPECT_EQ(reply.code, 0);
        EXPECT_EQ(reply.rows, 100u);
        EXPECT_TRUE(reply.flags & 0x08) << "compressed";
        EXPECT_EQ(reply.encrypted, level != 0);
      } else {
        EXPECT_EQ(reply.code, 7010);
        EXPECT_EQ(reply.text(), "integer overflow");
      }
    }
    EXPECT_TRUE(client->silentFor(100)) << "nothing follows the error";

    for (const bool giveUp : {true, false}) {
      ASSERT_TRUE(client->send(2, 0, {textField(numbers(2000))}));
      EXPECT_TRUE(client->read().flags & 0x20);
      if (giveUp) {
        ASSERT_TRUE(client->send(9, 26, {}));
      }
      EXPECT_EQ(cells(client->query("SELECT 'next'")), (Table{{"next"}})) << giveUp;
    }
    const Cursor whole = client->query(numbers(2000));
    ASSERT_TRUE(whole.ok) << whole.error;
    EXPECT_EQ(whole.replies, 21u);
    ASSERT_EQ(whole.rows.size(), 2000u);
    for (int i = 0; i < 2000; ++i) {
      ASSERT_EQ(*whole.rows[i][0], std::to_string(i + 1));
    }
    // Chunks of ten megabytes, of which fewer are made ahead.
    const Cursor large = client->query(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 350) "
        "SELECT x, hex(zeroblob(50000)) || x FROM c");
    ASSERT_TRUE(large.ok) << large.error;
    EXPECT_EQ(large.replies, 5u);
    ASSERT_EQ(large.rows.size(), 350u);
    EXPECT_EQ(*large.rows[349][1], std::string(100000, '0') + "350");
  }
}

class DecoratedQueryTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--table-names", "--rowid", "--chunk-rows", "2"};
  }
};

TEST_F(DecoratedQueryTest, TableNamesAndRowidColumn) {
  auto client = login();
  ASSERT_EQ(client->execute("CREATE TABLE people(name TEXT, age INT)").code, 0);
  ASSERT_EQ(client->execute("INSERT INTO people VALUES ('a', 1), ('b', 2), ('c', NULL)").code, 0);
  const Cursor cursor = client->query("SELECT name, age, 7 AS seven FROM people");
  ASSERT_TRUE(cursor.ok) << cursor.error;
  EXPECT_TRUE(cursor.rowid);
  EXPECT_TRUE(cursor.tableNames);
  EXPECT_EQ(cursor.names, (std::vector<std::string>{"rowid", "name", "age", "seven"}));
  EXPECT_EQ(cursor.tables, (std::vector<std::string>{"", "people", "people", ""}));
  EXPECT_EQ(cursor.types, (std::vector<std::uint32_t>{1, 3, 1, 1}));
  EXPECT_EQ(cells(cursor),
            (Table{{"1", "a", "1", "7"}, {"2", "b", "2", "7"}, {"3", "c", "NULL", "7"}}));
  EXPECT_EQ(cursor.replies, 3u) << "chunks keep the rowid column";
  // Without result columns there is no rowid column either.
  ASSERT_TRUE(client->send(2, 0, {textField("DELETE FROM people")}));
  const Reply none = client->read();
  EXPECT_EQ(none.columns, 0u);
  EXPECT_FALSE(none.flags & 0x04);
}

TEST(QueryLimits, RequestsOverTheLimitAreRefusedAndClosed) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server({"--max-request", "1000"});
  ASSERT_TRUE(server.running());
  WireClient client(server.port());
  ASSERT_EQ(client.loginClear("karvell", "karvell").code, 0);
  EXPECT_EQ(client.query("SELECT '" + std::string(900, 'a') + "'").rows.size(), 1u);
  ASSERT_TRUE(client.send(3, 0, {textField(std::string(1200, 'a'))}));
  const Reply refused = client.read();
  EXPECT_EQ(refused.code, 7022);
  EXPECT_TRUE(client.peerClosed());
  EXPECT_TRUE(server.stop()) << server.log();
}

// No command takes more than two fields: a request announcing hundreds is malformed, not a reason
// to build a field list many times its size.
TEST(QueryLimits, AbsurdFieldCountsAreMalformed) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server;
  ASSERT_TRUE(server.running());
  WireClient client(server.port());
  ASSERT_EQ(client.loginClear("karvell", "karvell").code, 0);
  ASSERT_TRUE(client.send(3, 0, std::vector<Bytes>(500)));
  const Reply refused = client.read();
  EXPECT_EQ(refused.code, 7021);
  EXPECT_FALSE(refused.text().empty());
  EXPECT_EQ(client.query("SELECT 'still here'").rows.size(), 1u);
  EXPECT_TRUE(server.stop()) << server.log();
}

TEST(QueryLimits, BadSignatureEndsTheConnection) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server;
  ASSERT_TRUE(server.running());
  WireClient client(server.port());
  Bytes header(32, 0);
  header[0] = 'X';
  ASSERT_TRUE(client.sendBytes(header));
  EXPECT_TRUE(client.peerClosed());
  EXPECT_TRUE(server.stop()) << server.log();
}

}  // namespace
}  // namespace wiretest
