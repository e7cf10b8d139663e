// Arrays of a thousand parameter sets through the Driver Manager, more than the driver keeps in
// flight at once: every set keeps its status, its diagnostic record and their order, whether it
// fails by conversion, by a constraint or by the connection, in clear, encrypted and compressed
// traffic and in both commit modes. What reached the server is read with Python's sqlite3.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

constexpr SQLULEN kSets = 1000;

SQLPOINTER attribute(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

class LargeArray : public OdbcProgram {
 protected:
  void SetUp() override {
    OdbcProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    exec("create table big (x integer primary key, label text)");
    for (SQLULEN set = 0; set < kSets; ++set) {
      setX(set, std::to_string(set + 1));
      labels_[set][0] = static_cast<char>('a' + set % 26);
      operations_[set] = SQL_PARAM_PROCEED;
      statuses_[set] = 99;
    }
  }

  void setX(SQLULEN set, const std::string& x) {
    x.copy(xs_[set], sizeof xs_[set] - 1);
    xs_[set][x.size()] = '\0';
  }

  // "insert into big values (?, ?)" over the thousand sets; the statement stays open for its
  // diagnostics.
  SQLRETURN insertSets(SQLHSTMT stmt) {
    processed_ = 99;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, attribute(kSets), 0)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, statuses_, 0)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_, 0)));
    EXPECT_TRUE(
        SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_OPERATION_PTR, operations_, 0)));
    EXPECT_EQ(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 0, 0, xs_,
                               sizeof xs_[0], nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, labels_,
                               sizeof labels_[0], nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(
                                   "insert into big values (?, ?)")),
                         SQL_NTS),
              SQL_SUCCESS);
    return SQLExecute(stmt);
  }

  // The statuses that differ from success, as "<row>:<status>".
  std::vector<std::string> unsuccessful() const {
    std::vector<std::string> found;
    for (SQLULEN set = 0; set < kSets; ++set) {
      if (statuses_[set] != SQL_PARAM_SUCCESS) {
        found.push_back(std::to_string(set + 1) + ":" + std::to_string(statuses_[set]));
      }
    }
    return found;
  }

  char xs_[kSets][8] = {};
  char labels_[kSets][2] = {};
  SQLUSMALLINT operations_[kSets] = {};
  SQLUSMALLINT statuses_[kSets] = {};
  SQLULEN processed_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Sets failing by constraint and by conversion inside one window and near the end, one ignored.

struct Session {
  const char* name;
  bool encryptedAndCompressed;
  bool manualCommit;
};

class LargeArraySession : public LargeArray, public ::testing::WithParamInterface<Session> {
 protected:
  std::vector<std::string> serverArgs() const override {
    if (!GetParam().encryptedAndCompressed) return {};
    return {"--compress-min", "1"};
  }
  std::string connectionOptions() const override {
    return GetParam().encryptedAndCompressed ? ";Encryption=AES256" : "";
  }
};

TEST_P(LargeArraySession, EverySetKeepsItsOutcomeAndItsPlace) {
  if (GetParam().manualCommit) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                                attribute(SQL_AUTOCOMMIT_OFF), 0)));
  }
  setX(399, "1");  // a key that set 1 holds
  setX(400, "x");  // no number: refused before it is sent
  setX(998, "2");
  operations_[699] = SQL_PARAM_IGNORE;
  SQLHSTMT stmt = statement();
  EXPECT_EQ(insertSets(stmt), SQL_SUCCESS_WITH_INFO);
  const std::string error = std::to_string(SQL_PARAM_ERROR);
  EXPECT_EQ(unsuccessful(), (std::vector<std::string>{"400:" + error, "401:" + error,
                                                      "700:" + std::to_string(SQL_PARAM_UNUSED),
                                                      "999:" + error}));
  EXPECT_EQ(processed_, kSets - 1);
  EXPECT_EQ(diagnosticRows(stmt), (std::vector<std::string>{"HY000 row 400", "22018 row 401",
                                                     "HY000 row 999"}));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  if (GetParam().manualCommit) {
    EXPECT_EQ(storedRows("select count(*) from big"), "0\n") << "nothing before the commit";
    EXPECT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT)));
  }
  // Every set but the four: the sum of 1..1000 less 400, 401, 700 and 999.
  EXPECT_EQ(storedRows("select count(*), sum(x), min(label), max(label) from big"),
            "996|498000|a|z\n");
}

INSTANTIATE_TEST_SUITE_P(Sessions, LargeArraySession,
                         ::testing::Values(Session{"clear", false, false},
                                           Session{"aes256_compressed", true, false},
                                           Session{"clear_manual_commit", false, true}),
                         [](const ::testing::TestParamInfo<Session>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// The connection lost at set 300, in the middle of the sets in flight: that set answers the
// loss, every later set 08S01, the sets before it stand.

struct Loss {
  const char* name;
  const char* knob;
  bool encrypted;
  SQLULEN queryTimeout;
  const char* state;
  SQLINTEGER native;
};

class LostInTheWindow : public LargeArray, public ::testing::WithParamInterface<Loss> {
 protected:
  std::vector<std::string> serverArgs() const override {
    return {"--fault-sql", std::string("insert into big values (300,=") + GetParam().knob};
  }
  std::string connectionOptions() const override {
    return GetParam().encrypted ? ";Encryption=AES256" : "";
  }
};

TEST_P(LostInTheWindow, ThatSetAnswersTheLossAndEveryLaterSetTheDeadLink) {
  SQLHSTMT stmt = statement();
  ASSERT_TRUE(SQL_SUCCEEDED(
      SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, attribute(GetParam().queryTimeout), 0)));
  EXPECT_EQ(insertSets(stmt), SQL_SUCCESS_WITH_INFO);
  std::vector<std::string> failed;
  std::vector<std::string> expected = {std::string(GetParam().state) + " row 300"};
  for (SQLULEN row = 300; row <= kSets; ++row) {
    failed.push_back(std::to_string(row) + ":" + std::to_string(SQL_PARAM_ERROR));
    if (row > 300) expected.push_back("08S01 row " + std::to_string(row));
  }
  EXPECT_EQ(unsuccessful(), failed);
  EXPECT_EQ(processed_, kSets);
  SQLINTEGER native = 0;
  EXPECT_EQ(diagnosticRows(stmt, &native), expected);
  EXPECT_EQ(native, GetParam().native);
  SQLUINTEGER dead = SQL_CD_FALSE;
  EXPECT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  // The server ran set 300 before its reply broke, and nothing after it.
  EXPECT_EQ(storedRows("select count(*), max(x) from big"), "300|300\n");
}

INSTANTIATE_TEST_SUITE_P(Faults, LostInTheWindow,
                         ::testing::Values(Loss{"closed_mid_reply", "close-mid-payload", false, 0,
                                                "08S01", 830},
                                           Loss{"closed_mid_reply_aes256", "close-mid-payload",
                                                true, 0, "08S01", 830},
                                           Loss{"stalled_past_the_time_out", "stall", false, 1,
                                                "HYT00", 810}),
                         [](const ::testing::TestParamInfo<Loss>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
