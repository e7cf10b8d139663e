#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "statement/Recordset.h"
#include "tests/statement/StatementFixture.h"

namespace {

using namespace statementtest;

constexpr SQLUINTEGER kClosed = Statement::stateClosed;
constexpr SQLUINTEGER kPrepared = Statement::statePrepared;
constexpr SQLUINTEGER kExecuted = Statement::stateExecuted;
constexpr SQLUINTEGER kResult = Statement::stateResultSet;

using ExecutionTest = StatementFixture;

SQLRETURN answering(ScriptedConnection& connection, ScriptedAnswer answer) {
  connection.answer = std::move(answer);
  return SQL_SUCCESS;
}

TEST_F(ExecutionTest, CallSequences) {
  struct Sequence {
    const char* name;
    std::vector<Step> steps;
  };
  const std::vector<Sequence> sequences = {
      {"a command over an open result is refused; once closed it leaves no rows behind",
       {{"query",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, threeRows());
           return execDirect(s, "select id, name from t");
         },
         SQL_SUCCESS, "", kResult, 2, true},
        {"command over the result",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, command());
           return execDirect(s, "delete from t");
         },
         SQL_ERROR, "24000", kResult, 2, true},
        {"prepared run over the result",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.execute(); }, SQL_ERROR, "24000",
         kResult, 2, true},
        {"prepare over the result",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.prepare("select 1", SQL_NTS); },
         SQL_ERROR, "24000", kResult, 2, true},
        {"closed", [](ScriptedStatement& s, ScriptedConnection&) { return s.freeStmt(SQL_CLOSE); },
         SQL_SUCCESS, "", kClosed, 2, true},
        {"command",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, command());
           return execDirect(s, "delete from t");
         },
         SQL_SUCCESS, "", kExecuted, 0, false}}},
      {"a prepared query run twice keeps its columns",
       {{"prepare",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, threeRows());
           return s.prepare("select id, name from t", SQL_NTS);
         },
         SQL_SUCCESS, "", kPrepared, 0, false},
        {"first run", [](ScriptedStatement& s, ScriptedConnection&) { return s.execute(); },
         SQL_SUCCESS, "", kResult, 2, true},
        {"closed", [](ScriptedStatement& s, ScriptedConnection&) { return s.freeStmt(SQL_CLOSE); },
         SQL_SUCCESS, "", kClosed, 2, true},
        {"second run", [](ScriptedStatement& s, ScriptedConnection&) { return s.execute(); },
         SQL_SUCCESS, "", kResult, 2, true}}},
      {"a failed execution keeps the state and drops the old result",
       {{"query",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, threeRows());
           return execDirect(s, "select 1");
         },
         SQL_SUCCESS, "", kResult, 2, true},
        {"closed", [](ScriptedStatement& s, ScriptedConnection&) { return s.closeCursor(); },
         SQL_SUCCESS, "", kClosed, 2, true},
        {"failing",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, failure("HY000", "no such table: u"));
           return execDirect(s, "select * from u");
         },
         SQL_ERROR, "HY000", kClosed, 0, false}}},
      {"SQLMoreResults ends the open result, and the statement runs again",
       {{"query",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, threeRows());
           return execDirect(s, "select 1");
         },
         SQL_SUCCESS, "", kResult, 2, true},
        {"more results", [](ScriptedStatement& s, ScriptedConnection&) { return s.moreResults(); },
         SQL_NO_DATA, "", kClosed, 2, true},
        {"query again",
         [](ScriptedStatement& s, ScriptedConnection&) { return execDirect(s, "select 1"); },
         SQL_SUCCESS, "", kResult, 2, true}}},
      {"a warning of the execution is returned",
       {{"warned",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           ScriptedAnswer warned = threeRows();
           warned.result = SQL_SUCCESS_WITH_INFO;
           warned.state = "01000";
           answering(c, warned);
           return execDirect(s, "select 1");
         },
         SQL_SUCCESS_WITH_INFO, "01000", kResult, 2, true}}},
      {"the cursor name is refused once executed",
       {{"prepare",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.prepare("select 1", SQL_NTS); },
         SQL_SUCCESS, "", kPrepared, 0, false},
        {"name while prepared",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.setCursorName("c1", SQL_NTS); },
         SQL_SUCCESS, "", kPrepared, 0, false},
        {"execute",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, threeRows());
           return s.execute();
         },
         SQL_SUCCESS, "", kResult, 2, true},
        {"name with a result",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.setCursorName("c2", SQL_NTS); },
         SQL_ERROR, "24000", kResult, 2, true}}},
      {"closing keeps the row source, any number of times",
       {{"query",
         [](ScriptedStatement& s, ScriptedConnection& c) {
           answering(c, threeRows());
           return execDirect(s, "select 1");
         },
         SQL_SUCCESS, "", kResult, 2, true},
        {"close", [](ScriptedStatement& s, ScriptedConnection&) { return s.closeCursor(); },
         SQL_SUCCESS, "", kClosed, 2, true},
        {"close again", [](ScriptedStatement& s, ScriptedConnection&) { return s.closeCursor(); },
         SQL_SUCCESS, "", kClosed, 2, true},
        {"more results", [](ScriptedStatement& s, ScriptedConnection&) { return s.moreResults(); },
         SQL_NO_DATA, "", kClosed, 2, true}}},
      {"bad option and text lengths",
       {{"free option 4", [](ScriptedStatement& s, ScriptedConnection&) { return s.freeStmt(4); },
         SQL_ERROR, "HY092", kClosed, 0, false},
        {"length -5",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.execDirect("select 1", -5); },
         SQL_ERROR, "HY090", kClosed, 0, false},
        {"prepare length -2",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.prepare("select 1", -2); },
         SQL_ERROR, "HY090", kClosed, 0, false},
        {"cursor name length -4",
         [](ScriptedStatement& s, ScriptedConnection&) { return s.setCursorName("c", -4); },
         SQL_ERROR, "HY090", kClosed, 0, false}}},
  };
  for (const Sequence& sequence : sequences) {
    SCOPED_TRACE(sequence.name);
    statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
    run(sequence.steps);
  }
}

