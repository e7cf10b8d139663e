// Many sessions at once, and stopping a busy server.
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

class LoadTest : public WireTest {};

TEST_F(LoadTest, FiftyConnectionsOfTwoHundredQueries) {
  constexpr int kConnections = 50;
  constexpr int kQueries = 200;
  ASSERT_EQ(login()->execute("CREATE TABLE hits(connection INTEGER, query INTEGER)").code, 0);
  std::atomic<int> failures{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  for (int c = 0; c < kConnections; ++c) {
    threads.emplace_back([this, c, &failures] {
      WireClient client(port());
      const Reply login = c % 5 ? client.loginClear("karvell", "karvell")
                                : client.loginEncrypted(2 + c % 3, "karvell", "karvell");
      if (!login.ok || login.code) {
        ++failures;
        return;
      }
      for (int q = 0; q < kQueries; ++q) {
        const std::string n = std::to_string(c * 1000 + q);
        if (q % 20 == 0) {
          const Reply insert = client.execute("INSERT INTO hits VALUES (" + std::to_string(c) +
                                              ", " + std::to_string(q) + ")");
          if (!insert.ok || insert.code) ++failures;
          continue;
        }
        const Cursor cursor = client.query("SELECT " + n + ", 'v' || " + n);
        if (!cursor.ok || cursor.rows.size() != 1 || *cursor.rows[0][0] != n ||
            *cursor.rows[0][1] != "v" + n)
          ++failures;
      }
      client.send(7, 0, {});
      client.read();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));

  auto probe = login();
  EXPECT_EQ(*probe->query("SELECT count(*) FROM hits").rows[0][0],
            std::to_string(kConnections * kQueries / 20));
  std::string others;
  for (int attempt = 0; attempt < 100 && others != "0"; ++attempt) {
    if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    others = probe->query("@@stats").rows.at(0).at(0).value_or("?");
  }
  EXPECT_EQ(others, "0") << "connections left open";
}

// SIGTERM ends sessions that sit idle, wait in a chunked result or sleep in a fault delay.
TEST(Shutdown, BusyServerStopsCleanly) {
  SKIP_WITHOUT_DEVSERVER();
  testsupport::DevServer server({"--chunk-rows", "5"});
  ASSERT_TRUE(server.running());
  WireClient idle(server.port());
  ASSERT_EQ(idle.loginClear("karvell", "karvell").code, 0);
  WireClient chunked(server.port());
  ASSERT_EQ(chunked.loginEncrypted(3, "karvell", "karvell").code, 0);
  ASSERT_TRUE(chunked.send(2, 0,
                           {textField("SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 UNION "
                                      "ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6")}));
  EXPECT_TRUE(chunked.read().flags & 0x20);
  WireClient sleeping(server.port());
  ASSERT_EQ(sleeping.loginClear("karvell", "karvell").code, 0);
  ASSERT_TRUE(sleeping.send(3, 0, {textField("@@fault delay 60")}));
  WireClient notLoggedIn(server.port());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(server.stop()) << server.log();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(idle.peerClosed());
}

}  // namespace
}  // namespace wiretest
