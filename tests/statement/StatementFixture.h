#pragma once
// A statement on a scripted connection, and a runner for tables of calls: each call's return
// code, its newest SQLSTATE, and afterwards the statement's state, result column count and
// whether it holds a row source.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/ScriptedConnection.h"

namespace statementtest {

using testsupport::ScriptedAnswer;
using testsupport::ScriptedConnection;
using testsupport::ScriptedStatement;

// A result of two columns and three rows, the third with a NULL.
inline ScriptedAnswer threeRows() {
  ScriptedAnswer answer;
  answer.columns = {"id", "name"};
  answer.rows = {{"1", "one"}, {"2", "two"}, {"3", std::nullopt}};
  return answer;
}

// A command: no result columns.
inline ScriptedAnswer command() { return ScriptedAnswer{}; }

inline ScriptedAnswer failure(const char* state, const char* message) {
  ScriptedAnswer answer;
  answer.result = SQL_ERROR;
  answer.state = state;
  answer.nativeError = 7;
  answer.message = message;
  return answer;
}

struct Step {
  const char* what;
  std::function<SQLRETURN(ScriptedStatement&, ScriptedConnection&)> call;
  SQLRETURN rc;
  const char* sqlState;  // newest record after the call, "" for none
  SQLUINTEGER state;
  SQLSMALLINT resultColumns;
  bool rowSource;
};

class StatementFixture : public ::testing::Test {
 protected:
  StatementFixture() { environment_.setOdbcVersion(SQL_OV_ODBC3); }

  ScriptedStatement& statement() { return *statement_; }

  std::string takeState() { return testsupport::takeState(statement_->diagnostics()); }

  void run(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      EXPECT_EQ(step.call(*statement_, connection_), step.rc);
      EXPECT_EQ(takeState(), step.sqlState);
      EXPECT_EQ(statement_->state(), step.state);
      EXPECT_EQ(statement_->impRowDesc()->getCount(), step.resultColumns);
      EXPECT_EQ(statement_->recordset() != nullptr, step.rowSource);
    }
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC statement test", "Ferrow",
                           nullptr};
  ScriptedConnection connection_{&environment_};
  std::unique_ptr<ScriptedStatement> statement_{
      static_cast<ScriptedStatement*>(connection_.createStatement())};
};

inline SQLRETURN execDirect(ScriptedStatement& statement, const char* text) {
  return statement.execDirect(text, SQL_NTS);
}

}  // namespace statementtest