TEST_F(ExecutionTest, TextsReachTheBackEndWhole) {
  connection_.answer = command();
  const std::string longText = "insert into t values ('" + std::string(70000 - 25, 'x') + "')";
  ASSERT_EQ(longText.size(), 70000u);
  EXPECT_EQ(statement().execDirect(longText.c_str(), static_cast<SQLINTEGER>(longText.size())),
            SQL_SUCCESS);
  // An explicit length takes exactly that many bytes, NUL or not.
  const char withTail[] = "delete from tXYZ";
  EXPECT_EQ(statement().execDirect(withTail, 13), SQL_SUCCESS);
  // execute without prepare runs the empty text.
  EXPECT_EQ(statement().execute(), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts, (std::vector<std::string>{longText, "delete from t", ""}));
}

TEST_F(ExecutionTest, FreeStmtKeepsOrDropsThePreparedText) {
  connection_.answer = command();
  ASSERT_EQ(statement().prepare("update t set a = 1", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement().execute(), SQL_SUCCESS);
  ASSERT_EQ(statement().freeStmt(SQL_CLOSE), SQL_SUCCESS);
  ASSERT_EQ(statement().execute(), SQL_SUCCESS);
  ASSERT_EQ(statement().freeStmt(SQL_DROP), SQL_SUCCESS);
  ASSERT_EQ(statement().execute(), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts,
            (std::vector<std::string>{"update t set a = 1", "update t set a = 1", ""}));
}

TEST_F(ExecutionTest, PrepareCountsTheMarkersOutsideQuotes) {
  ASSERT_EQ(statement().prepare("insert into t values (?, '?', ?) -- ?", SQL_NTS), SQL_SUCCESS);
  SQLSMALLINT count = -1;
  EXPECT_EQ(statement().numParams(&count), SQL_SUCCESS);
  EXPECT_EQ(count, 2);
}

TEST_F(ExecutionTest, CloseCursorWithoutAResultDependsOnTheOdbcVersion) {
  const struct {
    SQLUINTEGER version;
    SQLRETURN rc;
    const char* sqlState;
  } cases[] = {{SQL_OV_ODBC2, SQL_SUCCESS, ""},
               {SQL_OV_ODBC3, SQL_ERROR, "24000"},
               {380, SQL_ERROR, "24000"}};  // SQL_OV_ODBC3_80
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    environment_.setOdbcVersion(c.version);
    EXPECT_EQ(statement().closeCursor(), c.rc);
    EXPECT_EQ(takeState(), c.sqlState);
    ASSERT_EQ(statement().prepare("select 1", SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(statement().closeCursor(), c.rc);
    EXPECT_EQ(takeState(), c.sqlState);
  }
}

TEST_F(ExecutionTest, CursorNamesAreGeneratedOnceAndAfterEachClose) {
  char first[64] = {};
  char again[64] = {};
  char afterClose[64] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(statement().getCursorName(first, sizeof first, &length), SQL_SUCCESS);
  EXPECT_EQ(std::string(first, 7), "SQL_CUR");
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(first)));
  ASSERT_EQ(statement().getCursorName(again, sizeof again, &length), SQL_SUCCESS);
  EXPECT_STREQ(first, again);
  ASSERT_EQ(statement().freeStmt(SQL_CLOSE), SQL_SUCCESS);
  ASSERT_EQ(statement().getCursorName(afterClose, sizeof afterClose, &length), SQL_SUCCESS);
  EXPECT_EQ(std::stoull(afterClose + 7), std::stoull(first + 7) + 1);

  // A name that does not fit is cut and says so.
  char small[5] = {};
  EXPECT_EQ(statement().getCursorName(small, sizeof small, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(takeState(), "01004");
  EXPECT_STREQ(small, "SQL_");
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(afterClose)));
}

