#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

// Runs every parameter set as the back end does and keeps the final texts it would send.
class SendingStatement : public Statement {
 public:
  using Statement::Statement;

  SQLRETURN executeSql(const std::string& text) override { return executeParameterSets(text); }
  SQLRETURN executeFinalizedQuery(const std::string& text, SQLULEN) override {
    sent.push_back(text);
    return SQL_SUCCESS;
  }

  std::vector<std::string> sent;
};

struct Chunk {
  std::string bytes;
  SQLLEN length;  // SQL_NTS, SQL_NULL_DATA or a byte count
};

class ParameterExecutionTest : public ::testing::Test {
 protected:
  // Sends the statement with one data-at-execution parameter of the types, its value in the
  // chunks; answers what was sent, or the state of the first refusal.
  std::string sendInChunks(SQLSMALLINT cType, SQLSMALLINT sqlType, const std::vector<Chunk>& chunks) {
    SQLLEN word = SQL_LEN_DATA_AT_EXEC(0);
    char token = 't';
    EXPECT_EQ(statement_.bindParameter(1, SQL_PARAM_INPUT, cType, sqlType, 0, 0, &token, 0, &word),
              SQL_SUCCESS);
    EXPECT_EQ(statement_.execDirect("INSERT INTO t VALUES (?)", SQL_NTS), SQL_NEED_DATA);
    SQLPOINTER which = nullptr;
    EXPECT_EQ(statement_.paramData(&which), SQL_NEED_DATA);
    EXPECT_EQ(which, &token);
    for (const Chunk& chunk : chunks) {
      if (statement_.putData(const_cast<char*>(chunk.bytes.data()), chunk.length) != SQL_SUCCESS) {
        return "state " + testsupport::takeState(statement_.diagnostics());
      }
    }
    const SQLRETURN rc = statement_.paramData(&which);
    if (rc != SQL_SUCCESS) return "rc " + std::to_string(rc);
    return statement_.sent.empty() ? "nothing" : statement_.sent.back();
  }

