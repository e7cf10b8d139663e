#include "core/Environment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/Connection.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

// A connection whose transaction end answers a fixed result and records what it was asked.
class TransactionProbe : public Connection {
 public:
  TransactionProbe(Environment* environment, bool connected, SQLRETURN result)
      : Connection(environment), result_(result) {
    setConnected(connected);
  }
  SQLRETURN connectToDsn(const std::string&, const std::string&, const std::string&) override {
    return SQL_ERROR;
  }
  SQLRETURN driverConnect(SQLHWND, const std::string&, std::string&, SQLUSMALLINT) override {
    return SQL_ERROR;
  }
  SQLRETURN disconnect() override { return SQL_SUCCESS; }
  SQLRETURN endTran(SQLSMALLINT completionType) override {
    asked.push_back(completionType);
    return result_;
  }

  std::vector<SQLSMALLINT> asked;

 private:
  SQLRETURN result_;
};

SQLPOINTER integerValue(SQLUINTEGER value) {
  return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value));
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

class EnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // A section of its own per test: unixODBC keeps what it read per section and key.
    section_ = std::string("Karvell ODBC ") + test->name();
    scratch_ = std::filesystem::temp_directory_path() /
               (std::string("karvod-environment-") + test->name());
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
  }
  void TearDown() override {
    preferences().writeValue("TraceFile", nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }

  DriverPreferences preferences() const { return DriverPreferences("test", section_); }

  // An environment whose preferences are the test's own section, traced to `traceFile` when it
  // is not empty.
  std::unique_ptr<Environment> makeEnvironment(const std::string& traceFile = "") const {
    if (!traceFile.empty()) preferences().setTraceFile(traceFile);
    return std::make_unique<Environment>("org.ferrow.karvellodbc", "karvod64.dll",
                                         "Karvell ODBC", "Ferrow",
                                         new DriverPreferences("test", section_));
  }

  static std::string stateOf(Environment& environment, SQLSMALLINT record) {
    char state[6] = {};
    SQLSMALLINT length = 0;
    environment.getDiagField(record, SQL_DIAG_SQLSTATE, state, sizeof state, &length);
    return state;
  }

  static SQLINTEGER recordCount(Environment& environment) {
    SQLINTEGER count = -1;
    environment.getDiagField(0, SQL_DIAG_NUMBER, &count, 0, nullptr);
    return count;
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  std::string section_;
  std::filesystem::path scratch_;
};

}  // namespace

