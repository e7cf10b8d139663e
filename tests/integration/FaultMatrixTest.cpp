// A broken network as an application meets it through the unixODBC Driver Manager: every fault of
// a reply (from the development server's fault knobs, or from a proxy that spoils the server's
// real frames) at every point of a session, in clear, AES-256 and compressed traffic. A reply the
// driver cannot read ends the call in time with the state ODBC gives it, the connection closed
// and dead, later calls refused without touching the network, and nothing left open.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/DevServer.h"
#include "tests/support/FaultProxy.h"
#include "tests/support/TempOdbcIni.h"

namespace {

using testsupport::FaultProxy;
using Clock = std::chrono::steady_clock;
using States = std::set<std::string>;

constexpr SQLUINTEGER kLoginLimit = 2;       // SQL_ATTR_LOGIN_TIMEOUT
constexpr SQLUINTEGER kConnectionLimit = 1;  // SQL_ATTR_CONNECTION_TIMEOUT
constexpr SQLULEN kQueryLimit = 1;           // SQL_ATTR_QUERY_TIMEOUT
constexpr int kRows = 30;                    // three chunks of ten
constexpr char kQuery[] = "SELECT id, v FROM t ORDER BY id";

enum class Point {
  kLogin,
  kSetup,
  kFirstChunk,
  kLaterChunk,
  kInsert,
  kCommit,
  kTables,
  kDisconnect
};

// Where a fault hits: the server option that arms it there, the request and reply the proxy
// counts to, and the time limit that bounds the wait.
struct PointInfo {
  const char* name;
  const char* option;
  const char* prefix;  // for --fault-sql and --fault-chunk
  std::uint8_t command;
  unsigned reply;
  double limit;
};

const PointInfo& info(Point point) {
  static const PointInfo points[] = {
      {"login", "--fault-login", "", 1, 0, kLoginLimit},
      {"setup", "--fault-sql", "SHOW INFO", 2, 0, kConnectionLimit},
      {"first_chunk", "--fault-sql", kQuery, 2, 0, kQueryLimit},
      {"later_chunk", "--fault-chunk", kQuery, 2, 1, kQueryLimit},
      {"insert", "--fault-sql", "INSERT INTO t", 3, 0, kQueryLimit},
      {"commit", "--fault-sql", "COMMIT", 3, 0, kConnectionLimit},
      {"tables", "--fault-sql", "select tbl_name", 2, 0, kQueryLimit},
      // The close waits a second for its reply whatever the limits.
      {"disconnect", "--fault-close", "", 7, 0, 1},
  };
  return points[static_cast<int>(point)];
}

enum class Outcome {
  kLinkLost,       // the reply cannot be read
  kTimeLimit,      // no reply within the limit
  kLostOrLimit,    // either, as the driver treats a size it will not wait for
  kOutOfSequence,  // a reply nobody asked for waits behind the answer
  kServerError,    // an error reply read whole: the connection goes on
};

struct Fault {
  const char* name;
  const char* knob;  // the server's, or null for the proxy's
  FaultProxy::Action action;
  Outcome outcome;
};

// The proxy lets the first 20 bytes of the real reply through: inside the header of any reply.
constexpr std::size_t kProxyOffset = 20;

const Fault kFaults[] = {
    {"close_mid_reply", "close-mid-payload", {}, Outcome::kLinkLost},
    {"stall", "stall", {}, Outcome::kTimeLimit},
    {"stall_mid_frame", nullptr, FaultProxy::Action::kHold, Outcome::kTimeLimit},
    {"truncated_frame", nullptr, FaultProxy::Action::kCut, Outcome::kLinkLost},
    {"bad_signature", "badsig", {}, Outcome::kLinkLost},
    {"absurd_size", "absurd-size", {}, Outcome::kLostOrLimit},
    {"corrupt_zlib", "bad-zlib", {}, Outcome::kLinkLost},
    {"short_encrypted", "short-encrypted", {}, Outcome::kLinkLost},
    {"unrequested_frame", "unrequested", {}, Outcome::kOutOfSequence},
    {"error_for_chunk", "error 7010 20", {}, Outcome::kServerError},
};

enum class Traffic { kClear, kAes256, kCompressed };
const char* const kTrafficNames[] = {"clear", "aes256", "compressed"};

struct Cell {
  const Fault* fault;
  Point point;
  Traffic traffic;
};

std::vector<Cell> allCells() {
  std::vector<Cell> cells;
  for (const Fault& fault : kFaults)
    for (int point = 0; point <= static_cast<int>(Point::kDisconnect); ++point)
      for (Traffic traffic : {Traffic::kClear, Traffic::kAes256, Traffic::kCompressed})
        if (fault.outcome != Outcome::kServerError || Point(point) == Point::kLaterChunk)
          cells.push_back({&fault, Point(point), traffic});
  return cells;
}

std::string cellName(const Cell& cell) {
  return std::string(cell.fault->name) + "_at_" + info(cell.point).name + "_" +
         kTrafficNames[static_cast<int>(cell.traffic)];
}

void PrintTo(const Cell& cell, std::ostream* out) { *out << cellName(cell); }

// The states the faulted call may answer; empty: it succeeds.
States expectedStates(const Cell& cell) {
  const Point point = cell.point;
  if (point == Point::kDisconnect) return {};
  const States lost = {point == Point::kCommit ? "08007" : "08S01"};
  const States limit = point == Point::kCommit  ? States{"HYT01", "08007"}
                       : point == Point::kSetup ? States{"HYT01"}
                                                : States{"HYT00"};
  switch (cell.fault->outcome) {
    case Outcome::kLinkLost:
      return lost;
    case Outcome::kOutOfSequence:
      // Found behind a whole COMMIT reply the outcome is known, so the link's own state may do.
      return point == Point::kCommit ? States{"08007", "08S01"} : lost;
    case Outcome::kTimeLimit:
      return limit;
    case Outcome::kLostOrLimit: {
      States either = lost;
      either.insert(limit.begin(), limit.end());
      return either;
    }
    case Outcome::kServerError:
      return {"HY000"};
  }
  return {};
}

std::string describe(const States& states) {
  if (states.empty()) return "success";
  std::string text;
  for (const std::string& state : states) text += (text.empty() ? "" : " or ") + state;
  return text;
}

std::string diagnostic(SQLSMALLINT type, SQLHANDLE handle, SQLINTEGER* native = nullptr) {
  SQLCHAR state[6] = {};
  SQLCHAR message[512] = {};
  SQLINTEGER code = 0;
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(
          SQLGetDiagRec(type, handle, 1, state, &code, message, sizeof message, &length)))
    return "";
  if (native) *native = code;
  return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

SQLCHAR* text(const char* sql) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)); }

