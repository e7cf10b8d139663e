// Logins against the server: clear and encrypted at every level, hashed and plain user names,
// tokens, refusals and the login fault options.
#include <chrono>
#include <thread>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

class LoginTest : public WireTest {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--users", "karvell:karvell,alice:secret"};
  }

  // Polls @@stats on a fresh connection until no other connection is left open.
  int otherConnectionsSettled() {
    int others = -1;
    for (int attempt = 0; attempt < 100 && others != 0; ++attempt) {
      if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      auto probe = login();
      const Cursor stats = probe->query("@@stats");
      if (!stats.ok || stats.rows.size() != 1 || !stats.rows[0][0]) return -1;
      others = std::stoi(*stats.rows[0][0]);
    }
    return others;
  }
};

TEST_F(LoginTest, ClearLoginHashedAndPlainUserNames) {
  for (bool hashed : {true, false}) {
    for (const std::string token : {"", "tok-123"}) {
      WireClient client(port());
      const Reply reply = client.loginClear("alice", "secret", hashed, token);
      ASSERT_TRUE(reply.ok);
      EXPECT_EQ(reply.code, 0) << reply.text();
      EXPECT_EQ(reply.size, 0u);
      EXPECT_EQ(reply.fieldCount, 0u);
      const Cursor info = client.query("SHOW INFO");
      ASSERT_TRUE(info.ok) << info.error;
      EXPECT_FALSE(info.anyEncrypted);
    }
  }
}

TEST_F(LoginTest, ChallengeReplyIsTwentyBytesInOneField) {
  WireClient client(port());
  ASSERT_TRUE(client.send(1, 20, {textField(toHex(sha1(std::string("karvell"))))}));
  const Reply challenge = client.read();
  ASSERT_TRUE(challenge.ok);
  EXPECT_EQ(challenge.code, 0);
  EXPECT_EQ(challenge.size, 20u);
  EXPECT_EQ(challenge.fieldCount, 1u);
  EXPECT_FALSE(challenge.encrypted);
}

TEST_F(LoginTest, EncryptedLoginAtEachLevelEncryptsTheSession) {
  for (int level : {2, 3, 4}) {
    for (bool hashed : {true, false}) {
      for (const std::string token : {"", "a-token"}) {
        WireClient client(port());
        const Reply reply = client.loginEncrypted(level, "alice", "secret", hashed, token);
        ASSERT_TRUE(reply.ok) << "level " << level;
        ASSERT_EQ(reply.code, 0) << reply.text();
        // Requests and replies of every length now pass through both sides' ciphers.
        for (int length : {0, 1, 5, 15, 16, 17, 31, 32, 33, 100}) {
          const std::string text(static_cast<std::size_t>(length), 'x');
          const Cursor cursor = client.query("SELECT '" + text + "' AS t");
          ASSERT_TRUE(cursor.ok) << "level " << level << " length " << length << ": "
                                 << cursor.error;
          EXPECT_TRUE(cursor.anyEncrypted);
          ASSERT_EQ(cursor.rows.size(), 1u);
          EXPECT_EQ(cursor.rows[0][0].value_or("NULL"), text);
        }
        const Reply ping = client.execute("PING;");
        EXPECT_TRUE(ping.ok);
        EXPECT_EQ(ping.code, 0);
        EXPECT_EQ(ping.size, 0u) << "a reply of size 0 carries no IV";
      }
    }
  }
}

TEST_F(LoginTest, EncryptedRequestWithEmptyFieldDataStillCarriesAnIv) {
  auto client = login(2);
  ASSERT_TRUE(client->send(3, 0, {Bytes()}));  // one field of length 0: lengths, IV, nothing
  const Reply reply = client->read();
  ASSERT_TRUE(reply.ok);
  EXPECT_EQ(reply.code, 0) << reply.text();
  EXPECT_TRUE(client->query("SELECT 1").ok);
}

