#pragma once
// A connection for tests of the statement layer without a server. Its SQLGetInfo answers and
// attribute limits are fields a test sets; its statements execute as the back end does (every
// parameter set substituted in turn) and hand each final text to the connection, which records
// it and answers with `answer`: a return code, a diagnostic to post and, for a result, the
// column names and rows (text cells, absent for NULL) the statement then serves from memory.
//
// Header-only: the test support library is linked into test programs that have no driver core.
#include <optional>
#include <string>
#include <vector>

#include "core/Connection.h"
#include "statement/Descriptor.h"
#include "statement/MemoryRecordset.h"
#include "statement/Statement.h"
#include "tests/support/RecordingConnection.h"

namespace testsupport {

struct ScriptedAnswer {
  SQLRETURN result = SQL_SUCCESS;
  // Posted when not empty, with the native error and message.
  std::string state;
  SQLINTEGER nativeError = 0;
  std::string message;
  // A result set when there are columns (VARCHAR, nullable).
  std::vector<std::string> columns;
  std::vector<std::vector<std::optional<std::string>>> rows;
};

class ScriptedStatement;

class ScriptedConnection : public RecordingConnection {
 public:
  explicit ScriptedConnection(Environment* environment) : RecordingConnection(environment) {}

  // The answers of the server back end.
  void answerAsBackEnd() {
    scrollOptions = SQL_SO_FORWARD_ONLY | SQL_SO_STATIC;
    cursorSensitivity = 0;
    forwardOnlyAttributes1 = SQL_CA1_NEXT | SQL_CA1_BOOKMARK;
    forwardOnlyAttributes2 = SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY;
    staticAttributes1 = 0x1120F;
    staticAttributes2 = SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY;
    keysetAttributes1 = keysetAttributes2 = dynamicAttributes1 = dynamicAttributes2 = 0;
    bookmarkPersistence = SQL_BP_SCROLL;
  }
  // Every capability bit set.
  void answerEverything() {
    scrollOptions = cursorSensitivity = asyncMode = bookmarkPersistence = ~SQLUINTEGER{0};
    forwardOnlyAttributes1 = forwardOnlyAttributes2 = keysetAttributes1 = keysetAttributes2 =
        dynamicAttributes1 = dynamicAttributes2 = staticAttributes1 = staticAttributes2 =
            ~SQLUINTEGER{0};
  }

  Statement* createStatement() override;

  InfoU32 getInfoScrollOptions() override { return scrollOptions; }
  InfoU32 getInfoCursorSensitivity() override { return cursorSensitivity; }
  InfoU32 getInfoAsyncMode() override { return asyncMode; }
  InfoU32 getInfoBookmarkPersistence() override { return bookmarkPersistence; }
  InfoU32 getInfoForwardOnlyCursorAttributes1() override { return forwardOnlyAttributes1; }
  InfoU32 getInfoForwardOnlyCursorAttributes2() override { return forwardOnlyAttributes2; }
  InfoU32 getInfoKeysetCursorAttributes1() override { return keysetAttributes1; }
  InfoU32 getInfoKeysetCursorAttributes2() override { return keysetAttributes2; }
  InfoU32 getInfoDynamicCursorAttributes1() override { return dynamicAttributes1; }
  InfoU32 getInfoDynamicCursorAttributes2() override { return dynamicAttributes2; }
  InfoU32 getInfoStaticCursorAttributes1() override { return staticAttributes1; }
  InfoU32 getInfoStaticCursorAttributes2() override { return staticAttributes2; }
  InfoU16 getInfoMaxCursorNameLen() override { return maxCursorNameLength; }
  InfoText getInfoDbmsName() override { return "Karvell"; }
  SQLULEN keysetSizeLimit() override { return keysetLimit; }
  SQLULEN maxLengthLowerLimit() override { return maxLengthLower; }
  SQLULEN maxLengthUpperLimit() override { return maxLengthUpper; }
  SQLULEN queryTimeoutLowerLimit() override { return queryTimeoutLower; }
  SQLULEN queryTimeoutUpperLimit() override { return queryTimeoutUpper; }

