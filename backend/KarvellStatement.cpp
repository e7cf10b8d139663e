#include "backend/KarvellStatement.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "backend/EscapeRewriter.h"
#include "backend/KarvellConnection.h"
#include "backend/KarvellRecordset.h"
#include "backend/LongestText.h"
#include "backend/QueryText.h"
#include "client/kvl.h"
#include "core/Environment.h"
#include "core/SqlTypeClass.h"
#include "core/TraceWriter.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "statement/MemoryRecordset.h"
#include "statement/SqlTextScanner.h"

namespace {

// The server's column type codes by name; any other code is described as text.
const char* serverTypeName(int code) {
  static const char* const names[] = {"int",  "double", "text", "blob",    "boolean",
                                      "date", "time",   "timestamp", "currency"};
  return code >= 1 && code <= 9 ? names[code - 1] : nullptr;
}

// The server's integers are 64-bit whatever a column declares: its "int" is described as a
// BIGINT, under the server's name.
DeclaredType describedServerType(const KarvellStatement& statement, const char* name) {
  if (std::string_view(name) != "int") return statement.mapDeclaredType(name);
  DeclaredType type = statement.mapDeclaredType("BIGINT");
  type.typeName = name;
  return type;
}

// The longest value of a column over every row the cursor holds, walked in order so that each
// field is found in the chunk of the one before or in the next.
LongestText longestText(KvlCursor* cursor, int column, bool wide,
                        const TextEncodings& encodings) {
  LongestText longest(wide, encodings);
  const int rows = kvl_cursor_row_count(cursor);
  for (int row = 1; row <= rows; ++row) {
    std::uint32_t length = 0;
    const char* value = kvl_cursor_field(cursor, row, column, &length);
    if (value != nullptr) longest.add(std::string_view(value, length));
  }
  return longest;
}

}  // namespace

KarvellStatement::KarvellStatement(KarvellConnection* connection)
    : Statement(connection),
      karvell_(connection),
      unicodeTextTypes_(connection->effectiveUnicodeTextTypes()) {}

KarvellStatement::~KarvellStatement() { freeServerCursor(); }

KvlCursor* KarvellStatement::serverCursor() const { return cursor_; }

void KarvellStatement::freeServerCursor() {
  if (cursor_ == nullptr) return;
  if (auto* reader = dynamic_cast<KarvellRecordset*>(recordset_.get())) reader->detach();
  kvl_cursor_free(cursor_);
  cursor_ = nullptr;
}

SQLRETURN KarvellStatement::closeResultSet() {
  const SQLRETURN rc = Statement::closeResultSet();
  freeServerCursor();
  return rc;
}

SQLRETURN KarvellStatement::setStmtAttr(SQLINTEGER attribute, SQLPOINTER value,
                                        SQLINTEGER stringLength) {
  diagnostics_.clear();
  if (attribute == SQL_ATTR_PARAM_BIND_TYPE && value != nullptr) {
    diagnostics_.post("S1092", 0, "Invalid attribute/option identifier", SQL_NO_COLUMN_NUMBER,
                      SQL_NO_ROW_NUMBER);
    return SQL_ERROR;
  }
  return Statement::setStmtAttr(attribute, value, stringLength);
}

KarvellStatement::Waiting::Waiting(KarvellStatement* statement) : statement_(statement) {
  std::lock_guard<std::mutex> lock(statement_->karvell_->cancelMutex());
  statement_->waiting_ = true;
}

KarvellStatement::Waiting::~Waiting() {
  std::lock_guard<std::mutex> lock(statement_->karvell_->cancelMutex());
  statement_->waiting_ = false;
}

SQLRETURN KarvellStatement::cancel() {
  {
    std::lock_guard<std::mutex> lock(karvell_->cancelMutex());
    if (waiting_) {
      kvl_cancel(karvell_->clientConnection());
      return SQL_SUCCESS;
    }
  }
  return Statement::cancel();
}

SQLRETURN KarvellStatement::postRequestFailure(KvlConnection* client) {
  const char* state = karvell_->clientFailureState(false);
  postRecord(state != nullptr ? state : "HY000", kvl_error_code(client), kvl_error_message(client));
  return SQL_ERROR;
}