TEST_F(ExecutionTest, CursorNameLimitIsTheConnections) {
  connection_.maxCursorNameLength = 4;
  EXPECT_EQ(statement().setCursorName("abcde", SQL_NTS), SQL_ERROR);
  EXPECT_EQ(takeState(), "34000");
  EXPECT_EQ(statement().setCursorName("abcd", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(statement().cursorName(), "abcd");
}

TEST_F(ExecutionTest, ErrorRemovesTheRecordsAlsoWhenItCutTheMessage) {
  connection_.answer = failure("HY000", "a long message from the server");
  ASSERT_EQ(execDirect(statement(), "select * from nowhere"), SQL_ERROR);
  char sqlState[6] = {};
  SQLINTEGER native = 0;
  char message[10] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(statement().error(sqlState, &native, message, sizeof message, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(sqlState, "HY000");
  EXPECT_EQ(native, 7);
  EXPECT_EQ(std::string(message), "[Ferrow][");
  // The loop of an application that calls SQLError until it answers SQL_NO_DATA ends.
  EXPECT_EQ(statement().error(sqlState, &native, message, sizeof message, &length), SQL_NO_DATA);
}

TEST_F(ExecutionTest, ParameterSetsEachRunTheText) {
  connection_.answer = command();
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(3), 0),
            SQL_SUCCESS);
  EXPECT_EQ(execDirect(statement(), "delete from t"), SQL_SUCCESS);
  EXPECT_EQ(connection_.texts.size(), 3u);
}

TEST_F(ExecutionTest, SlowQueriesReachTheQueryLogWithTheirFinalText) {
  const std::string path = ::testing::TempDir() + "karvod-statement-query.log";
  std::remove(path.c_str());
  connection_.enableQueryLog(0, path);
  connection_.answer = command();
  SQLINTEGER value = 7;
  ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &value,
                                      0, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(execDirect(statement(), "delete from t where id = ?"), SQL_SUCCESS);
  std::ifstream log(path);
  std::string line;
  ASSERT_TRUE(std::getline(log, line));
  EXPECT_NE(line.find("\tdelete from t where id = 7"), std::string::npos) << line;
  std::remove(path.c_str());
}

// An explicitly allocated descriptor that goes while a statement uses it leaves the statement
// with its own; one shared by two statements outlives the one that is dropped.
TEST_F(ExecutionTest, ExplicitDescriptorsLeaveTheStatementsThatUseThem) {
  Descriptor* implicitArd = statement().appRowDesc();
  Descriptor* implicitApd = statement().appParamDesc();
  auto* shared = new Descriptor(&connection_, DescriptorType::explicitlyAllocated);
  std::unique_ptr<ScriptedStatement> other(
      static_cast<ScriptedStatement*>(connection_.createStatement()));
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_APP_ROW_DESC, shared, 0), SQL_SUCCESS);
  ASSERT_EQ(other->setStmtAttr(SQL_ATTR_APP_ROW_DESC, shared, 0), SQL_SUCCESS);
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_APP_PARAM_DESC, shared, 0), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(other->bindCol(1, SQL_C_SLONG, &value, 0, &indicator), SQL_SUCCESS);
  ASSERT_EQ(shared->getCount(), 1);

  ASSERT_EQ(other->freeStmt(SQL_DROP), SQL_SUCCESS);
  other.reset();
  EXPECT_EQ(shared->getCount(), 1);
  EXPECT_EQ(shared->getRecord(1)->getDataPtr(), &value);

  delete shared;
  EXPECT_EQ(statement().appRowDesc(), implicitArd);
  EXPECT_EQ(statement().appParamDesc(), implicitApd);
  EXPECT_EQ(statement().bindCol(1, SQL_C_SLONG, &value, 0, &indicator), SQL_SUCCESS);
  EXPECT_EQ(implicitArd->getCount(), 1);
}

