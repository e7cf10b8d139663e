// The @@fault knobs send what they promise, in clear and on encrypted sessions.
#include <gtest/gtest-spi.h>

#include <chrono>
#include <thread>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

class FaultTest : public WireTest {};

Reply fault(WireClient& client, const std::string& knob) {
  if (!client.send(3, 0, {textField("@@fault " + knob)})) return {};
  return client.read();
}

TEST_F(FaultTest, ErrorWithAndWithoutMessage) {
  for (int level : {0, 4}) {
    auto client = login(level);
    const Reply withText = fault(*client, "error 1234 40");
    ASSERT_TRUE(withText.ok);
    EXPECT_EQ(withText.code, 1234);
    EXPECT_EQ(withText.text(), "abcdefghijklmnopqrstuvwxyzabcdefghijklmn");
    EXPECT_EQ(withText.encrypted, level != 0);
    const Reply empty = fault(*client, "error 4321 0");
    EXPECT_EQ(empty.code, 4321);
    EXPECT_EQ(empty.size, 0u);
    EXPECT_EQ(client->query("SELECT 1").rows.size(), 1u) << "the session goes on";
  }
}

TEST_F(FaultTest, BrokenFrames) {
  auto client = login();
  const Reply badSignature = fault(*client, "badsig");
  EXPECT_FALSE(badSignature.ok);
  EXPECT_EQ(std::string(badSignature.header.begin(), badSignature.header.begin() + 4), "XXXX");

  const Reply shortEncrypted = fault(*client, "short-encrypted");
  EXPECT_TRUE(shortEncrypted.encrypted);
  EXPECT_EQ(shortEncrypted.size, 8u);

  const Reply badZlib = fault(*client, "bad-zlib");
  EXPECT_FALSE(badZlib.ok) << "does not inflate";
  EXPECT_TRUE(badZlib.flags & 0x08);
  EXPECT_EQ(badZlib.clearSize, 100u);

  const Reply raw = fault(*client,
                          "raw 53514C53 00000002 0000 00 00 00000002 00000000 00000000 "
                          "00000000 00000000 4142");
  ASSERT_TRUE(raw.ok);
  EXPECT_EQ(raw.text(), "AB");

  const auto start = std::chrono::steady_clock::now();
  const Reply delayed = fault(*client, "delay 0.3");
  EXPECT_EQ(delayed.code, 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(280));

  EXPECT_NE(fault(*client, "no-such-knob").code, 0);
  EXPECT_NE(fault(*client, "malformed no-such-kind").code, 0);

  const Reply closing = fault(*client, "close-mid-payload");
  EXPECT_FALSE(closing.ok);
  EXPECT_EQ(closing.size, 1000u);
  EXPECT_TRUE(client->peerClosed());
}

// Every malformed cursor is a reply of code 0 that no careful reader can take.
TEST_F(FaultTest, MalformedCursorsAreRefusedByACarefulReader) {
  for (int level : {0, 2}) {
    auto client = login(level);
    for (const char* kind : {"rows-columns-overflow", "types-past-payload", "lengths-past-payload",
                             "name-unterminated", "data-short", "huge-length", "rowid-no-columns",
                             "chunk-columns", "chunk-rowid", "inflated-size", "encrypted-no-key"}) {
      ASSERT_TRUE(client->send(2, 0, {textField(std::string("@@fault malformed ") + kind)}));
      const Cursor cursor = client->readCursor();
      EXPECT_EQ(cursor.code, 0) << kind;
      const bool refused = !cursor.ok || (cursor.rowid && cursor.types.empty());
      EXPECT_TRUE(refused) << kind;
      EXPECT_EQ(client->query("SELECT 'fine'").rows.size(), 1u) << "after " << kind;
    }
  }
}

TEST_F(FaultTest, ChunkFaultsEndLikeAChunkedResult) {
  auto client = login();
  ASSERT_TRUE(client->send(2, 0, {textField("@@fault malformed chunk-columns")}));
  const Reply first = client->read();
  EXPECT_TRUE(first.flags & 0x20);
  EXPECT_EQ(first.columns, 1u);
  ASSERT_TRUE(client->send(9, 25, {}));
  const Reply second = client->read();
  EXPECT_EQ(second.columns, 2u);
  ASSERT_TRUE(client->send(9, 25, {}));
  EXPECT_EQ(client->read().code, kEndCode);
}