  // The base connection's answers to begin with.
  InfoU32 scrollOptions = Connection::getInfoScrollOptions();
  InfoU32 cursorSensitivity = Connection::getInfoCursorSensitivity();
  InfoU32 asyncMode = Connection::getInfoAsyncMode();
  InfoU32 bookmarkPersistence = Connection::getInfoBookmarkPersistence();
  InfoU32 forwardOnlyAttributes1 = Connection::getInfoForwardOnlyCursorAttributes1();
  InfoU32 forwardOnlyAttributes2 = Connection::getInfoForwardOnlyCursorAttributes2();
  InfoU32 keysetAttributes1 = Connection::getInfoKeysetCursorAttributes1();
  InfoU32 keysetAttributes2 = Connection::getInfoKeysetCursorAttributes2();
  InfoU32 dynamicAttributes1 = Connection::getInfoDynamicCursorAttributes1();
  InfoU32 dynamicAttributes2 = Connection::getInfoDynamicCursorAttributes2();
  InfoU32 staticAttributes1 = Connection::getInfoStaticCursorAttributes1();
  InfoU32 staticAttributes2 = Connection::getInfoStaticCursorAttributes2();
  InfoU16 maxCursorNameLength = Connection::getInfoMaxCursorNameLen();
  SQLULEN keysetLimit = 0;
  SQLULEN maxLengthLower = 0;
  SQLULEN maxLengthUpper = 0;
  SQLULEN queryTimeoutLower = 0;
  SQLULEN queryTimeoutUpper = 0;

  // Every final text the statements ran, in order, and the answer they all get.
  std::vector<std::string> texts;
  ScriptedAnswer answer;

  // Runs one final text for a statement: records it and answers `answer`.
  virtual SQLRETURN run(ScriptedStatement& statement, const std::string& text);
};

class ScriptedStatement : public Statement {
 public:
  explicit ScriptedStatement(ScriptedConnection* connection)
      : Statement(connection), scripted_(*connection) {}

  // As the back end: every parameter set in turn.
  SQLRETURN executeSql(const std::string& text) override {
    diagnostics_.clear();
    return executeParameterSets(text);
  }
  SQLRETURN executeFinalizedQuery(const std::string& text, SQLULEN) override {
    return scripted_.run(*this, text);
  }

  // Serves the columns and rows as the back end serves a result: described into the IRD (its
  // records replaced), read from memory.
  void deliver(const std::vector<std::string>& columns,
               const std::vector<std::vector<std::optional<std::string>>>& rows) {
    ird_->clearRecords();
    for (const std::string& name : columns) ird_->addRecord(name, SQL_VARCHAR, SQL_NULLABLE, false);
    setRowCount(-1);
    auto* memory = new MemoryRecordset(this);
    installRecordset(memory);
    giveRowBuffers();
    for (const auto& row : rows) {
      memory->addRow();
      for (std::size_t column = 0; column < row.size(); ++column) {
        const auto& cell = row[column];
        memory->setCellString(static_cast<SQLUSMALLINT>(column + 1),
                              cell ? std::optional<std::string_view>(*cell) : std::nullopt);
      }
    }
  }

 private:
  ScriptedConnection& scripted_;
};

inline Statement* ScriptedConnection::createStatement() { return new ScriptedStatement(this); }

inline SQLRETURN ScriptedConnection::run(ScriptedStatement& statement, const std::string& text) {
  texts.push_back(text);
  if (!answer.state.empty()) {
    statement.diagnostics().post(answer.state.c_str(), answer.nativeError, answer.message.c_str(),
                                 SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
  }
  if (SQL_SUCCEEDED(answer.result) && !answer.columns.empty()) {
    statement.deliver(answer.columns, answer.rows);
  }
  return answer.result;
}

}  // namespace testsupport
