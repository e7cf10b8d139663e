// The @@fault knobs send what they promise, in clear and on encrypted sessions.
#include <chrono>

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

}  // namespace
}  // namespace wiretest
