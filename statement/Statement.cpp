#include "statement/Statement.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/Environment.h"
#include "core/StringAnswer.h"
#include "core/TextUtilities.h"
#include "core/TraceWriter.h"
#include "platform/Clock.h"
#include "statement/CTypeTable.h"
#include "statement/CursorRecordset.h"
#include "statement/Descriptor.h"
#include "statement/Recordset.h"
#include "statement/SqlTextScanner.h"

namespace {

// The application's SQL text; other negative lengths than SQL_NTS are refused
// by the callers.
bool isValidTextLength(SQLINTEGER length) { return length >= 0 || length == SQL_NTS; }

// Bytes of a NUL-terminated chunk: UTF-16 units up to a zero unit for wide
// data.
std::size_t terminatedLength(const void* data, SQLSMALLINT cType) {
  if (cType != SQL_C_WCHAR) return std::strlen(static_cast<const char*>(data));
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t length = 0;
  while (bytes[length] != 0 || bytes[length + 1] != 0) length += 2;
  return length;
}

// A data-at-execution indicator: SQL_DATA_AT_EXEC or
// SQL_LEN_DATA_AT_EXEC(length).
bool isDataAtExecution(SQLLEN indicator) {
  return indicator == SQL_DATA_AT_EXEC || indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

}  // namespace

Statement::Statement(Connection* connection)
    : ConnectionChild(connection),
      connection_(connection),
      diagnostics_(connection->environment()),
      ipd_(new Descriptor(connection, DescriptorType::implementationParameter)),
      ird_(new Descriptor(connection, DescriptorType::implementationRow)),
      implicitApd_(new Descriptor(connection, DescriptorType::applicationParameter)),
      implicitArd_(new Descriptor(connection, DescriptorType::applicationRow)) {
  apd_ = implicitApd_.get();
  ard_ = implicitArd_.get();
}

// The row source goes first: it may still refer to the descriptors.
Statement::~Statement() { recordset_.reset(); }

bool Statement::isTracing() const { return connection_->isTracing(); }

TraceWriter& Statement::traceStream() const { return connection_->traceStream(); }

Connection* Statement::connection() const { return connection_; }

Environment* Statement::environment() const { return connection_->environment(); }

DiagnosticHeader& Statement::diagnostics() { return diagnostics_; }

Recordset* Statement::recordset() const { return recordset_.get(); }

SQLUINTEGER Statement::state() const { return state_; }

// A result with columns that SQLCloseCursor, SQLFreeStmt(SQL_CLOSE) or SQLMoreResults has not
// ended: executing, preparing or opening a catalog result over it would drop rows the
// application has not read.
bool Statement::hasOpenResult() const { return state_ >= stateResultSet; }

void Statement::startQueryTimer() {
  platform::TimeOfDay now{};
  platform::getTimeOfDay(&now, nullptr);
  queryTimerSeconds_ = static_cast<std::uint32_t>(now.seconds);
  queryTimerMicroseconds_ = static_cast<std::uint32_t>(now.microseconds);
}

void Statement::logQueryIfSlow(const std::string& text) {
  platform::TimeOfDay now{};
  platform::getTimeOfDay(&now, nullptr);
  // Differences of the 32-bit stamps, so that the seconds' wrap cancels out.
  const auto seconds =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(now.seconds) - queryTimerSeconds_);
  const auto microseconds = static_cast<std::int32_t>(static_cast<std::uint32_t>(now.microseconds) -
                                                      queryTimerMicroseconds_);
  const std::int32_t elapsed = seconds * 1000 + microseconds / 1000;
  if (elapsed >= static_cast<std::int32_t>(connection_->queryLogThreshold())) {
    connection_->logQuery(static_cast<SQLUINTEGER>(elapsed), text);
  }
}

SQLRETURN Statement::post(const char* sqlState) { return post(sqlState, ""); }