// A silent server: nothing of a reply, or a header whose payload never comes, and the connection
// held open until the client gives up.
TEST_F(FaultTest, StallsSendNothingMoreAndHoldTheConnection) {
  for (int level : {0, 4}) {
    auto stalled = login(level);
    ASSERT_TRUE(stalled->send(2, 0, {textField("@@fault stall")}));
    EXPECT_TRUE(stalled->silentFor(300));

    auto absurd = login(level);
    ASSERT_TRUE(absurd->send(2, 0, {textField("@@fault absurd-size")}));
    std::uint8_t start[48];
    ASSERT_TRUE(absurd->readExact(start, sizeof start));
    EXPECT_EQ(start[4] << 24 | start[5] << 16 | start[6] << 8 | start[7], 0xFFFFFFF0u);
    EXPECT_TRUE(absurd->silentFor(300));
  }
  // Both sessions end once their clients have gone. One probe answers: a second one could meet
  // the first one's session still ending.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::vector<Row> open;
  while ((open = login()->query("@@stats").rows) != std::vector<Row>{{std::string("0")}} &&
         std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(open, std::vector<Row>{{std::string("0")}});
}

// The answer and a reply nobody asked for arrive together, so a client finds the second one
// waiting as soon as it has read the first.
TEST_F(FaultTest, AnUnrequestedReplyWaitsBehindTheAnswer) {
  for (int level : {0, 4}) {
    auto client = login(level);
    ASSERT_TRUE(client->send(3, 0, {textField("@@fault unrequested")}));
    EXPECT_EQ(client->read().code, 0);
    EXPECT_FALSE(client->silentFor(0));
    const Reply extra = client->read();
    EXPECT_TRUE(extra.ok);
    EXPECT_EQ(extra.size, 0u);
    EXPECT_TRUE(client->silentFor(100));
  }
}

// The --fault-* options: faults on replies to texts and commands that the application does not
// write itself, each once; the request itself still runs.
class ArmedFaultTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--chunk-rows",  "2",
            "--fault-sql",   "COMMIT=badsig",
            "--fault-chunk", "SELECT n FROM=error 7010 5",
            "--fault-close", "unrequested"};
  }
};

TEST_F(ArmedFaultTest, TheFirstMatchingReplyIsTheFaultAndTheRequestStillRuns) {
  auto writer = login(4);
  EXPECT_EQ(writer->execute("CREATE TABLE t (n INTEGER)").code, 0);
  EXPECT_EQ(writer->execute("SET AUTOCOMMIT TO OFF").code, 0);
  EXPECT_EQ(writer->execute("INSERT INTO t VALUES (1), (2), (3)").code, 0);
  const Reply commit = writer->execute("COMMIT");
  EXPECT_FALSE(commit.ok);
  EXPECT_EQ(std::string(commit.header.begin(), commit.header.begin() + 4), "XXXX");
  auto reader = login();
  EXPECT_EQ(cells(reader->query("SELECT count(*) FROM t")),
            (std::vector<std::vector<std::string>>{{"3"}}))
      << "the COMMIT ran";
  EXPECT_EQ(reader->execute("COMMIT").code, 0) << "the fault fires once";

  ASSERT_TRUE(reader->send(2, 0, {textField("SELECT n FROM t ORDER BY n")}));
  const Reply first = reader->read();
  EXPECT_EQ(first.code, 0);
  EXPECT_TRUE(first.flags & 0x20) << "a partial chunk";
  ASSERT_TRUE(reader->send(9, 25, {}));
  const Reply second = reader->read();
  EXPECT_EQ(second.code, 7010);
  EXPECT_EQ(second.text(), "abcde");
  EXPECT_EQ(cells(reader->query("SELECT n FROM t ORDER BY n")),
            (std::vector<std::vector<std::string>>{{"1"}, {"2"}, {"3"}}));

  ASSERT_TRUE(reader->send(7, 0, {}));
  EXPECT_EQ(reader->read().code, 0);
  EXPECT_TRUE(reader->read().ok) << "the reply nobody asked for";
  EXPECT_TRUE(reader->peerClosed());
}

class LoginFaultTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--fault-login", "badsig"}; }
};

TEST_F(LoginFaultTest, TheFirstLoginIsAnsweredByTheFaultAndTheNextOneNormally) {
  WireClient first(port());
  const Reply spoiled = first.loginClear("karvell", "karvell");
  EXPECT_FALSE(spoiled.ok);
  EXPECT_EQ(std::string(spoiled.header.begin(), spoiled.header.begin() + 4), "XXXX");
  login();
}

TEST(FaultOptions, OnlyKnobsOfOneReplyCanBeArmed) {
  SKIP_WITHOUT_DEVSERVER();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--fault-sql", "COMMIT"},
        std::vector<std::string>{"--fault-sql", "=badsig"},
        std::vector<std::string>{"--fault-login", "no-such-knob"},
        std::vector<std::string>{"--fault-chunk", "SELECT=malformed chunk-columns"},
        std::vector<std::string>{"--fault-close", "delay 1"}}) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    EXPECT_NONFATAL_FAILURE(testsupport::DevServer server(args), "before it listened");
  }
}

}  // namespace
}  // namespace wiretest