SQLRETURN KarvellStatement::executeSql(const std::string& text) {
  diagnostics_.clear();
  if (!karvell_->isAlive()) return post("08S01");
  std::string sql = karvell_->toNativeSql(text);
  if (noscan() == SQL_NOSCAN_OFF) rewriteEscapes(sql);
  return executeParameterSets(sql);
}

bool KarvellStatement::settledUnsent(const std::string& text, SQLRETURN& rc) {
  if (isTracing()) traceStream().writeLine("// finalized query: " + text);
  freeServerCursor();
  if (text.empty()) {
    rc = SQL_SUCCESS;
    return true;
  }
  if (karvell_->isAlive()) return false;
  rc = post("08S01");
  return true;
}

template <typename Request>
bool KarvellStatement::awaitServer(Request request) {
  Waiting waiting(this);
  karvell_->boundStatementReplies(queryTimeout());
  const bool ok = request();
  // The bound is this request's: the rows a result kept on the server hands out later, its
  // close and the connection's next requests must not meet an expired one.
  karvell_->boundStatementReplies(0);
  return ok;
}

SQLRETURN KarvellStatement::executeFinalizedQuery(const std::string& text, SQLULEN) {
  SQLRETURN rc = SQL_SUCCESS;
  if (settledUnsent(text, rc)) return rc;
  KvlConnection* client = karvell_->clientConnection();
  KvlCursor* cursor = nullptr;
  const bool ok = awaitServer([&] {
    if (!isQueryText(text)) return kvl_execute(client, text.c_str()) == 0;
    cursor = kvl_select(client, text.c_str());
    return cursor != nullptr;
  });
  if (!ok) return postRequestFailure(client);
  return cursor == nullptr ? SQL_SUCCESS : describeResult(cursor);
}

bool KarvellStatement::sendsAhead(const std::string& text) { return !isQueryText(text); }

bool KarvellStatement::hasRoomAhead(const std::string& text) {
  return kvl_room_ahead(karvell_->clientConnection(), text.size()) == 1;
}

SQLRETURN KarvellStatement::sendAhead(const std::string& text, SQLULEN) {
  SQLRETURN rc = SQL_SUCCESS;
  if (settledUnsent(text, rc)) return rc;
  KvlConnection* client = karvell_->clientConnection();
  if (awaitServer([&] { return kvl_execute_ahead(client, text.c_str()) == 0; })) {
    return SQL_STILL_EXECUTING;
  }
  return postRequestFailure(client);
}

SQLRETURN KarvellStatement::readAhead() {
  KvlConnection* client = karvell_->clientConnection();
  int result = 0;
  awaitServer([&] { return (result = kvl_execute_reply(client)) == 0; });
  if (result == 0) return SQL_SUCCESS;
  // A statement that never left: the link was lost before its turn.
  return result == -2 ? post("08S01") : postRequestFailure(client);
}

SQLRETURN KarvellStatement::describeColumns(KvlCursor* cursor, bool valuesInHand) {
  const int columns = kvl_cursor_column_count(cursor);
  for (int column = 1; column <= columns; ++column) {
    std::uint32_t length = 0;
    const char* name = kvl_cursor_field(cursor, 0, column, &length);
    const int code = kvl_cursor_column_type(cursor, column);
    const char* typeName = serverTypeName(code);
    if (typeName == nullptr) {
      if (isTracing()) {
        traceStream().writeLine("// column: " + std::to_string(column) +
                                " native type: " + std::to_string(code));
      }
      typeName = "text";
    }
    const DeclaredType type = describedServerType(*this, typeName);
    const bool wide = type.sqlType == SQL_WLONGVARCHAR;
    std::optional<LongestText> longest;
    if (valuesInHand && (wide || type.sqlType == SQL_LONGVARCHAR)) {
      longest = longestText(cursor, column, wide,
                            {karvell_->encoding(), karvell_->receiveEncoding()});
      if (longest->length() > serverVarcharCapacity) longest.reset();
    }
    const SQLSMALLINT sqlType = !longest ? type.sqlType : wide ? SQL_WVARCHAR : SQL_VARCHAR;
    DescriptorRecord* record =
        ird_->addRecordWithTypeName(name != nullptr ? std::string(name, length) : std::string(),
                                    sqlType, type.typeName, SQL_NULLABLE, !isNumericType(sqlType));
    if (record == nullptr) return post("HY001");
    if (longest) {
      record->setLength(longest->length());
      record->setOctetLength(static_cast<SQLLEN>(longest->octets()));
      record->setDisplaySize(static_cast<SQLLEN>(longest->length()));
    } else {
      record->setLength(type.columnSize);
      record->setOctetLength(static_cast<SQLLEN>(type.octetLength));
    }
    record->setPrecision(type.precision.value_or(0));
    record->setScale(type.scale.value_or(0));
  }
  return SQL_SUCCESS;
}

