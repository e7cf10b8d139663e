// SQLSetPos and SQLBulkOperations on the scripted connection: positioning and refreshing within
// a static rowset (the next fetch as if nothing happened), the texts that added, updated and
// deleted rows send, their row statuses and diagnostics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/ScriptedConnection.h"

namespace {

using testsupport::ScriptedAnswer;
using testsupport::ScriptedConnection;
using testsupport::ScriptedStatement;
using testsupport::takeState;

// Fails every text that holds `failOn`, as a server refusing a row.
class RowConnection : public ScriptedConnection {
 public:
  using ScriptedConnection::ScriptedConnection;
  std::string failOn;
  bool declaresCursors = false;

  bool suppressDeclareCursor() override { return !declaresCursors; }
  SQLRETURN run(ScriptedStatement& statement, const std::string& text) override {
    if (failOn.empty() || text.find(failOn) == std::string::npos) {
      return ScriptedConnection::run(statement, text);
    }
    texts.push_back(text);
    statement.diagnostics().post("23000", 19, "UNIQUE constraint failed", SQL_NO_COLUMN_NUMBER,
                                 SQL_NO_ROW_NUMBER);
    return SQL_ERROR;
  }
};

ScriptedAnswer numbers(int count) {
  ScriptedAnswer answer;
  answer.columns = {"id"};
  for (int i = 1; i <= count; ++i) answer.rows.push_back({std::to_string(i)});
  return answer;
}

SQLPOINTER integer(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

class PositionedTest : public ::testing::Test {
 protected:
  PositionedTest() {
    environment_.setOdbcVersion(SQL_OV_ODBC3);
    connection_.answerAsBackEnd();
  }

  Statement& statement() { return *statement_; }

  // A static result of ten numbers, rowsets of three into bound text buffers.
  void openNumbers(SQLUINTEGER concurrency = SQL_CONCUR_READ_ONLY) {
    statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
    ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_CURSOR_TYPE, integer(SQL_CURSOR_STATIC), 0),
              SQL_SUCCESS);
    ASSERT_TRUE(
        SQL_SUCCEEDED(statement().setStmtAttr(SQL_ATTR_CONCURRENCY, integer(concurrency), 0)));
    ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(3), 0), SQL_SUCCESS);
    ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses_, 0), SQL_SUCCESS);
    ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), SQL_SUCCESS);
    ASSERT_EQ(statement().bindCol(1, SQL_C_CHAR, values_, sizeof values_[0], lengths_),
              SQL_SUCCESS);
    connection_.answer = numbers(10);
    ASSERT_EQ(statement().execDirect("select id from t", SQL_NTS), SQL_SUCCESS);
    connection_.answer = ScriptedAnswer{};
    connection_.texts.clear();
  }

  // What a fetch left in the bound buffers: return code, rows, statuses and count.
  std::string rowset(SQLRETURN rc) {
    std::string text = std::to_string(rc) + ":";
    for (int k = 0; k < 3; ++k) {
      text += statuses_[k] == SQL_ROW_NOROW ? std::string("-") : std::string(values_[k]);
      text += "/" + std::to_string(statuses_[k]) + " ";
    }
    return text + "n=" + std::to_string(fetched_);
  }

  std::string getData() {
    char buffer[8] = {};
    SQLLEN length = 0;
    const SQLRETURN rc = statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &length);
    return SQL_SUCCEEDED(rc) ? std::string(buffer) : "rc " + std::to_string(rc);
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC statement test", "Ferrow",
                           nullptr};
  RowConnection connection_{&environment_};
  std::unique_ptr<ScriptedStatement> statement_{
      static_cast<ScriptedStatement*>(connection_.createStatement())};
  char values_[3][8] = {};
  SQLLEN lengths_[3] = {};
  SQLUSMALLINT statuses_[3] = {};
  SQLULEN fetched_ = 0;
};

struct Start {
  const char* what;
  int nexts;  // NEXT fetches before the SQLSetPos call
};