// The result's rows as "id:v" texts, or the first failing return.
SQLRETURN fetchAll(SQLHSTMT stmt, std::vector<std::string>& rows) {
  for (;;) {
    const SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA) return SQL_SUCCESS;
    if (!SQL_SUCCEEDED(rc)) return rc;
    char first[64] = {};
    char second[64] = {};
    SQLLEN length = 0;
    SQLGetData(stmt, 1, SQL_C_CHAR, first, sizeof first, &length);
    SQLGetData(stmt, 2, SQL_C_CHAR, second, sizeof second, &length);
    rows.push_back(std::string(first) + ":" + second);
  }
}

std::vector<std::string> expectedRows() {
  std::vector<std::string> rows;
  for (int id = 1; id <= kRows; ++id)
    rows.push_back(std::to_string(id) + ":r" + std::to_string(id));
  return rows;
}

class FaultMatrix : public ::testing::TestWithParam<Cell> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DEVSERVER();
    const Cell& cell = GetParam();
    std::vector<std::string> args = {"--chunk-rows", "10"};
    if (cell.traffic == Traffic::kCompressed) args.insert(args.end(), {"--compress-min", "1"});
    if (cell.fault->knob) {
      const PointInfo& point = info(cell.point);
      args.push_back(point.option);
      args.push_back(*point.prefix ? std::string(point.prefix) + "=" + cell.fault->knob
                                   : cell.fault->knob);
    }
    server_ = std::make_unique<testsupport::DevServer>(args);
    ASSERT_TRUE(server_->running());
    writeTable();
    proxy_ = std::make_unique<FaultProxy>(server_->port());
    ASSERT_NE(proxy_->port(), 0);
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    ini_.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) + "\n");
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)));
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_)));
    for (auto [attribute, value] : {std::pair{SQL_ATTR_LOGIN_TIMEOUT, kLoginLimit},
                                    std::pair{SQL_ATTR_CONNECTION_TIMEOUT, kConnectionLimit}}) {
      ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
          dbc_, attribute, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(value)), 0)))
          << diagnostic(SQL_HANDLE_DBC, dbc_);
    }
    baseline_ = proxy_->foreignDescriptors();
  }

  void TearDown() override {
    if (dbc_ != SQL_NULL_HDBC) {
      SQLDisconnect(dbc_);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
    proxy_.reset();
    if (server_ && server_->running()) {
      EXPECT_TRUE(server_->stop()) << "the development server did not exit cleanly:\n"
                                   << server_->log();
    }
  }

  // Table t of ids 1..kRows with texts "r<id>", written straight into the server's database.
  void writeTable() {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(server_->dataFile("default.db").c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const std::string sql =
        "CREATE TABLE t (id INTEGER, v TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
        "i + 1 FROM n WHERE i < " +
        std::to_string(kRows) + ") INSERT INTO t SELECT i, 'r' || i FROM n";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
    sqlite3_free(error);
    sqlite3_close(db);
  }

  SQLRETURN connect() {
    std::string in =
        "Driver={Karvell ODBC};Server=127.0.0.1;Port=" + std::to_string(proxy_->port()) +
        ";UID=karvell;PWD=karvell";
    if (GetParam().traffic == Traffic::kAes256) in += ";Encryption=AES256";
    return SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]), SQL_NTS, nullptr, 0,
                            nullptr, SQL_DRIVER_NOPROMPT);
  }

  void armProxy() {
    const Cell& cell = GetParam();
    if (cell.fault->knob) return;
    const PointInfo& point = info(cell.point);
    proxy_->arm({cell.fault->action, point.command, point.reply, kProxyOffset});
  }

  // Runs the call and measures it. A call still running well past its bound is freed by closing
  // the network under it, so that one hung cell cannot hold up the matrix.
  template <typename Call>
  SQLRETURN timed(Call call, double& seconds) {
    const auto start = Clock::now();
    auto running = std::async(std::launch::async, call);
    const double bound = info(GetParam().point).limit + 1;
    if (running.wait_for(std::chrono::duration<double>(bound + 3)) != std::future_status::ready) {
      ADD_FAILURE() << "the call still ran after " << bound + 3 << " s; the network is cut";
      proxy_->dropConnections();
      server_->stop();
    }
    const SQLRETURN rc = running.get();
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return rc;
  }

  // The faulted call of a connected session, with its diagnostics.
  SQLRETURN callAtPoint(SQLHSTMT stmt, std::vector<std::string>& rows, std::string& state,
                        SQLINTEGER& native) {
    SQLRETURN rc = SQL_SUCCESS;
    SQLSMALLINT type = SQL_HANDLE_STMT;
    SQLHANDLE handle = stmt;
    switch (GetParam().point) {
      case Point::kFirstChunk:
      case Point::kLaterChunk:
        rc = SQLExecDirect(stmt, text(kQuery), SQL_NTS);
        if (SQL_SUCCEEDED(rc)) rc = fetchAll(stmt, rows);
        break;
      case Point::kInsert:
        rc = SQLExecDirect(stmt, text("INSERT INTO t (id, v) VALUES (31, 'r31')"), SQL_NTS);
        break;
      case Point::kCommit:
        type = SQL_HANDLE_DBC;
        handle = dbc_;
        rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT);
        break;
      case Point::kTables:
        rc = SQLTables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, text("TABLE"), SQL_NTS);
        if (SQL_SUCCEEDED(rc)) rc = fetchAll(stmt, rows);
        break;
      case Point::kDisconnect:
        type = SQL_HANDLE_DBC;
        handle = dbc_;
        rc = SQLDisconnect(dbc_);
        break;
      case Point::kLogin:
      case Point::kSetup:
        break;
    }
    state = diagnostic(type, handle, &native);
    return rc;
  }

  void checkOutcome(SQLRETURN rc, const std::string& state, double seconds) {
    const States expected = expectedStates(GetParam());
    const double bound = info(GetParam().point).limit + 1;
    if (expected.empty()) {
      EXPECT_TRUE(SQL_SUCCEEDED(rc)) << "returned " << rc << " " << state;
    } else {
      EXPECT_EQ(rc, SQL_ERROR) << state;
      EXPECT_EQ(expected.count(state.substr(0, 5)), 1u)
          << "answered \"" << state << "\", expected " << describe(expected);
    }
    EXPECT_LE(seconds, bound) << "the call took " << seconds << " s";
  }

  // After the connection was lost: no socket, no traffic, dead, and a clean end.
  // `faultSeen`: the faulted call failed, so its socket is closed already; else the reply that
  // waits out of sequence is found before the next request goes out.
  void checkDead(std::uint64_t bytesAtFault, bool faultSeen) {
    if (faultSeen) {
      EXPECT_EQ(proxy_->foreignDescriptors(), baseline_) << "the socket stays open after the fault";
    }
    SQLHSTMT probe = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &probe)));
    const auto start = Clock::now();
    EXPECT_EQ(SQLExecDirect(probe, text("SELECT 'probe'"), SQL_NTS), SQL_ERROR)
        << "a later query on the lost connection";
    EXPECT_EQ(diagnostic(SQL_HANDLE_STMT, probe).substr(0, 5), "08S01")
        << diagnostic(SQL_HANDLE_STMT, probe);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, probe), SQL_SUCCESS);
    EXPECT_EQ(proxy_->foreignDescriptors(), baseline_) << "the socket stays open after the probe";
    SQLUINTEGER dead = SQL_CD_FALSE;
    EXPECT_TRUE(
        SQL_SUCCEEDED(SQLGetConnectAttr(dbc_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)));
    EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE)) << "SQL_ATTR_CONNECTION_DEAD";
    EXPECT_TRUE(SQL_SUCCEEDED(SQLDisconnect(dbc_))) << diagnostic(SQL_HANDLE_DBC, dbc_);
    EXPECT_EQ(proxy_->clientBytes(), bytesAtFault) << "bytes sent after the fault";
  }

  // After a server error read whole: the session answers correctly as before.
  void checkAlive() {
    SQLHSTMT probe = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &probe)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirect(probe, text(kQuery), SQL_NTS)))
        << diagnostic(SQL_HANDLE_STMT, probe);
    std::vector<std::string> rows;
    EXPECT_EQ(fetchAll(probe, rows), SQL_SUCCESS);
    EXPECT_EQ(rows, expectedRows()) << "the query after the error";
    SQLFreeHandle(SQL_HANDLE_STMT, probe);
    SQLUINTEGER dead = SQL_CD_TRUE;
    EXPECT_TRUE(
        SQL_SUCCEEDED(SQLGetConnectAttr(dbc_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)));
    EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_FALSE)) << "SQL_ATTR_CONNECTION_DEAD";
    EXPECT_TRUE(SQL_SUCCEEDED(SQLDisconnect(dbc_))) << diagnostic(SQL_HANDLE_DBC, dbc_);
  }

  void freeConnection() {
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, dbc_), SQL_SUCCESS);
    dbc_ = SQL_NULL_HDBC;
    EXPECT_EQ(proxy_->foreignDescriptors(), baseline_) << "descriptors left open";
  }

  void runConnectCell() {
    armProxy();
    double seconds = 0;
    const SQLRETURN rc = timed([this] { return connect(); }, seconds);
    checkOutcome(rc, diagnostic(SQL_HANDLE_DBC, dbc_), seconds);
    EXPECT_EQ(proxy_->foreignDescriptors(), baseline_) << "the socket stays open after the fault";
    if (SQL_SUCCEEDED(rc)) SQLDisconnect(dbc_);
    freeConnection();
  }

  void runSessionCell() {
    const Cell& cell = GetParam();
    ASSERT_TRUE(SQL_SUCCEEDED(connect())) << diagnostic(SQL_HANDLE_DBC, dbc_);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT,
                                             reinterpret_cast<SQLPOINTER>(kQueryLimit), 0)));
    if (cell.point == Point::kCommit) {
      ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(
          dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
      ASSERT_TRUE(SQL_SUCCEEDED(
          SQLExecDirect(stmt, text("insert into t (id, v) values (31, 'r31')"), SQL_NTS)));
    }
    armProxy();
    std::vector<std::string> rows;
    std::string state;
    SQLINTEGER native = 0;
    double seconds = 0;
    const SQLRETURN rc = timed([&] { return callAtPoint(stmt, rows, state, native); }, seconds);
    // What the faulted call itself sent has reached the proxy by then.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::uint64_t bytesAtFault = proxy_->clientBytes();
    if (cell.fault->outcome == Outcome::kOutOfSequence && SQL_SUCCEEDED(rc)) {
      // The answer itself was whole; the reply behind it must not pass for a later answer.
      if (cell.point == Point::kFirstChunk || cell.point == Point::kLaterChunk) {
        EXPECT_EQ(rows, expectedRows());
      }
      EXPECT_LE(seconds, info(cell.point).limit + 1);
    } else {
      checkOutcome(rc, state, seconds);
    }
    if (cell.fault->outcome == Outcome::kServerError) {
      EXPECT_EQ(native, 7010) << state;
    }
    if (cell.point != Point::kDisconnect) {
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
      if (cell.fault->outcome == Outcome::kServerError)
        checkAlive();
      else
        checkDead(bytesAtFault, !SQL_SUCCEEDED(rc));
    }
    freeConnection();
  }

  testsupport::TempOdbcIni ini_;
  std::unique_ptr<testsupport::DevServer> server_;
  std::unique_ptr<FaultProxy> proxy_;
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  int baseline_ = 0;
};

TEST_P(FaultMatrix, EndsInTimeWithItsStateAndLeavesNothingOpen) {
  SCOPED_TRACE(cellName(GetParam()) + ": expected " + describe(expectedStates(GetParam())));
  if (GetParam().point == Point::kLogin || GetParam().point == Point::kSetup)
    runConnectCell();
  else
    runSessionCell();
}

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrix, ::testing::ValuesIn(allCells()),
                         [](const ::testing::TestParamInfo<Cell>& cell) {
                           return cellName(cell.param);
                         });

}  // namespace
