#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/statement/StatementFixture.h"

namespace {

using namespace statementtest;

constexpr const char* kInsert = "insert into t values (?)";

class DataAtExecutionTest : public StatementFixture {
 protected:
  DataAtExecutionTest() { connection_.answer = command(); }

  // Parameter 1 as character data, its length word read when executing.
  void bindText(SQLLEN* lengthWord, SQLSMALLINT cType = SQL_C_CHAR) {
    ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, cType, SQL_VARCHAR, 100, 0, token_, 0,
                                        lengthWord),
              SQL_SUCCESS);
  }

  // The value gathered so far: its bytes and length word.
  std::string gathered() {
    const DescriptorRecord& record = *statement().impParamDesc()->getRecord(1);
    const auto* data = static_cast<const char*>(record.getDataPtr());
    const SQLLEN length = *record.getIndicatorPtr();
    if (data == nullptr) return "<null " + std::to_string(length) + ">";
    EXPECT_EQ(data[length], '\0');
    return std::string(data, static_cast<std::size_t>(length));
  }

  // Stands for the application's own data, which paramData hands back.
  char token_[8] = "token";
};

TEST_F(DataAtExecutionTest, ChunksAreGatheredUntilParamDataRunsTheStatement) {
  SQLLEN lengthWord = 0;
  bindText(&lengthWord);
  // Set after binding: the word is read when executing.
  lengthWord = SQL_DATA_AT_EXEC;
  ASSERT_EQ(execDirect(statement(), kInsert), SQL_NEED_DATA);
  EXPECT_TRUE(connection_.texts.empty());
  SQLPOINTER value = nullptr;
  ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
  EXPECT_EQ(value, token_);
  EXPECT_EQ(statement().putData(const_cast<char*>("ab"), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(statement().putData(const_cast<char*>("cdXX"), 2), SQL_SUCCESS);
  EXPECT_EQ(gathered(), "abcd");
  EXPECT_EQ(statement().paramData(&value), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts, std::vector<std::string>{"insert into t values ('abcd')"});
  EXPECT_EQ(statement().state(), Statement::stateExecuted);
  // Nothing pending any more: putData changes nothing.
  EXPECT_EQ(statement().putData(const_cast<char*>("zz"), SQL_NTS), SQL_SUCCESS);
}

TEST_F(DataAtExecutionTest, ChunkTable) {
  struct Chunk {
    const char* data;
    SQLLEN length;
    SQLRETURN rc;
    const char* sqlState;
  };
  const struct {
    const char* name;
    std::vector<Chunk> chunks;
    const char* literal;
  } cases[] = {
      {"NULL first", {{nullptr, SQL_NULL_DATA, SQL_SUCCESS, ""}}, "NULL"},
      {"NULL, then data starts afresh",
       {{nullptr, SQL_NULL_DATA, SQL_SUCCESS, ""}, {"xy", 2, SQL_SUCCESS, ""}},
       "'xy'"},
      {"NULL after data changes nothing",
       {{"xy", 2, SQL_SUCCESS, ""}, {nullptr, SQL_NULL_DATA, SQL_SUCCESS, ""}},
       "'xy'"},
      {"an empty chunk is the empty string", {{"", 0, SQL_SUCCESS, ""}}, "''"},
      {"a null pointer of length 0 too", {{nullptr, 0, SQL_SUCCESS, ""}}, "''"},
      {"empty chunks add nothing",
       {{"a", 1, SQL_SUCCESS, ""}, {"", 0, SQL_SUCCESS, ""}, {"b", SQL_NTS, SQL_SUCCESS, ""}},
       "'ab'"},
      {"a bad length changes nothing",
       {{"ab", 2, SQL_SUCCESS, ""},
        {"cd", -5, SQL_ERROR, "HY090"},
        {"cd", SQL_DEFAULT_PARAM, SQL_ERROR, "HY090"}},
       "'ab'"},
      {"a null pointer with a length",
       {{nullptr, 3, SQL_ERROR, "HY009"}, {"q", 1, SQL_SUCCESS, ""}},
       "'q'"},
      {"quotes stay inside the literal", {{"it's", SQL_NTS, SQL_SUCCESS, ""}}, "'it''s'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    connection_.texts.clear();
    statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
    SQLLEN lengthWord = SQL_LEN_DATA_AT_EXEC(10);
    bindText(&lengthWord);
    ASSERT_EQ(execDirect(statement(), kInsert), SQL_NEED_DATA);
    SQLPOINTER value = nullptr;
    ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
    for (const Chunk& chunk : c.chunks) {
      EXPECT_EQ(statement().putData(const_cast<char*>(chunk.data), chunk.length), chunk.rc);
      EXPECT_EQ(takeState(), chunk.sqlState);
    }
    EXPECT_EQ(statement().paramData(&value), SQL_SUCCESS);
    EXPECT_EQ(connection_.texts,
              std::vector<std::string>{std::string("insert into t values (") + c.literal + ")"});
  }
}

// A number or a structure is read at its own size whatever length comes with it, and in one call.
TEST_F(DataAtExecutionTest, FixedLengthValuesTakeTheirTypesSize) {
  struct Value {
    SQLINTEGER number;
    SQLINTEGER after;  // read only by a length taken literally
  } value = {42, 0x7777};
  SQL_TIMESTAMP_STRUCT stamp = {2020, 1, 1, 0, 0, 37, 0};
  SQLDOUBLE real = 2.5;
  const struct {
    const char* name;
    SQLSMALLINT cType;
    SQLSMALLINT sqlType;
    void* data;
    SQLLEN length;
    const char* literal;
  } cases[] = {
      {"long, length 1", SQL_C_LONG, SQL_INTEGER, &value, 1, "42"},
      {"long, length of two", SQL_C_SLONG, SQL_INTEGER, &value, sizeof value, "42"},
      {"long, NTS", SQL_C_LONG, SQL_INTEGER, &value, SQL_NTS, "42"},
      {"long, a negative length", SQL_C_LONG, SQL_INTEGER, &value, -77, "42"},
      {"default C type of an integer", SQL_C_DEFAULT, SQL_INTEGER, &value, 1, "42"},
      {"double, length 3", SQL_C_DOUBLE, SQL_DOUBLE, &real, 3, "2.500000"},
      {"timestamp, length 1", SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, &stamp, 1,
       "'2020-01-01 00:00:37'"},
      {"timestamp, length 100", SQL_C_TIMESTAMP, SQL_VARCHAR, &stamp, 100,
       "'2020-01-01 00:00:37'"},
      {"NULL", SQL_C_LONG, SQL_INTEGER, nullptr, SQL_NULL_DATA, "NULL"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    connection_.texts.clear();
    statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
    SQLLEN lengthWord = SQL_DATA_AT_EXEC;
    ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, c.cType, c.sqlType, 0, 0, token_, 0,
                                        &lengthWord),
              SQL_SUCCESS);
    ASSERT_EQ(execDirect(statement(), kInsert), SQL_NEED_DATA);
    SQLPOINTER token = nullptr;
    ASSERT_EQ(statement().paramData(&token), SQL_NEED_DATA);
    EXPECT_EQ(statement().putData(c.data, c.length), SQL_SUCCESS);
    // A second piece of a fixed-length value is refused and changes nothing.
    EXPECT_EQ(statement().putData(&value, sizeof value.number), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY019");
    EXPECT_EQ(statement().paramData(&token), SQL_SUCCESS);
    EXPECT_EQ(connection_.texts,
              std::vector<std::string>{std::string("insert into t values (") + c.literal + ")"});
  }
}

TEST_F(DataAtExecutionTest, WideChunksEndAtAZeroUnit) {
  SQLLEN lengthWord = SQL_DATA_AT_EXEC;
  bindText(&lengthWord, SQL_C_WCHAR);
  ASSERT_EQ(execDirect(statement(), kInsert), SQL_NEED_DATA);
  SQLPOINTER value = nullptr;
  ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
  const SQLWCHAR wide[] = {u'h', 0x0100, u'i', 0};
  EXPECT_EQ(statement().putData(const_cast<SQLWCHAR*>(wide), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(gathered().size(), 6u);
  EXPECT_EQ(statement().paramData(&value), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts, std::vector<std::string>{"insert into t values ('h\xc4\x80i')"});
}

TEST_F(DataAtExecutionTest, TwoParametersAskedInOrder) {
  char first[] = "first";
  char second[] = "second";
  SQLLEN words[2] = {SQL_DATA_AT_EXEC, SQL_DATA_AT_EXEC};
  ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, first, 0,
                                      &words[0]),
            SQL_SUCCESS);
  ASSERT_EQ(statement().bindParameter(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, second, 0,
                                      &words[1]),
            SQL_SUCCESS);
  ASSERT_EQ(execDirect(statement(), "insert into t values (?, ?)"), SQL_NEED_DATA);
  SQLPOINTER value = nullptr;
  ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
  EXPECT_EQ(value, first);
  ASSERT_EQ(statement().putData(const_cast<char*>("1"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
  EXPECT_EQ(value, second);
  ASSERT_EQ(statement().putData(const_cast<char*>("2"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement().paramData(&value), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts, std::vector<std::string>{"insert into t values ('1', '2')"});

  // A second execution asks again: the gathered values went with the first.
  ASSERT_EQ(execDirect(statement(), "insert into t values (?, ?)"), SQL_NEED_DATA);
}

TEST_F(DataAtExecutionTest, TheBindOffsetChoosesTheIndicator) {
  SQLLEN words[2] = {5, SQL_DATA_AT_EXEC};
  char values[2][6] = {"plain", "later"};
  ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, values[0],
                                      6, &words[0]),
            SQL_SUCCESS);
  SQLLEN offset = 0;
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_PARAM_BIND_OFFSET_PTR, &offset, 0), SQL_SUCCESS);
  ASSERT_EQ(execDirect(statement(), kInsert), SQL_SUCCESS);
  offset = sizeof(SQLLEN);
  ASSERT_EQ(execDirect(statement(), kInsert), SQL_NEED_DATA);
  SQLPOINTER value = nullptr;
  ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
  ASSERT_EQ(statement().putData(const_cast<char*>("late"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement().paramData(&value), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts, (std::vector<std::string>{"insert into t values ('plain')",
                                                         "insert into t values ('late')"}));
}

TEST_F(DataAtExecutionTest, SeveralParameterSetsAreRefusedBeforeAnythingIsSent) {
  SQLLEN words[3] = {SQL_NTS, SQL_NTS, SQL_DATA_AT_EXEC};
  char values[3][4] = {"a", "b", "c"};
  ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 3, 0, values, 4,
                                      words),
            SQL_SUCCESS);
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(3), 0),
            SQL_SUCCESS);
  EXPECT_EQ(execDirect(statement(), kInsert), SQL_ERROR);
  EXPECT_EQ(takeState(), "HYC00");
  EXPECT_TRUE(connection_.texts.empty());

  words[2] = SQL_NTS;
  EXPECT_EQ(execDirect(statement(), kInsert), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{"insert into t values ('a')", "insert into t values ('b')",
                                      "insert into t values ('c')"}));
}

TEST_F(DataAtExecutionTest, ParamDataThatRunsAQueryEndsAsExecuteDoes) {
  connection_.answer = threeRows();
  SQLLEN lengthWord = SQL_DATA_AT_EXEC;
  bindText(&lengthWord);
  ASSERT_EQ(statement().prepare("select id, name from t where name = ?", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement().execute(), SQL_NEED_DATA);
  SQLPOINTER value = nullptr;
  ASSERT_EQ(statement().paramData(&value), SQL_NEED_DATA);
  ASSERT_EQ(statement().putData(const_cast<char*>("two"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement().paramData(&value), SQL_SUCCESS);
  EXPECT_EQ(statement().state(), Statement::stateResultSet);
  ASSERT_NE(statement().recordset(), nullptr);
  EXPECT_EQ(statement().fetch(), SQL_SUCCESS);
}

TEST_F(DataAtExecutionTest, NullDataSetAfterBindingSendsNull) {
  SQLINTEGER number = 42;
  SQLLEN lengthWord = 0;
  ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &number,
                                      0, &lengthWord),
            SQL_SUCCESS);
  ASSERT_EQ(execDirect(statement(), kInsert), SQL_SUCCESS);
  lengthWord = SQL_NULL_DATA;
  ASSERT_EQ(execDirect(statement(), kInsert), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{"insert into t values (42)", "insert into t values (NULL)"}));
}

}  // namespace