struct SetPosCase {
  SQLSETPOSIROW row;
  SQLUSMALLINT operation;
};

struct Orientation {
  SQLSMALLINT orientation;
  SQLLEN offset;
};

TEST_F(PositionedTest, PositionAndRefreshLeaveTheNextFetchAsItWas) {
  const Start starts[] = {{"rows 4-6", 2}, {"short last rowset, row 10", 4}};
  const SetPosCase cases[] = {{1, SQL_POSITION}, {3, SQL_POSITION}, {0, SQL_REFRESH},
                              {2, SQL_REFRESH},  {0, SQL_POSITION}, {4, SQL_POSITION},
                              {2, SQL_POSITION}};
  const Orientation orientations[] = {{SQL_FETCH_NEXT, 0},     {SQL_FETCH_PRIOR, 0},
                                      {SQL_FETCH_RELATIVE, 1}, {SQL_FETCH_RELATIVE, -1},
                                      {SQL_FETCH_ABSOLUTE, 5}, {SQL_FETCH_FIRST, 0},
                                      {SQL_FETCH_LAST, 0}};
  for (const Start& start : starts) {
    for (const Orientation& orientation : orientations) {
      const auto sequence = [&](const SetPosCase* setPos) {
        openNumbers();
        for (int i = 0; i < start.nexts; ++i) statement().fetch();
        if (setPos != nullptr) statement().setPos(setPos->row, setPos->operation, 0);
        return rowset(statement().fetchScroll(orientation.orientation, orientation.offset));
      };
      const std::string expected = sequence(nullptr);
      for (const SetPosCase& setPos : cases) {
        SCOPED_TRACE(std::string(start.what) + ", SQLSetPos(" + std::to_string(setPos.row) + ", " +
                     std::to_string(setPos.operation) + "), orientation " +
                     std::to_string(orientation.orientation) + " " +
                     std::to_string(orientation.offset));
        EXPECT_EQ(sequence(&setPos), expected);
      }
    }
  }
}

TEST_F(PositionedTest, PositionMakesTheRowCurrentForGetData) {
  openNumbers();
  statement().fetch();
  statement().fetch();  // rows 4-6
  for (SQLSETPOSIROW row : {1, 3, 2}) {
    ASSERT_EQ(statement().setPos(row, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
    EXPECT_EQ(getData(), std::to_string(3 + row));
  }
  // A piecewise read starts again on the positioned row.
  char piece[2] = {};
  SQLLEN length = 0;
  ASSERT_EQ(statement().setPos(3, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, piece, sizeof piece, &length), SQL_SUCCESS);
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, piece, sizeof piece, &length), SQL_NO_DATA);
  ASSERT_EQ(statement().setPos(3, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, piece, sizeof piece, &length), SQL_SUCCESS);
  EXPECT_STREQ(piece, "6");
}