SQLRETURN Statement::post(const char* sqlState, const char* message) {
  postRecord(sqlState, 0, message);
  return SQL_ERROR;
}

void Statement::postRecord(const char* sqlState, SQLINTEGER nativeError, const char* message) {
  // The records of a parameter array follow its sets, the first set's first.
  if (diagnosticRow_ > 0) {
    diagnostics_.postInRowOrder(sqlState, nativeError, message, SQL_NO_COLUMN_NUMBER,
                                diagnosticRow_);
  } else {
    diagnostics_.post(sqlState, nativeError, message, SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
  }
}

bool Statement::behavesAsOdbc3() const { return environment()->odbcVersion() != SQL_OV_ODBC2; }

void Statement::installRecordset(Recordset* recordset) { recordset_.reset(recordset); }

SQLRETURN Statement::giveRowBuffers() {
  const std::size_t entries = std::max<SQLULEN>(1, ird_->getArraySize());
  const SQLSMALLINT count = ird_->getCount();
  // Column 0 too: the row source writes the bookmark there.
  for (SQLSMALLINT column = 0; column <= count; ++column) {
    void* indicators = std::calloc(entries, sizeof(SQLLEN));
    void* lengths = std::calloc(entries, sizeof(SQLLEN));
    void* values = std::calloc(entries, sizeof(char*));
    // The record owns what it is given, also while the others are missing.
    ird_->setIndicatorPtr(column, static_cast<SQLLEN*>(indicators));
    ird_->setOctetLengthPtr(column, static_cast<SQLLEN*>(lengths));
    ird_->setDataPtr(column, values);
    if (indicators == nullptr || lengths == nullptr || values == nullptr) return post("HY001");
  }
  return SQL_SUCCESS;
}

void Statement::restoreApplicationCursor() {
  if (!applicationCursor_) return;
  cursorType_ = applicationCursor_->type;
  concurrency_ = applicationCursor_->concurrency;
  cursorScrollable_ = applicationCursor_->scrollable;
  cursorSensitivity_ = applicationCursor_->sensitivity;
  applicationCursor_.reset();
}

void Statement::resetResult() {
  restoreApplicationCursor();
  recordset_.reset();
  ird_->clearRecords();
  rowsFetched_ = 0;
  rowsetRows_ = -1;
  beforeStart_ = true;
  afterEnd_ = false;
  preparedDescribed_ = false;
}

void Statement::descriptorFreed(const Descriptor* descriptor) {
  if (apd_ == descriptor) apd_ = implicitApd_.get();
  if (ard_ == descriptor) ard_ = implicitArd_.get();
}

SQLRETURN Statement::prepare(const char* text, SQLINTEGER length) {
  diagnostics_.clear();
  if (hasOpenResult()) return post("24000");
  if (!isValidTextLength(length)) return post("HY090");
  resetResult();
  preparedSql_ = stringFromSqlChars(text, length);
  const std::int32_t markers = countOutsideQuotes(preparedSql_, "?");
  if (markers > std::numeric_limits<SQLSMALLINT>::max()) return post("07009");
  ipd_->setCount(static_cast<SQLSMALLINT>(markers));
  declareCursor(preparedSql_);
  if (isTracing()) traceStream().writeLine("// prepared SQL: " + preparedSql_);
  state_ = statePrepared;
  return SQL_SUCCESS;
}

SQLRETURN Statement::execute() {
  diagnostics_.clear();
  if (hasOpenResult()) return post("24000");
  if (isTracing()) traceStream().writeLine("// executing prepared SQL: " + preparedSql_);
  sqlText_ = preparedSql_;
  ipd_->freeDataBuffers();
  putDataBuffer_ = nullptr;
  resetResult();
  return runAndOpen(sqlText_);
}

SQLRETURN Statement::execDirect(const char* text, SQLINTEGER length) {
  diagnostics_.clear();
  if (hasOpenResult()) return post("24000");
  if (!isValidTextLength(length)) return post("HY090");
  sqlText_ = stringFromSqlChars(text, length);
  ipd_->freeDataBuffers();
  putDataBuffer_ = nullptr;
  resetResult();
  declareCursor(sqlText_);
  return runAndOpen(sqlText_);
}

SQLRETURN Statement::runAndOpen(const std::string& text) {
  const SQLRETURN executed = executeSql(text);
  if (!SQL_SUCCEEDED(executed)) return executed;
  SQLRETURN rc = openCursor();
  if (!SQL_SUCCEEDED(rc)) return rc;
  state_ = recordset_ ? stateResultSet : stateExecuted;
  // A warning of the execution stays visible in the return code.
  if (executed == SQL_SUCCESS_WITH_INFO) rc = SQL_SUCCESS_WITH_INFO;
  return rc;
}

SQLRETURN Statement::executeText(const char* text) { return executeSql(std::string(text)); }

SQLRETURN Statement::executeSql(const std::string&) { return SQL_SUCCESS; }

SQLRETURN Statement::executeFinalizedQuery(const std::string&, SQLULEN) { return SQL_SUCCESS; }

bool Statement::sendsAhead(const std::string&) { return false; }

bool Statement::hasRoomAhead(const std::string&) { return true; }

SQLRETURN Statement::sendAhead(const std::string& text, SQLULEN set) {
  return executeFinalizedQuery(text, set);
}

SQLRETURN Statement::readAhead() { return SQL_SUCCESS; }

SQLRETURN Statement::executeParameterSets(const std::string& text) {
  const SQLULEN sets = apd_->getArraySize();
  const SQLUSMALLINT* operations = apd_->getArrayStatusPtr();
  SQLUSMALLINT* statuses = ipd_->getArrayStatusPtr();
  SQLULEN* processed = ipd_->getRowsProcessedPtr();
  // Every entry tells about its set, also when the execution stops before the set.
  if (statuses != nullptr) std::fill(statuses, statuses + sets, SQL_PARAM_UNUSED);
  if (processed != nullptr) *processed = 0;
  // Data at execution gathers one value per parameter, so it cannot serve
  // several sets; the refusal comes before any set is sent.
  if (sets > 1) {
    for (SQLULEN set = 0; set < sets; ++set) {
      if (needsParameterData(set)) return post("HYC00");
    }
  }
  const std::vector<std::size_t> markers = findAllOutsideQuotes(text, "?");
  // The records of a set's failure, its value's or the server's, name the set.
  const auto rowOf = [sets](SQLULEN set) {
    return sets > 1 ? static_cast<SQLLEN>(set + 1) : SQL_NO_ROW_NUMBER;
  };
  SQLULEN run = 0;
  SQLULEN failed = 0;
  bool warned = false;
  const auto settle = [&](SQLULEN set, SQLRETURN rc) {
    ++run;
    if (processed != nullptr) *processed = run;
    if (!SQL_SUCCEEDED(rc)) ++failed;
    warned = warned || rc == SQL_SUCCESS_WITH_INFO;
    if (statuses != nullptr) {
      statuses[set] = rc == SQL_SUCCESS             ? SQL_PARAM_SUCCESS
                      : rc == SQL_SUCCESS_WITH_INFO ? SQL_PARAM_SUCCESS_WITH_INFO
                                                    : SQL_PARAM_ERROR;
    }
  };
  // The sets sent ahead whose outcomes are still to be read, oldest first. Each set's time goes
  // to the query log alone, so a logging connection runs them one by one.
  const bool ahead = sets > 1 && !connection_->isQueryLogEnabled();
  std::deque<SQLULEN> inFlight;
  const auto settleOldest = [&] {
    const SQLULEN set = inFlight.front();
    inFlight.pop_front();
    diagnosticRow_ = rowOf(set);
    settle(set, readAhead());
  };
  std::string finalText;
  for (SQLULEN set = 0; set < sets; ++set) {
    if (operations != nullptr && operations[set] == SQL_PARAM_IGNORE) continue;
    if (needsParameterData(set)) return SQL_NEED_DATA;
    diagnosticRow_ = rowOf(set);
    // Each set starts again from the template; a text without markers is final as it is,
    // whatever is bound. A value the application bound wrongly fails its set before the set is
    // sent.
    SQLRETURN rc = markers.empty()
                       ? SQL_SUCCESS
                       : substituteParameters(text, markers, *apd_, *ipd_, set, finalText);
    const std::string& sent = markers.empty() ? text : finalText;
    if (rc == SQL_SUCCESS && ahead && sendsAhead(sent)) {
      while (!inFlight.empty() && !hasRoomAhead(sent)) settleOldest();
      diagnosticRow_ = rowOf(set);
      rc = sendAhead(sent, set);
    } else if (rc == SQL_SUCCESS) {
      while (!inFlight.empty()) settleOldest();
      diagnosticRow_ = rowOf(set);
      rc = runFinalizedQuery(sent, set);
    }
    diagnosticRow_ = SQL_NO_ROW_NUMBER;
    if (rc == SQL_NEED_DATA) return rc;
    if (rc == SQL_STILL_EXECUTING) {
      inFlight.push_back(set);
    } else {
      settle(set, rc);
    }
  }
  while (!inFlight.empty()) settleOldest();
  diagnosticRow_ = SQL_NO_ROW_NUMBER;
  // A failed set leaves its records and the others still run: the statement failed only when
  // no set succeeded.
  if (failed > 0 && failed == run) return SQL_ERROR;
  return failed > 0 || warned ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN Statement::runFinalizedQuery(const std::string& text, SQLULEN set) {
  const bool logging = connection_->isQueryLogEnabled();
  if (logging) startQueryTimer();
  const SQLRETURN rc = executeFinalizedQuery(text, set);
  if (logging) logQueryIfSlow(text);
  return rc;
}

SQLUSMALLINT Statement::parameterNeedingData(SQLULEN set) {
  const SQLSMALLINT count = apd_->getCount();
  for (SQLSMALLINT parameter = 1; parameter <= count; ++parameter) {
    const DescriptorRecord* application = apd_->getRecord(parameter);
    const DescriptorRecord* implementation = ipd_->getRecord(parameter);
    if (application == nullptr || implementation == nullptr) continue;
    const SQLLEN* indicator = apd_->lengthElementAddress(application->getIndicatorPtr(), set);
    if (indicator == nullptr || !isDataAtExecution(*indicator)) continue;
    if (implementation->getDataPtr() == nullptr && implementation->getIndicatorPtr() == nullptr) {
      return static_cast<SQLUSMALLINT>(parameter);
    }
  }
  return 0;
}

bool Statement::needsParameterData(SQLULEN set) { return parameterNeedingData(set) != 0; }

SQLRETURN Statement::declareCursor(std::string& text) {
  serverCursorDeclared_ = false;
  if (concurrency_ == SQL_CONCUR_READ_ONLY && cursorName_.empty()) return SQL_SUCCESS;
  if (connection_->suppressDeclareCursor()) return SQL_SUCCESS;
  if (startsWithKeyword(text.c_str(), "select") == nullptr) return SQL_SUCCESS;
  text = "declare " + cursorName() + " cursor for " + text;
  serverCursorDeclared_ = true;
  return SQL_SUCCESS;
}

SQLRETURN Statement::openCursor() {
  if (!serverCursorDeclared_) return SQL_SUCCESS;
  // The old row source goes first: the new one describes its columns afresh.
  recordset_.reset();
  recordset_.reset(new CursorRecordset(this));
  setRowCount(-1);
  return SQL_SUCCESS;
}

SQLRETURN Statement::paramData(SQLPOINTER* value) {
  diagnostics_.clear();
  dataAtExecParameter_ = parameterNeedingData(0);
  putDataBuffer_ = nullptr;
  if (dataAtExecParameter_ == 0) return runAndOpen(sqlText_);
  if (value != nullptr) *value = apd_->getRecord(dataAtExecParameter_)->getDataPtr();
  return SQL_NEED_DATA;
}

SQLRETURN Statement::putData(SQLPOINTER data, SQLLEN lengthOrIndicator) {
  diagnostics_.clear();
  if (dataAtExecParameter_ == 0) return SQL_SUCCESS;
  DescriptorRecord& record = *ipd_->getRecord(dataAtExecParameter_);
  SQLLEN* gathered = record.getIndicatorPtr();
  SQLSMALLINT cType = apd_->getRecord(dataAtExecParameter_)->getConciseType();
  if (cType == SQL_C_DEFAULT) cType = connection_->defaultCType(record.getConciseType());
  // A number or a structure is one value of its own size, whatever length comes with it, and
  // comes in one call.
  const SQLLEN fixedSize = cTypeFixedSize(cType);
  if (fixedSize > 0) {
    if (gathered != nullptr) return post("HY019");
    if (lengthOrIndicator != SQL_NULL_DATA) lengthOrIndicator = fixedSize;
  }
  if (lengthOrIndicator < 0 && lengthOrIndicator != SQL_NTS && lengthOrIndicator != SQL_NULL_DATA) {
    return post("HY090");
  }
  if (data == nullptr && lengthOrIndicator != 0 && lengthOrIndicator != SQL_NULL_DATA) {
    return post("HY009");
  }
  if (gathered == nullptr) {
    gathered = static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN)));
    if (gathered == nullptr) return post("HY001");
    *gathered = 0;
    record.setIndicatorPtr(gathered);
  }
  auto* buffer = static_cast<char*>(record.getDataPtr());
  if (lengthOrIndicator == SQL_NULL_DATA) {
    // NULL after data keeps the data; NULL first makes the value NULL until
    // data comes.
    if (buffer == nullptr) *gathered = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  const std::size_t chunk = lengthOrIndicator == SQL_NTS
                                ? terminatedLength(data, cType)
                                : static_cast<std::size_t>(lengthOrIndicator);
  const std::size_t held = buffer == nullptr ? 0 : static_cast<std::size_t>(*gathered);
  // Two zero bytes end the value, for narrow and wide text alike.
  constexpr std::size_t terminator = 2;
  if (chunk > std::numeric_limits<std::size_t>::max() / 2 - held - terminator) {
    return post("HY001");
  }
  const std::size_t needed = held + chunk + terminator;
  const std::size_t capacity =
      buffer != nullptr && buffer == putDataBuffer_ ? putDataCapacity_ : held;
  if (buffer == nullptr || needed > capacity) {
    // Geometric growth keeps many small chunks linear; the record frees the
    // buffer it held.
    const std::size_t grown = std::max(needed, capacity * 2);
    auto* larger = static_cast<char*>(std::malloc(grown));
    if (larger == nullptr) return post("HY001");
    if (held > 0) std::memcpy(larger, buffer, held);
    record.setDataPtr(larger);
    buffer = larger;
    putDataBuffer_ = larger;
    putDataCapacity_ = grown;
  }
  if (chunk > 0) std::memcpy(buffer + held, data, chunk);
  std::memset(buffer + held + chunk, 0, terminator);
  *gathered = static_cast<SQLLEN>(held + chunk);
  return SQL_SUCCESS;
}