SQLRETURN KarvellStatement::describePrepared() {
  KvlConnection* client = karvell_->clientConnection();
  if (!karvell_->isConnected() || client == nullptr) return post("08S01");
  std::string sql = karvell_->toNativeSql(preparedSql_);
  if (noscan() == SQL_NOSCAN_OFF) rewriteEscapes(sql);
  // The markers have no values yet; NULL stands wherever a value may.
  replaceAllOutsideQuotes(sql, "?", "NULL");
  const std::string describing = describingQuery(sql);
  if (describing.empty()) return SQL_SUCCESS;
  if (isTracing()) traceStream().writeLine("// describing prepared SQL: " + describing);
  KvlCursor* cursor = kvl_select(client, describing.c_str());
  if (cursor == nullptr) {
    diagnostics_.post("HY000", kvl_error_code(client), kvl_error_message(client),
                      SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
    return SQL_ERROR;
  }
  ird_->clearRecords();
  const SQLRETURN rc = describeColumns(cursor, false);
  kvl_cursor_free(cursor);
  return rc;
}

SQLRETURN KarvellStatement::describeResult(KvlCursor* cursor) {
  freeServerCursor();
  cursor_ = cursor;
  // A prepared query executed again describes its columns afresh.
  ird_->clearRecords();
  const int columns = kvl_cursor_column_count(cursor_);
  if (columns > 0) setRowCount(-1);
  // A cursor the server keeps hands its rows out as they are read: no values to measure.
  const SQLRETURN described = describeColumns(cursor_, kvl_cursor_row_count(cursor_) >= 0);
  if (described != SQL_SUCCESS) return described;
  if (ird_->getCount() == 0) return SQL_SUCCESS;
  const SQLRETURN buffers = giveRowBuffers();
  if (buffers != SQL_SUCCESS) return buffers;
  if (cursorType_ == SQL_CURSOR_FORWARD_ONLY) {
    installRecordset(new KarvellRecordset(this, cursor_));
    return SQL_SUCCESS;
  }
  // Any other cursor type scrolls over a copy; the cursor is not needed once it is copied.
  auto* copy = new MemoryRecordset(this);
  installRecordset(copy);
  // Walked row by row: a cursor the server keeps knows no row count and hands out its rows as
  // they are read. SQL_ATTR_MAX_ROWS ends the copy.
  const SQLULEN limit = maxRows();
  for (bool more = !kvl_cursor_is_eof(cursor_); more && (limit == 0 || copy->rowCount() < limit);
       more = kvl_cursor_seek(cursor_, KVL_SEEK_NEXT) == 1) {
    copy->addRow();
    for (int column = 1; column <= columns; ++column) {
      std::uint32_t length = 0;
      const char* value = kvl_cursor_field(cursor_, -1, column, &length);
      copy->setCellString(static_cast<SQLUSMALLINT>(column),
                          value != nullptr ? std::optional<std::string_view>(
                                                 std::string_view(value, length))
                                           : std::nullopt);
    }
  }
  freeServerCursor();
  return SQL_SUCCESS;
}

DeclaredType KarvellStatement::mapDeclaredType(const std::string& declared) const {
  return ::mapDeclaredType(declared, environment()->odbcVersion(), unicodeTextTypes_);
}