TEST_F(ExecutionTest, DescriptorsFreedWithTheConnectionsChildren) {
  // Either order of allocation: the statement goes first, or the descriptor does and the
  // statement, still registered, hears of it.
  statement_.release();  // freed with the others
  for (bool descriptorFirst : {true, false}) {
    SCOPED_TRACE(descriptorFirst);
    Descriptor* descriptor = nullptr;
    Statement* statement = nullptr;
    if (descriptorFirst)
      descriptor = new Descriptor(&connection_, DescriptorType::explicitlyAllocated);
    statement = connection_.createStatement();
    if (!descriptorFirst)
      descriptor = new Descriptor(&connection_, DescriptorType::explicitlyAllocated);
    ASSERT_EQ(statement->setStmtAttr(SQL_ATTR_APP_ROW_DESC, descriptor, 0), SQL_SUCCESS);
    connection_.freeChildren();
  }
}

TEST_F(ExecutionTest, ImplementationDescriptorsAreNoApplicationDescriptors) {
  std::unique_ptr<ScriptedStatement> other(
      static_cast<ScriptedStatement*>(connection_.createStatement()));
  const struct {
    SQLINTEGER attribute;
    Descriptor* descriptor;
  } refused[] = {
      {SQL_ATTR_APP_PARAM_DESC, statement().impParamDesc()},
      {SQL_ATTR_APP_ROW_DESC, statement().impRowDesc()},
      {SQL_ATTR_APP_ROW_DESC, statement().appParamDesc()},
      {SQL_ATTR_APP_ROW_DESC, other->appRowDesc()},
  };
  Descriptor* ownArd = statement().appRowDesc();
  for (const auto& r : refused) {
    EXPECT_EQ(statement().setStmtAttr(r.attribute, r.descriptor, 0), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY017");
  }
  EXPECT_EQ(statement().appRowDesc(), ownArd);
  // Null restores the statement's own.
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_APP_ROW_DESC, nullptr, 0), SQL_SUCCESS);
  EXPECT_EQ(statement().appRowDesc(), ownArd);
}

TEST_F(ExecutionTest, FreeStmtUnbindsAndResetsParameters) {
  SQLINTEGER value = 0;
  ASSERT_EQ(statement().bindCol(2, SQL_C_SLONG, &value, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(statement().bindParameter(3, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &value, 0,
                                      nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(statement().freeStmt(SQL_UNBIND), SQL_SUCCESS);
  EXPECT_EQ(statement().appRowDesc()->getCount(), 0);
  EXPECT_EQ(statement().appParamDesc()->getCount(), 3);
  EXPECT_EQ(statement().freeStmt(SQL_RESET_PARAMS), SQL_SUCCESS);
  EXPECT_EQ(statement().appParamDesc()->getCount(), 0);
  EXPECT_EQ(statement().impParamDesc()->getCount(), 0);
}

// SQLCancel may come from another thread while a call on the statement runs: it must touch
// nothing the running call uses (ThreadSanitizer watches this).
TEST_F(ExecutionTest, CancelFromAnotherThreadTouchesNothing) {
  connection_.answer = threeRows();
  std::atomic<bool> running{true};
  std::thread canceller([&] {
    while (running.load()) EXPECT_EQ(statement().cancel(), SQL_SUCCESS);
  });
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(execDirect(statement(), "select 1"), SQL_SUCCESS);
    ASSERT_EQ(statement().setCursorName("c", SQL_NTS), SQL_ERROR);
    ASSERT_EQ(statement().freeStmt(SQL_CLOSE), SQL_SUCCESS);
  }
  running = false;
  canceller.join();
}

}  // namespace