SQLRETURN Statement::freeStmt(SQLUSMALLINT option) {
  diagnostics_.clear();
  if (option != SQL_CLOSE && option != SQL_DROP && option != SQL_UNBIND &&
      option != SQL_RESET_PARAMS) {
    return post("HY092");
  }
  // A dropped statement leaves an explicitly allocated descriptor as it is:
  // other statements may share it.
  if (option == SQL_UNBIND || (option == SQL_DROP && ard_ == implicitArd_.get())) {
    ard_->setCount(0);
  }
  if (option == SQL_RESET_PARAMS || (option == SQL_DROP && apd_ == implicitApd_.get())) {
    apd_->setCount(0);
  }
  if (option == SQL_RESET_PARAMS || option == SQL_DROP) ipd_->setCount(0);
  if (option == SQL_UNBIND || option == SQL_RESET_PARAMS) return SQL_SUCCESS;
  const SQLRETURN rc = closeResultSet();
  if (option == SQL_DROP) preparedSql_.clear();
  return rc;
}

SQLRETURN Statement::closeCursor() {
  diagnostics_.clear();
  if (recordset_) return closeResultSet();
  if (behavesAsOdbc3()) return post("24000");
  return SQL_SUCCESS;
}

SQLRETURN Statement::closeResultSet() {
  if (recordset_) recordset_->close();
  restoreApplicationCursor();
  beforeStart_ = true;
  afterEnd_ = false;
  if (serverCursorDeclared_) {
    ird_->clearRecords();
    rowsFetched_ = 0;
    executeFinalizedQuery("close " + cursorName_, 0);
  }
  cursorName_.clear();
  state_ = stateClosed;
  return SQL_SUCCESS;
}