TEST_F(PositionedTest, RefreshConvertsTheRowsetAgainInPlace) {
  openNumbers();
  statement().fetch();
  statement().fetch();  // rows 4-6
  std::memset(values_, 'x', sizeof values_);
  statuses_[0] = statuses_[1] = statuses_[2] = 99;
  fetched_ = 42;
  ASSERT_EQ(statement().setPos(0, SQL_REFRESH, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(rowset(SQL_SUCCESS), "0:4/0 5/0 6/0 n=42");

  std::memset(values_, 'x', sizeof values_);
  values_[1][7] = values_[0][7] = values_[2][7] = '\0';
  ASSERT_EQ(statement().setPos(2, SQL_REFRESH, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_STREQ(values_[1], "5");
  EXPECT_STREQ(values_[0], "xxxxxxx");
  EXPECT_EQ(getData(), "5");
  // Refreshing every row keeps the positioned row current.
  ASSERT_EQ(statement().setPos(0, SQL_REFRESH, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(getData(), "5");
}

TEST_F(PositionedTest, RowNumbersOutsideTheRowsetAreRefused) {
  struct Case {
    const char* what;
    int nexts;
    bool bulkFirst;
    SQLSETPOSIROW row;
    SQLUSMALLINT operation;
    const char* state;
  };
  const Case cases[] = {
      {"no fetch yet", 0, false, 1, SQL_POSITION, "24000"},
      {"after the end", 5, false, 1, SQL_REFRESH, "24000"},
      {"position on row 0", 1, false, 0, SQL_POSITION, "HY109"},
      {"beyond the rowset size", 1, false, 4, SQL_POSITION, "HY107"},
      {"refresh beyond the rowset size", 1, false, 4, SQL_REFRESH, "HY107"},
      {"beyond a short last rowset", 4, false, 2, SQL_POSITION, "HY109"},
      {"refresh beyond a short last rowset", 4, false, 3, SQL_REFRESH, "HY109"},
      {"after a bulk add", 1, true, 1, SQL_POSITION, "HY109"},
      {"refresh after a bulk add", 1, true, 0, SQL_REFRESH, "HY109"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    openNumbers();
    for (int i = 0; i < c.nexts; ++i) statement().fetch();
    if (c.bulkFirst) statement().bulkOperations(SQL_ADD);
    takeState(statement().diagnostics());
    EXPECT_EQ(statement().setPos(c.row, c.operation, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    EXPECT_EQ(takeState(statement().diagnostics()), c.state);
  }
}

TEST_F(PositionedTest, UpdateAndDeleteAreRefusedAndTouchNothing) {
  struct Case {
    SQLUINTEGER concurrency;
    bool everyBit;
    SQLUSMALLINT operation;
    const char* state;
    const char* message;
  };
  const Case cases[] = {
      {SQL_CONCUR_READ_ONLY, false, SQL_UPDATE, "HY092", ""},
      {SQL_CONCUR_READ_ONLY, false, SQL_DELETE, "HY092", ""},
      {SQL_CONCUR_READ_ONLY, false, SQL_ADD, "HY092", ""},
      {SQL_CONCUR_LOCK, false, SQL_UPDATE, "HYC00", "Cursor does not support updating rows"},
      {SQL_CONCUR_LOCK, false, SQL_DELETE, "HYC00", "Cursor does not support deleting rows"},
      // A connection that advertises both, without a declared server cursor.
      {SQL_CONCUR_LOCK, true, SQL_UPDATE, "HYC00", "Cursor does not support updating rows"},
      {SQL_CONCUR_LOCK, true, SQL_DELETE, "HYC00", "Cursor does not support deleting rows"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.operation) + (c.everyBit ? " every bit" : ""));
    if (c.everyBit) connection_.answerEverything();
    openNumbers(c.concurrency);
    statement().fetch();
    statuses_[0] = 77;
    EXPECT_EQ(statement().setPos(1, c.operation, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    SQLCHAR state[6] = {};
    SQLCHAR message[200] = {};
    ASSERT_EQ(
        statement().diagnostics().getDiagField(1, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr),
        SQL_SUCCESS);
    statement().diagnostics().getDiagField(1, SQL_DIAG_MESSAGE_TEXT, message, sizeof message,
                                           nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(state), c.state);
    if (*c.message != '\0') {
      EXPECT_STREQ(reinterpret_cast<char*>(message), c.message);
    }
    EXPECT_TRUE(connection_.texts.empty());
    EXPECT_EQ(statuses_[0], 77);
    EXPECT_EQ(statement().impRowDesc()->getCount(), 1);
    EXPECT_EQ(statement().fetch(), SQL_SUCCESS);
    EXPECT_STREQ(values_[0], "4");
    connection_.answerAsBackEnd();
  }
}

TEST_F(PositionedTest, AdvertisedOperationsAnswerAndRefusedOnesAreNotAdvertised) {
  struct Operation {
    SQLUINTEGER bit;
    SQLUSMALLINT operation;
  };
  const Operation operations[] = {{SQL_CA1_POS_POSITION, SQL_POSITION},
                                  {SQL_CA1_POS_REFRESH, SQL_REFRESH},
                                  {SQL_CA1_POS_UPDATE, SQL_UPDATE},
                                  {SQL_CA1_POS_DELETE, SQL_DELETE},
                                  {SQL_CA1_BULK_ADD, SQL_ADD}};
  for (SQLUINTEGER type : {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC}) {
    for (const Operation& op : operations) {
      SCOPED_TRACE(std::to_string(type) + " " + std::to_string(op.operation));
      statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
      statement().setStmtAttr(SQL_ATTR_CURSOR_TYPE, integer(type), 0);
      statement().setStmtAttr(SQL_ATTR_CONCURRENCY, integer(SQL_CONCUR_LOCK), 0);
      const bool advertised = (statement().cursorAttributes1() & op.bit) != 0;
      statement().bindCol(1, SQL_C_CHAR, values_, sizeof values_[0], lengths_);
      connection_.answer = numbers(3);
      ASSERT_TRUE(SQL_SUCCEEDED(statement().execDirect("select id from t", SQL_NTS)));
      connection_.answer = ScriptedAnswer{};
      ASSERT_EQ(statement().fetch(), SQL_SUCCESS);
      const SQLRETURN rc = statement().setPos(1, op.operation, SQL_LOCK_NO_CHANGE);
      EXPECT_EQ(takeState(statement().diagnostics()) == "HYC00", !advertised);
      EXPECT_EQ(SQL_SUCCEEDED(rc), advertised);
    }
  }
}

// The add path: a result over people with three columns, rows added from the bound buffers.
class AddRowsTest : public PositionedTest {
 protected:
  void openPeople(SQLULEN rowsetSize, std::vector<std::string> columns = {"id", "name", "note"},
                  const char* query = "select id, name, note from people where id > 3",
                  SQLUINTEGER cursorType = SQL_CURSOR_FORWARD_ONLY) {
    statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
    statement().setStmtAttr(SQL_ATTR_CURSOR_TYPE, integer(cursorType), 0);
    if (cursorType == SQL_CURSOR_STATIC) {
      statement().setStmtAttr(SQL_ATTR_CONCURRENCY, integer(SQL_CONCUR_LOCK), 0);
    }
    ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(rowsetSize), 0),
              SQL_SUCCESS);
    ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses_, 0), SQL_SUCCESS);
    ScriptedAnswer answer;
    answer.columns = std::move(columns);
    answer.rows = {{"9", "zed", "old"}};
    connection_.answer = answer;
    ASSERT_EQ(statement().execDirect(query, SQL_NTS), SQL_SUCCESS);
    connection_.answer = ScriptedAnswer{};
    connection_.texts.clear();
    statuses_[0] = statuses_[1] = statuses_[2] = 99;
  }

  void bindIds(SQLINTEGER a, SQLINTEGER b, SQLINTEGER c = 0) {
    ids_[0] = a;
    ids_[1] = b;
    ids_[2] = c;
    ASSERT_EQ(statement().bindCol(1, SQL_C_SLONG, ids_, 0, nullptr), SQL_SUCCESS);
  }

  void bindNames(std::vector<std::string> names, int column = 2) {
    for (std::size_t k = 0; k < names.size(); ++k) {
      std::snprintf(names_[k], sizeof names_[k], "%s", names[k].c_str());
      nameLengths_[k] = SQL_NTS;
    }
    ASSERT_EQ(statement().bindCol(static_cast<SQLUSMALLINT>(column), SQL_C_CHAR, names_,
                                  sizeof names_[0], nameLengths_),
              SQL_SUCCESS);
  }

  std::string statuses(int count) {
    std::string text;
    for (int k = 0; k < count; ++k) text += std::to_string(statuses_[k]);
    return text;
  }

  SQLINTEGER ids_[3] = {};
  char names_[3][32] = {};
  SQLLEN nameLengths_[3] = {};
};

TEST_F(AddRowsTest, EveryRowOfTheRowsetIsAddedWithItsOwnValues) {
  openPeople(2);
  bindIds(4, 5);
  bindNames({"ann", "bob"});
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{"insert into people (id, name) values ('4', 'ann')",
                                      "insert into people (id, name) values ('5', 'bob')"}));
  EXPECT_EQ(statuses(2), "44");
}

TEST_F(AddRowsTest, SetPosAddsOnlyItsRow) {
  openPeople(3, {"id", "name", "note"}, "select id, name, note from people", SQL_CURSOR_STATIC);
  bindIds(4, 5, 6);
  ASSERT_EQ(statement().setPos(2, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts, std::vector<std::string>{"insert into people (id) values ('5')"});
  EXPECT_EQ(statuses(3), "99499");
  // A row beyond the rowset is refused before anything is read or sent.
  connection_.texts.clear();
  EXPECT_EQ(statement().setPos(4, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_ERROR);
  EXPECT_EQ(takeState(statement().diagnostics()), "HY107");
  EXPECT_TRUE(connection_.texts.empty());
}

TEST_F(AddRowsTest, OnlyTheBoundColumnsTakeMarkersInOrder) {
  openPeople(2);
  bindIds(4, 5);
  bindNames({"x", "y"}, 3);
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts.front(), "insert into people (id, note) values ('4', 'x')");
}

TEST_F(AddRowsTest, RowWiseBindingWithAnOffset) {
  struct Row {
    SQLINTEGER id;
    SQLLEN idIndicator;
    char name[16];
    SQLLEN nameLength;
  };
  Row rows[3] = {{1, 0, "a", SQL_NTS}, {2, 0, "bb", SQL_NTS}, {7, 0, "carol", 3}};
  openPeople(2);
  SQLLEN offset = sizeof(Row);  // the rows from the second on
  statement().setStmtAttr(SQL_ATTR_ROW_BIND_TYPE, integer(sizeof(Row)), 0);
  statement().setStmtAttr(SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset, 0);
  rows[1].idIndicator = SQL_NULL_DATA;
  ASSERT_EQ(statement().bindCol(1, SQL_C_SLONG, &rows[0].id, 0, &rows[0].idIndicator), SQL_SUCCESS);
  ASSERT_EQ(statement().bindCol(2, SQL_C_CHAR, rows[0].name, 16, &rows[0].nameLength), SQL_SUCCESS);
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{"insert into people (id, name) values (NULL, 'bb')",
                                      "insert into people (id, name) values ('7', 'car')"}));
}

TEST_F(AddRowsTest, AwkwardValuesStayInsideTheirLiterals) {
  openPeople(3);
  bindIds(1, 2, 3);
  bindNames({"it's", "a?b -- c\\", "\xC3\xA9t\xC3\xA9"});
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{
                "insert into people (id, name) values ('1', 'it''s')",
                "insert into people (id, name) values ('2', 'a?b -- c\\')",
                "insert into people (id, name) values ('3', '\xC3\xA9t\xC3\xA9')"}));
}

TEST_F(AddRowsTest, IgnoredRowsAndColumnsAreLeftOut) {
  openPeople(3);
  bindIds(1, 2, 3);
  bindNames({"a", "b", "c"});
  SQLUSMALLINT operations[3] = {SQL_ROW_PROCEED, SQL_ROW_IGNORE, SQL_ROW_PROCEED};
  statement().setStmtAttr(SQL_ATTR_ROW_OPERATION_PTR, operations, 0);
  nameLengths_[2] = SQL_COLUMN_IGNORE;
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{"insert into people (id, name) values ('1', 'a')",
                                      "insert into people (id) values ('3')"}));
  EXPECT_EQ(statuses(3), "4994");

  // Every column ignored: the server's defaults make the row.
  SQLLEN idIndicators[3] = {SQL_COLUMN_IGNORE, SQL_COLUMN_IGNORE, SQL_COLUMN_IGNORE};
  statement().bindCol(1, SQL_C_SLONG, ids_, 0, idIndicators);
  connection_.texts.clear();
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts.back(), "insert into people default values");
}