  // Parameter 1 as an array of `sets` values bound as numbers, its status array and processed
  // count bound and filled with marks that no execution writes.
  template <typename Value, std::size_t sets>
  void bindArray(SQLSMALLINT cType, Value (&values)[sets], SQLLEN (&words)[sets]) {
    std::fill(std::begin(statuses_), std::end(statuses_), SQLUSMALLINT{99});
    processed_ = 99;
    ASSERT_EQ(statement_.bindParameter(1, SQL_PARAM_INPUT, cType, SQL_INTEGER, 0, 0, values,
                                       sizeof values[0], words),
              SQL_SUCCESS);
    statement_.appParamDesc()->setArraySize(sets);
    statement_.impParamDesc()->setArrayStatusPtr(statuses_);
    statement_.impParamDesc()->setRowsProcessedPtr(&processed_);
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC execution test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  SendingStatement statement_{&connection_};
  SQLUSMALLINT statuses_[5] = {};
  SQLULEN processed_ = 0;
};

TEST_F(ParameterExecutionTest, GatheredValuesBecomeLiteralsOfTheirExactLength) {
  const std::string wide("h\0\xE9\0", 4);  // UTF-16LE "hé"
  const struct {
    const char* name;
    SQLSMALLINT cType;
    SQLSMALLINT sqlType;
    std::vector<Chunk> chunks;
    std::string expected;
  } cases[] = {
      {"two chunks", SQL_C_CHAR, SQL_VARCHAR, {{"ab", SQL_NTS}, {"cd", SQL_NTS}},
       "INSERT INTO t VALUES ('abcd')"},
      {"quote across chunks", SQL_C_CHAR, SQL_VARCHAR, {{"it'", SQL_NTS}, {"s", 1}},
       "INSERT INTO t VALUES ('it''s')"},
      {"NULL first", SQL_C_CHAR, SQL_VARCHAR, {{"", SQL_NULL_DATA}},
       "INSERT INTO t VALUES (NULL)"},
      {"data after NULL", SQL_C_CHAR, SQL_VARCHAR, {{"", SQL_NULL_DATA}, {"x", SQL_NTS}},
       "INSERT INTO t VALUES ('x')"},
      {"NULL after data", SQL_C_CHAR, SQL_VARCHAR, {{"x", SQL_NTS}, {"", SQL_NULL_DATA}},
       "INSERT INTO t VALUES ('x')"},
      {"empty chunk", SQL_C_CHAR, SQL_VARCHAR, {{"", 0}}, "INSERT INTO t VALUES ('')"},
      {"part of a chunk", SQL_C_CHAR, SQL_VARCHAR, {{"abc", 2}}, "INSERT INTO t VALUES ('ab')"},
      {"number", SQL_C_CHAR, SQL_INTEGER, {{"4", SQL_NTS}, {"2", SQL_NTS}},
       "INSERT INTO t VALUES (42)"},
      {"not a number", SQL_C_CHAR, SQL_INTEGER, {{"4", SQL_NTS}, {" OR 1=1", SQL_NTS}},
       "rc -1"},
      {"wide", SQL_C_WCHAR, SQL_WVARCHAR, {{wide, 4}}, "INSERT INTO t VALUES ('h\xC3\xA9')"},
      {"binary", SQL_C_BINARY, SQL_VARBINARY, {{std::string("\0\x01", 2), 2}, {"\xff", 1}},
       "INSERT INTO t VALUES (X'0001ff')"},
      {"bad length", SQL_C_CHAR, SQL_VARCHAR, {{"x", -7}}, "state HY090"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    statement_.sent.clear();
    EXPECT_EQ(sendInChunks(c.cType, c.sqlType, c.chunks), c.expected);
    statement_.freeStmt(SQL_CLOSE);
  }
}

TEST_F(ParameterExecutionTest, EverySetIsSentWithItsOwnLiterals) {
  SQLINTEGER numbers[3] = {1, 2, 3};
  SQLLEN words[3] = {0, SQL_NULL_DATA, 0};
  ASSERT_EQ(statement_.bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, numbers, 0,
                                     words),
            SQL_SUCCESS);
  statement_.appParamDesc()->setArraySize(3);
  ASSERT_EQ(statement_.execDirect("SELECT ?", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(statement_.sent, (std::vector<std::string>{"SELECT 1", "SELECT NULL", "SELECT 3"}));
}

// A value that has no literal fails its own set only: the sets after it still run, and its
// record names it.
TEST_F(ParameterExecutionTest, ARefusedSetFailsAloneAndTheOthersRun) {
  char buffer[5][2] = {{'1', 0}, {'2', 0}, {'x', 0}, {'4', 0}, {'5', 0}};
  SQLLEN words[5] = {SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS};
  bindArray(SQL_C_CHAR, buffer, words);
  EXPECT_EQ(statement_.execDirect("SELECT ?", SQL_NTS), SQL_SUCCESS_WITH_INFO);
  SQLLEN row = 0;
  ASSERT_EQ(statement_.diagnostics().getDiagField(1, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(row, 3);
  EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "22018");
  EXPECT_EQ(statement_.sent,
            (std::vector<std::string>{"SELECT 1", "SELECT 2", "SELECT 4", "SELECT 5"}));
  const SQLUSMALLINT expected[5] = {SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_ERROR,
                                    SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS};
  for (int set = 0; set < 5; ++set) EXPECT_EQ(statuses_[set], expected[set]) << "set " << set;
  EXPECT_EQ(processed_, 5u);

  // Every set refused: nothing sent, SQL_ERROR, every set named.
  for (auto& value : buffer) value[0] = 'y';
  statement_.sent.clear();
  EXPECT_EQ(statement_.execDirect("SELECT ?", SQL_NTS), SQL_ERROR);
  EXPECT_TRUE(statement_.sent.empty());
  for (int set = 0; set < 5; ++set) EXPECT_EQ(statuses_[set], SQL_PARAM_ERROR) << "set " << set;
  EXPECT_EQ(processed_, 5u);
  SQLINTEGER records = 0;
  ASSERT_EQ(statement_.diagnostics().getDiagField(0, SQL_DIAG_NUMBER, &records, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(records, 5);
}

// Data at execution cannot serve several sets: refused before any runs, every entry unused.
TEST_F(ParameterExecutionTest, ARefusalBeforeAnySetLeavesEverySetUnused) {
  SQLINTEGER numbers[3] = {1, 2, 3};
  SQLLEN words[3] = {0, SQL_DATA_AT_EXEC, 0};
  bindArray(SQL_C_SLONG, numbers, words);
  EXPECT_EQ(statement_.execDirect("SELECT ?", SQL_NTS), SQL_ERROR);
  EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "HYC00");
  EXPECT_TRUE(statement_.sent.empty());
  for (int set = 0; set < 3; ++set) EXPECT_EQ(statuses_[set], SQL_PARAM_UNUSED) << "set " << set;
  EXPECT_EQ(statuses_[3], 99) << "past the array";
  EXPECT_EQ(processed_, 0u);
}

}  // namespace