// Nothing of this statement runs now: a data-at-execution sequence ends, its pieces dropped, as
// if it had not begun.
SQLRETURN Statement::cancel() {
  if (dataAtExecParameter_ != 0) {
    dataAtExecParameter_ = 0;
    ipd_->freeDataBuffers();
    putDataBuffer_ = nullptr;
  }
  return SQL_SUCCESS;
}

SQLRETURN Statement::moreResults() {
  diagnostics_.clear();
  // There is never a next result: the open one ends, as SQL_NO_DATA ends it in ODBC, and the
  // statement may execute again.
  if (hasOpenResult()) closeResultSet();
  beforeStart_ = true;
  afterEnd_ = false;
  return SQL_NO_DATA;
}

// Cursor names are identifiers, which SQL compares without regard to the case of letters.
bool Statement::hasCursorName(const std::string& name) const {
  return !cursorName_.empty() && compareNoCase(cursorName_.c_str(), name.c_str()) == 0;
}

std::string Statement::cursorName() {
  if (cursorName_.empty()) {
    cursorName_ =
        "SQL_CUR" + std::to_string(reinterpret_cast<std::uintptr_t>(this) + cursorCounter_);
    ++cursorCounter_;
  }
  return cursorName_;
}

SQLRETURN Statement::getCursorName(char* name, SQLSMALLINT bufferLength, SQLSMALLINT* nameLength) {
  return answerString(diagnostics_, cursorName(), name, bufferLength, nameLength);
}

SQLRETURN Statement::setCursorName(const char* name, SQLINTEGER length) {
  diagnostics_.clear();
  if (!isValidTextLength(length)) return post("HY090");
  if (state_ >= stateExecuted) return post("24000");
  std::string text = stringFromSqlChars(name, length);
  const SQLUSMALLINT limit = connection_->getInfoMaxCursorNameLen();
  if (limit > 0 && text.size() > limit) return post("34000");
  // Generated names take these prefixes; a chosen one must not collide with them.
  if (text.rfind("SQLCUR", 0) == 0 || text.rfind("SQL_CUR", 0) == 0) return post("34000");
  if (cursorNameTaken(text)) return post("3C000");
  cursorName_ = std::move(text);
  return SQL_SUCCESS;
}

SQLRETURN Statement::error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                           SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  const SQLRETURN rc = getDiagRec(1, sqlState, nativeError, messageText, bufferLength, textLength);
  if (SQL_SUCCEEDED(rc)) diagnostics_.clear();
  return rc;
}