TEST_F(AddRowsTest, DataAtExecutionIsRefusedBeforeAnyRow) {
  openPeople(2);
  bindIds(1, 2);
  bindNames({"a", "b"});
  for (SQLLEN indicator : {SQLLEN{SQL_DATA_AT_EXEC}, SQLLEN{SQL_LEN_DATA_AT_EXEC(5)}}) {
    nameLengths_[1] = indicator;
    EXPECT_EQ(statement().bulkOperations(SQL_ADD), SQL_ERROR);
    EXPECT_EQ(takeState(statement().diagnostics()), "HYC00");
    EXPECT_TRUE(connection_.texts.empty());
    EXPECT_EQ(statuses(2), "9999");
  }
}

TEST_F(AddRowsTest, FailedRowsAreReportedWithTheirRowNumbers) {
  openPeople(3);
  bindIds(1, 2, 3);
  connection_.failOn = "'2'";
  EXPECT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(statuses(3), "454");
  SQLINTEGER count = 0;
  statement().diagnostics().getDiagField(0, SQL_DIAG_NUMBER, &count, 0, nullptr);
  ASSERT_EQ(count, 2);
  const std::pair<const char*, SQLLEN> expected[] = {{"01S01", 2}, {"23000", 2}};
  for (SQLSMALLINT record = 1; record <= 2; ++record) {
    char state[6] = {};
    SQLLEN row = 0;
    statement().diagnostics().getDiagField(record, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr);
    statement().diagnostics().getDiagField(record, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
    EXPECT_STREQ(state, expected[record - 1].first);
    EXPECT_EQ(row, expected[record - 1].second);
  }

  connection_.failOn = "insert";
  EXPECT_EQ(statement().bulkOperations(SQL_ADD), SQL_ERROR);
  EXPECT_EQ(statuses(3), "555");
  // The single row of a one-row add.
  takeState(statement().diagnostics());
  EXPECT_EQ(statement().insertRow(1, SQL_LOCK_NO_CHANGE), SQL_ERROR);
  EXPECT_EQ(takeState(statement().diagnostics()), "23000");
}

TEST_F(AddRowsTest, TheResultFetchesOnAfterAnAdd) {
  openPeople(1);
  bindIds(5, 0);
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(statement().state(), Statement::stateResultSet);
  ASSERT_EQ(statement().fetch(), SQL_SUCCESS);
  EXPECT_EQ(ids_[0], 9);
  EXPECT_EQ(statement().fetch(), SQL_NO_DATA);
}

TEST_F(AddRowsTest, TablesAndColumnsTheTextCannotName) {
  struct Case {
    const char* what;
    std::vector<std::string> columns;
    const char* query;
    bool bind;
    const char* message;
  };
  const Case cases[] = {
      {"a calculated column",
       {""},
       "select count(*) from t",
       true,
       "All columns must be from a table (not calculations)"},
      {"no table",
       {"id"},
       "show tables",
       true,
       "At least one bound column must be associated with a table"},
      {"no bound column",
       {"id"},
       "select id from t",
       false,
       "At least one bound column must be associated with a table"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    openPeople(1, c.columns, c.query);
    if (c.bind) bindIds(1, 2);
    EXPECT_EQ(statement().bulkOperations(SQL_ADD), SQL_ERROR);
    SQLCHAR message[200] = {};
    statement().diagnostics().getDiagField(1, SQL_DIAG_MESSAGE_TEXT, message, sizeof message,
                                           nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(message), c.message);
    EXPECT_TRUE(connection_.texts.empty());
    statement().diagnostics().clear();
  }
}

TEST_F(AddRowsTest, NamesThatAreNotPlainIdentifiersAreQuoted) {
  openPeople(1, {"my col", "a\"b", "x--y"}, "select * from people");
  ids_[0] = 1;
  statement().bindCol(1, SQL_C_SLONG, ids_, 0, nullptr);
  statement().bindCol(2, SQL_C_SLONG, ids_, 0, nullptr);
  statement().bindCol(3, SQL_C_SLONG, ids_, 0, nullptr);
  ASSERT_EQ(statement().bulkOperations(SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts.front(),
            "insert into people (\"my col\", \"a\"\"b\", \"x--y\") values ('1', '1', '1')");
}

TEST_F(AddRowsTest, OtherBulkOperationsAreRefused) {
  openPeople(1);
  bindIds(1, 2);
  for (SQLUSMALLINT operation :
       {SQL_UPDATE_BY_BOOKMARK, SQL_DELETE_BY_BOOKMARK, SQL_FETCH_BY_BOOKMARK}) {
    EXPECT_EQ(statement().bulkOperations(operation), SQL_ERROR);
    EXPECT_EQ(takeState(statement().diagnostics()), "HYC00");
  }
  EXPECT_TRUE(connection_.texts.empty());
}

TEST_F(PositionedTest, TableNameFromQuery) {
  const std::pair<const char*, const char*> cases[] = {
      {"select id, name from people where id > 3", "people"},
      {"select id from    people", "people"},
      {"select * from people;", "people;"},
      {"select * from t1, t2", "t1,"},
      {"select * from db.t", "db.t"},
      {"show tables", ""},
      {"select valid_from x from t", "t"},
      {"select fromage, x_from from t", "t"},
      {"select 'a from b' from t", "t"},
      {"select \"from\" from t", "t"},
      {"select a -- from b\n from t", "t"},
      {"select a /* from b */ from t", "t"},
      {"select a FROM\tt", "t"},
      {"select a FrOm T where x", "T"},
      {"select a from", ""},
  };
  for (const auto& [query, table] : cases) {
    EXPECT_EQ(statement().tableNameFromQuery(query), table) << query;
  }
}

TEST_F(PositionedTest, UpdateAndDeleteTextsOnADeclaredCursor) {
  connection_.answerEverything();
  connection_.declaresCursors = true;
  statement().setStmtAttr(SQL_ATTR_CONCURRENCY, integer(SQL_CONCUR_LOCK), 0);
  statement().setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, integer(2), 0);
  statement().setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses_, 0);
  ASSERT_EQ(statement().setCursorName("C1", SQL_NTS), SQL_SUCCESS);
  ScriptedAnswer answer;
  answer.columns = {"id", "full name"};
  answer.rows = {{"1", "ann"}};
  connection_.answer = answer;
  ASSERT_TRUE(SQL_SUCCEEDED(statement().execDirect("select id, name from people", SQL_NTS)));
  SQLINTEGER ids[2] = {};
  char names[2][16] = {};
  SQLLEN nameLengths[2] = {};
  statement().bindCol(1, SQL_C_SLONG, ids, 0, nullptr);
  statement().bindCol(2, SQL_C_CHAR, names, sizeof names[0], nameLengths);
  ASSERT_TRUE(SQL_SUCCEEDED(statement().fetch()));
  ids[0] = 10;
  std::strcpy(names[0], "o'hara");
  nameLengths[0] = SQL_NTS;
  connection_.texts.clear();
  ASSERT_EQ(statement().setPos(1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  const std::string update =
      "update people set id='10', \"full name\"='o''hara' where current of C1";
  EXPECT_NE(std::find(connection_.texts.begin(), connection_.texts.end(), update),
            connection_.texts.end());
  EXPECT_EQ(statuses_[0], SQL_ROW_UPDATED);
  connection_.texts.clear();
  ASSERT_EQ(statement().setPos(0, SQL_DELETE, SQL_LOCK_NO_CHANGE), SQL_SUCCESS);
  EXPECT_EQ(std::count(connection_.texts.begin(), connection_.texts.end(),
                       "delete from people where current of C1"),
            2);
  EXPECT_EQ(statuses_[0], SQL_ROW_DELETED);
  EXPECT_EQ(statuses_[1], SQL_ROW_DELETED);
}

}  // namespace