TEST_F(LoginTest, WrongPasswordAndUnknownUserAreRefusedWith7000) {
  struct Case {
    const char* user;
    const char* password;
    int level;
  } cases[] = {{"alice", "wrong", 0},
               {"nobody", "secret", 0},
               {"alice", "wrong", 2},
               {"nobody", "secret", 4}};
  for (const Case& c : cases) {
    WireClient client(port());
    const Reply reply = c.level ? client.loginEncrypted(c.level, c.user, c.password)
                                : client.loginClear(c.user, c.password);
    ASSERT_TRUE(reply.ok) << c.user;
    EXPECT_EQ(reply.code, 7000) << c.user;
    EXPECT_FALSE(reply.text().empty());
    // The connection stays open for another attempt, which may succeed.
    EXPECT_EQ(client.loginClear("alice", "secret").code, 0);
  }
}

TEST_F(LoginTest, CommandsBeforeTheLoginAreRefused) {
  WireClient client(port());
  const Reply reply = client.execute("PING;");
  ASSERT_TRUE(reply.ok);
  EXPECT_NE(reply.code, 0);
  EXPECT_NE(reply.code, 7000);
  EXPECT_FALSE(reply.text().empty());
}

TEST_F(LoginTest, FailedLoginsLeaveNoConnectionBehind) {
  for (int i = 0; i < 10; ++i) {
    WireClient client(port());
    EXPECT_EQ(client.loginEncrypted(3, "alice", "wrong").code, 7000);
  }
  EXPECT_EQ(otherConnectionsSettled(), 0);
}

TEST(ClearReplies, EncryptedSessionAnsweredInClear) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server({"--clear-replies"});
  ASSERT_TRUE(server.running());
  WireClient client(server.port());
  ASSERT_EQ(client.loginEncrypted(4, "karvell", "karvell").code, 0);
  const Cursor cursor = client.query("SELECT 'still encrypted requests'");  // sent encrypted
  ASSERT_TRUE(cursor.ok) << cursor.error;
  EXPECT_FALSE(cursor.anyEncrypted);
  EXPECT_EQ(cursor.rows[0][0].value_or(""), "still encrypted requests");
  EXPECT_TRUE(server.stop()) << server.log();
}

TEST(LoginFaults, DelayedLoginReply) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server({"--login-delay", "1.5"});
  ASSERT_TRUE(server.running());
  WireClient client(server.port());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client.loginClear("karvell", "karvell").code, 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
  EXPECT_TRUE(server.stop()) << server.log();
}

TEST(LoginFaults, WrongSizeBadProofAndRejectedUser) {
  SKIP_WITHOUT_DEVSERVER();
  {
    testsupport::DevServer server({"--login-wrong-size"});
    ASSERT_TRUE(server.running());
    WireClient clear(server.port());
    EXPECT_EQ(clear.loginClear("karvell", "karvell").size, 21u);
    WireClient encrypted(server.port());
    EXPECT_EQ(encrypted.loginEncrypted(2, "karvell", "karvell").size, 57u);
    EXPECT_TRUE(server.stop()) << server.log();
  }
  {
    testsupport::DevServer server({"--login-bad-s"});
    ASSERT_TRUE(server.running());
    WireClient client(server.port());
    const Reply reply = client.loginEncrypted(4, "karvell", "karvell");
    EXPECT_FALSE(reply.ok) << "S and SHA1(S) must not match";
    EXPECT_EQ(reply.size, 56u);
    EXPECT_TRUE(server.stop()) << server.log();
  }
  {
    testsupport::DevServer server({"--reject-user"});
    ASSERT_TRUE(server.running());
    WireClient clear(server.port());
    EXPECT_EQ(clear.loginClear("karvell", "karvell").code, 7000);
    WireClient encrypted(server.port());
    EXPECT_EQ(encrypted.loginEncrypted(3, "karvell", "karvell").code, 7000);
    EXPECT_TRUE(server.stop()) << server.log();
  }
}

}  // namespace
}  // namespace wiretest