TEST_F(EnvironmentTest, NewEnvironmentAnswersVersion3AndOutputNts) {
  auto environment = makeEnvironment();
  SQLUINTEGER version = 0;
  SQLUINTEGER nts = 0;
  EXPECT_EQ(environment->getEnvAttr(SQL_ATTR_ODBC_VERSION, &version, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(environment->getEnvAttr(SQL_ATTR_OUTPUT_NTS, &nts, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(version, 3u);
  EXPECT_EQ(nts, 1u);
  EXPECT_FALSE(environment->isTracing());
  EXPECT_EQ(environment->identifier(), "org.ferrow.karvellodbc");
  EXPECT_EQ(environment->moduleName(), "karvod64.dll");
  EXPECT_EQ(environment->displayName(), "Karvell ODBC");
  EXPECT_EQ(environment->makerName(), "Ferrow");
#ifdef _WIN32
  EXPECT_EQ(environment->applicationName(), "test_core.exe");
#else
  EXPECT_EQ(environment->applicationName(), "test_core");
#endif
  EXPECT_EQ(environment->applicationVersion(), "");
}

TEST_F(EnvironmentTest, OdbcVersionIsKeptWithoutValidation) {
  auto environment = makeEnvironment();
  for (SQLUINTEGER wanted : {2u, 380u, 12345u}) {
    EXPECT_EQ(environment->setEnvAttr(SQL_ATTR_ODBC_VERSION, integerValue(wanted), 0),
              SQL_SUCCESS);
    SQLUINTEGER version = 0;
    environment->getEnvAttr(SQL_ATTR_ODBC_VERSION, &version, 0, nullptr);
    EXPECT_EQ(version, wanted);
    EXPECT_EQ(environment->odbcVersion(), wanted);
  }
}

TEST_F(EnvironmentTest, UnknownAttributesAreRefusedWithHY092) {
  auto environment = makeEnvironment();
  EXPECT_EQ(environment->setEnvAttr(SQL_ATTR_CONNECTION_POOLING, integerValue(1), 0), SQL_ERROR);
  EXPECT_EQ(recordCount(*environment), 1);
  EXPECT_EQ(stateOf(*environment, 1), "HY092");

  SQLUINTEGER untouched = 0xCAFEF00D;
  EXPECT_EQ(environment->getEnvAttr(SQL_ATTR_CP_MATCH, &untouched, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(untouched, 0xCAFEF00Du);
  EXPECT_EQ(recordCount(*environment), 1);
  EXPECT_EQ(stateOf(*environment, 1), "HY092");

  // The next call clears what the failed one posted.
  SQLUINTEGER version = 0;
  EXPECT_EQ(environment->getEnvAttr(SQL_ATTR_ODBC_VERSION, &version, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(recordCount(*environment), 0);
}

TEST_F(EnvironmentTest, OutputNtsCannotBeSwitchedOff) {
  auto environment = makeEnvironment();
  EXPECT_EQ(environment->setEnvAttr(SQL_ATTR_OUTPUT_NTS, integerValue(SQL_TRUE), 0), SQL_SUCCESS);
  EXPECT_EQ(recordCount(*environment), 0);
  EXPECT_EQ(environment->setEnvAttr(SQL_ATTR_OUTPUT_NTS, integerValue(SQL_FALSE), 0), SQL_ERROR);
  EXPECT_EQ(stateOf(*environment, 1), "HYC00");
  EXPECT_EQ(environment->outputNts(), 1u);
}

TEST_F(EnvironmentTest, SqlErrorReturnsTheNewestRecordThenNoData) {
  auto environment = makeEnvironment();
  environment->diagnostics().post("HY000", 7, "older", -1, -1);
  environment->diagnostics().post("HY092", 0, "", -1, -1);
  char state[6] = {};
  SQLINTEGER native = -1;
  char message[128] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(environment->error(state, &native, message, sizeof message, &length), SQL_SUCCESS);
  EXPECT_STREQ(state, "HY092");
  EXPECT_EQ(native, 0);
  EXPECT_STREQ(message, "[Ferrow][Karvell ODBC] Invalid attribute/option identifier");
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(message)));
  EXPECT_EQ(environment->error(state, &native, message, sizeof message, &length), SQL_NO_DATA);
}

TEST_F(EnvironmentTest, SqlErrorWithACutMessageStillRemovesTheRecords) {
  auto environment = makeEnvironment();
  environment->diagnostics().post("HY000", 0, "", -1, -1);
  char message[8];
  SQLSMALLINT length = 0;
  EXPECT_EQ(environment->error(nullptr, nullptr, message, sizeof message, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(message, "[Ferrow");
  EXPECT_EQ(environment->error(nullptr, nullptr, message, sizeof message, &length), SQL_NO_DATA);
}

TEST_F(EnvironmentTest, ConnectionAndServerNamesAreEmpty) {
  auto environment = makeEnvironment();
  for (SQLSMALLINT field : {SQL_DIAG_SERVER_NAME, SQL_DIAG_CONNECTION_NAME}) {
    char name[8];
    std::memset(name, '#', sizeof name);
    SQLSMALLINT length = -1;
    EXPECT_EQ(environment->getDiagField(1, field, name, sizeof name, &length), SQL_SUCCESS);
    EXPECT_EQ(name[0], '\0');
    EXPECT_EQ(name[1], '#');
    EXPECT_EQ(length, 0);
  }
}

TEST_F(EnvironmentTest, TraceFileInAMissingDirectoryLeavesTracingOff) {
  auto environment = makeEnvironment((scratch_ / "missing" / "trace.c").string());
  EXPECT_FALSE(environment->isTracing());
  EXPECT_EQ(environment->setEnvAttr(SQL_ATTR_ODBC_VERSION, integerValue(3), 0), SQL_SUCCESS);
}

TEST_F(EnvironmentTest, TraceFileIsAppendedToWithoutAnythingWrittenAtConstruction) {
  const std::filesystem::path trace = scratch_ / "trace.c";
  std::ofstream(trace, std::ios::binary) << "// earlier\n";
  auto environment = makeEnvironment(trace.string());
  ASSERT_TRUE(environment->isTracing());
  EXPECT_EQ(readFile(trace), "// earlier\n");
  environment->traceStream().writeLine("// line");
  environment->setEnvAttr(SQL_ATTR_CONNECTION_POOLING, integerValue(1), 0);
  EXPECT_EQ(readFile(trace),
#ifdef _WIN32
            "// earlier\n// line\r\n// diagnostic: state: HY092  code: 0  msg: \r\n");
#else
            "// earlier\n// line\n// diagnostic: state: HY092  code: 0  msg: \n");
#endif
}

TEST_F(EnvironmentTest, OwnPreferencesUseTheDisplayNamesSection) {
  auto environment = std::make_unique<Environment>("org.ferrow.karvellodbc", "karvod64.dll",
                                                   section_, "Ferrow", nullptr);
  EXPECT_TRUE(environment->preferences().setLastUser("bob"));
  EXPECT_EQ(DriverPreferences("other", section_).getLastUser(), "bob");
  preferences().writeValue("LastUser", nullptr);
}

TEST_F(EnvironmentTest, EndTranAsksEveryConnectedConnectionAndPostsOneFailure) {
  auto environment = makeEnvironment();
  TransactionProbe first(environment.get(), true, SQL_ERROR);
  TransactionProbe unconnected(environment.get(), false, SQL_ERROR);
  TransactionProbe second(environment.get(), true, SQL_SUCCESS_WITH_INFO);
  TransactionProbe third(environment.get(), true, SQL_INVALID_HANDLE);
  EXPECT_EQ(environment->endTran(SQL_ROLLBACK), SQL_ERROR);
  EXPECT_EQ(first.asked, std::vector<SQLSMALLINT>{SQL_ROLLBACK});
  EXPECT_TRUE(unconnected.asked.empty());
  EXPECT_EQ(second.asked, std::vector<SQLSMALLINT>{SQL_ROLLBACK});
  EXPECT_EQ(third.asked, std::vector<SQLSMALLINT>{SQL_ROLLBACK});
  ASSERT_EQ(recordCount(*environment), 1);
  EXPECT_EQ(stateOf(*environment, 1), "HY000");
  char message[128] = {};
  environment->getDiagField(1, SQL_DIAG_MESSAGE_TEXT, message, sizeof message, nullptr);
  EXPECT_STREQ(message, "Transaction failed for a connection");
}

TEST_F(EnvironmentTest, EndTranSucceedsWhenNoConnectionFails) {
  auto environment = makeEnvironment();
  EXPECT_EQ(environment->endTran(SQL_COMMIT), SQL_SUCCESS);
  TransactionProbe committed(environment.get(), true, SQL_SUCCESS);
  TransactionProbe warned(environment.get(), true, SQL_SUCCESS_WITH_INFO);
  TransactionProbe unconnected(environment.get(), false, SQL_ERROR);
  EXPECT_EQ(environment->endTran(SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(committed.asked, std::vector<SQLSMALLINT>{SQL_COMMIT});
  EXPECT_EQ(recordCount(*environment), 0);
}

TEST_F(EnvironmentTest, ConnectionsRegisterInOrderAndLeaveOnDestruction) {
  auto environment = makeEnvironment();
  auto first = std::make_unique<TransactionProbe>(environment.get(), false, SQL_SUCCESS);
  auto second = std::make_unique<TransactionProbe>(environment.get(), false, SQL_SUCCESS);
  EXPECT_EQ(environment->connections(),
            (std::vector<Connection*>{first.get(), second.get()}));
  environment->removeConnection(nullptr);
  first.reset();
  EXPECT_EQ(environment->connections(), std::vector<Connection*>{second.get()});
  second.reset();
  EXPECT_TRUE(environment->connections().empty());
}

TEST_F(EnvironmentTest, ThreadsSharingTheEnvironmentKeepTraceLinesWhole) {
  const std::filesystem::path trace = scratch_ / "threads.c";
  auto environment = makeEnvironment(trace.string());
  ASSERT_TRUE(environment->isTracing());
  constexpr int threadCount = 4;
  constexpr int linesPerThread = 300;
  const std::string payload(200, 'x');
  std::vector<std::unique_ptr<TransactionProbe>> probes;
  for (int t = 0; t < threadCount; ++t) {
    probes.push_back(std::make_unique<TransactionProbe>(environment.get(), true, SQL_SUCCESS));
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < linesPerThread; ++i) {
        // The list changes and transactions end while the others trace.
        environment->removeConnection(probes[t].get());
        environment->traceStream().writeLine("// " + std::to_string(t) + " " + payload);
        environment->addConnection(probes[t].get());
        environment->endTran(SQL_COMMIT);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(environment->connections().size(), static_cast<std::size_t>(threadCount));
  std::size_t asked = 0;
  for (const auto& probe : probes) asked += probe->asked.size();
  EXPECT_GE(asked, static_cast<std::size_t>(threadCount * linesPerThread));

  std::ifstream file(trace);
  std::string line;
  int lines = 0;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Besides the threads' lines only the connections' opening lines.
    if (line.rfind("// App: ", 0) == 0 || line.rfind("// OS: ", 0) == 0 ||
        line.rfind("// Driver: ", 0) == 0)
      continue;
    ASSERT_EQ(line.size(), 5 + payload.size()) << line;
    EXPECT_EQ(line.substr(4), " " + payload);
    ++lines;
  }
  EXPECT_EQ(lines, threadCount * linesPerThread);
}
