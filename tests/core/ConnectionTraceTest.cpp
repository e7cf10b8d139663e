// What a connection writes by itself: its trace lines and the slow-query log, also from many
// threads at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/Connection.h"
#include "core/ConnectionProxy.h"
#include "core/Environment.h"
#include "platform/ModuleInfo.h"
#include "platform/OsVersion.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/TracedEnvironment.h"

namespace {

using testsupport::RecordingConnection;
using testsupport::TracedEnvironment;

const char* const timestamp = R"(\d{4,}-\d{1,2}-\d{1,2} \d{1,2}:\d{1,2}:\d{1,2}\.\d{1,6})";

std::vector<std::string> fileLines(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

bool matches(const std::string& text, const std::string& pattern) {
  return std::regex_match(text, std::regex(pattern));
}

std::string escaped(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

TEST(ConnectionTrace, TheConstructorNamesApplicationSystemAndDriver) {
  TracedEnvironment traced;
  Environment& environment = traced.environment();
  { RecordingConnection connection(&environment); }
  const std::vector<std::string> lines = traced.lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(matches(lines[0], "// App: " + escaped(environment.applicationName()) + " " +
                                    escaped(environment.applicationVersion())))
      << lines[0];
  EXPECT_FALSE(environment.applicationName().empty());
  EXPECT_TRUE(matches(lines[1], R"(// OS: \S.* \(x86_64\))")) << lines[1];
  EXPECT_EQ(lines[1], "// OS: " + platform::osVersionText() + " (x86_64)");
  EXPECT_TRUE(matches(lines[2], R"(// Driver: (\d+\.\d+\.\d+\.\d+)?)")) << lines[2];
  EXPECT_EQ(lines[2], "// Driver: " + platform::driverVersionText());
}

TEST(ConnectionTrace, EncodingChangesAreTracedWithTheirCode) {
  TracedEnvironment traced;
  RecordingConnection connection(&traced.environment());
  connection.setSendEncoding("UTF-8");
  connection.setReceiveEncoding("latin-1");
  connection.setEncoding("latin-1");  // not traced
  EXPECT_EQ(connection.sendEncoding(), 1u);
  EXPECT_EQ(connection.receiveEncoding(), 1252u);
  EXPECT_EQ(connection.encoding(), 1252u);
  const std::vector<std::string> lines = traced.lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "// sendEncoding: UTF-8 (0x1)");
  EXPECT_EQ(lines[4], "// receiveEncoding: latin-1 (0x4e4)");
}

class QueryLog : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::path(::testing::TempDir()) / "karvod-query-log";
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::filesystem::path directory_;
  TracedEnvironment traced_;
};

TEST_F(QueryLog, OneLinePerSlowQuery) {
  const std::filesystem::path path = directory_ / "slow.log";
  RecordingConnection connection(&traced_.environment());
  EXPECT_FALSE(connection.isQueryLogEnabled());
  connection.enableQueryLog(1500, path.u8string());
  EXPECT_TRUE(connection.isQueryLogEnabled());
  EXPECT_EQ(connection.queryLogThreshold(), 1500u);
  connection.logQuery(1503, "SELECT * FROM orders");
  connection.logQuery(60000, "UPDATE t SET a = 'x\ty'");
  const std::vector<std::string> lines = fileLines(path);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(matches(lines[0], std::string(timestamp) + "\t1503\tSELECT \\* FROM orders"))
      << lines[0];
  EXPECT_TRUE(matches(lines[1], std::string(timestamp) + "\t60000\tUPDATE t SET a = 'x\ty'"))
      << lines[1];
}

TEST_F(QueryLog, PathsAreUtf8AndUnwritableOnesLoseTheLine) {
  const std::filesystem::path path = directory_ / std::filesystem::u8path("caf\xC3\xA9.log");
  RecordingConnection connection(&traced_.environment());
  connection.enableQueryLog(0, path.u8string());
  connection.logQuery(5, "SELECT 1");
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(fileLines(path).size(), 1u);

  connection.enableQueryLog(0, (directory_ / "missing" / "slow.log").u8string());
  connection.logQuery(5, "SELECT 1");
  EXPECT_FALSE(std::filesystem::exists(directory_ / "missing"));
}

// Several application threads make, use and free connections on one environment at once: the
// connection list stays right and every trace and log line arrives whole.
TEST_F(QueryLog, ThreadsShareTheEnvironmentTraceAndLog) {
  constexpr int threads = 8;
  constexpr int rounds = 40;
  const std::string log = (directory_ / "shared.log").u8string();
  Environment& environment = traced_.environment();
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&environment, &log, t] {
      for (int round = 0; round < rounds; ++round) {
        ConnectionProxy proxy(&environment);
        proxy.setConnectAttr(SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0);
        auto* connection = new RecordingConnection(&environment);
        proxy.attachConnection(connection);
        proxy.connect("dsn", SQL_NTS, "user", SQL_NTS, "", SQL_NTS);
        connection->setSendEncoding("UTF-8");
        connection->diagnostics().post("01000", t, "thread", -1, -1);
        connection->enableQueryLog(0, log);
        connection->logQuery(static_cast<SQLUINTEGER>(round), "SELECT " + std::to_string(t));
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_TRUE(environment.connections().empty());

  const std::vector<std::string> lines = traced_.lines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(threads * rounds * 5));
  const std::regex whole(
      R"(// App: .*|// OS: .* \(x86_64\)|// Driver: .*|// sendEncoding: UTF-8 \(0x1\))"
      R"(|// diagnostic: state: 01000  code: \d  msg: thread)");
  for (const std::string& line : lines) ASSERT_TRUE(std::regex_match(line, whole)) << line;

  const std::vector<std::string> logged = fileLines(std::filesystem::u8path(log));
  ASSERT_EQ(logged.size(), static_cast<std::size_t>(threads * rounds));
  const std::regex logLine(std::string(timestamp) + "\t\\d+\tSELECT \\d");
  for (const std::string& line : logged) ASSERT_TRUE(std::regex_match(line, logLine)) << line;
}

}  // namespace
